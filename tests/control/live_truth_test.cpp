// Lost streams against a real dvr-sim: a pane whose stream breaks off,
// stalls, or whose server goes away is reported and shown as lost, and is
// live again once the server answers, recording into a new file; the host's
// own close and the per-user setting end the reconnection.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "control_fixture.h"
#include "error_table.h"
#include "recording_reader.h"

namespace {

// Handles the control's messages (its watch runs on a timer) until `done`
// holds or `limit_ms` passed; whether it held.
bool pump_until(const std::function<bool()>& done, DWORD limit_ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limit_ms)
            return false;
        Control_Host::pump();
        Sleep(20);
    }
    return true;
}

// The longest single round of message handling while `done` is awaited: a
// round that long held the host's thread.
DWORD longest_round_until(const std::function<bool()>& done, DWORD limit_ms)
{
    DWORD longest = 0;
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start <= limit_ms) {
        const DWORD round = GetTickCount();
        Control_Host::pump();
        longest = std::max(longest, GetTickCount() - round);
        Sleep(20);
    }
    return longest;
}

// A listener on the stream port whose queue of connections nobody takes is
// full: a further connect is never answered.
class Deaf_Stream_Port {
public:
    explicit Deaf_Stream_Port(const std::string& address)
    {
        sockaddr_in where = {};
        where.sin_family = AF_INET;
        where.sin_port = htons(12000);
        where.sin_addr.s_addr = inet_addr(address.c_str());
        listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        ready = bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0 && listen(listener, 0) == 0;
        for (int i = 0; ready && i < 8; ++i) {
            SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            u_long non_blocking = 1;
            ioctlsocket(client, FIONBIO, &non_blocking);
            connect(client, reinterpret_cast<sockaddr*>(&where), sizeof where);
            clients.push_back(client);
        }
    }
    ~Deaf_Stream_Port()
    {
        for (SOCKET client : clients)
            closesocket(client);
        closesocket(listener);
    }
    bool ready = false;

private:
    SOCKET listener;
    std::vector<SOCKET> clients;
};

std::wstring pane_text(HWND pane)
{
    wchar_t text[256] = {};
    GetWindowTextW(pane, text, 256);
    return text;
}

std::vector<Recording_Summary> recordings_in(const std::wstring& folder)
{
    std::vector<Recording_Summary> found;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*.mp4").c_str(), &entry);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
        const std::wstring path = folder + L"\\" + entry.cFileName;
        found.push_back(read_recording(read_file_bytes(std::string(path.begin(), path.end()).c_str())));
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return found;
}

} // namespace

class Live_Truth : public Control_Channels {
protected:
    Pane_Stream status(int index) { return pane(index)->stream_status(); }
    bool all(int panes, Pane_Stream wanted)
    {
        for (int i = 0; i < panes; ++i) {
            if (status(i) != wanted)
                return false;
        }
        return true;
    }
    void open_panes(int panes)
    {
        ASSERT_EQ(control().put_ScreenMode(panes == 1 ? 1 : 16), S_OK);
        for (int i = 0; i < panes; ++i) {
            ASSERT_EQ(control().active_nth_screen(static_cast<SHORT>(i)), S_OK);
            ASSERT_GE(open(i + 1), 0) << "pane " << i;  // channels 1 to 16
        }
        ASSERT_EQ(control().active_nth_screen(0), S_OK);
    }
    std::wstring screen_state(int index)
    {
        Bstr info;
        EXPECT_EQ(control().get_screen_state(static_cast<USHORT>(index)), S_OK);
        EXPECT_EQ(control().get_screen_state_info(info.put()), S_OK);
        return info.str();
    }
    std::wstring error_message()
    {
        Bstr text;
        EXPECT_EQ(control().get_error_msg(text.put()), S_OK);
        return text.str();
    }
    // What a lost pane 0 reports and shows.
    void expect_lost_reported()
    {
        EXPECT_EQ(screen_state(0), L"");
        EXPECT_EQ(error_message(), error_text(error_server_login));
        EXPECT_EQ(error_message(), L"") << "the code is given once";
        EXPECT_NE(pane_text(host.pane(0)).find(L"Signal lost"), std::wstring::npos) << pane_text(host.pane(0));
    }
};

// Each fault is made while pane 0 records, then mended.
struct Fault {
    const char* name;
    const char* make;
    const char* mend;
};

TEST_F(Live_Truth, ALostStreamIsReportedShownAndBackWithItsRecordingInANewFile)
{
    const Fault faults[] = {
        {"cut", "stream break-after 30", "stream break-after 0"},
        {"stall", "stream stall 1", "stream stall 0"},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        const std::wstring folder = fresh_c_folder(fault.name);
        ASSERT_EQ(control().put_save_filepath(Bstr(folder)), S_OK);
        open_panes(1);
        ASSERT_EQ(control().start_recorde(0), S_OK);
        ASSERT_TRUE(sim.ok(fault.make));
        ASSERT_TRUE(pump_until([&] { return status(0) == Pane_Stream::lost; }, 9000));
        expect_lost_reported();
        ASSERT_TRUE(sim.ok(fault.mend));
        ASSERT_TRUE(pump_until([&] { return status(0) == Pane_Stream::live; }, 9000));
        EXPECT_EQ(screen_state(0), address() + L"," + std::wstring(1, L'\x0001'));
        EXPECT_EQ(pane_text(host.pane(0)), L"");
        Sleep(400);
        ASSERT_EQ(control().stop_recorde(0), S_OK);
        ASSERT_EQ(control().close_channel(0), S_OK);
        const std::vector<Recording_Summary> files = recordings_in(folder);
        ASSERT_GE(files.size(), 2u) << "the recording up to the loss, and the one after";
        for (const Recording_Summary& file : files)
            EXPECT_TRUE(file.valid) << file.problem;
    }
}

TEST_F(Live_Truth, SixteenPanesOfAServerThatGoesAwayAreBackWhenItReturns)
{
    open_panes(16);
    sim.stop();
    ASSERT_TRUE(pump_until([&] { return all(16, Pane_Stream::lost); }, 7000));
    expect_lost_reported();
    ASSERT_TRUE(sim.start());
    ASSERT_TRUE(pump_until([&] { return all(16, Pane_Stream::live); }, 6000));
    for (int i = 0; i < 16; ++i)
        EXPECT_NE(screen_state(i), L"") << "pane " << i;
}

TEST_F(Live_Truth, AServerThatTakesConnectionsButNeverAnswersTheLoginStaysLost)
{
    open_panes(1);
    ASSERT_TRUE(sim.ok("stream accept-delay 1000000"));
    ASSERT_TRUE(sim.ok("stream break-after 1"));
    ASSERT_TRUE(pump_until([&] { return status(0) == Pane_Stream::lost; }, 7000));
    // Attempts follow; none may bring it back while the server stays mute.
    EXPECT_FALSE(pump_until([&] { return status(0) == Pane_Stream::live; }, 8000));
    ASSERT_TRUE(sim.ok("stream accept-delay 0"));
    ASSERT_TRUE(sim.ok("stream break-after 0"));
    EXPECT_TRUE(pump_until([&] { return status(0) == Pane_Stream::live; }, 12000));
}

TEST_F(Live_Truth, AHostThatNeverAnswersKeepsThePaneLostWithoutHoldingTheHost)
{
    open_panes(1);
    sim.stop();
    ASSERT_TRUE(pump_until([&] { return status(0) == Pane_Stream::lost; }, 7000));
    {
        Deaf_Stream_Port deaf(sim.address());
        ASSERT_TRUE(deaf.ready);
        EXPECT_LT(longest_round_until([] { return false; }, 4000), 500u) << "the probe waits, not the host";
        EXPECT_EQ(status(0), Pane_Stream::lost);
    }
    ASSERT_TRUE(sim.start());
    EXPECT_TRUE(pump_until([&] { return status(0) == Pane_Stream::live; }, 6000));
}

TEST_F(Live_Truth, TheHostsCloseAndTheSettingOffEndReconnection)
{
    Control_Host second;
    kelm_ctrl_probe::reconnect(second.control()) = false;  // as the user's AutoReconnect value 0 sets it
    ASSERT_GE(second.control().open_channel(Bstr(address()), 2), 0);
    open_panes(1);

    sim.stop();
    Screen* unattended = kelm_ctrl_probe::screens(second.control())[0];
    ASSERT_TRUE(pump_until([&] { return status(0) == Pane_Stream::lost && unattended->stream_status() ==
                                            Pane_Stream::lost; }, 7000));
    EXPECT_NE(pane_text(second.pane(0)).find(L"reconnection is off"), std::wstring::npos);
    ASSERT_EQ(control().close_channel(0), S_OK);
    EXPECT_EQ(pane_text(host.pane(0)), L"");
    ASSERT_TRUE(sim.start());
    EXPECT_FALSE(pump_until([&] { return status(0) != Pane_Stream::closed ||
                                         unattended->stream_status() != Pane_Stream::lost; }, 4000));
}
