// Com_Ptr: owns one reference to a COM interface.
#pragma once

#include <unknwn.h>

template <class Interface>
class Com_Ptr {
public:
    Com_Ptr() = default;
    ~Com_Ptr() { reset(); }
    Com_Ptr(Com_Ptr&& other) noexcept : pointer(other.pointer) { other.pointer = nullptr; }
    Com_Ptr(const Com_Ptr&) = delete;
    Com_Ptr& operator=(const Com_Ptr&) = delete;

    Interface* get() const { return pointer; }
    Interface* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }

    // For out-parameters: releases what is held and hands out the slot.
    Interface** put()
    {
        reset();
        return &pointer;
    }

    // Gives up the reference without releasing it.
    Interface* detach()
    {
        Interface* held = pointer;
        pointer = nullptr;
        return held;
    }

    void reset()
    {
        if (pointer) {
            pointer->Release();
            pointer = nullptr;
        }
    }

private:
    Interface* pointer = nullptr;
};
