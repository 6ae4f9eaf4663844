#include "rtsp_launch.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdlib>

#include "dvr_sim.h"

namespace {

const DWORD start_wait_ms = 10000;

std::string quoted(const std::string &argument)
{
    return " \"" + argument + "\"";
}

} // namespace

Rtsp_Launch::Rtsp_Launch(const std::string &address, const std::vector<std::string> &mounts,
                         const std::string &user, const std::string &password)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return;
    const char *program = std::getenv("KELM_RTSP_LAUNCH");
    if (!program || !*program)
        return;
    // Wine hands a Linux program its own path as the first argument and the
    // command line after it.
    std::string line = quoted(address) + quoted(std::to_string(port));
    if (!user.empty())
        line += " --user" + quoted(user) + quoted(password);
    for (const std::string &mount : mounts)
        line += quoted(mount);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    /* The handles of a Linux program under Wine tell nothing; only close them. */
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (DWORD waited = 0; waited < start_wait_ms && !listening; waited += 50) {
        listening = tcp_port_accepts(address, port);
        if (!listening)
            Sleep(50);
    }
}
