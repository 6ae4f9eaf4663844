// Our streaming library on its own, against dvr-sim: states, picture values
// that change the painted picture, recording calls, audio, and counted
// start-up and clean-up.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <windows.h>

#include "dvr_sim.h"
#include "hikclient_test.h"
#include "recording_reader.h"
#include "test_window.h"
#include "text_file.h"

namespace {

std::string test_name()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

class Library_Test : public ::testing::Test {
protected:
    Library_Test() : sim(Dvr_Sim::number_for(test_name()))
    {
        EXPECT_TRUE(sim.running());
        window = make_test_window(WS_POPUP | WS_VISIBLE, 0, 0, 164, 124);
        EXPECT_TRUE(MP4_ClientStartup(3000, window));
        MP4_ClientSetNetPort(12000, 6050);
        strcpy(address, sim.address().c_str());
    }
    ~Library_Test() override
    {
        while (MP4_ClientCleanup()) {
        }
        DestroyWindow(window);
    }

    LONG start(BYTE channel, const char* user = "", const char* password = "")
    {
        strcpy(user_name, user);
        strcpy(pass, password);
        Client_Info info = {};
        info.channel = channel;
        info.link_mode = 1;
        info.server_ip = address;
        info.user_name = user_name;
        info.password = pass;
        info.display_window = window;
        return MP4_ClientStart(&info, nullptr);
    }

    int wait_for_state(LONG handle, int wanted)
    {
        int state = MP4_ClientGetState(handle);
        for (int i = 0; i < 300 && state != wanted; ++i) {
            Sleep(10);
            state = MP4_ClientGetState(handle);
        }
        return state;
    }

    // Mean brightness of the painted picture.
    double mean_level()
    {
        HDC dc = GetDC(window);
        double sum = 0;
        int count = 0;
        for (int y = 10; y < 110; y += 7)
            for (int x = 10; x < 150; x += 7, ++count) {
                const COLORREF c = GetPixel(dc, x, y);
                sum += (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3.0;
            }
        ReleaseDC(window, dc);
        return sum / count;
    }

    Dvr_Sim sim;
    HWND window = nullptr;
    char address[40] = {};
    char user_name[64] = {};
    char pass[64] = {};
};

} // namespace

TEST_F(Library_Test, StatesTellTheTruth)
{
    const LONG running = start(1);
    ASSERT_NE(running, -1);
    EXPECT_EQ(wait_for_state(running, HIK_STATE_RUNNING), HIK_STATE_RUNNING);
    const LONG refused = start(1, "admin", "not the password");
    EXPECT_EQ(wait_for_state(refused, HIK_STATE_REFUSED), HIK_STATE_REFUSED);
    const LONG accepted = start(1, "admin", "12345");
    EXPECT_EQ(wait_for_state(accepted, HIK_STATE_RUNNING), HIK_STATE_RUNNING);
    // Channels count from 1 to the server's 16, as printed on a DVR.
    for (BYTE missing : {0, 17, 200}) {
        const LONG no_channel = start(missing);
        EXPECT_EQ(wait_for_state(no_channel, HIK_STATE_REFUSED), HIK_STATE_REFUSED) << int(missing);
    }
    const LONG last = start(16);
    EXPECT_EQ(wait_for_state(last, HIK_STATE_RUNNING), HIK_STATE_RUNNING);

    ASSERT_TRUE(sim.ok("stream break-after 5"));
    const LONG broken = start(2);
    EXPECT_EQ(wait_for_state(broken, HIK_STATE_BROKEN_OFF), HIK_STATE_BROKEN_OFF);

    EXPECT_EQ(MP4_ClientGetState(-1), HIK_STATE_UNKNOWN_HANDLE);
    EXPECT_EQ(MP4_ClientGetState(99999), HIK_STATE_UNKNOWN_HANDLE);
    EXPECT_TRUE(MP4_ClientStop(running));
    EXPECT_FALSE(MP4_ClientStop(running)) << "stopped once";
    EXPECT_EQ(MP4_ClientGetState(running), HIK_STATE_UNKNOWN_HANDLE);

    sim.stop();
    const LONG unreachable = start(1);
    EXPECT_EQ(wait_for_state(unreachable, HIK_STATE_UNREACHABLE), HIK_STATE_UNREACHABLE);
}

// Each fault ends in its state, and the library keeps why: the kind, the
// step of the session and the server's status.
TEST_F(Library_Test, EachFaultOfTheServerEndsInItsStateAndItsReason)
{
    const struct {
        const char* fault;
        BYTE channel;
        int state;
        DWORD within_ms;
        int kind, step, status;
    } faults[] = {
        {"set-channel 3 signal 0", 3, HIK_STATE_NO_SIGNAL, 1000, HIK_END_SERVER_ERROR, HIK_STEP_DESCRIBE, 503},
        {"stream refuse 1", 4, HIK_STATE_REFUSED, 1000, HIK_END_LOGIN_REFUSED, HIK_STEP_DESCRIBE, 403},
        {"stream anonymous 0", 4, HIK_STATE_REFUSED, 1000, HIK_END_LOGIN_REFUSED, HIK_STEP_DESCRIBE, 401},
        {"stream refuse 0", 99, HIK_STATE_REFUSED, 1000, HIK_END_NOT_FOUND, HIK_STEP_DESCRIBE, 404},
        {"stream break-after 5", 7, HIK_STATE_BROKEN_OFF, 3000, HIK_END_ENDED, HIK_STEP_RECEIVE, 0},
        {"set-channel 5 stall 1", 5, HIK_STATE_BROKEN_OFF, 7000, HIK_END_SILENT, HIK_STEP_RECEIVE, 0},
        {"stream accept-delay 1000000", 6, HIK_STATE_BROKEN_OFF, 7000, HIK_END_SILENT, HIK_STEP_CONNECT, 0},
    };
    for (const auto& fault : faults) {
        ASSERT_TRUE(sim.ok(fault.fault)) << fault.fault;
        const LONG handle = start(fault.channel);
        const DWORD started = GetTickCount();
        int state = MP4_ClientGetState(handle);
        while ((state == HIK_STATE_CONNECTING || state == HIK_STATE_RUNNING) && GetTickCount() - started < fault.within_ms) {
            Sleep(20);
            state = MP4_ClientGetState(handle);
        }
        EXPECT_EQ(state, fault.state) << fault.fault;
        HIK_STREAM_END end = {};
        end.size = sizeof end;
        EXPECT_TRUE(HIK_ClientStreamEnd(handle, &end)) << fault.fault;
        EXPECT_EQ(end.kind, fault.kind) << fault.fault << ": " << end.detail;
        EXPECT_EQ(end.step, fault.step) << fault.fault << ": " << end.detail;
        EXPECT_EQ(end.status, fault.status) << fault.fault << ": " << end.detail;
        EXPECT_EQ(std::string(end.url), "rtsp://" + sim.address() + ":12000/live/" + std::to_string(fault.channel))
            << "without the login";
        EXPECT_TRUE(MP4_ClientStop(handle));
        ASSERT_TRUE(sim.ok("reset"));
        for (const char* undo : {"stream refuse 0", "stream accept-delay 0", "stream anonymous 1", "stream break-after 0"})
            ASSERT_TRUE(sim.ok(undo));
    }
    HIK_STREAM_END wrong_size = {};
    EXPECT_FALSE(HIK_ClientStreamEnd(1, &wrong_size)) << "a record whose size is not set";
}

// Nothing answers at the URL's port.
TEST_F(Library_Test, AStreamNobodyServesIsUnreachableWithItsAddress)
{
    MP4_ClientSetNetPort(12001, 6050);
    const LONG handle = start(1);
    EXPECT_EQ(wait_for_state(handle, HIK_STATE_UNREACHABLE), HIK_STATE_UNREACHABLE);
    HIK_STREAM_END end = {};
    end.size = sizeof end;
    ASSERT_TRUE(HIK_ClientStreamEnd(handle, &end));
    EXPECT_EQ(end.kind, HIK_END_UNREACHABLE);
    EXPECT_EQ(end.step, HIK_STEP_CONNECT);
    EXPECT_STREQ(end.detail, ("nothing answers at " + sim.address() + ":12001").c_str());
    char host[64];
    WORD port = 0;
    ASSERT_TRUE(HIK_ClientStreamEndpoint(handle, host, sizeof host, &port));
    EXPECT_EQ(std::string(host) + ":" + std::to_string(port), sim.address() + ":12001");
}

TEST_F(Library_Test, AViewerThatNeverGetsAKeyFrameStaysConnectingThenIsBrokenOff)
{
    // The channel's stream has one key frame, its first: the first viewer
    // gets it, a later one never does.
    ASSERT_TRUE(sim.ok("stream key-frames 0"));
    const LONG first = start(7);
    ASSERT_EQ(wait_for_state(first, HIK_STATE_RUNNING), HIK_STATE_RUNNING);
    Sleep(500);
    const LONG late = start(7);
    Sleep(3000);
    EXPECT_EQ(MP4_ClientGetState(late), HIK_STATE_CONNECTING) << "packets come, no picture can be made";
    DWORD received = 0, painted = 0;
    ASSERT_TRUE(HIK_ClientStreamStats(late, &received, &painted));
    EXPECT_GT(received, 10u);
    EXPECT_EQ(painted, 0u);
    Sleep(3000);
    EXPECT_EQ(MP4_ClientGetState(late), HIK_STATE_BROKEN_OFF);
    EXPECT_EQ(MP4_ClientGetState(first), HIK_STATE_RUNNING);
}

TEST_F(Library_Test, ACameraThatChangesItsSizeGoesOnPlayingAndRecordsIntoANewFile)
{
    const LONG handle = start(2);
    ASSERT_EQ(wait_for_state(handle, HIK_STATE_RUNNING), HIK_STATE_RUNNING);
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    // Each size change starts a file named after the first: -2, then -3.
    const struct {
        std::string path;
        int width, height;
    } files[] = {
        {std::string(folder) + "kelm-size-change.mp4", 160, 120},
        {std::string(folder) + "kelm-size-change-2.mp4", 320, 240},
        {std::string(folder) + "kelm-size-change-3.mp4", 176, 144},
    };
    for (const auto& file : files)
        DeleteFileA(file.path.c_str());  // left by an earlier run
    ASSERT_TRUE(MP4_ClientStartCaptureFile(handle, const_cast<char*>(files[0].path.c_str())));
    for (const auto& file : files) {
        ASSERT_TRUE(sim.ok("stream width " + std::to_string(file.width)));
        ASSERT_TRUE(sim.ok("stream height " + std::to_string(file.height)));
        Sleep(2000);
    }
    DWORD painted_before = 0, painted_after = 0;
    HIK_ClientStreamStats(handle, nullptr, &painted_before);
    Sleep(500);
    HIK_ClientStreamStats(handle, nullptr, &painted_after);
    EXPECT_GT(painted_after, painted_before) << "pictures of the new size are painted";
    EXPECT_TRUE(MP4_ClientStopCapture(handle));
    for (const auto& file : files) {
        const Recording_Summary recorded = read_recording(file.path);
        EXPECT_TRUE(recorded.valid) << file.path << ": " << recorded.problem;
        EXPECT_EQ(recorded.width, file.width) << file.path;
        EXPECT_EQ(recorded.height, file.height) << file.path;
        EXPECT_TRUE(recorded.starts_with_key_frame) << file.path;
        DeleteFileA(file.path.c_str());
    }
}

TEST_F(Library_Test, PictureValuesAreKeptAndChangeThePaintedPicture)
{
    const LONG handle = start(3);
    ASSERT_EQ(wait_for_state(handle, HIK_STATE_RUNNING), HIK_STATE_RUNNING);
    int b = 0, c = 0, s = 0, h = 0;
    ASSERT_TRUE(MP4_ClientGetVideoPara(handle, 0, &b, &c, &s, &h));
    EXPECT_EQ(b, 64);
    Sleep(400);
    const double neutral = mean_level();
    ASSERT_TRUE(MP4_ClientSetVideoPara(handle, 0, 127, 64, 64, 64));
    Sleep(400);
    const double bright = mean_level();
    ASSERT_TRUE(MP4_ClientSetVideoPara(handle, 0, 0, 64, 64, 64));
    Sleep(400);
    const double dark = mean_level();
    EXPECT_GT(bright, neutral + 20);
    EXPECT_LT(dark, neutral - 20);
    ASSERT_TRUE(MP4_ClientSetVideoPara(handle, 0, 1, 2, 3, 300));
    ASSERT_TRUE(MP4_ClientGetVideoPara(handle, 0, &b, &c, &s, &h));
    EXPECT_EQ(b, 1);
    EXPECT_EQ(c, 2);
    EXPECT_EQ(s, 3);
    EXPECT_EQ(h, 300) << "kept as given; only painting clamps";
    EXPECT_FALSE(MP4_ClientSetVideoPara(-1, 0, 1, 2, 3, 4));
}

TEST_F(Library_Test, AudioAndCaptureNeedAStream)
{
    EXPECT_FALSE(MP4_ClientAudioStart(12345));
    EXPECT_FALSE(MP4_ClientAudioStop());
    EXPECT_TRUE(MP4_ClientAudioVolume(30));
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    strcat(path, "kelm-library-test.mp4");
    DeleteFileA(path);  // left by an earlier run
    EXPECT_FALSE(MP4_ClientStartCaptureFile(12345, path));
    EXPECT_FALSE(MP4_ClientStopCapture(12345));

    const LONG silent = start(1);
    ASSERT_EQ(wait_for_state(silent, HIK_STATE_RUNNING), HIK_STATE_RUNNING);
    EXPECT_FALSE(MP4_ClientAudioStart(silent)) << "a stream without an audio track has no sound";
    char codec[16];
    EXPECT_TRUE(HIK_ClientAudioCodec(silent, codec, sizeof codec));
    EXPECT_STREQ(codec, "none");
    EXPECT_TRUE(MP4_ClientStop(silent));

    // Another channel: the stream just stopped may still be ending on the
    // server, which would answer 503 or hand over its stream without sound.
    ASSERT_TRUE(sim.ok("stream audio aac"));
    const LONG handle = start(2);
    ASSERT_EQ(wait_for_state(handle, HIK_STATE_RUNNING), HIK_STATE_RUNNING);
    EXPECT_TRUE(MP4_ClientAudioStart(handle));
    EXPECT_TRUE(MP4_ClientAudioStop());
    EXPECT_FALSE(MP4_ClientStopCapture(handle)) << "nothing is being recorded";
    EXPECT_TRUE(MP4_ClientStartCaptureFile(handle, path));
    Sleep(300);
    EXPECT_TRUE(MP4_ClientStopCapture(handle));
    EXPECT_FALSE(MP4_ClientStartCaptureFile(handle, nullptr));
    const std::string recorded = read_file_bytes(path);
    EXPECT_GT(recorded.size(), 12u);
    EXPECT_FALSE(MP4_ClientStartCaptureFile(handle, path)) << "a recording is never replaced";
    EXPECT_EQ(read_file_bytes(path), recorded);
    DeleteFileA(path);
}

TEST_F(Library_Test, StreamsRunUntilTheLastCleanUp)
{
    ASSERT_TRUE(MP4_ClientStartup(3000, window));  // a second user
    const LONG handle = start(1);
    ASSERT_EQ(wait_for_state(handle, HIK_STATE_RUNNING), HIK_STATE_RUNNING);
    EXPECT_TRUE(MP4_ClientCleanup());
    DWORD received_before = 0, received_after = 0;
    HIK_ClientStreamStats(handle, &received_before, nullptr);
    Sleep(500);
    ASSERT_TRUE(HIK_ClientStreamStats(handle, &received_after, nullptr));
    EXPECT_GT(received_after, received_before);
    EXPECT_TRUE(MP4_ClientCleanup());
    EXPECT_EQ(MP4_ClientGetState(handle), HIK_STATE_UNKNOWN_HANDLE);
    EXPECT_FALSE(MP4_ClientCleanup()) << "more clean-ups than start-ups";
    EXPECT_EQ(start(1), -1) << "not started up";
}

TEST_F(Library_Test, OverlongTextsAndMissingRecordsAreRefused)
{
    EXPECT_EQ(MP4_ClientStart(nullptr, nullptr), -1);
    const std::string long_name(40, 'u');
    EXPECT_EQ(start(1, long_name.c_str()), -1);
}

// The forms cameras send, each on a channel of its own (a form holds for
// streams built afterwards): every one plays from its first viewer and from
// one that joins between two key frames, and records from a key frame.
TEST_F(Library_Test, EveryFormOfCameraStreamPlaysForEachViewerAndRecords)
{
    const struct Form {
        const char* codec;
        const char* profile;
        int b_frames;
        const char* parameter_sets;
    } forms[] = {
        {"h264", "baseline", 0, "sdp"},
        {"h264", "main", 2, "both"},
        {"h264", "high", 2, "in-band"},
        {"h264", "main", 0, "in-band"},
        {"h265", "main", 2, "in-band"},
    };
    ASSERT_TRUE(sim.ok("stream fps 25"));
    ASSERT_TRUE(sim.ok("stream key-interval 25"));
    BYTE channel = 1;
    for (const Form& form : forms) {
        const std::string name = std::string(form.codec) + " " + form.profile + " b-frames " +
                                 std::to_string(form.b_frames) + " parameter sets " + form.parameter_sets;
        ASSERT_TRUE(sim.ok(std::string("stream codec ") + form.codec)) << name;
        ASSERT_TRUE(sim.ok(std::string("stream profile ") + form.profile)) << name;
        ASSERT_TRUE(sim.ok("stream b-frames " + std::to_string(form.b_frames))) << name;
        ASSERT_TRUE(sim.ok(std::string("stream parameter-sets ") + form.parameter_sets)) << name;
        const LONG first = start(channel);
        EXPECT_EQ(wait_for_state(first, HIK_STATE_RUNNING), HIK_STATE_RUNNING) << name;
        char path[MAX_PATH];
        GetTempPathA(sizeof path, path);
        const std::string file = std::string(path) + "kelm-form-" + std::to_string(channel) + ".mp4";
        DeleteFileA(file.c_str());  // left by an earlier run
        EXPECT_TRUE(MP4_ClientStartCaptureFile(first, const_cast<char*>(file.c_str()))) << name;
        Sleep(500);
        const LONG joining = start(channel);
        EXPECT_EQ(wait_for_state(joining, HIK_STATE_RUNNING), HIK_STATE_RUNNING) << name << ", joined";
        Sleep(1500);
        EXPECT_TRUE(MP4_ClientStopCapture(first)) << name;
        DWORD painted_first = 0, painted_joining = 0;
        EXPECT_TRUE(HIK_ClientStreamStats(first, nullptr, &painted_first));
        EXPECT_TRUE(HIK_ClientStreamStats(joining, nullptr, &painted_joining));
        EXPECT_GT(painted_first, 30u) << name;
        EXPECT_GT(painted_joining, 20u) << name << ", joined";
        EXPECT_TRUE(MP4_ClientStop(joining));
        EXPECT_TRUE(MP4_ClientStop(first));
        const Recording_Summary recorded = read_recording(file);
        EXPECT_TRUE(recorded.valid) << name << ": " << recorded.problem;
        EXPECT_TRUE(recorded.starts_with_key_frame) << name;
        EXPECT_EQ(recorded.codec, form.codec[3] == '5' ? "hevc" : "h264") << name;
        DeleteFileA(file.c_str());
        ++channel;
    }
}
