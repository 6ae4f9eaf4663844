#include "privilege.h"

#include <cstddef>

namespace {

struct Member_Gate {
    Gated_Member member;
    unsigned bits;
};

// In the order of Gated_Member, so a member's entry is found by its value.
const Member_Gate gates[] = {
    {Gated_Member::ScreenMode, priv_screen_mode},
    {Gated_Member::set_usr, priv_set_usr},
    {Gated_Member::set_net, priv_set_net},
    {Gated_Member::open_channel, priv_channel},
    {Gated_Member::close_channel, priv_channel},
    {Gated_Member::start_recorde, priv_record},
    {Gated_Member::stop_recorde, priv_record},
    {Gated_Member::save_filepath, priv_record | priv_capture},
    {Gated_Member::capture, priv_capture},
    {Gated_Member::set_osdlogo, priv_osd},
    {Gated_Member::get_osdlogo, priv_osd},
    {Gated_Member::osd_text, priv_osd},
    {Gated_Member::logo_filepath, priv_osd},
    {Gated_Member::enable_osd_time, priv_osd},
    {Gated_Member::enable_osd_date, priv_osd},
    {Gated_Member::logo_ox, priv_osd},
    {Gated_Member::logo_oy, priv_osd},
    {Gated_Member::logo_lx, priv_osd},
    {Gated_Member::logo_ly, priv_osd},
    {Gated_Member::set_video_para, priv_video_para},
    {Gated_Member::brightness, priv_video_para},
    {Gated_Member::contrast, priv_video_para},
    {Gated_Member::hue, priv_video_para},
    {Gated_Member::saturation, priv_video_para},
    {Gated_Member::set_video_effect, priv_encode},
    {Gated_Member::get_video_effect, priv_encode},
    {Gated_Member::video_format, priv_encode},
    {Gated_Member::quanlity, priv_encode},
    {Gated_Member::enable_audio, priv_audio},
    {Gated_Member::video_standard, priv_frame},
    {Gated_Member::bitrate, priv_frame},
    {Gated_Member::frame_rate, priv_frame},
    {Gated_Member::keyframe, priv_frame},
    {Gated_Member::bframe, priv_frame},
    {Gated_Member::pframe, priv_frame},
    {Gated_Member::active_nth_screen, priv_screen},
    {Gated_Member::current_screen_num, priv_screen},
    {Gated_Member::get_screen_state, priv_screen},
    {Gated_Member::screen_state_info, priv_screen},
    {Gated_Member::set_ptz, priv_ptz},
    {Gated_Member::get_ptz, priv_ptz},
    {Gated_Member::ptz_op, priv_ptz},
    {Gated_Member::ptz_left, priv_ptz},
    {Gated_Member::ptz_right, priv_ptz},
    {Gated_Member::ptz_up, priv_ptz},
    {Gated_Member::ptz_down, priv_ptz},
    {Gated_Member::ptz_tele, priv_ptz},
    {Gated_Member::ptz_wild, priv_ptz},
    {Gated_Member::ptz_near, priv_ptz},
    {Gated_Member::ptz_far, priv_ptz},
    {Gated_Member::ptz_stop, priv_ptz},
    {Gated_Member::ptz_iris, priv_ptz},
    {Gated_Member::ptz_protocol, priv_ptz},
    {Gated_Member::ptz_address, priv_ptz},
    {Gated_Member::ptz_speed, priv_ptz},
    {Gated_Member::ptz_port, priv_ptz},
};

static_assert(sizeof gates / sizeof gates[0] == static_cast<size_t>(Gated_Member::count),
              "every gated member has its entry");

} // namespace

unsigned required_privilege(Gated_Member member)
{
    const size_t index = static_cast<size_t>(member);
    if (index >= sizeof gates / sizeof gates[0] || gates[index].member != member)
        return ~0u;  // an unknown member is never allowed by accident
    return gates[index].bits;
}
