// hikclient.dll bound at run time: loaded beside our module or from the
// DLL search path, each function looked up once by its exported name.
#include "streaming_library.h"

#include <cwchar>

#include "logger.h"
#include "module_instance.h"

namespace {

const wchar_t library_file[] = L"hikclient.dll";

HMODULE load_beside_own_module()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module_instance(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    wchar_t* slash = std::wcsrchr(path, L'\\');
    wchar_t* name = slash ? slash + 1 : path;
    if (static_cast<size_t>(name - path) + std::wcslen(library_file) >= MAX_PATH)
        return nullptr;
    std::wcscpy(name, library_file);
    // The library's own imports are looked for beside it as well.
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Looked for once; the library stays loaded for the process, since streams
// and their threads may outlive any one control.
HMODULE library()
{
    static const HMODULE module = [] {
        const HMODULE beside = load_beside_own_module();
        return beside ? beside : LoadLibraryW(library_file);
    }();
    return module;
}

// The library's export `name` as the type `Function` its header declares;
// null while the library or the export is missing.
template <class Function>
Function bound(const char* name)
{
    if (!library())
        return nullptr;
    // Through void*: FARPROC is only a placeholder for the real type.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library(), name)));
}

// The export named as the function of the header, looked up on first use.
#define STREAMING_FUNCTION(name) \
    static const auto function = bound<decltype(&::name)>(#name)

} // namespace

bool streaming_library_ready()
{
    if (library())
        return true;
    Logger::instance().write(log_status, "hikclient.dll not found: it must be installed beside kelm.dll\n");
    return false;
}

namespace streaming {

BOOL MP4_ClientStartup(UINT message, HWND window)
{
    STREAMING_FUNCTION(MP4_ClientStartup);
    return function ? function(message, window) : FALSE;
}

BOOL MP4_ClientCleanup()
{
    STREAMING_FUNCTION(MP4_ClientCleanup);
    return function ? function() : FALSE;
}

BOOL MP4_ClientSetNetPort(WORD server_port, WORD client_port)
{
    STREAMING_FUNCTION(MP4_ClientSetNetPort);
    return function ? function(server_port, client_port) : FALSE;
}

BOOL MP4_ClientSetTTL(BYTE ttl)
{
    STREAMING_FUNCTION(MP4_ClientSetTTL);
    return function ? function(ttl) : FALSE;
}

LONG MP4_ClientStart(Client_Info* info, MP4_Data_Callback callback)
{
    STREAMING_FUNCTION(MP4_ClientStart);
    return function ? function(info, callback) : -1;
}

LONG HIK_ClientStartNoWait(Client_Info* info)
{
    STREAMING_FUNCTION(HIK_ClientStartNoWait);
    return function ? function(info) : streaming::MP4_ClientStart(info, nullptr);
}

BOOL HIK_ClientStreamEndpoint(LONG handle, char* host, DWORD size, WORD* port)
{
    STREAMING_FUNCTION(HIK_ClientStreamEndpoint);
    return function ? function(handle, host, size, port) : FALSE;
}

BOOL HIK_ClientStreamEnd(LONG handle, HIK_STREAM_END* end)
{
    STREAMING_FUNCTION(HIK_ClientStreamEnd);
    return function ? function(handle, end) : FALSE;
}

BOOL HIK_ClientSnapshot(LONG handle, BYTE* jpeg, DWORD size, DWORD* written)
{
    STREAMING_FUNCTION(HIK_ClientSnapshot);
    return function ? function(handle, jpeg, size, written) : FALSE;
}

BOOL MP4_ClientStop(LONG handle)
{
    STREAMING_FUNCTION(MP4_ClientStop);
    return function ? function(handle) : FALSE;
}

int MP4_ClientGetState(LONG handle)
{
    STREAMING_FUNCTION(MP4_ClientGetState);
    return function ? function(handle) : HIK_STATE_UNKNOWN_HANDLE;
}

BOOL MP4_ClientStartCaptureFile(LONG handle, char* path)
{
    STREAMING_FUNCTION(MP4_ClientStartCaptureFile);
    return function ? function(handle, path) : FALSE;
}

BOOL MP4_ClientStopCapture(LONG handle)
{
    STREAMING_FUNCTION(MP4_ClientStopCapture);
    return function ? function(handle) : FALSE;
}

BOOL MP4_ClientAudioStart(LONG handle)
{
    STREAMING_FUNCTION(MP4_ClientAudioStart);
    return function ? function(handle) : FALSE;
}

BOOL MP4_ClientAudioStop()
{
    STREAMING_FUNCTION(MP4_ClientAudioStop);
    return function ? function() : FALSE;
}

BOOL MP4_ClientAudioVolume(WORD volume)
{
    STREAMING_FUNCTION(MP4_ClientAudioVolume);
    return function ? function(volume) : FALSE;
}

BOOL HIK_ClientAudioCodec(LONG handle, char* name, DWORD size)
{
    STREAMING_FUNCTION(HIK_ClientAudioCodec);
    return function ? function(handle, name, size) : FALSE;
}

BOOL MP4_ClientSetVideoPara(LONG handle, DWORD reserved, int brightness, int contrast, int saturation, int hue)
{
    STREAMING_FUNCTION(MP4_ClientSetVideoPara);
    return function ? function(handle, reserved, brightness, contrast, saturation, hue) : FALSE;
}

BOOL MP4_ClientGetVideoPara(LONG handle, DWORD reserved, int* brightness, int* contrast, int* saturation, int* hue)
{
    STREAMING_FUNCTION(MP4_ClientGetVideoPara);
    return function ? function(handle, reserved, brightness, contrast, saturation, hue) : FALSE;
}

} // namespace streaming
