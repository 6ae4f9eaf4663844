// A pane without a channel: every forwarder answers -1, two of them leave a
// line in the log; destroying the panes closes their channels.
#include <gtest/gtest.h>

#include <regex>

#include "bstr.h"
#include "control_host.h"
#include "dvr_sim.h"
#include "logger.h"
#include "screen.h"
#include "text_file.h"

TEST(PaneChannel, ForwardersWithoutAChannelAnswerMinusOne)
{
    Control_Host host;
    // After the control's window opened its own log file.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string log = std::string(temp) + unique_token("pane") + ".log";
    ASSERT_EQ(Logger::instance().open(log.c_str()), 0);

    Screen& pane = *kelm_ctrl_probe::screens(host.control())[3];
    Video_Para para = {};
    Video_Effect effect = {};
    Osd_Logo logo = {};
    Ptz_Para ptz = {};
    EXPECT_EQ(pane.start_recorde(L"C:\\"), -1);
    EXPECT_EQ(pane.stop_recorde(), -1);
    EXPECT_EQ(pane.snapshot(L"C:\\"), -1);
    EXPECT_EQ(pane.get_video_para(&para, 0), -1);
    EXPECT_EQ(pane.get_video_effect(&effect, 0), -1);
    EXPECT_EQ(pane.set_video_effect(effect, 0), -1);
    EXPECT_EQ(pane.set_osdlogo(logo, 0), -1);
    EXPECT_EQ(pane.get_osdlogo(&logo, 0), -1);
    EXPECT_EQ(pane.set_ptz(1, 2, 3, 0), -1);
    EXPECT_EQ(pane.get_ptz(&ptz, 0), -1);
    EXPECT_EQ(pane.set_usr(L"old", L"user", L"password"), -1);
    EXPECT_TRUE(pane.channel_params().user_set) << "the credentials are kept for the next channel";
    EXPECT_EQ(pane.channel_params().user_name, L"user");
    EXPECT_EQ(pane.close_channel(), 0);

    const std::string before = read_file_bytes(log.c_str());
    EXPECT_EQ(pane.ptz_op(1, 2, 3), -1);
    EXPECT_EQ(pane.set_video_para(para, 0), -1);
    const std::string added = read_file_bytes(log.c_str()).substr(before.size());
    const std::string stamp = R"(\d{4}-\d\d-\d\d  \d\d:\d\d:\d\d:\d{1,3})";
    EXPECT_TRUE(std::regex_match(added, std::regex(stamp + "0" + stamp + "0 channel set video parameter error")))
        << added;
}

TEST(PaneChannel, NewParametersReachTheNextChannelOnly)
{
    Control_Host host;
    Screen& pane = *kelm_ctrl_probe::screens(host.control())[0];
    EXPECT_EQ(pane.channel_params().server_port, 12000);
    EXPECT_EQ(pane.channel_params().client_port, 6050);
    EXPECT_EQ(pane.channel_params().channel_index, 0);
    EXPECT_FALSE(pane.channel_params().user_set);
    const std::wstring long_user(128, L'u');
    EXPECT_EQ(pane.set_usr(L"", long_user.c_str(), L""), -1);
    EXPECT_FALSE(pane.channel_params().user_set) << "refused before anything was stored";
}

TEST(PaneChannel, DestroyingTheControlsWindowClosesEveryChannel)
{
    Dvr_Sim sim(Dvr_Sim::number_for("PaneChannel.DestroyingTheControlsWindowClosesEveryChannel"));
    ASSERT_TRUE(sim.running());
    Control_Host host;
    host.resize_client(641, 481);
    ASSERT_EQ(host.control().put_ScreenMode(4), S_OK);
    const std::wstring address(sim.address().begin(), sim.address().end());
    for (SHORT pane = 0; pane < 3; ++pane) {
        ASSERT_EQ(host.control().active_nth_screen(pane), S_OK);
        ASSERT_GE(host.control().open_channel(Bstr(address), pane), 0);
    }
    Sleep(300);
    const unsigned streaming = sim.stream_count("frames-sent");
    EXPECT_GT(streaming, 0u);
    host.control().destroy_window();
    Sleep(300);
    const unsigned after_close = sim.stream_count("frames-sent");
    Sleep(500);
    EXPECT_LE(sim.stream_count("frames-sent"), after_close + 3) << "streams still running after the panes were destroyed";
    EXPECT_EQ(kelm_ctrl_probe::pane_channel(host.control(), 2), 2) << "the per-pane records survive";
}
