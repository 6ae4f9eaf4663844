#include "hostile_rtsp.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>

#include "text_file.h"
#include "unix_command.h"

namespace {

const DWORD start_wait_ms = 10000;
// The first line of every report, written once the server listens.
const char report_start[] = "connections=";

std::string quoted(const std::string &argument)
{
    return " \"" + argument + "\"";
}

// A new empty file in the temporary folder; empty when none can be made.
std::string new_temporary_file()
{
    char folder[MAX_PATH], file[MAX_PATH];
    if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "hos", 0, file))
        return std::string();
    return file;
}

// Starts a Linux program; Wine hands it its own path as the first argument
// and the command line after it.
bool start_linux_program(const char *program, std::string line)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    /* The handles of a Linux program under Wine tell nothing; only close them. */
    (void)CloseHandle(process.hThread);
    (void)CloseHandle(process.hProcess);
    return true;
}

} // namespace

Hostile_Rtsp::Hostile_Rtsp(const std::string &address, unsigned short port, const std::string &kind)
    : report(new_temporary_file())
{
    const char *program = std::getenv("KELM_HOSTILE_RTSP");
    const std::string report_unix = report.empty() ? std::string() : unix_path_of(report);
    if (!program || !*program || report_unix.empty() ||
        !start_linux_program(program, quoted(address) + quoted(std::to_string(port)) + quoted(kind) + quoted(report_unix)))
        return;
    for (DWORD waited = 0; waited < start_wait_ms && !listening; waited += 50) {
        listening = read_file_bytes(report.c_str()).compare(0, sizeof report_start - 1, report_start) == 0;
        if (!listening)
            Sleep(50);
    }
}

Hostile_Rtsp::~Hostile_Rtsp()
{
    if (!report.empty())
        (void)DeleteFileA(report.c_str());  // a report left behind only takes room
}

Hostile_Counts Hostile_Rtsp::counts() const
{
    Hostile_Counts counts;
    std::istringstream lines(read_file_bytes(report.c_str()));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string name = line.substr(0, equals), value = line.substr(equals + 1);
        if (name == "set-up")
            counts.set_up = value;
        else if (name == "connections")
            counts.connections = std::strtoul(value.c_str(), nullptr, 10);
        else if (name == "describes")
            counts.describes = std::strtoul(value.c_str(), nullptr, 10);
        else if (name == "setups")
            counts.setups = std::strtoul(value.c_str(), nullptr, 10);
    }
    return counts;
}
