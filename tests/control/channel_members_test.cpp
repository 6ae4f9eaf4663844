// The control's channel members on a real control window with dvr-sim
// serving the channels: open and close with the per-pane records, the
// active pane, recording and capture into the save directory, pane state.
#include <gtest/gtest.h>

#include <cwchar>

#include "control_fixture.h"

TEST_F(Control_Channels, OpenRecordsThePaneAndCloseResetsIt)
{
    const HRESULT handle = open(3);
    EXPECT_GE(handle, 0);
    EXPECT_LE(handle, 32767);
    EXPECT_EQ(active_channel(), 3);
    EXPECT_EQ(active_address(), address());
    EXPECT_TRUE(pane(0)->channel_open());

    EXPECT_EQ(control().close_channel(12345), S_OK);
    EXPECT_EQ(active_channel(), -1);
    EXPECT_EQ(active_address(), L"");
    EXPECT_EQ(pane(0)->channel_handle(), nullptr);
}

TEST_F(Control_Channels, TheActivePaneIsTheOneOpenedAndReported)
{
    ASSERT_EQ(control().put_ScreenMode(4), S_OK);
    ASSERT_EQ(control().active_nth_screen(2), S_OK);
    ASSERT_GE(open(6), 0);
    EXPECT_TRUE(pane(2)->channel_open());
    EXPECT_FALSE(pane(0)->channel_open());
    EXPECT_EQ(active_channel(), 6);
    ASSERT_EQ(control().active_nth_screen(0), S_OK);
    EXPECT_EQ(active_channel(), -1);
    SHORT index = -7;
    EXPECT_EQ(control().get_current_screen_num(&index), S_OK);
    EXPECT_EQ(index, 0);
}

TEST_F(Control_Channels, EmptyOrSpaceLedOrOverlongAddressesAreRefusedWithoutACode)
{
    for (const wchar_t* text : {L"", L" 127.0.0.1", L"12345678901234567890"}) {
        EXPECT_EQ(control().open_channel(Bstr(text), 1), S_FALSE) << text;
        EXPECT_EQ(kelm_ctrl_probe::error_code(control()), 0);
        EXPECT_EQ(pane(0)->channel_handle(), nullptr);
    }
    EXPECT_EQ(control().open_channel(nullptr, 1), S_FALSE);
}

// Channel 17 does not exist on a 16-channel server: the pane must not be
// reported as showing it.
TEST_F(Control_Channels, OpeningAnOpenPaneKeepsTheStreamAndStillNamesIt)
{
    ASSERT_GE(open(3), 0);
    Channel* running = pane(0)->channel_handle();
    const HRESULT handle = open(17);
    EXPECT_GE(handle, 0);
    EXPECT_EQ(pane(0)->channel_handle(), running);
    EXPECT_EQ(pane(0)->channel_params().channel_index, 3) << "the stream is not rebuilt";
    EXPECT_EQ(active_channel(), 3);
    EXPECT_EQ(active_address(), address());
}

TEST_F(Control_Channels, AFailedOpenKeepsItsChannelUntilClosed)
{
    // Nothing listens on the stream port given.
    ASSERT_EQ(pane(0)->set_net(1, 6050, 0, 128), 0);
    EXPECT_EQ(open(2), S_FALSE);
    EXPECT_EQ(kelm_ctrl_probe::error_code(control()), 10);
    EXPECT_EQ(active_channel(), -1);
    Channel* kept = pane(0)->channel_handle();
    ASSERT_NE(kept, nullptr);

    // The port is right again, but the kept channel still has the old one.
    ASSERT_EQ(pane(0)->set_net(12000, 6050, 0, 128), 0);
    EXPECT_EQ(open(2), S_FALSE);
    EXPECT_EQ(pane(0)->channel_handle(), kept);

    EXPECT_EQ(control().close_channel(0), S_OK);
    EXPECT_GE(open(2), 0) << "a fresh channel takes the current parameters";
}

TEST_F(Control_Channels, SetNetOnAnOpenPaneChangesOnlyTheParameters)
{
    ASSERT_GE(open(1), 0);
    ASSERT_EQ(pane(0)->set_net(1, 2, 3, 4), 0);
    EXPECT_EQ(pane(0)->channel_params().server_port, 1);
    EXPECT_EQ(pane(0)->channel_params().ttl, 4);
    Channel_State state;
    EXPECT_EQ(pane(0)->channel_handle()->get_channel_state(&state), 0) << "the stream runs on";
}

TEST_F(Control_Channels, ActiveNthScreenStaysInsideTheShownPanes)
{
    ASSERT_EQ(control().put_ScreenMode(4), S_OK);
    EXPECT_EQ(control().active_nth_screen(3), S_OK);
    EXPECT_EQ(control().active_nth_screen(4), S_FALSE);
    EXPECT_EQ(control().active_nth_screen(-1), S_FALSE);
    ASSERT_EQ(control().put_ScreenMode(16), S_OK);
    EXPECT_EQ(control().active_nth_screen(15), S_OK);
    EXPECT_EQ(control().active_nth_screen(16), S_FALSE);
    EXPECT_EQ(kelm_ctrl_probe::active_index(control()), 15);
}

TEST_F(Control_Channels, TheSaveDirectoryIsNormalisedAndCreated)
{
    const std::wstring folder = fresh_c_folder("rec");
    ASSERT_EQ(control().set_file_path(Bstr(folder)), S_OK);
    Bstr stored;
    ASSERT_EQ(control().get_save_filepath(stored.put()), S_OK);
    std::wstring expected = folder + L"/";
    expected[2] = L'/';
    EXPECT_EQ(stored.str(), expected);
    EXPECT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);

    // Doubled and mixed separators collapse.
    ASSERT_EQ(control().set_file_path(Bstr(L"c:\\\\" + folder.substr(3) + L"//b\\")), S_OK);
    ASSERT_EQ(control().get_save_filepath(stored.put()), S_OK);
    EXPECT_EQ(stored.str(), L"c:/" + folder.substr(3) + L"/b/");
}

TEST_F(Control_Channels, BadSaveDirectoriesFailWithCode7AndKeepThePreviousOne)
{
    const std::wstring good = fresh_c_folder("rec");
    ASSERT_EQ(control().set_file_path(Bstr(good)), S_OK);
    const std::wstring missing_parent = fresh_c_folder("missing") + L"\\rec";
    for (const std::wstring& bad : {missing_parent, std::wstring(L"rec"), std::wstring(L""),
                                    std::wstring(L" C:\\x")}) {
        EXPECT_EQ(control().set_file_path(Bstr(bad)), S_FALSE);
        EXPECT_EQ(kelm_ctrl_probe::error_code(control()), 7);
    }
    EXPECT_EQ(control().put_save_filepath(Bstr(L"rec")), S_FALSE);
    Bstr stored;
    ASSERT_EQ(control().get_save_filepath(stored.put()), S_OK);
    EXPECT_EQ(stored.str().substr(3), good.substr(3) + L"/");
}

TEST_F(Control_Channels, CaptureWithoutASaveDirectoryFailsWithCode7InThePane)
{
    ASSERT_GE(open(1), 0);
    EXPECT_EQ(control().capture(), S_FALSE);
    EXPECT_EQ(pane(0)->take_last_error(), 7);
}

TEST_F(Control_Channels, RecordingAndCaptureLandInTheSaveDirectory)
{
    const std::wstring folder = fresh_c_folder("media");
    ASSERT_EQ(control().put_save_filepath(Bstr(folder)), S_OK);
    ASSERT_GE(open(4), 0);
    EXPECT_EQ(control().start_recorde(0), S_OK);
    EXPECT_EQ(control().capture(), S_OK);
    Sleep(500);
    EXPECT_EQ(control().stop_recorde(0), S_OK);
    EXPECT_EQ(pane(0)->channel_handle()->take_last_error(0, 0), 0);

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*-4.mp4").c_str(), &found);
    EXPECT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    search = FindFirstFileW((folder + L"\\*-4.jpg").c_str(), &found);
    EXPECT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
}

TEST_F(Control_Channels, ScreenStateGivesTheAddressAndTheChannelAsOneCodeUnit)
{
    ASSERT_EQ(control().put_ScreenMode(4), S_OK);
    ASSERT_EQ(control().active_nth_screen(1), S_OK);
    ASSERT_GE(open(5), 0);

    ASSERT_EQ(control().get_screen_state(1), S_OK);
    Bstr info;
    ASSERT_EQ(control().get_screen_state_info(info.put()), S_OK);
    EXPECT_EQ(info.str(), address() + L"," + std::wstring(1, L'\x0005'));

    ASSERT_EQ(control().get_screen_state(5), S_OK);  // never had a channel
    ASSERT_EQ(control().get_screen_state_info(info.put()), S_OK);
    EXPECT_EQ(info.str(), L"");
    ASSERT_EQ(control().get_screen_state(99), S_OK);
    ASSERT_EQ(control().get_screen_state_info(info.put()), S_OK);
    EXPECT_EQ(info.str(), L"");
}
