// Every gated member does nothing and answers S_FALSE when the privilege
// mask lacks its bit, leaving its out-parameter untouched; members that need
// a pane answer S_FALSE while the control has no window.
#include <gtest/gtest.h>

#include <functional>

#include "bstr.h"
#include "control_host.h"

namespace {

const BSTR poison = reinterpret_cast<BSTR>(0xdeadbeef);

struct Gated_Call {
    const char* name;
    unsigned bit;
    // Calls the member; true when an out-parameter kept its poison.
    std::function<HRESULT(kelm_ctrl&, bool*)> call;
};

template <class Value>
HRESULT call_number_get(HRESULT (kelm_ctrl::*get)(Value*), kelm_ctrl& c, bool* untouched)
{
    Value value = 0x5a5a;
    const HRESULT hr = (c.*get)(&value);
    *untouched = value == 0x5a5a;
    return hr;
}

HRESULT call_short_get(HRESULT (kelm_ctrl::*get)(SHORT*), kelm_ctrl& c, bool* untouched)
{
    return call_number_get(get, c, untouched);
}

HRESULT call_bstr_get(HRESULT (kelm_ctrl::*get)(BSTR*), kelm_ctrl& c, bool* untouched)
{
    BSTR value = poison;
    const HRESULT hr = (c.*get)(&value);
    *untouched = value == poison;
    return hr;
}

const Gated_Call gated_calls[] = {
    {"ScreenMode get", 0x10, [](kelm_ctrl& c, bool* u) {
         LONG value = 0x5a5a;
         const HRESULT hr = c.get_ScreenMode(&value);
         *u = value == 0x5a5a;
         return hr;
     }},
    {"ScreenMode put", 0x10, [](kelm_ctrl& c, bool* u) { *u = true; return c.put_ScreenMode(4); }},
    {"open_channel", 0x4, [](kelm_ctrl& c, bool* u) { *u = true; return c.open_channel(Bstr(L"127.0.0.1"), 1); }},
    {"close_channel", 0x4, [](kelm_ctrl& c, bool* u) { *u = true; return c.close_channel(0); }},
    {"start_recorde", 0x8, [](kelm_ctrl& c, bool* u) { *u = true; return c.start_recorde(0); }},
    {"stop_recorde", 0x8, [](kelm_ctrl& c, bool* u) { *u = true; return c.stop_recorde(0); }},
    {"capture", 0x20, [](kelm_ctrl& c, bool* u) { *u = true; return c.capture(); }},
    {"save_filepath get", 0x8, [](kelm_ctrl& c, bool* u) { return call_bstr_get(&kelm_ctrl::get_save_filepath, c, u); }},
    {"save_filepath get", 0x20, [](kelm_ctrl& c, bool* u) { return call_bstr_get(&kelm_ctrl::get_save_filepath, c, u); }},
    {"save_filepath put", 0x20, [](kelm_ctrl& c, bool* u) { *u = true; return c.put_save_filepath(Bstr(L"C:\\")); }},
    {"active_nth_screen", 0x800, [](kelm_ctrl& c, bool* u) { *u = true; return c.active_nth_screen(0); }},
    {"current_screen_num", 0x800, [](kelm_ctrl& c, bool* u) { return call_short_get(&kelm_ctrl::get_current_screen_num, c, u); }},
    {"get_screen_state", 0x800, [](kelm_ctrl& c, bool* u) { *u = true; return c.get_screen_state(0); }},
    {"screen_state_info", 0x800, [](kelm_ctrl& c, bool* u) { return call_bstr_get(&kelm_ctrl::get_screen_state_info, c, u); }},
    {"set_usr", 0x1, [](kelm_ctrl& c, bool* u) { *u = true; return c.set_usr(Bstr(L"a"), Bstr(L"b"), Bstr(L"c")); }},
    {"set_net", 0x2, [](kelm_ctrl& c, bool* u) { *u = true; return c.set_net(0, 8000, 9000, 64); }},
    {"set_osdlogo", 0x40, [](kelm_ctrl& c, bool* u) { *u = true; return c.set_osdlogo(); }},
    {"get_osdlogo", 0x40, [](kelm_ctrl& c, bool* u) { *u = true; return c.get_osdlogo(); }},
    {"osd_text get", 0x40, [](kelm_ctrl& c, bool* u) { return call_bstr_get(&kelm_ctrl::get_osd_text, c, u); }},
    {"logo_ly get", 0x40, [](kelm_ctrl& c, bool* u) { return call_number_get(&kelm_ctrl::get_logo_ly, c, u); }},
    {"enable_osd_time put", 0x40, [](kelm_ctrl& c, bool* u) { *u = true; return c.put_enable_osd_time(TRUE); }},
    {"set_video_para", 0x80, [](kelm_ctrl& c, bool* u) { *u = true; return c.set_video_para(); }},
    {"contrast get", 0x80, [](kelm_ctrl& c, bool* u) { return call_number_get(&kelm_ctrl::get_contrast, c, u); }},
    {"brightness put", 0x80, [](kelm_ctrl& c, bool* u) { *u = true; return c.put_brightness(1); }},
    {"set_video_effect", 0x100, [](kelm_ctrl& c, bool* u) { *u = true; return c.set_video_effect(); }},
    {"get_video_effect", 0x100, [](kelm_ctrl& c, bool* u) { *u = true; return c.get_video_effect(); }},
    {"quanlity get", 0x100, [](kelm_ctrl& c, bool* u) { return call_number_get(&kelm_ctrl::get_quanlity, c, u); }},
    {"enable_audio get", 0x200, [](kelm_ctrl& c, bool* u) { return call_number_get(&kelm_ctrl::get_enable_audio, c, u); }},
    {"frame_rate get", 0x400, [](kelm_ctrl& c, bool* u) { return call_number_get(&kelm_ctrl::get_frame_rate, c, u); }},
    {"keyframe get", 0x400, [](kelm_ctrl& c, bool* u) { return call_number_get(&kelm_ctrl::get_keyframe, c, u); }},
    {"video_standard put", 0x400, [](kelm_ctrl& c, bool* u) { *u = true; return c.put_video_standard(0); }},
    {"set_ptz", 0x1000, [](kelm_ctrl& c, bool* u) { *u = true; return c.set_ptz(); }},
    {"get_ptz", 0x1000, [](kelm_ctrl& c, bool* u) { *u = true; return c.get_ptz(); }},
    {"ptz_left", 0x1000, [](kelm_ctrl& c, bool* u) { *u = true; return c.ptz_left(); }},
    {"ptz_op", 0x1000, [](kelm_ctrl& c, bool* u) { *u = true; return c.ptz_op(20, 10, 1); }},
    {"ptz_port get", 0x1000, [](kelm_ctrl& c, bool* u) { return call_number_get(&kelm_ctrl::get_ptz_port, c, u); }},
    {"ptz_protocol get", 0x1000, [](kelm_ctrl& c, bool* u) { return call_number_get(&kelm_ctrl::get_ptz_protocol, c, u); }},
};

} // namespace

TEST(MemberGate, AMaskWithoutTheBitRefusesTheMember)
{
    Control_Host host;
    host.resize_client(641, 481);
    for (const Gated_Call& gated : gated_calls) {
        kelm_ctrl_probe::privilege(host.control()) = 0x1FFF & ~gated.bit;
        bool untouched = false;
        EXPECT_EQ(gated.call(host.control(), &untouched), S_FALSE) << gated.name << " without " << gated.bit;
        EXPECT_TRUE(untouched) << gated.name;
    }
    kelm_ctrl_probe::privilege(host.control()) = 0x1FFF;
    LONG mode = 0;
    EXPECT_EQ(host.control().get_ScreenMode(&mode), S_OK);
    EXPECT_EQ(mode, 1) << "no refused put changed the layout";
    EXPECT_EQ(kelm_ctrl_probe::pane_channel(host.control(), 0), -1) << "no refused open ran";
}

TEST(MemberGate, AMaskOfZeroRefusesEveryGatedMember)
{
    Control_Host host;
    kelm_ctrl_probe::privilege(host.control()) = 0;
    for (const Gated_Call& gated : gated_calls) {
        bool untouched = false;
        EXPECT_EQ(gated.call(host.control(), &untouched), S_FALSE) << gated.name;
        EXPECT_TRUE(untouched) << gated.name;
    }
}

TEST(MemberGate, WithoutAWindowPaneMembersAnswerSFalse)
{
    kelm_ctrl control;
    EXPECT_EQ(control.open_channel(Bstr(L"127.0.0.1"), 1), S_FALSE);
    EXPECT_EQ(control.close_channel(0), S_FALSE);
    EXPECT_EQ(control.start_recorde(0), S_FALSE);
    EXPECT_EQ(control.stop_recorde(0), S_FALSE);
    EXPECT_EQ(control.capture(), S_FALSE);
    EXPECT_EQ(control.active_nth_screen(0), S_FALSE);
    SHORT index = 0x5a5a;
    EXPECT_EQ(control.get_current_screen_num(&index), S_FALSE);
    EXPECT_EQ(index, 0x5a5a);
    EXPECT_EQ(control.get_screen_state(0), S_OK) << "nothing to report is not a failure";
    short channel = 0;
    EXPECT_EQ(control.get_current_active_ch(&channel), S_OK);
    EXPECT_EQ(channel, -1);
}
