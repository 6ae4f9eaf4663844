#include "save_directory.h"

#include <cstring>
#include <windows.h>

namespace {

bool is_separator(char c)
{
    return c == ':' || c == '/' || c == '\\';
}

// The start of the next character in the system's code page.  Pieces are
// split on characters, not bytes: in code page 936 the byte of '\\' is also
// the second byte of many double-byte characters (淺 is 0x9C 0x5C).
const char* next_character(const char* at)
{
    return IsDBCSLeadByte(static_cast<BYTE>(*at)) && at[1] ? at + 2 : at + 1;
}

// Appends `text` to `out` if it fits with the terminating zero.
bool append(char* out, size_t size, size_t* used, const char* text, size_t length)
{
    if (*used + length + 1 > size)
        return false;
    memcpy(out + *used, text, length);
    *used += length;
    return true;
}

} // namespace

bool has_drive_letter(const char* path)
{
    if (!path)
        return false;
    while (*path == ':')
        ++path;
    const char* end = strchr(path, ':');
    const size_t length = end ? static_cast<size_t>(end - path) : strlen(path);
    return length == 1;
}

bool normalise_directory(const char* path, char* out, size_t size)
{
    if (!out || size == 0)
        return false;
    memset(out, 0, size);
    size_t used = 0;
    bool first = true;
    for (const char* p = path ? path : ""; *p;) {
        while (*p && is_separator(*p))
            ++p;
        const char* piece = p;
        while (*p && !is_separator(*p))
            p = next_character(p);
        if (p == piece)
            break;
        const size_t drive = next_character(piece) - piece;
        const bool fits = first ? append(out, size, &used, piece, drive) && append(out, size, &used, ":/", 2)
                                : append(out, size, &used, piece, p - piece) && append(out, size, &used, "/", 1);
        if (!fits) {
            memset(out, 0, size);
            return false;
        }
        first = false;
    }
    return !first;
}

bool ensure_directory(const wchar_t* path)
{
    const DWORD before = GetFileAttributesW(path);
    if (before != INVALID_FILE_ATTRIBUTES)
        return (before & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A failure shows in the check below; racing creators both succeed there.
    (void)CreateDirectoryW(path, nullptr);
    const DWORD after = GetFileAttributesW(path);
    return after != INVALID_FILE_ATTRIBUTES && (after & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
