#include "texts.h"

#include <cstdarg>
#include <cstdio>

std::wstring load_text(UINT id)
{
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

std::wstring format_text(UINT id, ...)
{
    wchar_t text[1024];
    va_list arguments;
    va_start(arguments, id);
    const int length = vswprintf(text, 1024, load_text(id).c_str(), arguments);
    va_end(arguments);
    return length < 0 ? load_text(id) : std::wstring(text, length);
}
