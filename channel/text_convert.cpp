#include "text_convert.h"

#include <cstring>
#include <windows.h>

char* wide_to_ansi(const wchar_t* text, char* buffer, size_t size)
{
    if (!buffer || size == 0)
        return nullptr;
    memset(buffer, 0, size);
    if (!text || !*text)
        return buffer;
    // -1: the terminating zero is converted too, so a text that only fits
    // without it is refused.
    const int written = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, static_cast<int>(size),
                                            nullptr, nullptr);
    if (written == 0) {
        memset(buffer, 0, size);
        return nullptr;
    }
    return buffer;
}

wchar_t* ansi_to_wide(const char* text, wchar_t* buffer, size_t size)
{
    if (!buffer || size == 0)
        return nullptr;
    memset(buffer, 0, size * sizeof(wchar_t));
    if (!text || !*text)
        return buffer;
    const int written = MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, static_cast<int>(size));
    if (written == 0) {
        memset(buffer, 0, size * sizeof(wchar_t));
        return nullptr;
    }
    return buffer;
}
