// The control's dual interface.
//
// Implements: Ikelm_ctrl, IDispatch.
//
// IDispatch works through the type description of Ikelm_ctrl from the
// embedded type library: names are looked up in a table read from it
// (without regard to case, as script engines expect).  Invoke checks what
// the caller must get right against the member's declared parameters (the
// lists, the argument count, the names of named arguments) and then lets
// the type description convert the arguments and call the vtable entry.
// Each of the 93 vtable entries hands its arguments to the kelm_ctrl
// method of the same name and returns that method's result unchanged
// (S_FALSE, a channel handle, -1).
#include "kelm_object.h"

#include "dispatch_members.h"
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
        Kelm_Object* object = impl_from_Ikelm_ctrl(iface);
        if (const HRESULT hr = check_thread(object); FAILED(hr))
            return hr;
        return (object->control->*Member)(args...);
    }
};

template <auto Member>
constexpr auto forward = &Forward<Member>::call;

// An entry and the member it calls share one name, written once, so no
// entry can be wired to another member.
#define KELM_WIRE(name) v->name = forward<&kelm_ctrl::name>

// The interface's type description, for the calls that name no other
// interface (riid IID_NULL).
HRESULT dispatch_type_info(REFIID riid, ITypeInfo** info)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    return module_type_info(IID_Ikelm_ctrl, info);
}

// An argument's error: where it is in rgvarg, for the caller who asked.
HRESULT argument_error(HRESULT error, UINT index, UINT* bad_argument)
{
    if (bad_argument)
        *bad_argument = index;
    return error;
}

// The declared parameter that rgvarg[index] gives, or -1 for none: named
// arguments come first in rgvarg, then the positional ones last to first,
// which fill the parameters from the first.  A put's value, named
// DISPID_PROPERTYPUT, is its last parameter.
int parameter_of(const Member_Signature& signature, const DISPPARAMS& params, UINT index)
{
    const UINT positional = params.cArgs - params.cNamedArgs;
    if (index >= params.cNamedArgs)
        return static_cast<int>(params.cArgs - 1 - index);
    const DISPID named = params.rgdispidNamedArgs[index];
    const bool put = signature.kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);
    if (named == DISPID_PROPERTYPUT)
        return put ? static_cast<int>(signature.types.size()) - 1 : -1;
    return named >= static_cast<DISPID>(positional) && named < static_cast<DISPID>(signature.types.size()) ? named
                                                                                                         : -1;
}

// What COM asks of the caller, checked before anything reads the
// arguments: lists present for their counts, as many arguments as the
// member takes, named arguments that name its parameters, and a put's
// value named DISPID_PROPERTYPUT.
HRESULT check_arguments(const Member_Signature& signature, const DISPPARAMS& params, UINT* bad_argument)
{
    if (params.cArgs < signature.required || params.cArgs > signature.types.size())
        return DISP_E_BADPARAMCOUNT;
    bool value_named = false;
    for (UINT i = 0; i < params.cNamedArgs; ++i) {
        if (parameter_of(signature, params, i) < 0)
            return argument_error(DISP_E_PARAMNOTFOUND, i, bad_argument);
        value_named |= params.rgdispidNamedArgs[i] == DISPID_PROPERTYPUT;
    }
    if ((signature.kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) && !value_named)
        return argument_error(DISP_E_PARAMNOTFOUND, 0, bad_argument);
    return S_OK;
}

HRESULT check_lists(const DISPPARAMS* params)
{
    if (!params || (params->cArgs && !params->rgvarg) || (params->cNamedArgs && !params->rgdispidNamedArgs) ||
        params->cNamedArgs > params->cArgs)
        return E_INVALIDARG;
    return S_OK;
}

bool converts(const VARIANTARG& argument, VARTYPE type)
{
    if (type == VT_VARIANT || type >= VT_PTR)
        return true;  // any value, or a type only the type description knows how to reach
    VARIANT converted;
    VariantInit(&converted);
    const HRESULT hr = VariantChangeType(&converted, const_cast<VARIANTARG*>(&argument), 0, type);
    (void)VariantClear(&converted);  // frees a converted text; nothing to report
    return SUCCEEDED(hr);
}

// The type description's Invoke reports a type mismatch without saying
// which argument: the first parameter whose argument does not convert.
void find_mismatch(const Member_Signature& signature, const DISPPARAMS& params, UINT* bad_argument)
{
    int first = static_cast<int>(signature.types.size());
    for (UINT i = 0; i < params.cArgs; ++i) {
        const int parameter = parameter_of(signature, params, i);
        if (parameter < first && !converts(params.rgvarg[i], signature.types[parameter])) {
            first = parameter;
            *bad_argument = i;
        }
    }
}

HRESULT STDMETHODCALLTYPE dispatch_GetTypeInfoCount(Ikelm_ctrl* iface, UINT* count)
{
    if (const HRESULT hr = check_thread(impl_from_Ikelm_ctrl(iface)); FAILED(hr))
        return hr;
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE dispatch_GetTypeInfo(Ikelm_ctrl* iface, UINT index, LCID, ITypeInfo** info)
{
    if (const HRESULT hr = check_thread(impl_from_Ikelm_ctrl(iface)); FAILED(hr))
        return hr;
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

HRESULT STDMETHODCALLTYPE dispatch_GetIDsOfNames(Ikelm_ctrl* iface, REFIID riid, LPOLESTR* names,
                                                 UINT count, LCID, DISPID* ids)
{
    if (const HRESULT hr = check_thread(impl_from_Ikelm_ctrl(iface)); FAILED(hr))
        return hr;
    if (!names || !ids)
        return E_POINTER;
    if (count == 0)
        return E_INVALIDARG;  // no member named; the type description would still read the first name
    for (UINT i = 0; i < count; ++i) {
        if (!names[i])
            return E_POINTER;
    }
    ITypeInfo* info = nullptr;
    const HRESULT hr = dispatch_type_info(riid, &info);
    if (FAILED(hr))
        return hr;
    // A script asks for one name at every call; argument names go to the
    // type description.
    if (count == 1)
        return dispatch_id_of_name(info, names[0], ids);
    return ITypeInfo_GetIDsOfNames(info, names, count, ids);
}

HRESULT STDMETHODCALLTYPE dispatch_Invoke(Ikelm_ctrl* iface, DISPID member, REFIID riid, LCID,
                                          WORD flags, DISPPARAMS* params, VARIANT* result,
                                          EXCEPINFO* exception, UINT* bad_argument)
{
    if (const HRESULT hr = check_thread(impl_from_Ikelm_ctrl(iface)); FAILED(hr))
        return hr;
    ITypeInfo* info = nullptr;
    HRESULT hr = dispatch_type_info(riid, &info);
    if (FAILED(hr) || FAILED(hr = check_lists(params)))
        return hr;
    const Member_Signature* signature = nullptr;
    if (FAILED(hr = dispatch_signature(info, member, flags, &signature)) ||
        FAILED(hr = check_arguments(*signature, *params, bad_argument)))
        return hr;
    // The members never raise error information; a failing member must
    // not be reported with an error object some earlier call left behind.
    (void)SetErrorInfo(0, nullptr);  // clearing cannot fail in a way that matters here
    hr = ITypeInfo_Invoke(info, iface, member, flags, params, result, exception, bad_argument);
    if (hr == DISP_E_TYPEMISMATCH && bad_argument)
        find_mismatch(*signature, *params, bad_argument);
    return hr;
}

void wire_view_and_channel_members(Ikelm_ctrlVtbl* v)
{
    KELM_WIRE(get_ScreenMode);
    KELM_WIRE(put_ScreenMode);
    KELM_WIRE(set_usr);
    KELM_WIRE(set_net);
    KELM_WIRE(open_channel);
    KELM_WIRE(close_channel);
    KELM_WIRE(start_recorde);
    KELM_WIRE(stop_recorde);
    KELM_WIRE(capture);
    KELM_WIRE(get_save_filepath);
    KELM_WIRE(put_save_filepath);
    KELM_WIRE(set_file_path);
    KELM_WIRE(active_nth_screen);
    KELM_WIRE(get_current_screen_num);
    KELM_WIRE(get_screen_state);
    KELM_WIRE(get_screen_state_info);
    KELM_WIRE(get_current_active_ch);
    KELM_WIRE(get_current_active_ipaddr);
    KELM_WIRE(login);
    KELM_WIRE(get_is_login);
    KELM_WIRE(get_ver);
    KELM_WIRE(get_error_msg);
    KELM_WIRE(get_privilege);
    KELM_WIRE(get_svr_chnum);
    KELM_WIRE(get_svr_channel_cnt);
}

void wire_picture_and_encoder_members(Ikelm_ctrlVtbl* v)
{
    KELM_WIRE(set_encode);
    KELM_WIRE(set_video_para);
    KELM_WIRE(set_video_effect);
    KELM_WIRE(get_video_effect);
    KELM_WIRE(get_brightness);
    KELM_WIRE(put_brightness);
    KELM_WIRE(get_contrast);
    KELM_WIRE(put_contrast);
    KELM_WIRE(get_hue);
    KELM_WIRE(put_hue);
    KELM_WIRE(get_saturation);
    KELM_WIRE(put_saturation);
    KELM_WIRE(get_video_standard);
    KELM_WIRE(put_video_standard);
    KELM_WIRE(get_bitrate);
    KELM_WIRE(put_bitrate);
    KELM_WIRE(get_video_format);
    KELM_WIRE(put_video_format);
    KELM_WIRE(get_quanlity);
    KELM_WIRE(put_quanlity);
    KELM_WIRE(get_enable_audio);
    KELM_WIRE(put_enable_audio);
    KELM_WIRE(get_frame_rate);
    KELM_WIRE(put_frame_rate);
    KELM_WIRE(get_keyframe);
    KELM_WIRE(put_keyframe);
    KELM_WIRE(get_bframe);
    KELM_WIRE(put_bframe);
    KELM_WIRE(get_pframe);
    KELM_WIRE(put_pframe);
}

void wire_ptz_members(Ikelm_ctrlVtbl* v)
{
    KELM_WIRE(set_ptz);
    KELM_WIRE(get_ptz);
    KELM_WIRE(ptz_op);
    KELM_WIRE(ptz_left);
    KELM_WIRE(ptz_right);
    KELM_WIRE(ptz_up);
    KELM_WIRE(ptz_down);
    KELM_WIRE(ptz_tele);
    KELM_WIRE(ptz_wild);
    KELM_WIRE(ptz_near);
    KELM_WIRE(ptz_far);
    KELM_WIRE(ptz_stop);
    KELM_WIRE(ptz_iris);
    KELM_WIRE(get_ptz_protocol);
    KELM_WIRE(put_ptz_protocol);
    KELM_WIRE(get_ptz_address);
    KELM_WIRE(put_ptz_address);
    KELM_WIRE(get_ptz_speed);
    KELM_WIRE(put_ptz_speed);
    KELM_WIRE(get_ptz_port);
    KELM_WIRE(put_ptz_port);
}

void wire_on_screen_members(Ikelm_ctrlVtbl* v)
{
    KELM_WIRE(set_osdlogo);
    KELM_WIRE(get_osdlogo);
    KELM_WIRE(get_osd_pos);
    KELM_WIRE(put_osd_pos);
    KELM_WIRE(get_osd_text);
    KELM_WIRE(put_osd_text);
    KELM_WIRE(put_logo_filepath);
    KELM_WIRE(put_enable_osd_time);
    KELM_WIRE(put_enable_osd_date);
    KELM_WIRE(get_logo_ox);
    KELM_WIRE(put_logo_ox);
    KELM_WIRE(get_logo_oy);
    KELM_WIRE(put_logo_oy);
    KELM_WIRE(get_logo_lx);
    KELM_WIRE(put_logo_lx);
    KELM_WIRE(get_logo_ly);
    KELM_WIRE(put_logo_ly);
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

#undef KELM_WIRE

static_assert(sizeof(Ikelm_ctrlVtbl) == (7 + 93) * sizeof(void*),
              "IDispatch's seven entries and the control's 93");

} // namespace

const Ikelm_ctrlVtbl kelm_dispatch_vtbl = make_dispatch_vtbl();
