// An owned BSTR for calling dispatch members from tests.
#pragma once

#include <string>
#include <windows.h>
#include <oleauto.h>

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : text(SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()))) {}
    Bstr() = default;
    ~Bstr() { SysFreeString(text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    operator BSTR() const { return text; }
    // For out-parameters: frees what is held and hands out the slot.
    BSTR* put()
    {
        SysFreeString(text);
        text = nullptr;
        return &text;
    }
    std::wstring str() const { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

private:
    BSTR text = nullptr;
};
