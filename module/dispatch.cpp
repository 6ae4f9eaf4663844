// The control's dual interface.
//
// Implements: Ikelm_ctrl, IDispatch.
//
// IDispatch works through the type description of Ikelm_ctrl from the
// embedded type library: names are looked up there (without regard to
// case, as script engines expect) and Invoke lets it check and convert
// the arguments and call the vtable entry.  Each of the 93 vtable entries
// hands its arguments to the kelm_ctrl method of the same name and returns
// that method's result unchanged (S_FALSE, a channel handle, -1).
#include "kelm_object.h"

#include "kelm_ctrl.h"
#include "module.h"

namespace {

Kelm_Object* impl_from_Ikelm_ctrl(Ikelm_ctrl* iface)
{
    return CONTAINING_RECORD(iface, Kelm_Object, Ikelm_ctrl_iface);
}

// The vtable entry that calls kelm_ctrl's `Member`; the compiler checks
// that the member's arguments are those of the entry it is assigned to.
template <auto Member>
struct Forward;

template <class... Args, HRESULT (kelm_ctrl::*Member)(Args...)>
struct Forward<Member> {
    static HRESULT STDMETHODCALLTYPE call(Ikelm_ctrl* iface, Args... args)
    {
        return (impl_from_Ikelm_ctrl(iface)->control->*Member)(args...);
    }
};

template <auto Member>
constexpr auto forward = &Forward<Member>::call;

HRESULT STDMETHODCALLTYPE dispatch_GetTypeInfoCount(Ikelm_ctrl*, UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE dispatch_GetTypeInfo(Ikelm_ctrl*, UINT index, LCID, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    const HRESULT hr = module_type_info(IID_Ikelm_ctrl, info);
    if (SUCCEEDED(hr))
        ITypeInfo_AddRef(*info);
    return hr;
}

HRESULT STDMETHODCALLTYPE dispatch_GetIDsOfNames(Ikelm_ctrl*, REFIID riid, LPOLESTR* names,
                                                 UINT count, LCID, DISPID* ids)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    const HRESULT hr = module_type_info(IID_Ikelm_ctrl, &info);
    if (FAILED(hr))
        return hr;
    return ITypeInfo_GetIDsOfNames(info, names, count, ids);
}

HRESULT STDMETHODCALLTYPE dispatch_Invoke(Ikelm_ctrl* iface, DISPID member, REFIID riid, LCID,
                                          WORD flags, DISPPARAMS* params, VARIANT* result,
                                          EXCEPINFO* exception, UINT* bad_argument)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    const HRESULT hr = module_type_info(IID_Ikelm_ctrl, &info);
    if (FAILED(hr))
        return hr;
    // The members never raise error information; a failing member must
    // not be reported with an error object some earlier call left behind.
    (void)SetErrorInfo(0, nullptr);  // clearing cannot fail in a way that matters here
    return ITypeInfo_Invoke(info, iface, member, flags, params, result, exception, bad_argument);
}

void wire_view_and_channel_members(Ikelm_ctrlVtbl* v)
{
    v->get_ScreenMode = forward<&kelm_ctrl::get_ScreenMode>;
    v->put_ScreenMode = forward<&kelm_ctrl::put_ScreenMode>;
    v->set_usr = forward<&kelm_ctrl::set_usr>;
    v->set_net = forward<&kelm_ctrl::set_net>;
    v->open_channel = forward<&kelm_ctrl::open_channel>;
    v->close_channel = forward<&kelm_ctrl::close_channel>;
    v->start_recorde = forward<&kelm_ctrl::start_recorde>;
    v->stop_recorde = forward<&kelm_ctrl::stop_recorde>;
    v->capture = forward<&kelm_ctrl::capture>;
    v->get_save_filepath = forward<&kelm_ctrl::get_save_filepath>;
    v->put_save_filepath = forward<&kelm_ctrl::put_save_filepath>;
    v->set_file_path = forward<&kelm_ctrl::set_file_path>;
    v->active_nth_screen = forward<&kelm_ctrl::active_nth_screen>;
    v->get_current_screen_num = forward<&kelm_ctrl::get_current_screen_num>;
    v->get_screen_state = forward<&kelm_ctrl::get_screen_state>;
    v->get_screen_state_info = forward<&kelm_ctrl::get_screen_state_info>;
    v->get_current_active_ch = forward<&kelm_ctrl::get_current_active_ch>;
    v->get_current_active_ipaddr = forward<&kelm_ctrl::get_current_active_ipaddr>;
    v->login = forward<&kelm_ctrl::login>;
    v->get_is_login = forward<&kelm_ctrl::get_is_login>;
    v->get_ver = forward<&kelm_ctrl::get_ver>;
    v->get_error_msg = forward<&kelm_ctrl::get_error_msg>;
    v->get_privilege = forward<&kelm_ctrl::get_privilege>;
    v->get_svr_chnum = forward<&kelm_ctrl::get_svr_chnum>;
    v->get_svr_channel_cnt = forward<&kelm_ctrl::get_svr_channel_cnt>;
}

void wire_picture_and_encoder_members(Ikelm_ctrlVtbl* v)
{
    v->set_encode = forward<&kelm_ctrl::set_encode>;
    v->set_video_para = forward<&kelm_ctrl::set_video_para>;
    v->set_video_effect = forward<&kelm_ctrl::set_video_effect>;
    v->get_video_effect = forward<&kelm_ctrl::get_video_effect>;
    v->get_brightness = forward<&kelm_ctrl::get_brightness>;
    v->put_brightness = forward<&kelm_ctrl::put_brightness>;
    v->get_contrast = forward<&kelm_ctrl::get_contrast>;
    v->put_contrast = forward<&kelm_ctrl::put_contrast>;
    v->get_hue = forward<&kelm_ctrl::get_hue>;
    v->put_hue = forward<&kelm_ctrl::put_hue>;
    v->get_saturation = forward<&kelm_ctrl::get_saturation>;
    v->put_saturation = forward<&kelm_ctrl::put_saturation>;
    v->get_video_standard = forward<&kelm_ctrl::get_video_standard>;
    v->put_video_standard = forward<&kelm_ctrl::put_video_standard>;
    v->get_bitrate = forward<&kelm_ctrl::get_bitrate>;
    v->put_bitrate = forward<&kelm_ctrl::put_bitrate>;
    v->get_video_format = forward<&kelm_ctrl::get_video_format>;
    v->put_video_format = forward<&kelm_ctrl::put_video_format>;
    v->get_quanlity = forward<&kelm_ctrl::get_quanlity>;
    v->put_quanlity = forward<&kelm_ctrl::put_quanlity>;
    v->get_enable_audio = forward<&kelm_ctrl::get_enable_audio>;
    v->put_enable_audio = forward<&kelm_ctrl::put_enable_audio>;
    v->get_frame_rate = forward<&kelm_ctrl::get_frame_rate>;
    v->put_frame_rate = forward<&kelm_ctrl::put_frame_rate>;
    v->get_keyframe = forward<&kelm_ctrl::get_keyframe>;
    v->put_keyframe = forward<&kelm_ctrl::put_keyframe>;
    v->get_bframe = forward<&kelm_ctrl::get_bframe>;
    v->put_bframe = forward<&kelm_ctrl::put_bframe>;
    v->get_pframe = forward<&kelm_ctrl::get_pframe>;
    v->put_pframe = forward<&kelm_ctrl::put_pframe>;
}

void wire_ptz_members(Ikelm_ctrlVtbl* v)
{
    v->set_ptz = forward<&kelm_ctrl::set_ptz>;
    v->get_ptz = forward<&kelm_ctrl::get_ptz>;
    v->ptz_op = forward<&kelm_ctrl::ptz_op>;
    v->ptz_left = forward<&kelm_ctrl::ptz_left>;
    v->ptz_right = forward<&kelm_ctrl::ptz_right>;
    v->ptz_up = forward<&kelm_ctrl::ptz_up>;
    v->ptz_down = forward<&kelm_ctrl::ptz_down>;
    v->ptz_tele = forward<&kelm_ctrl::ptz_tele>;
    v->ptz_wild = forward<&kelm_ctrl::ptz_wild>;
    v->ptz_near = forward<&kelm_ctrl::ptz_near>;
    v->ptz_far = forward<&kelm_ctrl::ptz_far>;
    v->ptz_stop = forward<&kelm_ctrl::ptz_stop>;
    v->ptz_iris = forward<&kelm_ctrl::ptz_iris>;
    v->get_ptz_protocol = forward<&kelm_ctrl::get_ptz_protocol>;
    v->put_ptz_protocol = forward<&kelm_ctrl::put_ptz_protocol>;
    v->get_ptz_address = forward<&kelm_ctrl::get_ptz_address>;
    v->put_ptz_address = forward<&kelm_ctrl::put_ptz_address>;
    v->get_ptz_speed = forward<&kelm_ctrl::get_ptz_speed>;
    v->put_ptz_speed = forward<&kelm_ctrl::put_ptz_speed>;
    v->get_ptz_port = forward<&kelm_ctrl::get_ptz_port>;
    v->put_ptz_port = forward<&kelm_ctrl::put_ptz_port>;
}

void wire_on_screen_members(Ikelm_ctrlVtbl* v)
{
    v->set_osdlogo = forward<&kelm_ctrl::set_osdlogo>;
    v->get_osdlogo = forward<&kelm_ctrl::get_osdlogo>;
    v->get_osd_pos = forward<&kelm_ctrl::get_osd_pos>;
    v->put_osd_pos = forward<&kelm_ctrl::put_osd_pos>;
    v->get_osd_text = forward<&kelm_ctrl::get_osd_text>;
    v->put_osd_text = forward<&kelm_ctrl::put_osd_text>;
    v->put_logo_filepath = forward<&kelm_ctrl::put_logo_filepath>;
    v->put_enable_osd_time = forward<&kelm_ctrl::put_enable_osd_time>;
    v->put_enable_osd_date = forward<&kelm_ctrl::put_enable_osd_date>;
    v->get_logo_ox = forward<&kelm_ctrl::get_logo_ox>;
    v->put_logo_ox = forward<&kelm_ctrl::put_logo_ox>;
    v->get_logo_oy = forward<&kelm_ctrl::get_logo_oy>;
    v->put_logo_oy = forward<&kelm_ctrl::put_logo_oy>;
    v->get_logo_lx = forward<&kelm_ctrl::get_logo_lx>;
    v->put_logo_lx = forward<&kelm_ctrl::put_logo_lx>;
    v->get_logo_ly = forward<&kelm_ctrl::get_logo_ly>;
    v->put_logo_ly = forward<&kelm_ctrl::put_logo_ly>;
}

// Entries are assigned by name, so the vtable's order is the IDL's alone.
Ikelm_ctrlVtbl make_dispatch_vtbl()
{
    Ikelm_ctrlVtbl v = {};
    v.QueryInterface = Outer_Unknown<Ikelm_ctrl, impl_from_Ikelm_ctrl>::QueryInterface;
    v.AddRef = Outer_Unknown<Ikelm_ctrl, impl_from_Ikelm_ctrl>::AddRef;
    v.Release = Outer_Unknown<Ikelm_ctrl, impl_from_Ikelm_ctrl>::Release;
    v.GetTypeInfoCount = dispatch_GetTypeInfoCount;
    v.GetTypeInfo = dispatch_GetTypeInfo;
    v.GetIDsOfNames = dispatch_GetIDsOfNames;
    v.Invoke = dispatch_Invoke;
    wire_view_and_channel_members(&v);
    wire_picture_and_encoder_members(&v);
    wire_ptz_members(&v);
    wire_on_screen_members(&v);
    return v;
}

static_assert(sizeof(Ikelm_ctrlVtbl) == (7 + 93) * sizeof(void*),
              "IDispatch's seven entries and the control's 93");

} // namespace

const Ikelm_ctrlVtbl kelm_dispatch_vtbl = make_dispatch_vtbl();
