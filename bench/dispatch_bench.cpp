// Calls into the control, measured in one run:
//  1. a cheap member (the privilege mask, the version text) called on
//     kelm_ctrl directly, through the dual interface's vtable, and through
//     IDispatch::Invoke by DISPID;
//  2. what a script engine does for each call, GetIDsOfNames and then
//     Invoke, against Invoke alone.
// The control comes from kelm.dll next to this program, through its class
// factory, so no registration is needed.
#include <windows.h>
#include <ole2.h>

#include <cstdio>

#include "bench_clock.h"
#include "com_ptr.h"
#include "kelm_ctrl.h"
#include "kelm_h.h"

namespace {

const int calls = 200000;

template <class Call>
double seconds_per_call(Call call)
{
    const double start = seconds_now();
    for (int i = 0; i < calls; ++i)
        call();
    return (seconds_now() - start) / calls;
}

HRESULT create_control(Ikelm_ctrl** control)
{
    HMODULE module = LoadLibraryW(L"kelm.dll");
    typedef HRESULT(STDAPICALLTYPE * Get_Class_Object)(REFCLSID, REFIID, void**);
    auto get_class_object = module ? reinterpret_cast<Get_Class_Object>(
                                         reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")))
                                   : nullptr;
    if (!get_class_object)
        return HRESULT_FROM_WIN32(GetLastError());
    Com_Ptr<IClassFactory> factory;
    HRESULT hr = get_class_object(CLSID_kelm_ctrl, IID_IClassFactory, reinterpret_cast<void**>(factory.put()));
    return SUCCEEDED(hr) ? factory->CreateInstance(nullptr, IID_Ikelm_ctrl, reinterpret_cast<void**>(control)) : hr;
}

// Invoke of a property read by DISPID, its result cleared as a caller must.
HRESULT invoke_get(IDispatch* dispatch, DISPID member)
{
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result,
                                        nullptr, nullptr);
    (void)VariantClear(&result);  // frees the version text; a number owns nothing
    return hr;
}

HRESULT invoke_get_by_name(IDispatch* dispatch, const wchar_t* name)
{
    DISPID member = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    const HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
    return FAILED(hr) ? hr : invoke_get(dispatch, member);
}

void compare_privilege(kelm_ctrl& direct, Ikelm_ctrl* control, IDispatch* dispatch)
{
    LONG mask = 0;
    const double plain = seconds_per_call([&] { (void)direct.get_privilege(&mask); });
    const double vtable = seconds_per_call([&] { (void)control->get_privilege(&mask); });
    const double invoke = seconds_per_call([&] { (void)invoke_get(dispatch, 62); });
    printf("privilege: direct %.1f ns, vtable %.1f ns, Invoke by DISPID %.1f ns; Invoke/direct %.0f, "
           "vtable/direct %.2f\n",
           plain * 1e9, vtable * 1e9, invoke * 1e9, invoke / plain, vtable / plain);
}

void compare_ver(kelm_ctrl& direct, IDispatch* dispatch)
{
    BSTR text = nullptr;
    const double plain = seconds_per_call([&] {
        (void)direct.get_ver(&text);
        SysFreeString(text);
    });
    const double invoke = seconds_per_call([&] { (void)invoke_get(dispatch, 59); });
    printf("ver: direct %.1f ns, Invoke by DISPID %.1f ns; Invoke/direct %.1f\n", plain * 1e9, invoke * 1e9,
           invoke / plain);
}

void compare_lookup(IDispatch* dispatch)
{
    const double invoke = seconds_per_call([&] { (void)invoke_get(dispatch, 62); });
    const double by_name = seconds_per_call([&] { (void)invoke_get_by_name(dispatch, L"privilege"); });
    printf("privilege by name: GetIDsOfNames + Invoke %.1f ns, Invoke alone %.1f ns; ratio %.2f\n", by_name * 1e9,
           invoke * 1e9, by_name / invoke);
}

} // namespace

int main()
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    Com_Ptr<Ikelm_ctrl> control;
    Com_Ptr<IDispatch> dispatch;
    HRESULT hr = create_control(control.put());
    if (SUCCEEDED(hr))
        hr = control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
    if (FAILED(hr)) {
        fprintf(stderr, "no control from kelm.dll (hr %08lx)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    kelm_ctrl direct;
    printf("%d calls each\n", calls);
    compare_privilege(direct, control.get(), dispatch.get());
    compare_ver(direct, dispatch.get());
    compare_lookup(dispatch.get());
    dispatch.reset();
    control.reset();
    CoUninitialize();
    return 0;
}
