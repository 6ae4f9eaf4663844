// The library's sound as a listener hears it.  Wine's ALSA output goes to
// a file here (ALSA_CONFIG_PATH, set up by this test's CMake: 16-bit mono
// at 48 kHz, appended), and what each step added to it is measured with
// sox: the tone of the stream that sounds (dvr-sim sends 500 Hz + 100 Hz x
// channel), its level, and silence after a stop or a loss.  Recordings of
// streams with sound are read back with ffprobe.
//
// The file's device takes samples faster than they play, so Wine fills the
// time between two blocks with a period of silence; sox leaves those gaps
// out before it measures, which gives back the tone as it was sent.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dvr_sim.h"
#include "hikclient_test.h"
#include "rtsp_launch.h"
#include "running_stream.h"
#include "test_window.h"
#include "unix_command.h"

namespace {

const int capture_rate = 48000;
const int capture_sample_bytes = 2;
// The start of a step's sound that is not measured: the switch itself.
const DWORD settle_ms = 400;

std::string test_name()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

struct Heard {
    double frequency = 0;  // Hz, from sox's zero crossings
    double level = 0;      // RMS, 1 is full scale
    double peak = 0;       // the largest sample, 1 is full scale
    long samples = 0;      // that sounded, gaps of silence left out
};

class Sound_Test : public ::testing::Test {
protected:
    Sound_Test() : sim(Dvr_Sim::number_for(test_name()))
    {
        EXPECT_TRUE(sim.running());
        window = make_test_window(WS_POPUP | WS_VISIBLE, 0, 0, 164, 124);
        EXPECT_TRUE(MP4_ClientStartup(3000, window));
        MP4_ClientSetNetPort(12000, 6050);
        const char* capture = getenv("KELM_SOUND_CAPTURE");
        capture_file = capture ? capture : "";
    }
    ~Sound_Test() override
    {
        while (MP4_ClientCleanup()) {
        }
        DestroyWindow(window);
    }

    LONG start(const std::string& server, BYTE channel) { return start_running_stream(server, channel, window); }
    // A dvr-sim channel whose stream carries `codec` ("pcmu", "pcma", "aac").
    LONG start_with_sound(const char* codec, BYTE channel)
    {
        EXPECT_TRUE(sim.ok(std::string("stream audio ") + codec));
        return start(sim.address(), channel);
    }

    long captured_samples() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(("Z:" + capture_file).c_str(), GetFileExInfoStandard, &data))
            return 0;
        return static_cast<long>(data.nFileSizeLow / capture_sample_bytes);
    }

    // What the output played over the next `ms`, leaving out its first
    // moments.
    Heard listen(DWORD ms)
    {
        Sleep(settle_ms);
        const long from = captured_samples();
        Sleep(ms);
        return measure(from, captured_samples());
    }

    Heard measure(long from, long to) const
    {
        Heard heard;
        if (to - from < capture_rate / 10)
            return heard;  // next to nothing played: silence
        // The gaps out, then what the edges of the gaps left above the
        // tones away (a filter flat up to 1.5 kHz).
        char effects[160];
        std::snprintf(effects, sizeof effects,
                      " trim %lds =%lds silence 1 0.001 0.05%% -1 0.002 0.05%% sinc -1500 stat", from, to);
        std::string output;
        EXPECT_TRUE(run_unix_command("sox -t raw -r 48000 -e signed -b 16 -c 1 '" + capture_file + "' -n" + effects,
                                     20000, &output));
        heard.samples = static_cast<long>(value_after(output, "Samples read:"));
        if (heard.samples < capture_rate / 20)
            return heard;  // what played was silence
        heard.level = value_after(output, "RMS     amplitude:");
        heard.peak = value_after(output, "Maximum amplitude:");
        heard.frequency = value_after(output, "Rough   frequency:");
        return heard;
    }

    static double value_after(const std::string& text, const char* label)
    {
        const size_t at = text.find(label);
        return at == std::string::npos ? -1 : std::atof(text.c_str() + at + std::strlen(label));
    }

    BOOL device_open() const
    {
        BOOL open = TRUE;
        EXPECT_TRUE(HIK_ClientSoundStats(nullptr, nullptr, nullptr, &open));
        return open;
    }

    Dvr_Sim sim;
    HWND window = nullptr;
    std::string capture_file;
};

// Within a twentieth of the tone: sox's count of zero crossings.
#define EXPECT_TONE(heard, hz)                                                  \
    EXPECT_NEAR((heard).frequency, (hz), (hz) / 20.0) << "samples " << (heard).samples

TEST_F(Sound_Test, TheStreamStartedIsHeardAtItsVolumeUntilStoppedLostOrCleanedUp)
{
    ASSERT_FALSE(capture_file.empty()) << "KELM_SOUND_CAPTURE names the output's file";
    const LONG mulaw = start_with_sound("pcmu", 2);
    const LONG aac = start_with_sound("aac", 3);
    const LONG alaw = start_with_sound("pcma", 4);

    ASSERT_TRUE(MP4_ClientAudioStart(mulaw));
    const Heard first = listen(1000);
    EXPECT_TONE(first, 700);
    EXPECT_GT(first.level, 0.2) << "dvr-sim's tone is at half of full scale";
    ASSERT_TRUE(MP4_ClientAudioStart(aac)) << "another stream takes the sound over";
    EXPECT_TONE(listen(1000), 800);
    ASSERT_TRUE(MP4_ClientAudioStart(alaw));
    const Heard full = listen(1000);
    EXPECT_TONE(full, 900);

    ASSERT_TRUE(MP4_ClientAudioVolume(0x8000));
    const Heard halved = listen(1000);
    EXPECT_TONE(halved, 900);
    // The peaks, of one stream: the level over a second also counts the
    // edges of the gaps, whose number varies from one second to the next.
    EXPECT_NEAR(halved.peak / full.peak, 0.5, 0.03) << "the volume is linear";
    ASSERT_TRUE(MP4_ClientAudioVolume(0xFFFF));

    ASSERT_TRUE(MP4_ClientAudioStop());
    EXPECT_EQ(listen(800).samples, 0) << "a stop silences the output";
    EXPECT_FALSE(MP4_ClientAudioStop()) << "nothing sounds";

    // A lost stream goes silent, and its idle device is closed.
    ASSERT_TRUE(MP4_ClientAudioStart(mulaw));
    EXPECT_TONE(listen(600), 700);
    ASSERT_TRUE(sim.ok("set-channel 2 stall 1"));
    EXPECT_EQ(listen(1500).samples, 0) << "a stalled stream's sound does not loop";
    EXPECT_FALSE(device_open());

    ASSERT_TRUE(MP4_ClientAudioStart(aac));
    EXPECT_TONE(listen(600), 800);
    while (MP4_ClientCleanup()) {
    }
    EXPECT_FALSE(device_open()) << "the last clean-up leaves no sound device open";
}

// A camera's AAC in stereo at 44.1 kHz, from a server of GStreamer's own
// elements, is heard too.
TEST_F(Sound_Test, AGStreamerServersStereoAacIsHeard)
{
    const std::string address = Dvr_Sim::address_for(test_name() + "-launch");
    Rtsp_Launch server(address, {"/tone", "( videotestsrc is-live=true ! video/x-raw,width=160,height=120,framerate=10/1"
                                          " ! x264enc tune=zerolatency speed-preset=ultrafast sliced-threads=false key-int-max=10"
                                          " ! rtph264pay name=pay0 pt=96 config-interval=-1"
                                          " audiotestsrc is-live=true freq=440 volume=0.5"
                                          " ! audio/x-raw,rate=44100,channels=2 ! voaacenc ! rtpmp4gpay name=pay1 pt=97 )"});
    ASSERT_TRUE(server.running());
    MP4_ClientSetNetPort(Rtsp_Launch::port, 0);
    HKEY key;
    const std::string server_key = "Software\\kelm\\Servers\\" + address;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, server_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const char url[] = "rtsp://{address}:{port}/tone";
    EXPECT_EQ(RegSetValueExA(key, "StreamUrl", 0, REG_SZ, reinterpret_cast<const BYTE*>(url), sizeof url),
              ERROR_SUCCESS);
    RegCloseKey(key);

    const LONG handle = start(address, 1);
    ASSERT_TRUE(MP4_ClientAudioStart(handle));
    EXPECT_TONE(listen(1000), 440);
    (void)RegDeleteTreeA(HKEY_CURRENT_USER, server_key.c_str());  // this test's alone
}

// The recording carries the sound beside the video, in step: G.711 made
// AAC, AAC as received.
TEST_F(Sound_Test, RecordingsKeepTheSoundInStepWithThePictures)
{
    const LONG handles[] = {start_with_sound("pcma", 5), start_with_sound("aac", 6)};
    for (LONG handle : handles) {
        char path[MAX_PATH];
        GetTempPathA(sizeof path, path);
        std::string file = std::string(path) + "kelm-sound-" + std::to_string(handle) + ".mp4";
        DeleteFileA(file.c_str());  // left by an earlier run
        ASSERT_TRUE(MP4_ClientStartCaptureFile(handle, const_cast<char*>(file.c_str())));
        Sleep(2500);
        ASSERT_TRUE(MP4_ClientStopCapture(handle));
        std::string probed;
        ASSERT_TRUE(run_unix_command("ffprobe -v error -show_entries stream=codec_name,start_time -of csv=p=0 '" +
                                         unix_path_of(file) + "'",
                                     20000, &probed));
        char video[16] = {}, audio[16] = {};
        double video_start = -1, audio_start = -1;
        ASSERT_EQ(std::sscanf(probed.c_str(), "%15[^,],%lf %15[^,],%lf", video, &video_start, audio, &audio_start), 4)
            << probed;
        EXPECT_STREQ(video, "h264");
        EXPECT_STREQ(audio, "aac");
        EXPECT_NEAR(audio_start, video_start, 0.1) << probed;
        DeleteFileA(file.c_str());
    }
}

} // namespace
