// Building, opening and destroying channels many times leaves no handle,
// thread or GDI object behind, and one channel's clean-up does not stop
// another channel's stream.
#include "channel_fixture.h"

#include <tlhelp32.h>

#include "hikclient.h"

namespace {

DWORD thread_count()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++count;
    CloseHandle(snapshot);
    return count;
}

DWORD handle_count()
{
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

DWORD gdi_count()
{
    return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
}

} // namespace

// Each round is a whole RTSP session with its first picture (the server
// builds the channel's stream anew each time), about a quarter second.
TEST_F(Channel_Test, TwoHundredChannelsLeaveNothingBehind)
{
    // One round first, so whatever the system sets up once is counted in.
    make_channel(1)->open_channel();
    pump_for(100);
    const DWORD handles = handle_count(), threads = thread_count(), gdi = gdi_count();
    for (int i = 0; i < 200; ++i) {
        auto channel = make_channel(i % 16 + 1);
        ASSERT_EQ(channel->open_channel(), 0) << "round " << i;
        ASSERT_EQ(channel->close_channel(), 0) << "round " << i;
    }
    pump_for(200);
    EXPECT_LE(handle_count(), handles + 2);
    EXPECT_LE(thread_count(), threads);
    EXPECT_LE(gdi_count(), gdi + 2);
}

TEST_F(Channel_Test, OneChannelsCleanUpLeavesAnotherStreaming)
{
    auto staying = make_channel(1);
    ASSERT_EQ(staying->open_channel(), 0);
    {
        auto leaving = make_channel(2);
        ASSERT_EQ(leaving->open_channel(), 0);
        leaving->close_channel();
    }
    const unsigned long long before = window_pixels_hash(display.handle());
    pump_for(800);
    EXPECT_NE(window_pixels_hash(display.handle()), before) << "the stream stopped with the other channel";
    staying->close_channel();
}

TEST_F(Channel_Test, TakeLastErrorStartsAtZeroAndReturnsACodeOnce)
{
    auto channel = make_channel(1);
    EXPECT_EQ(channel->take_last_error(0, 0), 0);
    EXPECT_EQ(channel->start_recorde(L"C:\\"), -1);
    EXPECT_EQ(channel->take_last_error(0, 0), 9);
    EXPECT_EQ(channel->take_last_error(0, 0), 0);
}
