#include "running_stream.h"

#include "hikclient.h"

LONG start_running_stream(const std::string &address, BYTE channel, HWND window)
{
    Client_Info info = {};
    info.channel = channel;
    info.link_mode = 1;
    info.server_ip = const_cast<char *>(address.c_str());
    info.user_name = const_cast<char *>("");
    info.password = const_cast<char *>("");
    info.display_window = window;
    const LONG handle = MP4_ClientStart(&info, nullptr);
    for (int i = 0; i < 300 && MP4_ClientGetState(handle) != HIK_STATE_RUNNING; ++i)
        Sleep(10);
    return handle;
}
