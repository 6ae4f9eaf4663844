// The live stream of a channel: opening into a real window, the connection
// states, closing and reopening, recording and audio.
#include "channel_fixture.h"

#include <cstring>
#include <ctime>
#include <functional>

#include "hik_channel_impl.h"
#include "hikclient_test.h"
#include "logger.h"
#include "recording_reader.h"
#include "text_file.h"

namespace {

// This process's log entries in a file of their own.
std::string open_private_log()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string path = std::string(temp) + unique_token("channel-log") + ".log";
    EXPECT_EQ(Logger::instance().open(path.c_str()), 0);
    return path;
}

// GBK bytes of the connection-state lines, as the file holds them.
const char refused_line[] = "\xb7\xfe\xce\xf1\xb6\xcb\xbe\xdc\xbe\xf8\xb7\xc3\xce\xca\r\n";  // 服务端拒绝访问
const char unreachable_line[] = "\xce\xde\xb7\xa8\xc1\xaa\xcf\xb5\xb7\xfe\xce\xf1\xb6\xcb\r\n";  // 无法联系服务端
const char invalid_line[] = "\xce\xde\xd0\xa7\r\n";  // 无效
const char connected_stem[] = "\xb7\xfe\xce\xf1\xb6\xcb\xd5\xfd\xb3\xa3 handle:";  // 服务端正常

std::wstring fresh_recording_folder()
{
    const std::wstring folder = fresh_folder(L"rec") + L"\\";
    EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    return folder;
}

DWORD milliseconds_taken_by(const std::function<void()>& call)
{
    const DWORD start = GetTickCount();
    call();
    return GetTickCount() - start;
}

// Named pipes that nobody reads, standing in for a disk that stops
// answering: made under the names a recording of `channel` gets in this
// second and the next (the folder being L"\\\\.\\pipe\\").
class Stalled_Disk {
public:
    explicit Stalled_Disk(int channel)
    {
        const long now = static_cast<long>(time(nullptr));
        for (long seconds : {now, now + 1}) {
            const std::string name = "\\\\.\\pipe\\" + std::to_string(seconds) + "-" + std::to_string(channel) + ".mp4";
            pipes.push_back(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
            EXPECT_NE(pipes.back(), INVALID_HANDLE_VALUE);
        }
    }
    ~Stalled_Disk()
    {
        for (HANDLE pipe : pipes)
            CloseHandle(pipe);
    }

    // True when the recording that opened one of the pipes has closed it;
    // what it wrote is read away to find out.
    bool recording_closed() const
    {
        for (HANDLE pipe : pipes) {
            DWORD waiting = 0;
            BOOL open;
            while ((open = PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr)) && waiting > 0) {
                std::vector<char> bytes(waiting);
                ReadFile(pipe, bytes.data(), waiting, &waiting, nullptr);
            }
            if (!open && GetLastError() == ERROR_BROKEN_PIPE)
                return true;
        }
        return false;
    }

private:
    std::vector<HANDLE> pipes;
};

} // namespace

TEST_F(Channel_Test, AnOpenChannelPaintsMovingPicturesIntoItsWindow)
{
    auto channel = make_channel(2);
    ASSERT_EQ(channel->open_channel(), 0);
    pump_for(700);
    const unsigned long long first = window_pixels_hash(display.handle());
    pump_for(700);
    const unsigned long long second = window_pixels_hash(display.handle());
    EXPECT_NE(first, second);
    RECT client;
    GetClientRect(display.handle(), &client);
    HDC dc = GetDC(display.handle());
    const COLORREF middle = GetPixel(dc, client.right / 2, client.bottom / 2);
    ReleaseDC(display.handle(), dc);
    EXPECT_NE(middle, RGB(0, 0, 0)) << "nothing painted";
    EXPECT_EQ(channel->close_channel(), 0);
    EXPECT_EQ(channel->take_last_error(0, 0), 0);
}

TEST_F(Channel_Test, AcceptedStreamsLogTheConnectionAndTheVideoSignal)
{
    const std::string log = open_private_log();
    auto channel = make_channel(1);
    ASSERT_EQ(channel->open_channel(), 0);
    const std::string entries = read_file_bytes(log.c_str());
    EXPECT_NE(entries.find("open channel:1 failure result is "), std::string::npos);
    EXPECT_NE(entries.find(connected_stem), std::string::npos);
    EXPECT_NE(entries.find("r \xce\xaa 1 \r\n"), std::string::npos) << "r 为 1";
    channel->close_channel();
}

TEST_F(Channel_Test, ASlowAcceptanceWithinThreeSecondsCountsAsConnectedOnceItRuns)
{
    ASSERT_TRUE(sim.ok("stream accept-delay 1500"));
    auto channel = make_channel(1);
    const DWORD start = GetTickCount();
    EXPECT_EQ(channel->open_channel(), 0);
    const DWORD spent = GetTickCount() - start;
    EXPECT_GE(spent, 1400u);
    EXPECT_LT(spent, 2900u) << "the wait ends when the stream runs, not after three seconds";
    EXPECT_EQ(channel->take_last_error(0, 0), 0);
    channel->close_channel();
}

TEST_F(Channel_Test, AnAcceptanceLaterThanThreeSecondsFailsWithCode10)
{
    const std::string log = open_private_log();
    ASSERT_TRUE(sim.ok("stream accept-delay 5000"));
    auto channel = make_channel(1);
    EXPECT_EQ(channel->open_channel(), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 10);
    const std::string entries = read_file_bytes(log.c_str());
    EXPECT_NE(entries.find(invalid_line), std::string::npos);
    EXPECT_NE(entries.find("open channel:1 failure \r\n"), std::string::npos);
}

TEST_F(Channel_Test, ARefusedLoginFailsWithCode10)
{
    const std::string log = open_private_log();
    Channel_Param param = param_for(1);
    param.user_name = L"admin";
    param.password = L"wrong password";
    auto channel = make_channel(param);
    EXPECT_EQ(channel->open_channel(), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 10);
    EXPECT_NE(read_file_bytes(log.c_str()).find(refused_line), std::string::npos);
}

TEST_F(Channel_Test, NothingListeningFailsWithCode10)
{
    const std::string log = open_private_log();
    sim.stop();
    auto channel = make_channel(1);
    EXPECT_EQ(channel->open_channel(), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 10);
    EXPECT_NE(read_file_bytes(log.c_str()).find(unreachable_line), std::string::npos);
}

TEST_F(Channel_Test, AChannelWithoutVideoSignalStillCountsAsConnected)
{
    // The library reports its own state 4 for a stream without signal, a
    // state the channel does not list as a failure.
    ASSERT_TRUE(sim.ok("set-channel 3 signal 0"));
    auto channel = make_channel(3);
    EXPECT_EQ(channel->open_channel(), 0);
    EXPECT_EQ(channel->take_last_error(0, 0), 0);
    channel->close_channel();
}

TEST_F(Channel_Test, AClosedChannelReopensAndAFailedOneLeavesNoStreamBehind)
{
    auto channel = make_channel(1);
    ASSERT_EQ(channel->open_channel(), 0);
    EXPECT_EQ(channel->close_channel(), 0);
    ASSERT_EQ(channel->open_channel(), 0);
    EXPECT_EQ(channel->close_channel(), 0);

    // A failed open stops what it started: the window is not painted later.
    ASSERT_TRUE(sim.ok("stream accept-delay 5000"));
    auto slow = make_channel(1);
    EXPECT_EQ(slow->open_channel(), -1);
    DWORD painted_before = 0, painted_after = 0;
    HIK_ClientLibraryStats(nullptr, &painted_before);
    pump_for(2500);  // the server answers the login meanwhile
    HIK_ClientLibraryStats(nullptr, &painted_after);
    EXPECT_EQ(painted_after, painted_before);
}

TEST_F(Channel_Test, ClosingAChannelThatNeverOpenedAsksTheLibraryAboutHandleMinusOne)
{
    auto channel = make_channel(1);
    EXPECT_EQ(channel->close_channel(), -1);  // the library knows no handle -1
    EXPECT_EQ(channel->take_last_error(0, 0), 0);
}

TEST_F(Channel_Test, RecordingNeedsAnOpenStream)
{
    const std::wstring folder = fresh_folder(L"rec") + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    auto channel = make_channel(1);
    EXPECT_EQ(channel->start_recorde(folder.c_str()), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 9);
    EXPECT_EQ(channel->take_last_error(0, 0), 0) << "a code is read once";
    EXPECT_TRUE(files_in(folder, L"*").size() <= 2u);  // "." and ".."
}

TEST_F(Channel_Test, ARecordingGrowsWhileRecordingAndReadsBackWhole)
{
    const std::wstring folder = fresh_folder(L"rec") + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    auto channel = make_channel(5);
    ASSERT_EQ(channel->open_channel(), 0);
    const time_t started = time(nullptr);
    ASSERT_EQ(channel->start_recorde(folder.c_str()), 0);
    const std::vector<std::wstring> files = files_in(folder, L"*.mp4");
    ASSERT_EQ(files.size(), 1u);
    const std::wstring name = files[0];
    // "<seconds>-<channel>.mp4"
    const long seconds = std::stol(name.substr(0, name.find(L'-')));
    EXPECT_LE(std::labs(seconds - static_cast<long>(started)), 1L);
    EXPECT_EQ(name.substr(name.find(L'-')), L"-5.mp4");

    const std::string path = narrow(folder + name);
    // Written a fragment (at most a second) at a time.
    pump_for(600);
    const size_t early = read_file_bytes(path.c_str()).size();
    pump_for(1500);
    const size_t later = read_file_bytes(path.c_str()).size();
    EXPECT_GT(later, early);
    EXPECT_EQ(channel->stop_recorde(), 0);
    EXPECT_EQ(channel->stop_recorde(), -1) << "nothing is recording any more";
    channel->close_channel();

    const Recording_Summary recording = read_recording(path);
    EXPECT_TRUE(recording.valid) << recording.problem;
    EXPECT_EQ(recording.channel, 5u);
    EXPECT_GE(recording.frames, 8u);
}

TEST_F(Channel_Test, RecordingNeedsAStreamThatDeliversFrames)
{
    const struct { const char* command; int channel; } dead_streams[] = {
        {"stream break-after 10", 2},   // broken off by the server after a second
        {"set-channel 3 signal 0", 3},  // accepted without a video signal
    };
    for (const auto& dead : dead_streams) {
        ASSERT_TRUE(sim.ok(dead.command));
        const std::wstring folder = fresh_recording_folder();
        auto channel = make_channel(dead.channel);
        ASSERT_EQ(channel->open_channel(), 0) << dead.command;
        pump_for(2000);
        EXPECT_EQ(channel->start_recorde(folder.c_str()), -1) << dead.command;
        EXPECT_EQ(channel->take_last_error(0, 0), 9) << dead.command;
        EXPECT_TRUE(files_in(folder, L"*.mp4").empty()) << dead.command;
        channel->close_channel();
    }
}

TEST_F(Channel_Test, RecordingsOfOneSecondAreAllKept)
{
    // Two panes showing one channel, and one of them recording again at once.
    const std::wstring folder = fresh_recording_folder();
    auto first = make_channel(2), second = make_channel(2);
    ASSERT_EQ(first->open_channel(), 0);
    ASSERT_EQ(second->open_channel(), 0);
    ASSERT_EQ(first->start_recorde(folder.c_str()), 0);
    ASSERT_EQ(second->start_recorde(folder.c_str()), 0);
    ASSERT_EQ(first->stop_recorde(), 0);
    ASSERT_EQ(first->start_recorde(folder.c_str()), 0);
    pump_for(500);
    EXPECT_EQ(first->stop_recorde(), 0);
    EXPECT_EQ(second->stop_recorde(), 0);
    first->close_channel();
    second->close_channel();

    const std::vector<std::wstring> files = files_in(folder, L"*.mp4");
    ASSERT_EQ(files.size(), 3u);
    for (const std::wstring& name : files) {
        EXPECT_EQ(name.substr(name.find(L'-'), 2), L"-2") << narrow(name);
        const Recording_Summary recording = read_recording(narrow(folder + name));
        EXPECT_TRUE(recording.valid) << narrow(name) << ": " << recording.problem;
    }
}

TEST_F(Channel_Test, AStalledRecordingWriteHoldsUpNeitherStopNorClose)
{
    const wchar_t pipe_folder[] = L"\\\\.\\pipe\\";
    Stalled_Disk stopped_disk(3), closed_disk(6);
    auto stopped = make_channel(3), closed = make_channel(6);
    ASSERT_EQ(stopped->open_channel(), 0);
    ASSERT_EQ(closed->open_channel(), 0);
    ASSERT_EQ(stopped->start_recorde(pipe_folder), 0);
    ASSERT_EQ(closed->start_recorde(pipe_folder), 0);
    pump_for(800);  // a frame fills each pipe; both writes now wait

    EXPECT_LT(milliseconds_taken_by([&] { EXPECT_EQ(stopped->stop_recorde(), 0); }), 1000u);
    EXPECT_TRUE(stopped_disk.recording_closed());
    stopped->close_channel();
    EXPECT_LT(milliseconds_taken_by([&] { EXPECT_EQ(closed->close_channel(), 0); }), 1000u);
    EXPECT_TRUE(closed_disk.recording_closed());

    DWORD painted_before = 0, painted_after = 0;
    HIK_ClientLibraryStats(nullptr, &painted_before);
    pump_for(500);
    HIK_ClientLibraryStats(nullptr, &painted_after);
    EXPECT_EQ(painted_after, painted_before) << "a closed channel's stream still paints";
}

TEST_F(Channel_Test, ARecordingWithoutADirectoryIsRefused)
{
    auto channel = make_channel(1);
    ASSERT_EQ(channel->open_channel(), 0);
    EXPECT_EQ(channel->start_recorde(L""), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 7);
    channel->close_channel();
}

TEST_F(Channel_Test, AudioNeedsAnOpenStreamAndSetsNoCode)
{
    auto channel = std::unique_ptr<Hik_Channel_Impl>(new Hik_Channel_Impl(param_for(1), display.handle()));
    EXPECT_EQ(channel->start_audio(), -1);
    EXPECT_EQ(channel->stop_audio(), -1);
    channel->set_audio_volume(40);
    EXPECT_EQ(channel->get_audio_volume(), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 0);

    ASSERT_EQ(channel->open_channel(), 0);
    EXPECT_EQ(channel->start_audio(), -1) << "a stream without an audio track has no sound";
    EXPECT_EQ(channel->take_last_error(0, 0), 0);
    channel->close_channel();

    // Channel 1's stream is built already, without sound; channel 2's is
    // built with it.
    ASSERT_TRUE(sim.ok("stream audio pcmu"));
    auto heard = std::unique_ptr<Hik_Channel_Impl>(new Hik_Channel_Impl(param_for(2), display.handle()));
    ASSERT_EQ(heard->open_channel(), 0);
    EXPECT_EQ(heard->start_audio(), 0);
    heard->set_audio_volume(40);
    EXPECT_EQ(heard->get_audio_volume(), 40);
    EXPECT_EQ(heard->stop_audio(), 0);
    EXPECT_EQ(heard->stop_audio(), -1) << "no audio is playing";
    heard->close_channel();
}

TEST_F(Channel_Test, TheStateReportNeedsAnOpenStream)
{
    auto channel = make_channel(7);
    Channel_State state;
    memset(&state, 0xcd, sizeof state);
    EXPECT_EQ(channel->get_channel_state(&state), -1);
    EXPECT_EQ(static_cast<unsigned char>(state.server_ip[0]), 0xcd) << "left untouched";

    ASSERT_EQ(channel->open_channel(), 0);
    ASSERT_EQ(channel->get_channel_state(&state), 0);
    EXPECT_STREQ(state.server_ip, sim.address().c_str());
    EXPECT_EQ(state.channel_index, 7);
    channel->close_channel();
    EXPECT_EQ(channel->get_channel_state(&state), -1);
}

TEST_F(Channel_Test, AnAddressTooLongForTheLibraryIsRefused)
{
    Channel_Param param = param_for(1);
    param.server_ip = std::wstring(40, L'1');
    auto channel = make_channel(param);
    EXPECT_EQ(channel->open_channel(), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 10);
}
