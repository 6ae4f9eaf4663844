// The control's login and settings members on a real control window, with
// dvr-sim's request log and channel state showing what reached the server.
#include <gtest/gtest.h>

#include <cstdio>

#include "control_fixture.h"

namespace {

const wchar_t login_error[] = L"\x670d\x52a1\x5668\x767b\x9646\x9519\x8bef\xff01";  // 服务器登陆错误！
const wchar_t user_refused[] = L"\x670d\x52a1\x5668\x62d2\x7edd\x6b64\x7528\x6237\x540d\x767b\x9646\xff01";
const wchar_t record_error[] = L"\x5f55\x50cf\x9519\x8bef";  // 录像错误

time_t fake_now = 1000000;
time_t fake_clock() { return fake_now; }

class Control_Settings : public Control_Channels {
protected:
    std::wstring error_msg()
    {
        Bstr text;
        EXPECT_EQ(control().get_error_msg(text.put()), S_OK);
        return text.str();
    }

    HRESULT login(const wchar_t* ip, const wchar_t* user, const wchar_t* password)
    {
        return control().login(Bstr(ip), Bstr(user), Bstr(password));
    }

    long privilege()
    {
        LONG mask = 0;
        EXPECT_EQ(control().get_privilege(&mask), S_OK);
        return mask;
    }

    size_t requests_of(const std::string& operation) const
    {
        size_t count = 0;
        for (const Sim_Request& request : sim.requests())
            count += request.operation == operation;
        return count;
    }

    int field(int channel, const char* name) const { return std::stoi(sim.channel_field(channel, name)); }
};

} // namespace

TEST_F(Control_Settings, ErrorTextsComeFromTheControlFirstThenTheActiveChannel)
{
    ASSERT_EQ(pane(0)->set_net(1, 6050, 0, 128), 0);  // nothing listens there
    EXPECT_EQ(open(2), S_FALSE);
    EXPECT_EQ(error_msg(), login_error) << "the control's code";
    EXPECT_EQ(error_msg(), login_error) << "the channel's own code";
    EXPECT_EQ(error_msg(), L"");

    EXPECT_EQ(control().start_recorde(0), S_FALSE);  // the stream never opened
    EXPECT_EQ(error_msg(), record_error);
    EXPECT_EQ(error_msg(), L"");
}

TEST_F(Control_Settings, TheLocalLoginTakesOnlyItsOwnCredential)
{
    SHORT state = 7;
    EXPECT_EQ(login(L"", L"Quzap", L"Quzap"), S_FALSE);
    EXPECT_EQ(privilege(), 0xFFFF);
    EXPECT_EQ(control().get_is_login(&state), S_OK);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(login(L" 1.2.3.4", L"Quzap", L"quzap"), S_FALSE);
    EXPECT_EQ(privilege(), -1);
    EXPECT_EQ(control().get_is_login(&state), S_FALSE);
    EXPECT_EQ(state, -1);
    EXPECT_TRUE(sim.requests().empty());
    EXPECT_EQ(error_msg(), L"") << "no code for a local login";
}

TEST_F(Control_Settings, TheServersMaskGatesTheMembers)
{
    ASSERT_TRUE(sim.ok("user five pw 5"));
    EXPECT_EQ(login(address().c_str(), L"five", L"pw"), S_OK);
    EXPECT_EQ(privilege(), 5);
    EXPECT_GE(open(1), 0);
    EXPECT_EQ(control().set_usr(Bstr(L"five"), Bstr(L"five"), Bstr(L"pw2")), S_OK);
    EXPECT_EQ(control().set_net(0, 8000, 9000, 64), S_FALSE);
    EXPECT_EQ(pane(0)->channel_params().server_port, 12000);
}

TEST_F(Control_Settings, ThreeRefusalsLockTheLoginOutFor180Seconds)
{
    control().set_lockout_clock(fake_clock);
    const std::wstring ip = address();
    for (int attempt = 1; attempt <= 3; ++attempt) {
        EXPECT_EQ(login(ip.c_str(), L"admin", L"wrong"), S_OK) << attempt;
        EXPECT_EQ(error_msg(), login_error) << attempt;
        EXPECT_EQ(privilege(), -1);
    }
    EXPECT_EQ(requests_of("logon"), 2u) << "the third refusal asks nobody";

    fake_now += 180;
    EXPECT_EQ(login(ip.c_str(), L"admin", L"12345"), S_OK);
    EXPECT_EQ(error_msg(), user_refused);
    EXPECT_EQ(requests_of("logon"), 2u);
    EXPECT_EQ(privilege(), -1);

    fake_now += 1;
    EXPECT_EQ(login(ip.c_str(), L"admin", L"12345"), S_OK);
    EXPECT_EQ(privilege(), 0x1FFF);
    EXPECT_EQ(error_msg(), user_refused) << "the lockout's code stands after a granted login";
    EXPECT_EQ(requests_of("logon"), 3u);
}

TEST_F(Control_Settings, AFailedLoginCallSetsCode1AndCountsNothing)
{
    ASSERT_TRUE(sim.mode("logon", "fault SOAP-ENV:Server"));
    EXPECT_EQ(login(address().c_str(), L"admin", L"12345"), S_FALSE);
    EXPECT_EQ(privilege(), -1);
    EXPECT_EQ(error_msg(), L"\x901a\x4fe1\x9519\x8bef");  // 通信错误
    ASSERT_TRUE(sim.ok("reset"));
    EXPECT_EQ(login(address().c_str(), L"admin", L"12345"), S_OK);
    EXPECT_EQ(privilege(), 0x1FFF);
}

TEST_F(Control_Settings, ALoginCallThatFailsDropsTheEarlierGrant)
{
    const std::wstring ip = address();
    const std::string silent = Dvr_Sim::address_for("login.nothing-listens");
    const struct {
        std::wstring address, user;
        const char* why;
    } failing[] = {
        {ip + L" ", L"admin", "an address the service cannot use"},
        {ip, std::wstring(40, L'u'), "a user name over 39 bytes"},
        {std::wstring(silent.begin(), silent.end()), L"admin", "nothing listens there"},
    };
    for (const auto& call : failing) {
        ASSERT_EQ(login(ip.c_str(), L"admin", L"12345"), S_OK) << call.why;
        ASSERT_EQ(privilege(), 0x1FFF) << call.why;
        EXPECT_EQ(login(call.address.c_str(), call.user.c_str(), L"12345"), S_FALSE) << call.why;
        EXPECT_EQ(privilege(), -1) << call.why;
        SHORT state = 7;
        EXPECT_EQ(control().get_is_login(&state), S_FALSE) << call.why;
        EXPECT_EQ(state, -1) << call.why;
        EXPECT_EQ(error_msg(), L"\x901a\x4fe1\x9519\x8bef") << call.why;  // 通信错误
    }
}

TEST_F(Control_Settings, ServerChannelCountAndVersion)
{
    LONG count = -1;
    EXPECT_EQ(control().get_svr_chnum(Bstr(address())), S_OK);
    EXPECT_EQ(control().get_svr_channel_cnt(&count), S_OK);
    EXPECT_EQ(count, 16);
    ASSERT_TRUE(sim.mode("get-serverinfo", "nil"));
    EXPECT_EQ(control().get_svr_chnum(Bstr(address())), S_FALSE);
    EXPECT_EQ(control().get_svr_channel_cnt(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(control().get_svr_chnum(Bstr(L"")), S_FALSE);
    EXPECT_EQ(error_msg(), L"");

    Bstr version;
    EXPECT_EQ(control().get_ver(version.put()), S_OK);
    EXPECT_EQ(version.str(), L"version:v.1.0.0");
}

TEST_F(Control_Settings, SetNetGivesThePaneTtl128)
{
    EXPECT_EQ(control().set_net(0, 8000, 9000, 64), S_OK);
    const Channel_Param& params = pane(0)->channel_params();
    EXPECT_EQ(params.server_port, 8000);
    EXPECT_EQ(params.client_port, 9000);
    EXPECT_EQ(params.net_type, 0);
    EXPECT_EQ(params.ttl, 128);
}

TEST_F(Control_Settings, BrightnessIsSentAtOnceAndContrastWithSetVideoPara)
{
    ASSERT_GE(open(1), 0);
    Video_Para shown = {};
    EXPECT_EQ(control().put_contrast(90), S_OK);
    EXPECT_EQ(control().put_brightness(100), S_OK);
    ASSERT_EQ(pane(0)->get_video_para(&shown, 0), 0);
    EXPECT_EQ(shown.brightness, 100);
    EXPECT_EQ(shown.contrast, 90) << "the brightness put sends all four";

    EXPECT_EQ(control().put_contrast(30), S_OK);
    ASSERT_EQ(pane(0)->get_video_para(&shown, 0), 0);
    EXPECT_EQ(shown.contrast, 90) << "a contrast put alone sends nothing";
    EXPECT_EQ(control().set_video_para(), S_OK);
    ASSERT_EQ(pane(0)->get_video_para(&shown, 0), 0);
    EXPECT_EQ(shown.contrast, 30);

    // The gets of contrast, hue and saturation read the stream first.
    const Video_Para elsewhere = {1, 2, 3, 4};
    ASSERT_EQ(pane(0)->set_video_para(elsewhere, 0), 0);
    USHORT value = 0;
    EXPECT_EQ(control().get_hue(&value), S_OK);
    EXPECT_EQ(value, 4);
    EXPECT_EQ(control().get_brightness(&value), S_OK);
    EXPECT_EQ(value, 1);
}

TEST_F(Control_Settings, EncoderValuesTravelInTheServersCoding)
{
    ASSERT_GE(open(2), 0);
    USHORT value = 0;
    EXPECT_EQ(control().put_video_standard(1), S_OK);
    EXPECT_EQ(control().put_video_standard(5), S_FALSE);
    EXPECT_EQ(control().get_video_standard(&value), S_OK);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(control().put_quanlity(2), S_OK);
    EXPECT_EQ(control().put_video_format(9), S_OK);
    EXPECT_EQ(control().put_keyframe(50), S_OK);
    EXPECT_EQ(control().set_video_effect(), S_OK);
    EXPECT_EQ(field(2, "bq"), 30);
    EXPECT_EQ(field(2, "pq"), 25);
    EXPECT_EQ(field(2, "iq"), 25);
    EXPECT_EQ(field(2, "resolution"), 0);
    EXPECT_EQ(field(2, "standard"), 2);
    EXPECT_EQ(field(2, "frames-in2i"), 50);

    const struct {
        const char* triple;
        USHORT quality;
    } reads[] = {{"23 18 18", 1}, {"20 15 15", 0}, {"17 12 12", 0}, {"30 25 25", 2}};
    for (const auto& read : reads) {
        int b, p, i;
        ASSERT_EQ(sscanf(read.triple, "%d %d %d", &b, &p, &i), 3);
        ASSERT_TRUE(sim.ok("set-channel 2 bq " + std::to_string(b)));
        ASSERT_TRUE(sim.ok("set-channel 2 pq " + std::to_string(p)));
        ASSERT_TRUE(sim.ok("set-channel 2 iq " + std::to_string(i)));
        EXPECT_EQ(control().get_video_effect(), S_OK);
        EXPECT_EQ(control().get_quanlity(&value), S_OK);
        EXPECT_EQ(value, read.quality) << read.triple;
    }
    ASSERT_TRUE(sim.mode("get-ibpmode", "http 500"));
    EXPECT_EQ(control().get_video_effect(), S_FALSE);
    EXPECT_EQ(control().get_quanlity(&value), S_OK);
    EXPECT_EQ(value, 2) << "a failed read keeps the cache";
}

TEST_F(Control_Settings, PtzLineAndMoves)
{
    ASSERT_GE(open(3), 0);
    EXPECT_EQ(control().put_ptz_protocol(2), S_OK);
    EXPECT_EQ(control().put_ptz_address(7), S_OK);
    EXPECT_EQ(control().set_ptz(), S_OK);
    EXPECT_EQ(field(3, "ptztype"), 0);
    EXPECT_EQ(field(3, "ptzaddr"), 7);
    LONG protocol = 0;
    EXPECT_EQ(control().get_ptz_protocol(&protocol), S_OK);
    EXPECT_EQ(protocol, 2) << "the get reports the cached value";

    ASSERT_TRUE(sim.mode("get-ptzinfo", "fault SOAP-ENV:Server"));
    EXPECT_EQ(control().get_ptz(), S_OK);
    EXPECT_EQ(control().get_ptz_protocol(&protocol), S_OK);
    EXPECT_EQ(protocol, 2) << "a failed read keeps the cache";

    EXPECT_EQ(control().put_ptz_speed(6), S_OK);
    const struct {
        HRESULT (kelm_ctrl::*move)();
        int command;
    } moves[] = {{&kelm_ctrl::ptz_near, 25}, {&kelm_ctrl::ptz_far, 24}, {&kelm_ctrl::ptz_wild, 29},
                 {&kelm_ctrl::ptz_stop, 11}};
    for (const auto& move : moves) {
        EXPECT_EQ((control().*move.move)(), S_OK);
        EXPECT_EQ(field(3, "last-ptz-op"), move.command);
        EXPECT_EQ(field(3, "last-ptz-range"), 10);
    }
    EXPECT_EQ(control().ptz_op(22, 4, 1), S_OK);
    EXPECT_EQ(field(3, "last-ptz-range"), 4);
    EXPECT_EQ(control().ptz_iris(TRUE), S_FALSE);
}

TEST_F(Control_Settings, OsdCornerIsSentAndReadBackFromTheServer)
{
    ASSERT_GE(open(4), 0);
    EXPECT_EQ(control().put_osd_text(Bstr(L"Gate \x4e1c")), S_OK);
    EXPECT_EQ(control().put_enable_osd_date(5), S_OK);
    EXPECT_EQ(control().put_osd_pos(3), S_OK);
    EXPECT_EQ(field(4, "ox"), 250);
    EXPECT_EQ(field(4, "oy"), 450);
    EXPECT_EQ(field(4, "lx"), 300);
    EXPECT_EQ(field(4, "ly"), 500);
    EXPECT_EQ(field(4, "date"), 1);
    EXPECT_EQ(sim.channel_field(4, "osdmsg"), "Gate \xb6\xab");

    ASSERT_TRUE(sim.ok("set-channel 4 osdmsg Yard"));
    USHORT corner = 9;
    EXPECT_EQ(control().get_osd_pos(&corner), S_OK);
    EXPECT_EQ(corner, 3);
    Bstr text;
    EXPECT_EQ(control().get_osd_text(text.put()), S_OK);
    EXPECT_EQ(text.str(), L"Yard");

    EXPECT_EQ(control().put_osd_pos(4), S_FALSE);
    ASSERT_TRUE(sim.mode("get-osdlogo", "fault SOAP-ENV:Server"));
    EXPECT_EQ(control().get_osd_pos(&corner), S_OK);
    EXPECT_EQ(corner, 0) << "a failed read leaves zeros";
}

TEST_F(Control_Settings, OverlongTextsAreRefusedAndNothingIsSent)
{
    ASSERT_GE(open(5), 0);
    ASSERT_TRUE(sim.ok("clear-log"));
    const std::wstring long_user(40, L'u');
    EXPECT_EQ(control().put_osd_text(Bstr(std::wstring(256, L'x'))), S_FALSE);
    EXPECT_EQ(control().put_osd_text(Bstr(std::wstring(255, L'x'))), S_OK);
    EXPECT_EQ(control().put_logo_filepath(Bstr(std::wstring(128, L'p'))), S_FALSE);
    EXPECT_EQ(control().set_usr(Bstr(L"admin"), Bstr(long_user), Bstr(L"pw")), S_FALSE);
    EXPECT_EQ(pane(0)->channel_params().user_name, L"") << "nothing stored";
    EXPECT_EQ(login(address().c_str(), long_user.c_str(), L"pw"), S_FALSE);
    EXPECT_EQ(login((std::wstring(30, L'9')).c_str(), L"admin", L"pw"), S_FALSE);
    EXPECT_TRUE(sim.requests().empty());
}

TEST_F(Control_Settings, AudioFollowsTheActivePane)
{
    LONG playing = 7;
    EXPECT_EQ(control().put_enable_audio(1), S_FALSE) << "no stream, no sound";
    ASSERT_TRUE(sim.ok("stream audio pcma"));
    ASSERT_EQ(control().put_ScreenMode(4), S_OK);
    ASSERT_GE(open(1), 0);
    EXPECT_EQ(control().put_enable_audio(1), S_OK);
    EXPECT_EQ(control().get_enable_audio(&playing), S_OK);
    EXPECT_EQ(playing, 1);

    ASSERT_EQ(control().active_nth_screen(1), S_OK);
    ASSERT_GE(open(2), 0);
    EXPECT_EQ(control().put_enable_audio(1), S_OK);
    EXPECT_FALSE(pane(0)->audio_playing()) << "one stream's sound at a time";
    LONG heard = -2;
    EXPECT_EQ(control().get_sounding_pane(&heard), S_OK);
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(control().put_sound_volume(0x10000), E_INVALIDARG);
    EXPECT_EQ(control().put_sound_volume(0x8000), S_OK);
    LONG volume = 0;
    EXPECT_EQ(control().get_sound_volume(&volume), S_OK);
    EXPECT_EQ(volume, 0x8000);
    EXPECT_EQ(control().put_enable_audio(0), S_OK);
    EXPECT_EQ(control().get_enable_audio(&playing), S_OK);
    EXPECT_EQ(playing, 0);
    EXPECT_EQ(control().get_sounding_pane(&heard), S_OK);
    EXPECT_EQ(heard, -1);
}
