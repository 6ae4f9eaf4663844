// The privilege gate: which bits of the login's privilege mask each gated
// dispatch member needs.  A mask of -1 (no login yet) has every bit.
#pragma once

enum Privilege_Bit : unsigned {
    priv_set_usr = 0x1,
    priv_set_net = 0x2,
    priv_channel = 0x4,
    priv_record = 0x8,
    priv_screen_mode = 0x10,
    priv_capture = 0x20,
    priv_osd = 0x40,
    priv_video_para = 0x80,
    priv_encode = 0x100,
    priv_audio = 0x200,
    priv_frame = 0x400,
    priv_screen = 0x800,
    priv_ptz = 0x1000,
};

// Every gated member; a property's bits apply to its get and put alike.
enum class Gated_Member {
    ScreenMode, set_usr, set_net, open_channel, close_channel,
    start_recorde, stop_recorde, save_filepath, capture,
    set_osdlogo, get_osdlogo, osd_text, logo_filepath, enable_osd_time,
    enable_osd_date, logo_ox, logo_oy, logo_lx, logo_ly,
    set_video_para, brightness, contrast, hue, saturation,
    set_video_effect, get_video_effect, video_format, quanlity,
    enable_audio,
    video_standard, bitrate, frame_rate, keyframe, bframe, pframe,
    active_nth_screen, current_screen_num, get_screen_state, screen_state_info,
    set_ptz, get_ptz, ptz_op, ptz_left, ptz_right, ptz_up, ptz_down, ptz_tele,
    ptz_wild, ptz_near, ptz_far, ptz_stop, ptz_iris, ptz_protocol, ptz_address,
    ptz_speed, ptz_port,
    count
};

// The bits `member` needs; all of them must be set in the mask.
unsigned required_privilege(Gated_Member member);

// True when `mask` holds every bit of `bits`.
inline bool mask_allows(long mask, unsigned bits)
{
    return (static_cast<unsigned long>(mask) & bits) == bits;
}
