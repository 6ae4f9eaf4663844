#include "child_process.h"

namespace {

const DWORD wait_ms = 60000;

// Reads `pipe` to its end (the child has exited or closed its output).
std::string read_all(HANDLE pipe)
{
    std::string text;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
        text.append(buffer, n);
    return text;
}

} // namespace

Program_Result run_program(const std::string& program, const std::string& arguments, Captured captured)
{
    Program_Result result = {9999, std::string()};
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0))
        return result;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end;
    startup.hStdError = captured == Captured::output_only ? GetStdHandle(STD_ERROR_HANDLE) : write_end;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string line = "\"" + program + "\" " + arguments;
    const BOOL started =
        CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(write_end);
    if (started) {
        result.output = read_all(read_end);
        WaitForSingleObject(process.hProcess, wait_ms);
        GetExitCodeProcess(process.hProcess, &result.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(read_end);
    return result;
}

std::string windows_path(const std::string& unix_path)
{
    std::string path = "Z:" + unix_path;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

std::string without_carriage_returns(const std::string& output)
{
    std::string text;
    for (char c : output) {
        if (c != '\r')
            text += c;
    }
    return text;
}
