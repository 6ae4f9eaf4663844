// The live stream, measured against dvr-sim:
//  1. time from a channel's open_channel to the first painted frame, against
//     a bare FFmpeg client's open and first decoded picture of the same
//     stream plus one bare TCP request and reply of the sizes of the
//     video-signal question the channel asks the web service while opening;
//  2. sixteen channels streaming at once: frames painted per second and
//     channel against frames sent, and the CPU the client used.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "bench_clock.h"
#include "dvr_sim.h"
#include "hik_channel_impl.h"
#include "hikclient_test.h"
#include "web_service.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

const int first_frame_rounds = 21;
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

// The parts of an open, each on its own: the library's start of the stream
// with the first state read, and the first call of a new web service proxy.
double library_start(const std::string& address, HWND window)
{
    (void)MP4_ClientStartup(3000, window);  // counted; balanced below
    std::string ip = address, none;
    Client_Info info = {};
    info.channel = 1;
    info.link_mode = 1;
    info.server_ip = &ip[0];
    info.user_name = &none[0];
    info.password = &none[0];
    info.display_window = window;
    const double start = seconds_now();
    const LONG handle = MP4_ClientStart(&info, nullptr);
    const bool running = MP4_ClientGetState(handle) == HIK_STATE_RUNNING;
    const double elapsed = seconds_now() - start;
    (void)MP4_ClientStop(handle);
    (void)MP4_ClientCleanup();
    return running ? elapsed : -1;
}

double first_service_call(const Dvr_Sim& sim)
{
    Web_Service service(sim.endpoint().c_str());
    bool signal = false;
    const double start = seconds_now();
    return service.videosignal(1, signal) == 0 ? seconds_now() - start : -1;
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

// A socket connected to address:port, or INVALID_SOCKET.
SOCKET connected_socket(const std::string& address, unsigned short port)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    where.sin_addr.s_addr = inet_addr(address.c_str());
    if (s != INVALID_SOCKET && connect(s, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

// The bare reference: libavformat opens the same RTSP URL and libavcodec
// decodes up to the first picture, without scaling or painting.
double bare_first_frame(const std::string& address)
{
    const double start = seconds_now();
    const std::string url = "rtsp://:@" + address + ":12000/live/1";
    AVFormatContext* session = nullptr;
    AVDictionary* options = nullptr;
    (void)av_dict_set(&options, "rtsp_transport", "tcp", 0);  // without it: UDP, also measured fairly
    const bool opened = avformat_open_input(&session, url.c_str(), nullptr, &options) == 0;
    av_dict_free(&options);
    if (!opened)
        return -1;
    const AVStream* video = session->streams[0];
    const AVCodec* codec = avcodec_find_decoder(video->codecpar->codec_id);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    AVPacket* packet = av_packet_alloc();
    AVFrame* picture = av_frame_alloc();
    bool decoded = decoder && avcodec_parameters_to_context(decoder, video->codecpar) >= 0 &&
                   avcodec_open2(decoder, codec, nullptr) == 0 && packet && picture;
    bool shown = false;
    while (decoded && !shown && av_read_frame(session, packet) >= 0) {
        if (avcodec_send_packet(decoder, packet) == 0)
            shown = avcodec_receive_frame(decoder, picture) == 0;
        av_packet_unref(packet);
    }
    const double spent = seconds_now() - start;
    av_frame_free(&picture);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&session);
    return shown ? spent : -1;
}

// The sizes of the video-signal question as the web service asks it: the
// request as the simulator received it, the answer as the service read it.
struct Exchange_Sizes {
    unsigned request = 0;
    unsigned answer = 0;
};

Exchange_Sizes video_signal_sizes(const Dvr_Sim& sim)
{
    Web_Service service(sim.endpoint().c_str());
    bool signal = false;
    Exchange_Sizes sizes;
    if (service.videosignal(1, signal) != 0 || sim.requests().empty())
        return sizes;
    sizes.request = static_cast<unsigned>(sim.requests().back().bytes.size());
    sizes.answer = static_cast<unsigned>(service.soap->count);
    return sizes;
}

// dvr-sim's bare exchange: two big-endian sizes (what follows, what to
// answer), the request's remaining bytes, then the answer read whole.
double bare_service_exchange(const std::string& address, const Exchange_Sizes& sizes)
{
    const unsigned body = sizes.request > 8 ? sizes.request - 8 : 0;
    std::vector<char> request(8 + body, 'r');
    for (int i = 0; i < 4; ++i) {
        request[i] = static_cast<char>(body >> (24 - 8 * i));
        request[4 + i] = static_cast<char>(sizes.answer >> (24 - 8 * i));
    }
    std::vector<char> answer(sizes.answer);
    const double start = seconds_now();
    SOCKET s = connected_socket(address, 8002);
    const bool ok = s != INVALID_SOCKET &&
                    send(s, request.data(), static_cast<int>(request.size()), 0) == static_cast<int>(request.size()) &&
                    receive_exactly(s, answer.data(), static_cast<int>(answer.size()));
    if (s != INVALID_SOCKET)
        closesocket(s);
    return ok ? seconds_now() - start : -1;
}

// The middle value: a machine shared with other work throws single
// rounds far off, and the rounds of the three series are interleaved.
double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measure_first_frame(const Dvr_Sim& sim)
{
    const Exchange_Sizes sizes = video_signal_sizes(sim);
    HWND window = make_window(0, 120, 160, 120);
    std::vector<double> channels, streams, services, starts, calls;
    for (int i = 0; i < first_frame_rounds; ++i) {
        channels.push_back(channel_first_frame(sim.address()));
        streams.push_back(bare_first_frame(sim.address()));
        services.push_back(bare_service_exchange(sim.address(), sizes));
        starts.push_back(library_start(sim.address(), window));
        calls.push_back(first_service_call(sim));
    }
    DestroyWindow(window);
    const double channel = median(channels), stream = median(streams), service = median(services);
    printf("open to first painted frame (median of %d): channel %.1f ms; bare decoder %.1f ms + service "
           "exchange %.1f ms (%u B, %u B); ratio %.2f\n",
           first_frame_rounds,
           channel * 1e3, stream * 1e3, service * 1e3, sizes.request, sizes.answer, channel / (stream + service));
    printf("   its parts: the library's start to a running stream %.1f ms; a new proxy's first video-signal call "
           "%.1f ms\n",
           median(starts) * 1e3, median(calls) * 1e3);
}

void measure_sixteen(const Dvr_Sim& sim)
{
    std::vector<HWND> windows;
    std::vector<std::unique_ptr<Channel>> channels;
    for (int i = 0; i < streams; ++i) {
        windows.push_back(make_window(160 * (i % 4), 120 * (i / 4), 160, 120));
        Channel_Param param;
        param.channel_index = i + 1;  // channels count from 1
        param.server_ip = std::wstring(sim.address().begin(), sim.address().end());
        param.display_window = windows.back();
        channels.emplace_back(new Channel(new Hik_Channel_Impl(param, windows.back())));
        if (channels.back()->open_channel() != 0)
            printf("channel %d did not open\n", i);
    }
    pump_messages_for(1.0);
    DWORD received0, painted0;
    HIK_ClientLibraryStats(&received0, &painted0);
    const double cpu0 = process_cpu_seconds(), wall0 = seconds_now();
    const unsigned sent0 = std::stoul(sim.command("stream").substr(sim.command("stream").find("frames-sent=") + 12));
    pump_messages_for(streaming_seconds);
    const std::string after = sim.command("stream");
    const unsigned sent1 = std::stoul(after.substr(after.find("frames-sent=") + 12));
    DWORD received1, painted1;
    HIK_ClientLibraryStats(&received1, &painted1);
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
    measure_first_frame(sim);
    measure_sixteen(sim);
    WSACleanup();
    return 0;
}
