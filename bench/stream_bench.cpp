// The live stream, measured against dvr-sim:
//  1. time from a channel's open_channel to the first painted frame, against
//     a bare TCP connect, login and first frame of the same stream;
//  2. sixteen channels streaming at once: frames painted per second and
//     channel against frames sent, and the CPU the client used.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "bench_clock.h"
#include "dvr_sim.h"
#include "hik_channel_impl.h"
#include "hikclient.h"
#include "stream_protocol.h"

namespace {

const int first_frame_rounds = 10;
const int streams = 16;
const double streaming_seconds = 5.0;

HWND make_window(int x, int y, int width, int height)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW window_class = {};
        window_class.lpfnWndProc = DefWindowProcW;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = L"kelm_bench";
        window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        registered = RegisterClassW(&window_class) != 0;
    }
    return CreateWindowExW(0, L"kelm_bench", L"", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

bool painted(HWND window)
{
    HDC dc = GetDC(window);
    const COLORREF centre = GetPixel(dc, 80, 60);
    ReleaseDC(window, dc);
    return centre != RGB(0, 0, 0) && centre != CLR_INVALID;
}

double channel_first_frame(const std::string& address)
{
    HWND window = make_window(0, 0, 160, 120);
    Channel_Param param;
    param.channel_index = 1;
    param.server_ip = std::wstring(address.begin(), address.end());
    param.display_window = window;
    const double start = seconds_now();
    double elapsed = -1;
    {
        Channel channel(new Hik_Channel_Impl(param, window));
        if (channel.open_channel() == 0) {
            while (!painted(window) && seconds_now() - start < 5)
                Sleep(1);
            elapsed = seconds_now() - start;
        }
        channel.close_channel();
    }
    DestroyWindow(window);
    return elapsed;
}

bool receive_exactly(SOCKET s, void* data, int size)
{
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        const int got = recv(s, bytes, size, 0);
        if (got <= 0)
            return false;
        bytes += got;
        size -= got;
    }
    return true;
}

double bare_first_frame(const std::string& address)
{
    const double start = seconds_now();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(12000);
    where.sin_addr.s_addr = inet_addr(address.c_str());
    Stream_Login login = {};
    memcpy(login.magic, "KLGN", 4);
    login.version = STREAM_PROTOCOL_VERSION;
    login.channel = 1;
    Stream_Login_Reply reply;
    Stream_Frame_Header header;
    std::vector<char> payload;
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0 &&
              send(s, reinterpret_cast<const char*>(&login), sizeof login, 0) == sizeof login &&
              receive_exactly(s, &reply, sizeof reply) && receive_exactly(s, &header, sizeof header);
    if (ok) {
        payload.resize(header.payload_size);
        ok = receive_exactly(s, payload.data(), static_cast<int>(payload.size()));
    }
    closesocket(s);
    return ok ? seconds_now() - start : -1;
}

void measure_first_frame(const std::string& address)
{
    double channel_total = 0, bare_total = 0;
    for (int i = 0; i < first_frame_rounds; ++i) {
        channel_total += channel_first_frame(address);
        bare_total += bare_first_frame(address);
    }
    const double channel = channel_total / first_frame_rounds, bare = bare_total / first_frame_rounds;
    printf("open to first painted frame: channel %.1f ms, bare TCP %.1f ms, ratio %.1f\n", channel * 1e3,
           bare * 1e3, channel / bare);
}

void measure_sixteen(const Dvr_Sim& sim)
{
    std::vector<HWND> windows;
    std::vector<std::unique_ptr<Channel>> channels;
    for (int i = 0; i < streams; ++i) {
        windows.push_back(make_window(160 * (i % 4), 120 * (i / 4), 160, 120));
        Channel_Param param;
        param.channel_index = i;
        param.server_ip = std::wstring(sim.address().begin(), sim.address().end());
        param.display_window = windows.back();
        channels.emplace_back(new Channel(new Hik_Channel_Impl(param, windows.back())));
        if (channels.back()->open_channel() != 0)
            printf("channel %d did not open\n", i);
    }
    pump_messages_for(1.0);
    DWORD received0, painted0;
    HIK_SimGetLibraryStats(&received0, &painted0);
    const double cpu0 = process_cpu_seconds(), wall0 = seconds_now();
    const unsigned sent0 = std::stoul(sim.command("stream").substr(sim.command("stream").find("frames-sent=") + 12));
    pump_messages_for(streaming_seconds);
    const std::string after = sim.command("stream");
    const unsigned sent1 = std::stoul(after.substr(after.find("frames-sent=") + 12));
    DWORD received1, painted1;
    HIK_SimGetLibraryStats(&received1, &painted1);
    const double wall = seconds_now() - wall0, cpu = process_cpu_seconds() - cpu0;
    for (auto& channel : channels)
        channel->close_channel();
    channels.clear();
    for (HWND window : windows)
        DestroyWindow(window);
    const double per_channel_painted = (painted1 - painted0) / wall / streams;
    const double per_channel_sent = (sent1 - sent0) / wall / streams;
    printf("sixteen streams: painted %.1f frames/s per channel, sent %.1f, ratio %.2f; received %.1f\n",
           per_channel_painted, per_channel_sent, per_channel_painted / per_channel_sent,
           (received1 - received0) / wall / streams);
    printf("sixteen streams: client CPU %.1f%% of one core\n", 100.0 * cpu / wall);
}

} // namespace

int main()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    Dvr_Sim sim(Dvr_Sim::number_for("bench.stream"));
    if (!sim.running()) {
        fprintf(stderr, "dvr-sim did not start (KELM_DVR_SIM)\n");
        return 1;
    }
    measure_first_frame(sim.address());
    measure_sixteen(sim);
    WSACleanup();
    return 0;
}
