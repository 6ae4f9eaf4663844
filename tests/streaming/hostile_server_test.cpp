// The streaming library against RTSP servers that break the protocol on
// purpose (tests/rtsp/hostile-rtsp): whatever such a server says, a
// stream's open ends within the library's bounds, in its state, without
// following the server round in circles, setting up what it does not play,
// or letting its memory grow with what the server sends.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "dvr_sim.h"
#include "hikclient.h"
#include "hostile_rtsp.h"
#include "test_window.h"

namespace {

std::string test_name()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

const char servers_key[] = "Software\\kelm\\Servers\\";
// Each row's server has a port of its own: an earlier row's server may
// still be waiting to end.
const unsigned short first_port = 8600;
// How long a stream may stay "connecting" against any server: the open's
// silence limit and the reading's limit are 5 s each, measured from the
// start of the open and of the reading.
const DWORD settle_bound_ms = 6000;
// How far the process's peak memory may rise with one hostile server.  The
// most is a frame that never ends, which libavcodec's parser gathers up to
// 4 MiB, its buffer growing by reallocation on the way: about 8 MB.
const size_t memory_bound = 12 * 1024 * 1024;

/* The highest the process's resident memory has been: Wine keeps no peak
   of the committed memory, and what a server's bytes are read into is
   resident. */
size_t peak_resident_bytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

class Hostile_Server_Test : public ::testing::Test {
protected:
    Hostile_Server_Test() : address(Dvr_Sim::address_for(test_name())), server_key(servers_key + address)
    {
        window = make_test_window(WS_POPUP | WS_VISIBLE, 0, 0, 356, 292);
        EXPECT_TRUE(MP4_ClientStartup(3000, window));
        (void)RegDeleteTreeA(HKEY_CURRENT_USER, server_key.c_str());  // left by an earlier run, or not there
    }
    ~Hostile_Server_Test() override
    {
        while (MP4_ClientCleanup()) {
        }
        (void)DestroyWindow(window);  // the test's own window, or none to destroy
        (void)RegDeleteTreeA(HKEY_CURRENT_USER, server_key.c_str());  // the test's own key, gone with it
    }

    // The server's streams come from `url`, a template of the library.
    void serve_from(const std::string& url)
    {
        HKEY opened;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, server_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &opened, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(opened, "StreamUrl", 0, REG_SZ, reinterpret_cast<const BYTE*>(url.c_str()),
                                 static_cast<DWORD>(url.size() + 1)),
                  ERROR_SUCCESS);
        (void)RegCloseKey(opened);  // a key just opened, closed once
    }

    LONG start()
    {
        Client_Info info = {};
        info.channel = 1;
        info.link_mode = 1;
        info.server_ip = const_cast<char*>(address.c_str());
        info.user_name = const_cast<char*>("");
        info.password = const_cast<char*>("");
        info.display_window = window;
        return MP4_ClientStart(&info, nullptr);
    }

    // The state once it left "connecting", or "connecting" after `wait_ms`.
    static int settled_state(LONG handle, DWORD wait_ms)
    {
        int state = MP4_ClientGetState(handle);
        for (DWORD started = GetTickCount(); state == HIK_STATE_CONNECTING && GetTickCount() - started < wait_ms;) {
            Sleep(20);
            state = MP4_ClientGetState(handle);
        }
        return state;
    }

    const std::string address;
    const std::string server_key;
    HWND window = nullptr;
};

} // namespace

TEST_F(Hostile_Server_Test, EachHostileServerEndsTheStreamWithinItsBounds)
{
    const struct Row {
        const char* kind;
        unsigned connections;  // that sent a request
        const char* set_up;    // the tracks set up, in order
    } rows[] = {
        // Five redirects are followed, then the open fails.
        {"redirect-loop", 6, ""},
        // Only the first video track and the first audio track, which
        // comes after the 250th video track.
        {"many-tracks", 1, "video0 audio0"},
        // libavformat keeps the first 4 KB of a header line and goes on.
        {"huge-header", 1, "video0"},
        // A body of 100,000,000 bytes is refused before it is read.
        {"huge-length", 1, ""},
        // The open's 5 s run out during the first answer.
        {"trickle", 1, ""},
        // Frames of garbage go through a fixed buffer and are skipped
        // until the reading's 5 s run out.
        {"bad-interleaved", 1, "video0"},
        // What the parser gathers of the endless fragment stays within its
        // limit until the reading's 5 s run out.
        {"broken-fu-a", 1, "video0"},
    };
    unsigned short port = first_port;
    for (const Row& row : rows) {
        Hostile_Rtsp server(address, port, row.kind);
        ASSERT_TRUE(server.running()) << row.kind << " did not start (is something else at port " << port << "?)";
        serve_from("rtsp://{address}:" + std::to_string(port++) + "/" + row.kind);
        const size_t peak_before = peak_resident_bytes();
        const DWORD started = GetTickCount();
        const LONG handle = start();
        // A session without a picture is broken off, whatever broke it.
        EXPECT_EQ(settled_state(handle, settle_bound_ms + 2000), HIK_STATE_BROKEN_OFF) << row.kind;
        const DWORD settled_ms = GetTickCount() - started;
        const size_t peak_rise = peak_resident_bytes() - peak_before;
        EXPECT_LE(settled_ms, settle_bound_ms) << row.kind;
        EXPECT_LE(peak_rise, memory_bound) << row.kind;
        const Hostile_Counts counts = server.counts();
        EXPECT_EQ(counts.connections, row.connections) << row.kind;
        EXPECT_EQ(counts.set_up, row.set_up) << row.kind;
        EXPECT_TRUE(MP4_ClientStop(handle)) << row.kind;
        std::printf("%-16s settled after %5lu ms, peak memory +%4lu KiB, %u connections, %u DESCRIBE, %u SETUP\n",
                    row.kind, static_cast<unsigned long>(settled_ms), static_cast<unsigned long>(peak_rise / 1024),
                    counts.connections, counts.describes, counts.setups);
    }
}
