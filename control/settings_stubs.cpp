// Login and settings members: not built yet; each answers E_NOTIMPL.
#include "kelm_ctrl.h"

HRESULT kelm_ctrl::login(BSTR, BSTR, BSTR) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_is_login(SHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_privilege(LONG*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_error_msg(BSTR*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_svr_chnum(BSTR) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_svr_channel_cnt(LONG*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_ver(BSTR*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::set_usr(BSTR, BSTR, BSTR) { return E_NOTIMPL; }
HRESULT kelm_ctrl::set_net(LONG, USHORT, USHORT, USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::set_encode() { return E_NOTIMPL; }
HRESULT kelm_ctrl::set_video_para() { return E_NOTIMPL; }
HRESULT kelm_ctrl::set_video_effect() { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_video_effect() { return E_NOTIMPL; }
HRESULT kelm_ctrl::set_ptz() { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_ptz() { return E_NOTIMPL; }
HRESULT kelm_ctrl::set_osdlogo() { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_osdlogo() { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_osd_pos(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_osd_pos(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::ptz_op(LONG, LONG, LONG) { return E_NOTIMPL; }
HRESULT kelm_ctrl::ptz_left() { return E_NOTIMPL; }
HRESULT kelm_ctrl::ptz_right() { return E_NOTIMPL; }
HRESULT kelm_ctrl::ptz_up() { return E_NOTIMPL; }
HRESULT kelm_ctrl::ptz_down() { return E_NOTIMPL; }
HRESULT kelm_ctrl::ptz_tele() { return E_NOTIMPL; }
HRESULT kelm_ctrl::ptz_wild() { return E_NOTIMPL; }
HRESULT kelm_ctrl::ptz_near() { return E_NOTIMPL; }
HRESULT kelm_ctrl::ptz_far() { return E_NOTIMPL; }
HRESULT kelm_ctrl::ptz_stop() { return E_NOTIMPL; }
HRESULT kelm_ctrl::ptz_iris(BOOL) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_brightness(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_brightness(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_contrast(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_contrast(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_hue(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_hue(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_saturation(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_saturation(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_video_standard(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_video_standard(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_bitrate(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_bitrate(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_video_format(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_video_format(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_quanlity(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_quanlity(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_enable_audio(LONG*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_enable_audio(LONG) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_frame_rate(LONG*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_frame_rate(LONG) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_ptz_protocol(LONG*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_ptz_protocol(LONG) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_ptz_address(LONG*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_ptz_address(LONG) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_ptz_speed(LONG*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_ptz_speed(LONG) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_ptz_port(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_ptz_port(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_osd_text(BSTR*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_osd_text(BSTR) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_logo_filepath(BSTR) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_enable_osd_time(BOOL) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_enable_osd_date(BOOL) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_keyframe(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_keyframe(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_bframe(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_bframe(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_pframe(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_pframe(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_logo_ox(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_logo_ox(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_logo_oy(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_logo_oy(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_logo_lx(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_logo_lx(USHORT) { return E_NOTIMPL; }
HRESULT kelm_ctrl::get_logo_ly(USHORT*) { return E_NOTIMPL; }
HRESULT kelm_ctrl::put_logo_ly(USHORT) { return E_NOTIMPL; }
void kelm_ctrl::set_lockout_clock(Clock clock) { lockout_clock = clock; }
