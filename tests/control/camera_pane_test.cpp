// Cameras as addresses: a pane opened on a stream URL plays it with the
// login of the URL or of the pane, tells why it failed, has no web service
// yet takes snapshots from its picture, records its sound and comes back
// by itself; a DVR's snapshot falls back to the picture, and its template
// may be keyed by its address with the port.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "control_fixture.h"
#include "error_codes.h"
#include "logger.h"
#include "recording_reader.h"
#include "rtsp_launch.h"

namespace {

// A camera of GStreamer's own elements: 352x288 H.264 with G.711 sound.
std::string camera_launch(bool with_sound)
{
    std::string launch = "( videotestsrc is-live=true ! video/x-raw,width=352,height=288,framerate=25/1 ! "
                         "x264enc speed-preset=superfast tune=zerolatency key-int-max=25 ! "
                         "rtph264pay name=pay0 pt=96";
    if (with_sound)
        launch += " audiotestsrc is-live=true ! audio/x-raw,rate=8000,channels=1 ! mulawenc ! rtppcmupay name=pay1";
    return launch + " )";
}

// Width and height of a baseline or progressive JPEG; false when `bytes`
// is not a whole JPEG (start and end markers, a frame header).
bool jpeg_size(const std::string& bytes, int* width, int* height)
{
    const auto byte = [&bytes](size_t at) { return static_cast<unsigned char>(bytes[at]); };
    if (bytes.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8 || byte(bytes.size() - 2) != 0xFF ||
        byte(bytes.size() - 1) != 0xD9)
        return false;
    for (size_t at = 2; at + 9 < bytes.size() && byte(at) == 0xFF;) {
        const unsigned marker = byte(at + 1);
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            *height = byte(at + 5) << 8 | byte(at + 6);
            *width = byte(at + 7) << 8 | byte(at + 8);
            return true;
        }
        at += 2 + (byte(at + 2) << 8 | byte(at + 3));
    }
    return false;
}

// The only file of `folder` whose name ends in `suffix`, its path; empty
// when there is none or more than one.
std::string only_file(const std::wstring& folder, const wchar_t* suffix)
{
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*" + suffix).c_str(), &entry);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry))
        found.push_back(folder + L"\\" + entry.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return found.size() == 1 ? std::string(found[0].begin(), found[0].end()) : std::string();
}

} // namespace

class Camera_Panes : public Control_Channels {
protected:
    void SetUp() override
    {
        ASSERT_NE(GetTempPathA(sizeof log_path, log_path), 0u);
        strcat(log_path, unique_token("camera-log").c_str());
        ASSERT_EQ(Logger::instance().open(log_path), 0);
    }
    Pane_Stream status() { return pane(0)->stream_status(); }
    HRESULT open_url(const std::wstring& url, int channel) { return control().open_channel(Bstr(url), channel); }
    std::string log() const { return read_file_bytes(log_path); }
    std::wstring error_message()
    {
        Bstr text;
        EXPECT_EQ(control().get_error_msg(text.put()), S_OK);
        return text.str();
    }
    std::wstring camera_url(const std::wstring& login, const std::wstring& path) const
    {
        return L"rtsp://" + login + address() + L":8554" + path;
    }
    // A JPEG the size of the cameras' pictures was saved in `folder`.
    void expect_snapshot_in(const std::wstring& folder)
    {
        const std::string path = only_file(folder, L".jpg");
        ASSERT_FALSE(path.empty());
        int width = 0, height = 0;
        EXPECT_TRUE(jpeg_size(read_file_bytes(path.c_str()), &width, &height)) << path;
        EXPECT_EQ(352, width);
        EXPECT_EQ(288, height);
    }

    char log_path[MAX_PATH] = {};
};

TEST_F(Camera_Panes, AStreamUrlPlaysWithTheLoginOfTheUrlOrThePaneAndAFailureSaysWhy)
{
    Rtsp_Launch camera(sim.address(), {"/cam1", camera_launch(false), "/cam2", camera_launch(false)}, "viewer",
                       "secret");
    ASSERT_TRUE(camera.running());
    struct Row {
        std::wstring url;
        const wchar_t* user;  // set on the pane; null: none
        const wchar_t* password;
        int channel;
        const char* failure;  // what the log says; null: it plays
    };
    const Row rows[] = {
        {camera_url(L"viewer:secret@", L"/cam{channel}"), nullptr, nullptr, 2, nullptr},
        {camera_url(L"", L"/cam1"), L"viewer", L"secret", 7, nullptr},
        {camera_url(L"", L"/cam1"), L"viewer", L"wrong", 1, "refused the user name or password"},
        {camera_url(L"viewer:secret@", L"/none"), nullptr, nullptr, 1, "no such stream"},
        {L"rtsp://viewer:secret@" + address() + L":8555/cam1", nullptr, nullptr, 1, "cannot be reached"},
        {L"rtsps://viewer:secret@" + address() + L":8554/cam1", nullptr, nullptr, 1, "this build has no TLS"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.url.begin(), row.url.end()));
        if (row.user)
            (void)control().set_usr(Bstr(L""), Bstr(row.user), Bstr(row.password));  // S_FALSE: no channel yet
        const size_t logged = log().size();
        const HRESULT opened = open_url(row.url, row.channel);
        if (!row.failure) {
            ASSERT_GE(opened, 0);
            EXPECT_TRUE(pump_until([&] { return status() == Pane_Stream::live; }, 5000));
            EXPECT_EQ(active_address(), row.url);
            EXPECT_EQ(active_channel(), row.channel);
            ASSERT_EQ(control().close_channel(0), S_OK);
            continue;
        }
        EXPECT_NE(status(), Pane_Stream::live);
        EXPECT_EQ(error_message(), error_text(error_server_login));
        const std::string said = log().substr(logged);
        EXPECT_NE(said.find(row.failure), std::string::npos) << said;
        EXPECT_EQ(said.find("secret"), std::string::npos) << "the password is never logged: " << said;
    }
}

TEST_F(Camera_Panes, ACameraPaneHasNoWebServiceYetSnapshotsRecordsWithSoundAndComesBack)
{
    Rtsp_Launch camera(sim.address(), {"/cam", camera_launch(true)});
    ASSERT_TRUE(camera.running());
    ASSERT_GE(open_url(camera_url(L"", L"/cam"), 3), 0);
    ASSERT_TRUE(pump_until([&] { return status() == Pane_Stream::live; }, 5000));

    const std::pair<const char*, std::function<HRESULT()>> service_members[] = {
        {"get_video_effect", [&] { return control().get_video_effect(); }},
        {"get_ptz", [&] { return control().get_ptz(); }},
        {"set_osdlogo", [&] { return control().set_osdlogo(); }},
        {"ptz_left", [&] { return control().ptz_left(); }},
    };
    for (const auto& member : service_members) {
        const size_t logged = log().size();
        EXPECT_EQ(member.second(), S_FALSE) << member.first;
        EXPECT_EQ(error_message(), error_text(error_communication)) << member.first;
        EXPECT_NE(log().substr(logged).find("plays a stream URL and has no web service"), std::string::npos)
            << member.first;
    }
    EXPECT_EQ(sim.requests().size(), 0u) << "nothing asked the address's port 8000";

    const std::wstring folder = fresh_c_folder("camera");
    ASSERT_EQ(control().put_save_filepath(Bstr(folder)), S_OK);
    ASSERT_EQ(control().capture(), S_OK);
    expect_snapshot_in(folder);

    ASSERT_EQ(control().put_enable_audio(1), S_OK);
    ASSERT_EQ(control().start_recorde(0), S_OK);
    (void)pump_until([] { return false; }, 3000);
    ASSERT_EQ(control().stop_recorde(0), S_OK);
    const Recording_Summary recording = read_recording(only_file(folder, L".mp4"));
    EXPECT_TRUE(recording.valid) << recording.problem;
    EXPECT_EQ(recording.channel, 3u);
    EXPECT_EQ(recording.audio_codec, "aac") << "G.711 is kept in MP4 as AAC";
}

TEST_F(Camera_Panes, ACameraSwitchedOffAndOnIsBackByItself)
{
    ASSERT_GE(open_url(L"rtsp://" + address() + L":12000/live/{channel}", 1), 0);
    ASSERT_TRUE(pump_until([&] { return status() == Pane_Stream::live; }, 5000));
    sim.stop();
    ASSERT_TRUE(pump_until([&] { return status() == Pane_Stream::lost; }, 9000));
    ASSERT_TRUE(sim.start());
    EXPECT_TRUE(pump_until([&] { return status() == Pane_Stream::live; }, 9000));
}

TEST_F(Camera_Panes, ADvrSnapshotTheServerCannotGiveIsThePictureShown)
{
    ASSERT_TRUE(sim.mode("snapshot", "http 503"));
    ASSERT_GE(open(1), 0);
    ASSERT_TRUE(pump_until([&] { return status() == Pane_Stream::live; }, 5000));
    const std::wstring folder = fresh_c_folder("dvr-picture");
    ASSERT_EQ(control().put_save_filepath(Bstr(folder)), S_OK);
    ASSERT_EQ(control().capture(), S_OK);
    const std::string path = only_file(folder, L".jpg");
    int width = 0, height = 0;
    EXPECT_TRUE(jpeg_size(read_file_bytes(path.c_str()), &width, &height)) << path;
    EXPECT_NE(log().find("the server gave no snapshot"), std::string::npos) << log();
}

// The key names the address as the host gives it, port and all; the
// template's {address} is the host alone.
TEST_F(Camera_Panes, ATemplateKeyedByAddressAndPortIsUsedAndAFailedOpenNamesItsUrl)
{
    Rtsp_Launch camera(sim.address(), {"/cam1", camera_launch(false)});
    ASSERT_TRUE(camera.running());
    const std::wstring key = L"Software\\kelm\\Servers\\" + address() + L":8000";
    const auto use_template = [&key](const std::wstring& url) {
        return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"StreamUrl", REG_SZ, url.c_str(),
                               static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t)));
    };
    ASSERT_EQ(use_template(L"rtsp://{address}:8554/cam{channel}"), ERROR_SUCCESS);
    ASSERT_GE(control().open_channel(Bstr(address() + L":8000"), 1), 0);
    EXPECT_TRUE(pump_until([&] { return status() == Pane_Stream::live; }, 5000));
    ASSERT_EQ(control().close_channel(0), S_OK);

    ASSERT_EQ(use_template(L"rtsp://{address}:8554/missing{channel}"), ERROR_SUCCESS);
    (void)control().open_channel(Bstr(address() + L":8000"), 1);
    EXPECT_NE(log().find("rtsp://" + sim.address() + ":8554/missing1 answered"), std::string::npos) << log();
    (void)RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());  // this test's alone
}
