// Dispatch members that move settings between the control's cache and the
// active pane's channel: picture values, encoder values, the PTZ line, the
// on-screen display and its corner, and the pane's user and network
// settings.  Without a window there is no active pane and they answer
// S_FALSE.
#include "kelm_ctrl.h"

#include <algorithm>
#include <cstring>

#include "bstr_text.h"
#include "channel_records.h"
#include "screen.h"
#include "text_convert.h"

namespace {

const int picture_selection = 0xF0000;
const int effect_selection = 1;
const int ptz_selection = 0xD00;
const int osd_selection = 0x1F000000;
const USHORT pane_ttl = 128;
const size_t stream_login_bytes = 40;  // the next stream login takes 39 bytes and the zero
const size_t osd_text_units = 255;
const size_t osd_narrow_bytes = 512;
const long highest_video_format = 7;

// The quantisers sent for each quality step; read back, a triple that is
// not in the table means step 0.
struct Quantiser_Triple {
    long quality;
    int32_t b, p, i;
};

const Quantiser_Triple quantisers[] = {{0, 17, 12, 12}, {1, 23, 18, 18}, {2, 30, 25, 25}};
const Quantiser_Triple& default_quantisers = quantisers[1];

const Quantiser_Triple& quantisers_for(long quality)
{
    for (const Quantiser_Triple& triple : quantisers) {
        if (triple.quality == quality)
            return triple;
    }
    return default_quantisers;
}

long quality_of(const int32_t* triple)
{
    for (const Quantiser_Triple& known : quantisers) {
        if (known.b == triple[0] && known.p == triple[1] && known.i == triple[2])
            return known.quality;
    }
    return 0;
}

// The logo rectangle (left, top, right, bottom) of each corner code.
const unsigned short logo_corners[4][4] = {
    {0, 0, 50, 50}, {250, 0, 300, 50}, {0, 450, 50, 500}, {250, 450, 300, 500}};

bool fits_stream_login(const wchar_t* text)
{
    char narrow[stream_login_bytes];
    return wide_to_ansi(text, narrow, sizeof narrow) != nullptr;
}

// The zero-terminated narrow text of a record as UTF-16, at most
// `osd_text_units` of it, so that it can be sent back whole.
std::wstring osd_text_from(const uint8_t* text, size_t size)
{
    char narrow[osd_narrow_bytes] = {};
    memcpy(narrow, text, std::min(size, sizeof narrow - 1));
    wchar_t wide[osd_narrow_bytes];
    if (!ansi_to_wide(narrow, wide, osd_narrow_bytes))
        return std::wstring();
    return std::wstring(wide, std::min(wcslen(wide), osd_text_units));
}

} // namespace

HRESULT kelm_ctrl::set_usr(BSTR old_usr_name, BSTR usr_name, BSTR usr_pswd)
{
    if (!allowed(Gated_Member::set_usr) || !active_screen)
        return S_FALSE;
    // Credentials that the next stream login could not carry are refused
    // before the pane stores them.
    const wchar_t* texts[] = {bstr_text(old_usr_name), bstr_text(usr_name), bstr_text(usr_pswd)};
    for (const wchar_t* text : texts) {
        if (!fits_stream_login(text))
            return S_FALSE;
    }
    return active_screen->set_usr(texts[0], texts[1], texts[2]) == -1 ? S_FALSE : S_OK;
}

// The ttl the host gives is not used: the pane always streams with 128.
HRESULT kelm_ctrl::set_net(LONG net_type, USHORT svr_port, USHORT clt_port, USHORT)
{
    if (!allowed(Gated_Member::set_net) || !active_screen)
        return S_FALSE;
    return active_screen->set_net(svr_port, clt_port, net_type, pane_ttl) == -1 ? S_FALSE : S_OK;
}

HRESULT kelm_ctrl::set_encode()
{
    return S_OK;
}

// Answers the pane's own result, 0 or -1.
HRESULT kelm_ctrl::set_video_para()
{
    if (!allowed(Gated_Member::set_video_para) || !active_screen)
        return S_FALSE;
    Video_Para para = {brightness, saturation, contrast, hue};
    return active_screen->set_video_para(para, picture_selection);
}

// The picture values of the active pane's stream replace the cached ones
// when the pane can read them.
void kelm_ctrl::refresh_picture()
{
    Video_Para para = {};
    if (!active_screen || active_screen->get_video_para(&para, picture_selection) != 0)
        return;
    brightness = static_cast<unsigned short>(para.brightness);
    saturation = static_cast<unsigned short>(para.saturation);
    contrast = static_cast<unsigned short>(para.contrast);
    hue = static_cast<unsigned short>(para.hue);
}

// Words 0 to 2 carry the key-frame interval, B and P frames; 0 keeps the
// server's value.
// A pane playing a stream URL has no web service: the members that ask one
// answer S_FALSE there (the channel logged why and left code 1), where a
// server's pane answers `usual`.
HRESULT kelm_ctrl::service_answer(HRESULT usual) const
{
    return active_screen && active_screen->plays_stream_url() ? S_FALSE : usual;
}

HRESULT kelm_ctrl::set_video_effect()
{
    if (!allowed(Gated_Member::set_video_effect) || !active_screen)
        return S_FALSE;
    const Quantiser_Triple& triple = quantisers_for(quanlity);
    const long format = video_format >= 0 && video_format <= highest_video_format ? video_format : 0;
    Video_Effect effect = {{keyframe, bframe, pframe, static_cast<int32_t>(frame_rate),
                            static_cast<int32_t>(bitrate), triple.b, triple.p, triple.i,
                            static_cast<int32_t>(video_standard), static_cast<int32_t>(format)}};
    (void)active_screen->set_video_effect(effect, effect_selection);  // failures stay in the channel's code
    return service_answer(S_OK);
}

HRESULT kelm_ctrl::get_video_effect()
{
    if (!allowed(Gated_Member::get_video_effect) || !active_screen)
        return S_FALSE;
    Video_Effect effect = {};
    if (active_screen->get_video_effect(&effect, effect_selection) != 0)
        return S_FALSE;
    const int32_t* v = effect.values;
    keyframe = static_cast<unsigned short>(v[0]);
    bframe = static_cast<unsigned short>(v[1]);
    pframe = static_cast<unsigned short>(v[2]);
    frame_rate = v[3];
    bitrate = v[4];
    quanlity = quality_of(&v[5]);
    video_standard = v[8];
    video_format = v[9];
    return S_OK;
}

HRESULT kelm_ctrl::set_ptz()
{
    if (!allowed(Gated_Member::set_ptz) || !active_screen)
        return S_FALSE;
    const int type = ptz_protocol == 1 ? 1 : 0;
    (void)active_screen->set_ptz(type, ptz_address, ptz_port, ptz_selection);  // failures stay in the channel
    return service_answer(S_OK);
}

// A pane that cannot read the settings leaves the cache as it was.
HRESULT kelm_ctrl::get_ptz()
{
    if (!allowed(Gated_Member::get_ptz) || !active_screen)
        return S_FALSE;
    Ptz_Para para = {{ptz_protocol, ptz_address, ptz_port}};
    if (active_screen->get_ptz(&para, ptz_selection) == 0) {
        ptz_protocol = para.values[0];
        ptz_address = para.values[1];
        ptz_port = para.values[2];
    }
    return service_answer(S_OK);
}

HRESULT kelm_ctrl::set_osdlogo()
{
    if (!allowed(Gated_Member::set_osdlogo) || !active_screen)
        return S_FALSE;
    Osd_Logo logo;
    memset(&logo, 0, sizeof logo);
    logo.ox = logo_ox;
    logo.oy = logo_oy;
    logo.lx = logo_lx;
    logo.ly = logo_ly;
    logo.show_date = enable_osd_date;
    logo.show_time = enable_osd_time;
    // The puts keep both texts within their fields, with room for the zero.
    memcpy(logo.text, osd_text.data(), std::min(osd_text.size(), osd_text_units) * sizeof(wchar_t));
    memcpy(logo.logo_path, logo_filepath.data(),
           std::min(logo_filepath.size(), sizeof logo.logo_path / sizeof(wchar_t) - 1) * sizeof(wchar_t));
    (void)active_screen->set_osdlogo(logo, osd_selection);  // failures stay in the channel's code
    return service_answer(S_OK);
}

// A pane without a channel, or a failed read, leaves a zero record: the
// cache then holds zeros, cleared flags and an empty text.
HRESULT kelm_ctrl::get_osdlogo()
{
    if (!allowed(Gated_Member::get_osdlogo) || !active_screen)
        return S_FALSE;
    Osd_Logo logo;
    memset(&logo, 0, sizeof logo);
    (void)active_screen->get_osdlogo(&logo, osd_selection);
    logo_ox = logo.ox;
    logo_oy = logo.oy;
    logo_lx = logo.lx;
    logo_ly = logo.ly;
    enable_osd_date = logo.show_date;
    enable_osd_time = logo.show_time;
    osd_text = osd_text_from(logo.text, sizeof logo.text);
    return service_answer(S_OK);
}

// The corner is read back from the logo origin the server holds.
HRESULT kelm_ctrl::get_osd_pos(USHORT* code)
{
    if (!code)
        return E_POINTER;
    if (!active_screen)
        return S_FALSE;
    (void)get_osdlogo();  // refused or failed, the cache still tells the corner
    osd_pos = static_cast<unsigned short>((logo_ox ? 1 : 0) | (logo_oy ? 2 : 0));
    *code = osd_pos;
    return S_OK;
}

// A code without a corner is refused: the logo rectangle would be undefined.
HRESULT kelm_ctrl::put_osd_pos(USHORT code)
{
    if (!active_screen || code >= sizeof logo_corners / sizeof logo_corners[0])
        return S_FALSE;
    osd_pos = code;
    logo_ox = logo_corners[code][0];
    logo_oy = logo_corners[code][1];
    logo_lx = logo_corners[code][2];
    logo_ly = logo_corners[code][3];
    (void)set_osdlogo();  // a refused or failed send leaves the cache set
    return S_OK;
}
