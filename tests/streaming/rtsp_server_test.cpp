// The streaming library against RTSP servers built only from GStreamer's
// own elements (rtsp-launch): codecs, profiles and sizes played and
// recorded, RTP wrap, extra tracks, damaged streams, logins, and the URL
// template and the transport from the registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dvr_sim.h"
#include "hikclient_test.h"
#include "message_pump.h"
#include "recording_reader.h"
#include "rtsp_launch.h"
#include "test_window.h"
#include "unix_command.h"

namespace {

std::string test_name()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

std::string camera(int width, int height, const std::string& encoder)
{
    char source[160];
    std::snprintf(source, sizeof source,
                  "videotestsrc is-live=true ! video/x-raw,format=I420,width=%d,height=%d,framerate=25/1", width,
                  height);
    return "( " + std::string(source) + " ! " + encoder + " )";
}

const char h264_pay[] = " ! rtph264pay name=pay0 pt=96 config-interval=-1";
const std::string x264 = "x264enc tune=zerolatency speed-preset=ultrafast sliced-threads=false key-int-max=25";

const char settings_key[] = "Software\\kelm";

// What ffprobe says of a file's video and what ffmpeg complains of while
// decoding all of it: "codec_name=...", "width=...", "height=..." lines,
// and nothing else when every picture decodes.
std::string as_ffmpeg_reads_it(const std::string& path)
{
    const std::string file = "'" + unix_path_of(path) + "'";
    std::string output;
    if (!run_unix_command("ffprobe -v error -select_streams v -show_entries stream=codec_name,width,height "
                          "-of default=nw=1 " + file + " && ffmpeg -v error -i " + file + " -f null -",
                          30000, &output))
        return "ffprobe did not end";
    return output;
}

void set_setting(const std::string& key, const char* name, const std::string& value)
{
    HKEY opened;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(opened);
}

class Rtsp_Server_Test : public ::testing::Test {
protected:
    Rtsp_Server_Test() : address(Dvr_Sim::address_for(test_name())), server_key(std::string(settings_key) + "\\Servers\\" + address)
    {
        window = make_test_window(WS_POPUP | WS_VISIBLE, 0, 0, 356, 292);
        EXPECT_TRUE(MP4_ClientStartup(3000, window));
        MP4_ClientSetNetPort(Rtsp_Launch::port, 0);
        (void)RegDeleteTreeA(HKEY_CURRENT_USER, server_key.c_str());  // left by an earlier run
    }
    ~Rtsp_Server_Test() override
    {
        while (MP4_ClientCleanup()) {
        }
        DestroyWindow(window);
        (void)RegDeleteTreeA(HKEY_CURRENT_USER, server_key.c_str());
    }

    void serve_path(const std::string& path) { set_setting(server_key, "StreamUrl", "rtsp://{address}:{port}" + path); }

    LONG start(const char* user = "", const char* password = "")
    {
        Client_Info info = {};
        info.channel = 1;
        info.link_mode = 1;
        info.server_ip = const_cast<char*>(address.c_str());
        info.user_name = const_cast<char*>(user);
        info.password = const_cast<char*>(password);
        info.display_window = window;
        return MP4_ClientStart(&info, nullptr);
    }

    // The state once it left "connecting", or "connecting" after `wait_ms`.
    int settled_state(LONG handle, DWORD wait_ms = 4000)
    {
        int state = MP4_ClientGetState(handle);
        for (DWORD waited = 0; state == HIK_STATE_CONNECTING && waited < wait_ms; waited += 20) {
            pump_for(20);
            state = MP4_ClientGetState(handle);
        }
        return state;
    }

    DWORD painted(LONG handle)
    {
        DWORD count = 0;
        EXPECT_TRUE(HIK_ClientStreamStats(handle, nullptr, &count));
        return count;
    }

    DWORD received(LONG handle)
    {
        DWORD count = 0;
        EXPECT_TRUE(HIK_ClientStreamStats(handle, &count, nullptr));
        return count;
    }

    std::string recording_path(const std::string& name)
    {
        char folder[MAX_PATH];
        GetTempPathA(sizeof folder, folder);
        const std::string path = std::string(folder) + "kelm-rtsp-" + name + ".mp4";
        DeleteFileA(path.c_str());  // left by an earlier run
        return path;
    }

    const std::string address;
    const std::string server_key;
    HWND window = nullptr;
};

} // namespace

TEST_F(Rtsp_Server_Test, CodecsProfilesAndSizesPlayAndRecordAsPlayableMp4)
{
    const struct Row {
        const char* path;
        std::string launch;
        const char* codec;
        int width, height;
    } rows[] = {
        {"/baseline", camera(352, 288, x264 + " ! video/x-h264,profile=baseline" + h264_pay), "h264", 352, 288},
        // Encoders as cameras run them: B-frames, which the decoder hands out
        // in another order than they come, and parameter sets before every
        // key frame, from an encoder that looks ahead.
        {"/main-with-b-frames",
         camera(704, 576, "x264enc speed-preset=superfast bframes=2 key-int-max=25 ! video/x-h264,profile=main" +
                              std::string(h264_pay)),
         "h264", 704, 576},
        {"/high-with-b-frames",
         camera(704, 576, "x264enc speed-preset=superfast bframes=2 key-int-max=25 ! video/x-h264,profile=high" +
                              std::string(h264_pay)),
         "h264", 704, 576},
        {"/parameter-sets-before-key-frames",
         camera(352, 288, "x264enc speed-preset=superfast key-int-max=25" + std::string(h264_pay)),
         "h264", 352, 288},
        {"/hevc-with-b-frames",
         camera(352, 288, "x265enc speed-preset=ultrafast key-int-max=25 option-string=bframes=2 ! "
                          "rtph265pay name=pay0 pt=96 config-interval=-1"),
         "hevc", 352, 288},
        {"/full-hd", camera(1920, 1080, x264 + h264_pay), "h264", 1920, 1080},
        {"/hevc", camera(352, 288, "x265enc tune=zerolatency speed-preset=ultrafast key-int-max=25 ! "
                                   "rtph265pay name=pay0 pt=96 config-interval=-1"),
         "hevc", 352, 288},
        {"/mjpeg", camera(320, 240, "jpegenc ! rtpjpegpay name=pay0"), "mjpeg", 320, 240},
        {"/parameter-sets-in-sdp-only", camera(352, 288, x264 + " ! rtph264pay name=pay0 pt=96 config-interval=0"),
         "h264", 352, 288},
        {"/rtp-wrap", camera(352, 288, x264 + " ! rtph264pay name=pay0 pt=96 config-interval=-1 "
                                              "seqnum-offset=65500 timestamp-offset=4294900000"),
         "h264", 352, 288},
        {"/with-audio", camera(352, 288, x264 + h264_pay + " audiotestsrc is-live=true ! mulawenc ! rtppcmupay name=pay1"),
         "h264", 352, 288},
    };
    std::vector<std::string> mounts;
    for (const Row& row : rows) {
        mounts.push_back(row.path);
        mounts.push_back(row.launch);
    }
    Rtsp_Launch server(address, mounts);
    ASSERT_TRUE(server.running());
    for (const Row& row : rows) {
        serve_path(row.path);
        const LONG handle = start();
        ASSERT_EQ(settled_state(handle), HIK_STATE_RUNNING) << row.path;
        const std::string path = recording_path(row.path + 1);
        ASSERT_TRUE(MP4_ClientStartCaptureFile(handle, const_cast<char*>(path.c_str()))) << row.path;
        const DWORD recording_started = GetTickCount();
        pump_for(2000);
        EXPECT_TRUE(MP4_ClientStopCapture(handle)) << row.path;
        const double recorded = (GetTickCount() - recording_started) / 1000.0;
        EXPECT_GT(painted(handle), 30u) << row.path;
        // A second viewer joins between two key frames.  GStreamer's server
        // starts its times afresh then: the first viewer may skip to the
        // next key frame, never for good.
        const DWORD painted_before_join = painted(handle);
        const LONG joining = start();
        EXPECT_EQ(settled_state(joining), HIK_STATE_RUNNING) << row.path << " joined";
        pump_for(1500);
        EXPECT_GT(painted(joining), 10u) << row.path << " joined";
        EXPECT_GT(painted(handle), painted_before_join + 10) << row.path << " after the join";
        EXPECT_TRUE(MP4_ClientStop(joining));
        EXPECT_TRUE(MP4_ClientStop(handle));

        const Recording_Summary file = read_recording(path);
        EXPECT_TRUE(file.valid) << row.path << ": " << file.problem;
        EXPECT_EQ(file.codec, row.codec) << row.path;
        EXPECT_EQ(file.width, row.width) << row.path;
        EXPECT_EQ(file.height, row.height) << row.path;
        EXPECT_TRUE(file.starts_with_key_frame) << row.path;
        // From the key frame before the call (one a second) to the stop.
        EXPECT_GE(file.seconds, recorded - 0.2) << row.path;
        EXPECT_LE(file.seconds, recorded + 1.2) << row.path;
        EXPECT_EQ(as_ffmpeg_reads_it(path), "codec_name=" + std::string(row.codec) + "\nwidth=" +
                                                std::to_string(row.width) + "\nheight=" + std::to_string(row.height) + "\n")
            << row.path;
        DeleteFileA(path.c_str());
    }
}

TEST_F(Rtsp_Server_Test, DamagedStreamsKeepPlayingAndNeverPaintADamagedPicture)
{
    const std::string byte_stream = camera(352, 288, x264 + " ! video/x-h264,stream-format=byte-stream" + h264_pay);
    const struct Row {
        const char* damage;
        const char* transport;
        bool damaged;  // the pictures, not only how they are described
    } rows[] = {
        {"lose", "udp", true},
        {"corrupt", "tcp", true},
        {"in-band", "tcp", false},
    };
    std::vector<std::string> mounts;
    for (const Row& row : rows)
        mounts.insert(mounts.end(), {"--damage", row.damage, std::string("/") + row.damage, byte_stream});
    Rtsp_Launch server(address, mounts);
    ASSERT_TRUE(server.running());
    for (const Row& row : rows) {
        serve_path(std::string("/") + row.damage);
        set_setting(server_key, "StreamTransport", row.transport);
        const LONG handle = start();
        ASSERT_EQ(settled_state(handle), HIK_STATE_RUNNING) << row.damage;
        const std::string path = recording_path(row.damage);
        EXPECT_TRUE(MP4_ClientStartCaptureFile(handle, const_cast<char*>(path.c_str()))) << row.damage;
        pump_for(3000);
        EXPECT_TRUE(MP4_ClientStopCapture(handle)) << row.damage;
        EXPECT_EQ(MP4_ClientGetState(handle), HIK_STATE_RUNNING) << row.damage;
        // Each key frame brings the picture back: at least one a second.
        EXPECT_GE(painted(handle), 3u) << row.damage;
        // A picture decoded from damaged data waits for the next key frame
        // unpainted.
        EXPECT_EQ(painted(handle) < received(handle) - 5, row.damaged) << row.damage;
        EXPECT_TRUE(MP4_ClientStop(handle));
        // The file keeps what came, damage included, as a player reads it.
        const Recording_Summary file = read_recording(path);
        if (!row.damaged) {
            EXPECT_TRUE(file.valid) << row.damage << ": " << file.problem;
        }
        EXPECT_TRUE(file.starts_with_key_frame && file.frames > 25) << row.damage << ": " << file.problem;
        EXPECT_EQ(file.width, 352) << row.damage;
        DeleteFileA(path.c_str());
    }
}

TEST_F(Rtsp_Server_Test, LoginsAreAnsweredAndWrongOnesRefused)
{
    // The server offers Basic and Digest; libavformat answers with Digest.
    Rtsp_Launch server(address, {"/guarded", camera(352, 288, x264 + h264_pay)}, "viewer", "p@ss:word");
    ASSERT_TRUE(server.running());
    serve_path("/guarded");
    EXPECT_EQ(settled_state(start("viewer", "p@ss:word")), HIK_STATE_RUNNING);
    EXPECT_EQ(settled_state(start("viewer", "wrong")), HIK_STATE_REFUSED);
    EXPECT_EQ(settled_state(start()), HIK_STATE_REFUSED);
}

TEST_F(Rtsp_Server_Test, TheUrlTemplateAndTransportComeFromTheRegistry)
{
    Rtsp_Launch server(address, {"/one", camera(352, 288, x264 + h264_pay), "/two", camera(352, 288, x264 + h264_pay)});
    ASSERT_TRUE(server.running());
    // The default names /live/1, which this server does not have.
    EXPECT_EQ(settled_state(start()), HIK_STATE_REFUSED);
    set_setting(settings_key, "StreamUrl", "rtsp://{address}:{port}/one");
    EXPECT_EQ(settled_state(start()), HIK_STATE_RUNNING) << "the template for all servers";
    set_setting(server_key, "StreamUrl", "rtsp://{address}:{port}/nothing-here");
    EXPECT_EQ(settled_state(start()), HIK_STATE_REFUSED) << "the server's own template comes first";
    set_setting(server_key, "StreamUrl", "{address}/two");
    EXPECT_EQ(settled_state(start()), HIK_STATE_REFUSED) << "a template without a scheme names nothing";
    serve_path("/two");
    set_setting(server_key, "StreamTransport", "udp");
    const LONG over_udp = start();
    EXPECT_EQ(settled_state(over_udp), HIK_STATE_RUNNING);
    pump_for(1000);
    EXPECT_GT(painted(over_udp), 15u);
    (void)RegDeleteKeyValueA(HKEY_CURRENT_USER, settings_key, "StreamUrl");
}
