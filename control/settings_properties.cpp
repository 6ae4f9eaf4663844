// The settings properties: each get reads and each put writes the control's
// settings cache behind the privilege gate; a refused get leaves its
// out-parameter untouched.  The brightness put sends the picture values at
// once, and the contrast, hue and saturation gets first read them from the
// active pane's stream.
#include "kelm_ctrl.h"

#include "bstr_text.h"
#include "screen.h"

namespace {

const size_t osd_text_units = 255;
const size_t logo_path_units = 127;

} // namespace

template <class Field, class Value>
HRESULT kelm_ctrl::read_setting(Gated_Member member, const Field& field, Value* value) const
{
    if (!value)
        return E_POINTER;
    if (!allowed(member))
        return S_FALSE;
    *value = static_cast<Value>(field);
    return S_OK;
}

template <class Field, class Value>
HRESULT kelm_ctrl::write_setting(Gated_Member member, Field& field, Value value)
{
    if (!allowed(member))
        return S_FALSE;
    field = static_cast<Field>(value);
    return S_OK;
}

HRESULT kelm_ctrl::get_brightness(USHORT* v) { return read_setting(Gated_Member::brightness, brightness, v); }

// The value goes to the active pane's stream at once.
HRESULT kelm_ctrl::put_brightness(USHORT v)
{
    const HRESULT stored = write_setting(Gated_Member::brightness, brightness, v);
    if (stored == S_OK)
        (void)set_video_para();  // the value stays cached whether or not the pane takes it
    return stored;
}

HRESULT kelm_ctrl::get_contrast(USHORT* v)
{
    if (v && allowed(Gated_Member::contrast))
        refresh_picture();
    return read_setting(Gated_Member::contrast, contrast, v);
}

HRESULT kelm_ctrl::put_contrast(USHORT v) { return write_setting(Gated_Member::contrast, contrast, v); }

HRESULT kelm_ctrl::get_hue(USHORT* v)
{
    if (v && allowed(Gated_Member::hue))
        refresh_picture();
    return read_setting(Gated_Member::hue, hue, v);
}

HRESULT kelm_ctrl::put_hue(USHORT v) { return write_setting(Gated_Member::hue, hue, v); }

HRESULT kelm_ctrl::get_saturation(USHORT* v)
{
    if (v && allowed(Gated_Member::saturation))
        refresh_picture();
    return read_setting(Gated_Member::saturation, saturation, v);
}

HRESULT kelm_ctrl::put_saturation(USHORT v) { return write_setting(Gated_Member::saturation, saturation, v); }

HRESULT kelm_ctrl::get_video_standard(USHORT* v) { return read_setting(Gated_Member::video_standard, video_standard, v); }

// The host's 0 and 1 are the server's 1 and 2; other values are refused.
HRESULT kelm_ctrl::put_video_standard(USHORT v)
{
    if (!allowed(Gated_Member::video_standard) || v > 1)
        return S_FALSE;
    video_standard = v + 1;
    return S_OK;
}

HRESULT kelm_ctrl::get_bitrate(USHORT* v) { return read_setting(Gated_Member::bitrate, bitrate, v); }
HRESULT kelm_ctrl::put_bitrate(USHORT v) { return write_setting(Gated_Member::bitrate, bitrate, v); }
HRESULT kelm_ctrl::get_video_format(USHORT* v) { return read_setting(Gated_Member::video_format, video_format, v); }
HRESULT kelm_ctrl::put_video_format(USHORT v) { return write_setting(Gated_Member::video_format, video_format, v); }
HRESULT kelm_ctrl::get_quanlity(USHORT* v) { return read_setting(Gated_Member::quanlity, quanlity, v); }
HRESULT kelm_ctrl::put_quanlity(USHORT v) { return write_setting(Gated_Member::quanlity, quanlity, v); }

// 1 while the active pane's stream is the one whose sound plays.
HRESULT kelm_ctrl::get_enable_audio(LONG* v)
{
    const long playing = active_screen && active_screen->audio_heard() ? 1 : 0;
    return read_setting(Gated_Member::enable_audio, playing, v);
}

// Non-zero starts the active pane's sound, zero stops it; a pane without an
// open stream has no sound to start or stop.  The library plays one
// stream's sound at a time, so a pane that played before is stopped first.
HRESULT kelm_ctrl::put_enable_audio(LONG v)
{
    if (!allowed(Gated_Member::enable_audio) || !active_screen || !active_screen->channel_open())
        return S_FALSE;
    if (v == 0)
        return !active_screen->audio_playing() || active_screen->stop_audio() == 0 ? S_OK : S_FALSE;
    for (Screen* screen : screens) {
        if (screen != active_screen && screen->audio_playing())
            (void)screen->stop_audio();  // its sound is taken over either way
    }
    return active_screen->start_audio(sound_volume) == 0 ? S_OK : S_FALSE;
}

// The volume of the pane heard (Ikelm_sound): 0 to 65535, linear, for the
// pane heard now and every sound started later, in whichever pane.
HRESULT kelm_ctrl::get_sound_volume(LONG* volume)
{
    return read_setting(Gated_Member::enable_audio, sound_volume, volume);
}

HRESULT kelm_ctrl::put_sound_volume(LONG volume)
{
    if (volume < 0 || volume > loudest_sound)
        return E_INVALIDARG;
    const HRESULT stored = write_setting(Gated_Member::enable_audio, sound_volume, volume);
    for (Screen* screen : screens) {
        if (stored == S_OK && screen->audio_heard())
            screen->set_audio_volume(volume);
    }
    return stored;
}

HRESULT kelm_ctrl::get_sounding_pane(LONG* pane)
{
    if (!pane)
        return E_POINTER;
    *pane = -1;
    for (size_t i = 0; i < screens.size(); ++i) {
        if (screens[i]->audio_heard())
            *pane = static_cast<LONG>(i);
    }
    return S_OK;
}

HRESULT kelm_ctrl::get_frame_rate(LONG* v) { return read_setting(Gated_Member::frame_rate, frame_rate, v); }
HRESULT kelm_ctrl::put_frame_rate(LONG v) { return write_setting(Gated_Member::frame_rate, frame_rate, v); }
HRESULT kelm_ctrl::get_ptz_protocol(LONG* v) { return read_setting(Gated_Member::ptz_protocol, ptz_protocol, v); }
HRESULT kelm_ctrl::put_ptz_protocol(LONG v) { return write_setting(Gated_Member::ptz_protocol, ptz_protocol, v); }
HRESULT kelm_ctrl::get_ptz_address(LONG* v) { return read_setting(Gated_Member::ptz_address, ptz_address, v); }
HRESULT kelm_ctrl::put_ptz_address(LONG v) { return write_setting(Gated_Member::ptz_address, ptz_address, v); }
HRESULT kelm_ctrl::get_ptz_speed(LONG* v) { return read_setting(Gated_Member::ptz_speed, ptz_speed, v); }
HRESULT kelm_ctrl::put_ptz_speed(LONG v) { return write_setting(Gated_Member::ptz_speed, ptz_speed, v); }
HRESULT kelm_ctrl::get_ptz_port(USHORT* v) { return read_setting(Gated_Member::ptz_port, ptz_port, v); }
HRESULT kelm_ctrl::put_ptz_port(USHORT v) { return write_setting(Gated_Member::ptz_port, ptz_port, v); }

HRESULT kelm_ctrl::get_osd_text(BSTR* v)
{
    if (!v)
        return E_POINTER;
    if (!allowed(Gated_Member::osd_text))
        return S_FALSE;
    return return_bstr(osd_text, v);
}

// Texts longer than the on-screen record's fields are refused, not cut.
HRESULT kelm_ctrl::put_osd_text(BSTR v)
{
    const std::wstring text = bstr_text(v);
    if (!allowed(Gated_Member::osd_text) || text.size() > osd_text_units)
        return S_FALSE;
    osd_text = text;
    return S_OK;
}

HRESULT kelm_ctrl::put_logo_filepath(BSTR v)
{
    const std::wstring path = bstr_text(v);
    if (!allowed(Gated_Member::logo_filepath) || path.size() > logo_path_units)
        return S_FALSE;
    logo_filepath = path;
    return S_OK;
}

HRESULT kelm_ctrl::put_enable_osd_time(BOOL v) { return write_setting(Gated_Member::enable_osd_time, enable_osd_time, v != 0); }
HRESULT kelm_ctrl::put_enable_osd_date(BOOL v) { return write_setting(Gated_Member::enable_osd_date, enable_osd_date, v != 0); }
HRESULT kelm_ctrl::get_keyframe(USHORT* v) { return read_setting(Gated_Member::keyframe, keyframe, v); }
HRESULT kelm_ctrl::put_keyframe(USHORT v) { return write_setting(Gated_Member::keyframe, keyframe, v); }
HRESULT kelm_ctrl::get_bframe(USHORT* v) { return read_setting(Gated_Member::bframe, bframe, v); }
HRESULT kelm_ctrl::put_bframe(USHORT v) { return write_setting(Gated_Member::bframe, bframe, v); }
HRESULT kelm_ctrl::get_pframe(USHORT* v) { return read_setting(Gated_Member::pframe, pframe, v); }
HRESULT kelm_ctrl::put_pframe(USHORT v) { return write_setting(Gated_Member::pframe, pframe, v); }
HRESULT kelm_ctrl::get_logo_ox(USHORT* v) { return read_setting(Gated_Member::logo_ox, logo_ox, v); }
HRESULT kelm_ctrl::put_logo_ox(USHORT v) { return write_setting(Gated_Member::logo_ox, logo_ox, v); }
HRESULT kelm_ctrl::get_logo_oy(USHORT* v) { return read_setting(Gated_Member::logo_oy, logo_oy, v); }
HRESULT kelm_ctrl::put_logo_oy(USHORT v) { return write_setting(Gated_Member::logo_oy, logo_oy, v); }
HRESULT kelm_ctrl::get_logo_lx(USHORT* v) { return read_setting(Gated_Member::logo_lx, logo_lx, v); }
HRESULT kelm_ctrl::put_logo_lx(USHORT v) { return write_setting(Gated_Member::logo_lx, logo_lx, v); }
HRESULT kelm_ctrl::get_logo_ly(USHORT* v) { return read_setting(Gated_Member::logo_ly, logo_ly, v); }
HRESULT kelm_ctrl::put_logo_ly(USHORT v) { return write_setting(Gated_Member::logo_ly, logo_ly, v); }
