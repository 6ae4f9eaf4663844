#include "unix_command.h"

#include "text_file.h"

namespace {

const char end_marker[] = "--- command ended ---";

// Writes `text` into a new file; false when it cannot.
bool write_file(const char *path, const std::string &text)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                       written == text.size();
    CloseHandle(file);
    return whole;
}

} // namespace

std::string unix_path_of(const std::string &windows_path)
{
    typedef char *(CDECL * Unix_Name)(const WCHAR *);
    const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    const Unix_Name unix_name = reinterpret_cast<Unix_Name>(reinterpret_cast<void *>(found));
    const std::wstring wide(windows_path.begin(), windows_path.end());
    char *name = unix_name ? unix_name(wide.c_str()) : nullptr;
    if (!name)
        return std::string();
    const std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

// The command goes into a script file that /bin/sh runs: Wine hands a Linux
// program the words of its command line, and a script keeps quoting simple.
bool run_unix_command(const std::string &command, DWORD wait_ms, std::string *output)
{
    char folder[MAX_PATH], file[MAX_PATH], script[MAX_PATH];
    if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "out", 0, file) ||
        !GetTempFileNameA(folder, "cmd", 0, script))
        return false;
    const std::string log = unix_path_of(file);
    if (log.empty() ||
        !write_file(script, "(" + command + ") >'" + log + "' 2>&1\necho '" + end_marker + "' >>'" + log + "'\n"))
        return false;
    // /bin/sh takes the first word as its own name, as a Windows program would.
    std::string line = "sh \"" + unix_path_of(script) + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA("/bin/sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    /* The handles of a Linux program under Wine tell nothing; only close them. */
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (DWORD waited = 0; waited < wait_ms; waited += 50) {
        const std::string text = read_file_bytes(file);
        const size_t end = text.find(end_marker);
        if (end != std::string::npos) {
            *output = text.substr(0, end);
            DeleteFileA(file);
            DeleteFileA(script);
            return true;
        }
        Sleep(50);
    }
    return false;
}
