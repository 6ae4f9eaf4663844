// BSTR in and out of the dispatch members.
#pragma once

#include <string>
#include <windows.h>
#include <oleauto.h>

// The text of a BSTR argument; a null BSTR is the empty text.
inline const wchar_t* bstr_text(BSTR text)
{
    return text ? text : L"";
}

// Hands `text` out as a new BSTR; E_POINTER for a null out-parameter.
HRESULT return_bstr(const std::wstring& text, BSTR* out);
