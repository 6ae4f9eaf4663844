// Shared pieces of the COM tests: kelm.dll loaded the way COM loads it (no
// registry needed), an OLE apartment per test, and small helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <windows.h>
#include <ole2.h>

#include "com_ptr.h"
#include "kelm_h.h"

// kelm.dll from the build tree, its four exports at hand.
class Kelm_Module {
public:
    Kelm_Module();
    ~Kelm_Module();
    Kelm_Module(const Kelm_Module&) = delete;
    Kelm_Module& operator=(const Kelm_Module&) = delete;

    bool loaded() const { return module != nullptr; }
    HRESULT can_unload() const;
    HRESULT class_object(REFCLSID clsid, REFIID riid, void** ppv) const;
    HRESULT register_server() const;
    HRESULT unregister_server() const;
    // A new control through the class factory, aggregated by `outer` if set.
    HRESULT create(REFIID riid, void** ppv, IUnknown* outer = nullptr) const;

private:
    HMODULE module = nullptr;
};

// Each test runs in an OLE apartment of its own with the module loaded.
class Com_Test : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new control's interface; fails the test if there is none.
    template <class Interface>
    Com_Ptr<Interface>& make(Com_Ptr<Interface>& out, REFIID riid)
    {
        EXPECT_EQ(module.create(riid, reinterpret_cast<void**>(out.put())), S_OK);
        return out;
    }

    Kelm_Module module;
};

// A white 200 by 100 bitmap in a memory device context, to draw into.
class Canvas {
public:
    Canvas();
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return memory; }
    COLORREF pixel(int x, int y) const { return GetPixel(memory, x, y); }
    // Draws the content aspect of `view` over the whole canvas.
    HRESULT draw(IViewObject* view) const;

private:
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
};

// The reference count of `object`, read by an AddRef and a Release.
ULONG ref_count(IUnknown* object);

// Windows path of kelm.dll in the build tree.
std::wstring kelm_dll_path();

// A poisoned out-parameter proves a refused call left it alone.
extern void* const poison;
