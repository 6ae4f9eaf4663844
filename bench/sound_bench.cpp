// The library's sound, measured against dvr-sim:
//  1. CPU: one 352x288 stream's thread over 10 s with video alone, then
//     with an audio track received but not played, then played, and the
//     library's playing thread meanwhile: what the sound adds against what
//     the video costs, for G.711 and AAC;
//  2. delay: the tone of the stream that sounds is changed at the server,
//     and the time until the new tone reaches the sound output (a file
//     written by Wine's ALSA output, KELM_SOUND_CAPTURE, as scripts/bench
//     sets it up), over ten changes.
// The file's device takes samples as soon as they are written, so the
// delay is the one up to the device: a real device adds its own buffer.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "dvr_sim.h"
#include "hikclient_test.h"
#include "running_stream.h"

namespace {

const double cpu_seconds = 10.0;
const int tone_changes = 10;
const int low_tone = 700, high_tone = 1400;
const int capture_rate = 48000;
// Zero crossings are counted over this many sounding samples (10 ms).
const size_t window_samples = capture_rate / 100;

HWND make_window()
{
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"kelm_sound_bench";
    (void)RegisterClassW(&window_class);  // a class already registered serves as well
    return CreateWindowExW(0, L"kelm_sound_bench", L"", WS_POPUP | WS_VISIBLE, 0, 0, 356, 292, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

double stream_cpu_seconds(LONG handle)
{
    DWORD ms = 0;
    (void)HIK_ClientStreamCpu(handle, &ms);  // an unknown handle reads 0
    return ms / 1000.0;
}

double player_cpu_seconds()
{
    DWORD ms = 0;
    (void)HIK_ClientSoundStats(nullptr, nullptr, &ms, nullptr);  // always answers
    return ms / 1000.0;
}

// CPU seconds a second of the stream's thread over the run.
double stream_load(LONG handle)
{
    const double before = stream_cpu_seconds(handle);
    Sleep(static_cast<DWORD>(cpu_seconds * 1000));
    return (stream_cpu_seconds(handle) - before) / cpu_seconds;
}

// The stream's thread with a session of video alone, for the cost of
// receiving an audio track that is not played.
double video_alone(Dvr_Sim& sim, BYTE channel, HWND window)
{
    if (!sim.ok("stream audio none"))
        return 0;
    const LONG handle = start_running_stream(sim.address(), channel, window);
    const double load = stream_load(handle);
    (void)MP4_ClientStop(handle);
    return load;
}

void measure_cpu(Dvr_Sim& sim, const char* codec, BYTE channel, HWND window, double alone)
{
    if (!sim.ok(std::string("stream audio ") + codec)) {
        std::printf("cpu %s: dvr-sim refused the codec\n", codec);
        return;
    }
    const LONG handle = start_running_stream(sim.address(), channel, window);
    const double silent = stream_load(handle);
    if (!MP4_ClientAudioStart(handle)) {
        std::printf("cpu %s: the sound did not start\n", codec);
        (void)MP4_ClientStop(handle);
        return;
    }
    const double player_before = player_cpu_seconds();
    const double heard = stream_load(handle);
    const double player = (player_cpu_seconds() - player_before) / cpu_seconds;
    (void)MP4_ClientAudioStop();
    (void)MP4_ClientStop(handle);
    const double decode = std::max(0.0, heard - silent);
    std::printf("cpu %-4s: video alone %.1f ms/s; receiving the audio track %+.1f; decoding the sound %.1f and "
                "playing it %.1f: sound/video %.2f\n",
                codec, alone * 1000, (silent - alone) * 1000, decode * 1000, player * 1000,
                alone > 0 ? (decode + player) / alone : 0.0);
}

// The output's file: how many samples it holds, and its new samples.
class Capture {
public:
    explicit Capture(const std::string& unix_path) : path("Z:" + unix_path) {}

    // Appends what was added since the last read.
    void read_new(std::vector<short>& into)
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        LARGE_INTEGER at;
        at.QuadPart = offset;
        short buffer[8192];
        DWORD got = 0;
        if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
            while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got >= sizeof(short)) {
                const DWORD whole = got / sizeof(short);
                into.insert(into.end(), buffer, buffer + whole);
                offset += whole * sizeof(short);
            }
        }
        (void)CloseHandle(file);  // read only
    }
    void skip_to_end()
    {
        std::vector<short> ignored;
        read_new(ignored);
    }

private:
    std::string path;
    long long offset = 0;
};

// The tone of the latest 10 ms that sounded (Wine's gaps of exact zeros
// left out), from its zero crossings; 0 before that much has sounded.
int latest_tone(const std::vector<short>& samples)
{
    std::vector<short> sounding;
    for (auto it = samples.rbegin(); it != samples.rend() && sounding.size() < window_samples; ++it) {
        if (*it != 0)
            sounding.push_back(*it);
    }
    if (sounding.size() < window_samples)
        return 0;
    int crossings = 0;
    for (size_t i = 1; i < sounding.size(); ++i)
        crossings += (sounding[i - 1] < 0) != (sounding[i] < 0);
    return crossings * capture_rate / static_cast<int>(2 * window_samples);
}

// Waits up to 3 s for the tone near `hz`; its arrival time, or -1.
double tone_arrival(Capture& capture, std::vector<short>& samples, int hz)
{
    const double give_up = seconds_now() + 3;
    while (seconds_now() < give_up) {
        capture.read_new(samples);
        const int tone = latest_tone(samples);
        if (tone > hz * 9 / 10 && tone < hz * 11 / 10)
            return seconds_now();
        Sleep(2);
    }
    return -1;
}

void measure_delay(Dvr_Sim& sim, HWND window)
{
    const char* capture_path = std::getenv("KELM_SOUND_CAPTURE");
    if (!capture_path) {
        std::printf("delay: KELM_SOUND_CAPTURE not set (scripts/bench sets it)\n");
        return;
    }
    if (!sim.ok("stream audio pcmu") || !sim.ok("set-channel 4 tone " + std::to_string(low_tone))) {
        std::printf("delay: dvr-sim refused the setting\n");
        return;
    }
    const LONG handle = start_running_stream(sim.address(), 4, window);
    Capture capture(capture_path);
    capture.skip_to_end();
    std::vector<short> samples;
    std::vector<double> delays;
    if (MP4_ClientAudioStart(handle) && tone_arrival(capture, samples, low_tone) > 0) {
        for (int i = 0; i < tone_changes; ++i) {
            const int hz = i % 2 == 0 ? high_tone : low_tone;
            Sleep(300);
            const double asked = seconds_now();
            if (!sim.ok("set-channel 4 tone " + std::to_string(hz)))
                break;
            const double heard = tone_arrival(capture, samples, hz);
            if (heard < 0)
                break;
            delays.push_back((heard - asked) * 1000);
            samples.erase(samples.begin(), samples.end() - std::min<size_t>(samples.size(), window_samples));
        }
    }
    (void)MP4_ClientAudioStop();
    (void)MP4_ClientStop(handle);
    if (delays.empty()) {
        std::printf("delay: the tone never reached the output\n");
        return;
    }
    std::sort(delays.begin(), delays.end());
    std::printf("delay, tone changed at the server to heard at the output: median %.0f ms, worst %.0f ms over %zu "
                "changes (target <= 200 ms)\n",
                delays[delays.size() / 2], delays.back(), delays.size());
}

} // namespace

int main()
{
    Dvr_Sim sim(Dvr_Sim::number_for("sound_bench"));
    if (!sim.running() || !sim.ok("stream width 352") || !sim.ok("stream height 288") || !sim.ok("stream fps 25")) {
        std::printf("dvr-sim did not start\n");
        return 1;
    }
    HWND window = make_window();
    if (!MP4_ClientStartup(3000, window)) {
        std::printf("the library did not start\n");
        return 1;
    }
    MP4_ClientSetNetPort(12000, 6050);
    const double alone = video_alone(sim, 1, window);
    measure_cpu(sim, "pcmu", 2, window, alone);
    measure_cpu(sim, "aac", 3, window, alone);
    measure_delay(sim, window);
    (void)MP4_ClientCleanup();  // the last: every stream and the sound end
    DestroyWindow(window);
    return 0;
}
