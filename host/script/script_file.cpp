#include "script_file.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {

const size_t longest_script = 16 * 1024 * 1024;

std::wstring decoded(UINT code_page, const char* bytes, int size)
{
    if (size == 0)
        return std::wstring();
    const int units = MultiByteToWideChar(code_page, 0, bytes, size, nullptr, 0);
    if (units <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(units), L'\0');
    (void)MultiByteToWideChar(code_page, 0, bytes, size, &text[0], units);  // measured above
    return text;
}

bool ends_with(const wchar_t* path, const wchar_t* extension)
{
    const size_t length = wcslen(path), tail = wcslen(extension);
    return length >= tail && _wcsicmp(path + length - tail, extension) == 0;
}

} // namespace

bool read_script(const wchar_t* path, std::wstring* text)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    std::vector<char> bytes;
    DWORD got = 0;
    const bool fits = GetFileSizeEx(file, &size) && size.QuadPart <= static_cast<LONGLONG>(longest_script);
    if (fits) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
            got = 0;
    }
    (void)CloseHandle(file);  // only read
    if (!fits || got != bytes.size())
        return false;
    const char* start = bytes.data();
    const int count = static_cast<int>(bytes.size());
    if (count >= 2 && static_cast<unsigned char>(start[0]) == 0xFF && static_cast<unsigned char>(start[1]) == 0xFE)
        text->assign(reinterpret_cast<const wchar_t*>(start + 2), static_cast<size_t>(count - 2) / 2);
    else if (count >= 3 && memcmp(start, "\xEF\xBB\xBF", 3) == 0)
        *text = decoded(CP_UTF8, start + 3, count - 3);
    else
        *text = decoded(CP_ACP, start, count);
    return true;
}

const wchar_t* engine_for(const wchar_t* path)
{
    if (ends_with(path, L".vbs"))
        return L"VBScript";
    if (ends_with(path, L".js"))
        return L"JScript";
    return nullptr;
}
