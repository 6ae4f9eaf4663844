// Real video, measured against dvr-sim's H.264 streams and a bare FFmpeg
// decoder of the same RTSP URL (libavformat and libavcodec, the same DLLs,
// no scaling, no painting):
//  1. CPU per picture, thread against thread: the library's stream
//     (receive, decode, scale, paint) against the bare decoder (receive,
//     decode), at 352x288 and 704x576;
//  2. open to the first painted picture against the bare decoder's open to
//     its first decoded picture;
//  3. walls: sixteen panes of 704x576 in one control, and four controls of
//     sixteen panes of 352x288: pictures painted or skipped, the host
//     thread's longest block (a second thread timing WM_NULL), capture to
//     paint latency, the client's and the simulator's CPU, memory a stream
//     (the simulator sends a second encoded once, over and over);
//  4. overload: four controls of sixteen 704x576 streams: how old pictures
//     get, the host's longest block, and how long closing them all takes;
//  5. four 1920x1080 panes on this machine: each pane's pictures a second
//     against the best one's, panes lost, the oldest picture painted and
//     the host's longest block.
// The CPU and first-picture figures are taken for the forms cameras send
// too: H.264 high with B-frames, and parameter sets in the stream only.
// KELM_BENCH_MINUTES (default 1) sets how long the memory is watched;
// KELM_VIDEO_BENCH_PARTS (default all: "cpu first walls overload fullhd memory")
// picks the measurements to take.
#include <winsock2.h>
#include <windows.h>
#include <oleauto.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "dvr_sim.h"
#include "hikclient_test.h"
#include "kelm_ctrl.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

const double cpu_seconds = 20.0;  // 500 pictures: thread times come in 10 ms steps
const int first_picture_rounds = 15;
const double wall_seconds = 10.0;
const double full_hd_seconds = 8.0;

struct Size {
    int width, height;
};

// How dvr-sim encodes the streams built from now on.
struct Form {
    const char* name;
    const char* codec;
    const char* profile;
    int b_frames;
    const char* parameter_sets;
};
const Form baseline_form = {"baseline", "h264", "baseline", 0, "both"};
const Form high_with_b_frames = {"high with B-frames", "h264", "high", 2, "both"};
const Form in_band_only = {"parameter sets in band only", "h264", "baseline", 0, "in-band"};
const Form hevc_with_b_frames = {"H.265 with B-frames", "h265", "main", 2, "both"};
const Form mjpeg_form = {"JPEG", "mjpeg", "baseline", 0, "both"};

// B-frames go first: a baseline profile refuses them.
void set_form(const Dvr_Sim& sim, const Form& form)
{
    sim.ok("stream b-frames 0");
    sim.ok(std::string("stream codec ") + form.codec);
    sim.ok(std::string("stream profile ") + form.profile);
    sim.ok("stream b-frames " + std::to_string(form.b_frames));
    sim.ok(std::string("stream parameter-sets ") + form.parameter_sets);
}

std::string stream_url(const Dvr_Sim& sim, int channel)
{
    return "rtsp://:@" + sim.address() + ":12000/live/" + std::to_string(channel);
}

double sim_cpu_seconds(const Dvr_Sim& sim)
{
    const std::string reply = sim.command("cpu");
    const size_t at = reply.find("cpu-seconds=");
    return at == std::string::npos ? 0.0 : atof(reply.c_str() + at + 12);
}

// The bare reference: opens `url`, decodes every picture for `seconds`
// (or up to the first with `first_only`); the pictures decoded, the
// thread's CPU and the time to the first picture.
struct Bare_Run {
    int pictures = 0;
    double cpu = 0;
    double first_picture = -1;
};

Bare_Run bare_decode(const std::string& url, double seconds, bool first_only)
{
    Bare_Run run;
    const double start = seconds_now(), cpu_start = thread_cpu_seconds();
    AVFormatContext* session = nullptr;
    AVDictionary* options = nullptr;
    (void)av_dict_set(&options, "rtsp_transport", "tcp", 0);  // as the library does
    const bool opened = avformat_open_input(&session, url.c_str(), nullptr, &options) == 0;
    av_dict_free(&options);
    if (!opened)
        return run;
    const AVStream* video = session->streams[0];
    const AVCodec* codec = avcodec_find_decoder(video->codecpar->codec_id);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    AVPacket* packet = av_packet_alloc();
    AVFrame* picture = av_frame_alloc();
    decoder->thread_count = 1;
    bool going = avcodec_parameters_to_context(decoder, video->codecpar) >= 0 &&
                 avcodec_open2(decoder, codec, nullptr) == 0;
    while (going && seconds_now() - start < seconds && av_read_frame(session, packet) >= 0) {
        if (avcodec_send_packet(decoder, packet) == 0) {
            while (avcodec_receive_frame(decoder, picture) == 0) {
                if (run.pictures++ == 0)
                    run.first_picture = seconds_now() - start;
                going = !first_only;
            }
        }
        av_packet_unref(packet);
    }
    run.cpu = thread_cpu_seconds() - cpu_start;
    av_frame_free(&picture);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&session);
    return run;
}

HWND make_window(int width, int height)
{
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                           nullptr, nullptr);
}

LONG start_stream(const Dvr_Sim& sim, int channel, HWND window)
{
    std::string address = sim.address();
    char user[1] = "", password[1] = "";
    Client_Info info = {};
    info.channel = static_cast<BYTE>(channel);
    info.link_mode = 1;
    info.server_ip = &address[0];
    info.user_name = user;
    info.password = password;
    info.display_window = window;
    return MP4_ClientStart(&info, nullptr);
}

DWORD painted(LONG handle)
{
    DWORD count = 0;
    (void)HIK_ClientStreamStats(handle, nullptr, &count);
    return count;
}

// The CPU of the stream's own thread: what receiving, decoding, scaling
// and painting cost it, as the bare decoder's thread is measured.
DWORD stream_cpu_ms(LONG handle)
{
    DWORD spent = 0;
    (void)HIK_ClientStreamCpu(handle, &spent);
    return spent;
}

// Streams built from now on: 25 pictures a second of `size`, drawn and
// encoded live, or a second of them encoded once and sent over and over,
// so that a simulator serving many large streams leaves this machine's
// two cores to the client.
void configure(const Dvr_Sim& sim, Size size, bool looped = false)
{
    sim.ok(looped ? "stream loop 1" : "stream loop 0");
    sim.ok("stream fps 25");
    sim.ok("stream width " + std::to_string(size.width));
    sim.ok("stream height " + std::to_string(size.height));
}

// On a channel of its own, whose stream is built in the form set now.
void measure_cpu_per_picture(const Dvr_Sim& sim, Size size, const Form& form, int channel)
{
    set_form(sim, form);
    configure(sim, size);
    HWND window = make_window(size.width + 4, size.height + 4);  // the picture's own size inside the frame margin
    const LONG handle = start_stream(sim, channel, window);
    pump_messages_for(1.0);
    const DWORD painted0 = painted(handle), cpu0 = stream_cpu_ms(handle);
    pump_messages_for(cpu_seconds);
    const double library_cpu = (stream_cpu_ms(handle) - cpu0) / 1000.0;
    const DWORD library_pictures = painted(handle) - painted0;
    MP4_ClientStop(handle);
    DestroyWindow(window);
    const Bare_Run bare = bare_decode(stream_url(sim, channel), cpu_seconds, false);
    const double library_each = library_cpu / std::max<DWORD>(1, library_pictures);
    const double bare_each = bare.cpu / std::max(1, bare.pictures);
    printf("CPU a picture at %dx%d, %s: library (decode, scale, paint) %.2f ms over %lu pictures; bare decoder "
           "%.2f ms over %d; ratio %.2f\n",
           size.width, size.height, form.name, library_each * 1e3, static_cast<unsigned long>(library_pictures),
           bare_each * 1e3, bare.pictures, library_each / bare_each);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measure_first_picture(const Dvr_Sim& sim, const Form& form, int first_channel)
{
    set_form(sim, form);
    configure(sim, {352, 288});
    HWND window = make_window(356, 292);
    std::vector<double> library, bare;
    for (int round = 0; round < first_picture_rounds; ++round) {
        // A channel nobody watches: its media starts afresh, as for the bare
        // one, and in the form set now.
        const int channel = first_channel + round;
        const double start = seconds_now();
        const LONG handle = start_stream(sim, channel, window);
        while (painted(handle) == 0 && seconds_now() - start < 5)
            pump_messages_for(0.002);
        library.push_back(seconds_now() - start);
        MP4_ClientStop(handle);
        pump_messages_for(0.2);
        bare.push_back(bare_decode(stream_url(sim, channel), 5, true).first_picture);
        pump_messages_for(0.2);
    }
    DestroyWindow(window);
    printf("open to first picture, %s (median of %d): library, painted %.1f ms; bare decoder, decoded %.1f ms; "
           "ratio %.2f\n",
           form.name, first_picture_rounds, median(library) * 1e3, median(bare) * 1e3,
           median(library) / median(bare));
}

// Times WM_NULL sent to the host's window from a second thread: how long
// the host's thread is held up at its longest.
class Block_Watch {
public:
    explicit Block_Watch(HWND window) : window(window)
    {
        thread = CreateThread(nullptr, 0, &Block_Watch::run, this, 0, nullptr);
    }
    // The watch may be waiting for its WM_NULL: the host's messages are
    // served until it has ended, or the wait would itself block the host.
    ~Block_Watch()
    {
        done.store(true);
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, 15000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
            pump_waiting_messages();
        CloseHandle(thread);
    }
    double longest_ms() const { return longest.load() / 1000.0; }

private:
    static DWORD WINAPI run(void* self)
    {
        Block_Watch* watch = static_cast<Block_Watch*>(self);
        while (!watch->done.load()) {
            const double start = seconds_now();
            DWORD_PTR result;
            SendMessageTimeoutW(watch->window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
            const long spent = static_cast<long>((seconds_now() - start) * 1e6);
            if (spent > watch->longest.load())
                watch->longest.store(spent);
            Sleep(10);
        }
        return 0;
    }

    HWND window;
    HANDLE thread;
    std::atomic<bool> done{false};
    std::atomic<long> longest{0};
};

struct Wall {
    HWND host = nullptr;
    std::vector<std::unique_ptr<kelm_ctrl>> controls;
};

HWND make_host(int controls)
{
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"kelm_video_bench";
    RegisterClassW(&window_class);
    return CreateWindowExW(0, L"kelm_video_bench", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                           645 * std::min(controls, 2) + 20, 485 * ((controls + 1) / 2) + 40, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void open_wall(Wall& wall, const Dvr_Sim& sim, int controls)
{
    wall.host = make_host(controls);
    BSTR address = SysAllocString(std::wstring(sim.address().begin(), sim.address().end()).c_str());
    for (int c = 0; c < controls; ++c) {
        wall.controls.emplace_back(new kelm_ctrl);
        HWND view = wall.controls.back()->create_window(wall.host);
        MoveWindow(view, 645 * (c % 2), 485 * (c / 2), 645, 485, TRUE);
        wall.controls.back()->put_ScreenMode(16);
        for (int pane = 0; pane < 16; ++pane) {
            wall.controls.back()->active_nth_screen(static_cast<SHORT>(pane));
            if (wall.controls.back()->open_channel(address, pane + 1) == S_FALSE)
                printf("control %d pane %d did not open\n", c, pane);
        }
    }
    SysFreeString(address);
}

// Closes every control; the seconds it took.
double close_wall(Wall& wall)
{
    const double start = seconds_now();
    for (auto& control : wall.controls) {
        for (int pane = 0; pane < 16; ++pane) {
            control->active_nth_screen(static_cast<SHORT>(pane));
            control->close_channel(0);
        }
    }
    const double spent = seconds_now() - start;
    for (auto& control : wall.controls)
        control->destroy_window();
    wall.controls.clear();
    DestroyWindow(wall.host);
    return spent;
}

// The process's resident memory: Wine gives no private usage without swap.
double resident_megabytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0.0;
    return counters.WorkingSetSize / 1048576.0;
}

// Latency over every stream of the library: the median of the streams'
// medians and the worst of their 99th percentiles.
void print_latency(const char* label, LONG first_handle, LONG last_handle)
{
    std::vector<double> medians;
    LONG worst = 0;
    for (LONG handle = first_handle; handle <= last_handle; ++handle) {
        LONG median_ms = 0, p99_ms = 0;
        if (HIK_ClientStreamLatency(handle, &median_ms, &p99_ms)) {
            medians.push_back(median_ms);
            worst = std::max(worst, p99_ms);
        }
    }
    if (medians.empty())
        printf("%s: latency unknown (no sender report yet)\n", label);
    else
        printf("%s: capture to painted, median %.0f ms, 99th percentile %ld ms (%u streams)\n", label,
               median(medians), static_cast<long>(worst), static_cast<unsigned>(medians.size()));
}

// The handles a wall's streams got: the library numbers them in order.
LONG next_handle_after(const Dvr_Sim& sim)
{
    HWND probe = make_window(8, 8);
    const LONG handle = start_stream(sim, 1, probe);
    MP4_ClientStop(handle);
    DestroyWindow(probe);
    return handle + 1;
}

// Waits until every stream of the wall has had its first sender report
// (at most 20 s), then 3 s more: what a stream received while sixty-four
// were opening comes in a rush at first and would count as pictures of
// the measurement.
void settle(LONG first_handle, LONG last_handle)
{
    pump_messages_for(3.0);
    const double start = seconds_now();
    for (LONG handle = first_handle; handle <= last_handle && seconds_now() - start < 20; ++handle) {
        LONG median_ms, p99_ms;
        while (!HIK_ClientStreamLatency(handle, &median_ms, &p99_ms) && seconds_now() - start < 20)
            pump_messages_for(0.1);
    }
    pump_messages_for(3.0);
}

void measure_wall(const Dvr_Sim& sim, const char* label, int controls, Size size, bool overload)
{
    configure(sim, size, true);
    const double memory0 = resident_megabytes();
    const LONG first = next_handle_after(sim);
    Wall wall;
    open_wall(wall, sim, controls);
    const LONG last = first + controls * 16 - 1;
    settle(first, last);
    DWORD received0, painted0;
    HIK_ClientLibraryStats(&received0, &painted0);
    const double cpu0 = process_cpu_seconds(), sim0 = sim_cpu_seconds(sim), wall0 = seconds_now();
    double longest_block;
    {
        Block_Watch watch(wall.host);
        pump_messages_for(wall_seconds);
        longest_block = watch.longest_ms();
    }
    DWORD received1, painted1;
    HIK_ClientLibraryStats(&received1, &painted1);
    const double seconds = seconds_now() - wall0;
    const double client = (process_cpu_seconds() - cpu0) / seconds, server = (sim_cpu_seconds(sim) - sim0) / seconds;
    // A picture counted as received before the start and painted after it
    // can make the painted outnumber the received.
    const unsigned received = received1 - received0, shown = painted1 - painted0;
    const unsigned skipped = received > shown ? received - shown : 0;
    printf("%s: %u pictures received, %u painted, %u skipped (%.1f %%); host thread blocked at most %.0f ms; "
           "CPU: client %.0f %%, dvr-sim %.0f %% of one core\n",
           label, received, shown, skipped, 100.0 * skipped / std::max(1u, received),
           longest_block, client * 100, server * 100);
    print_latency(label, first, last);
    printf("%s: memory %.1f MB a stream\n", label, (resident_megabytes() - memory0) / (controls * 16));
    const double closing = close_wall(wall);
    if (overload)
        printf("%s: closing all %d streams took %.0f ms\n", label, controls * 16, closing * 1e3);
}

// Sixteen 704x576 streams watched for KELM_BENCH_MINUTES: the process's
// resident memory sampled every 30 s, so that growth shows.  The memory a
// stream takes comes from the walls; here earlier parts' freed heap is
// reused, so only the change over the minutes says anything.
void watch_memory(const Dvr_Sim& sim)
{
    const char* minutes_text = std::getenv("KELM_BENCH_MINUTES");
    const double minutes = minutes_text ? atof(minutes_text) : 1.0;
    configure(sim, {704, 576}, true);
    Wall wall;
    open_wall(wall, sim, 1);
    pump_messages_for(5.0);
    const double start = resident_megabytes();
    double highest = start;
    for (double waited = 0; waited < minutes * 60; waited += 30) {
        pump_messages_for(30.0);
        highest = std::max(highest, resident_megabytes());
    }
    const double end = resident_megabytes();
    printf("memory, sixteen 704x576 streams over %.0f min: resident %.1f MB after 5 s, %.1f MB at the end "
           "(%+.1f MB), highest %.1f MB\n",
           minutes, start, end, end - start, highest);
    close_wall(wall);
}

// Four panes of 1920x1080 at 25 a second, more than two cores decode:
// every pane must go on painting its share, none be called lost, and no
// picture painted be old.
void measure_full_hd(const Dvr_Sim& sim)
{
    set_form(sim, baseline_form);
    configure(sim, {1920, 1080}, true);
    const int panes = 4;
    std::vector<HWND> windows;
    std::vector<LONG> handles;
    for (int pane = 0; pane < panes; ++pane) {
        windows.push_back(make_window(644, 364));
        handles.push_back(start_stream(sim, 40 + pane, windows.back()));
    }
    pump_messages_for(3.0);
    std::vector<DWORD> before;
    for (LONG handle : handles)
        before.push_back(painted(handle));
    double blocked;
    {
        Block_Watch watch(windows[0]);
        pump_messages_for(full_hd_seconds);
        blocked = watch.longest_ms();
    }
    std::vector<double> rates;
    int lost = 0;
    LONG oldest = 0;
    for (size_t pane = 0; pane < handles.size(); ++pane) {
        rates.push_back((painted(handles[pane]) - before[pane]) / full_hd_seconds);
        lost += MP4_ClientGetState(handles[pane]) == HIK_STATE_RUNNING ? 0 : 1;
        LONG median_ms = 0, p99_ms = 0;
        if (HIK_ClientStreamLatency(handles[pane], &median_ms, &p99_ms))
            oldest = std::max(oldest, p99_ms);
    }
    const double best = *std::max_element(rates.begin(), rates.end());
    const double least = *std::min_element(rates.begin(), rates.end());
    printf("four 1920x1080 panes: painted a second %.1f, %.1f, %.1f, %.1f; least against best %.2f; %d lost; "
           "capture to painted at most %ld ms (99th percentile); host thread blocked at most %.0f ms\n",
           rates[0], rates[1], rates[2], rates[3], best > 0 ? least / best : 0.0, lost, static_cast<long>(oldest),
           blocked);
    for (size_t pane = 0; pane < handles.size(); ++pane) {
        MP4_ClientStop(handles[pane]);
        DestroyWindow(windows[pane]);
    }
    configure(sim, {352, 288});
}

bool wanted(const char* part)
{
    const char* parts = std::getenv("KELM_VIDEO_BENCH_PARTS");
    return !parts || std::strstr(parts, part);
}

} // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);  // each figure shows as it is taken, also through a pipe
    Dvr_Sim sim(Dvr_Sim::number_for("bench.video"));
    if (!sim.running()) {
        fprintf(stderr, "dvr-sim did not start (KELM_DVR_SIM)\n");
        return 1;
    }
    // Every measurement of a new form takes channels of its own.
    sim.ok("set-server channel-cnt 48");
    HWND library_window = make_window(8, 8);
    MP4_ClientStartup(3000, library_window);
    MP4_ClientSetNetPort(12000, 0);
    if (wanted("cpu")) {
        measure_cpu_per_picture(sim, {352, 288}, baseline_form, 1);
        measure_cpu_per_picture(sim, {704, 576}, baseline_form, 2);
        measure_cpu_per_picture(sim, {704, 576}, high_with_b_frames, 3);
        measure_cpu_per_picture(sim, {704, 576}, hevc_with_b_frames, 4);
        measure_cpu_per_picture(sim, {704, 576}, mjpeg_form, 5);
        measure_cpu_per_picture(sim, {1920, 1080}, baseline_form, 6);
        set_form(sim, baseline_form);
    }
    if (wanted("first")) {
        measure_first_picture(sim, baseline_form, 1);
        measure_first_picture(sim, in_band_only, 1 + first_picture_rounds);
        set_form(sim, baseline_form);
    }
    if (wanted("walls")) {
        measure_wall(sim, "sixteen 704x576 panes, one control", 1, {704, 576}, false);
        measure_wall(sim, "four controls of sixteen 352x288 panes", 4, {352, 288}, false);
    }
    if (wanted("overload"))
        measure_wall(sim, "overload, four controls of sixteen 704x576 panes", 4, {704, 576}, true);
    if (wanted("fullhd"))
        measure_full_hd(sim);
    if (wanted("memory"))
        watch_memory(sim);
    MP4_ClientCleanup();
    DestroyWindow(library_window);
    return 0;
}
