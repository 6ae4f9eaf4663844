#include "bstr_text.h"

HRESULT return_bstr(const std::wstring& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    BSTR copy = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    if (!copy)
        return E_OUTOFMEMORY;
    *out = copy;
    return S_OK;
}
