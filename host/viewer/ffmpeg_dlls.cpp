#include "ffmpeg_dlls.h"

#include <windows.h>

#include "resource.h"
#include "texts.h"

namespace {

// The DLL names of avformat, avcodec, swscale and avutil, from the build.
const wchar_t* const player_dlls[] = {KELM_PLAYER_DLLS};

// The folder of the viewer's program, with its separator.
std::wstring program_folder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return std::wstring();
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// The DLL from `folder`, whose own imports come from that folder first.
bool load_from(const std::wstring& folder, const wchar_t* dll)
{
    return LoadLibraryExW((folder + dll).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH) != nullptr;
}

} // namespace

bool load_ffmpeg(std::wstring* problem)
{
    const std::wstring own = program_folder();
    std::wstring above = own.empty() ? own : own.substr(0, own.size() - 1);
    above = above.substr(0, above.find_last_of(L"\\/") + 1);
    for (const wchar_t* dll : player_dlls) {
        // A DLL loaded once stays loaded for the program's life: the
        // players after the first find it at once.
        if (GetModuleHandleW(dll) || load_from(own, dll) || (!above.empty() && load_from(above, dll)))
            continue;
        *problem = format_text(IDS_MEDIA_NO_FFMPEG, dll);
        return false;
    }
    return true;
}
