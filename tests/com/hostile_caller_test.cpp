// Calls that break COM's rules for the caller: null lists and pointers,
// argument counts and types that do not fit the member, null sinks, a part
// of the content.  Each is refused with COM's code; none may crash.
#include "com_fixture.h"

#include "dispatch_call.h"

namespace {

struct Faces {
    Com_Ptr<IDispatch> dispatch;
    Com_Ptr<IDataObject> data;
    Com_Ptr<IOleObject> ole;
};

const UINT untouched = 0xdeadbeef;
const DISPID screen_mode = 1, set_net = 3, open_channel = 4, close_channel = 5, ptz_stop = 47;

VARIANT number(LONG value)
{
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

HRESULT invoke(const Faces& f, DISPID member, WORD flags, DISPPARAMS params, UINT* bad)
{
    Variant result;
    return f.dispatch->Invoke(member, IID_NULL, 0, flags, &params, result.get(), nullptr, bad);
}

// The metafile picture the control offers, of content part `lindex`.
FORMATETC picture(LONG lindex)
{
    return {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, lindex, TYMED_MFPICT};
}

struct Case {
    const char* what;
    HRESULT (*call)(const Faces& f, UINT* bad);
    HRESULT expected;
    UINT bad_argument;  // where Invoke reports the argument in error
};

const Case cases[] = {
    {"GetIDsOfNames without a name list",
     [](const Faces& f, UINT*) {
         DISPID id;
         return f.dispatch->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id);
     },
     E_POINTER, untouched},
    {"Invoke without DISPPARAMS",
     [](const Faces& f, UINT* bad) {
         return f.dispatch->Invoke(ptz_stop, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, bad);
     },
     E_INVALIDARG, untouched},
    {"two arguments without their list",
     [](const Faces& f, UINT* bad) { return invoke(f, open_channel, DISPATCH_METHOD, {nullptr, nullptr, 2, 0}, bad); },
     E_INVALIDARG, untouched},
    {"a named argument without its DISPID",
     [](const Faces& f, UINT* bad) {
         VARIANTARG mode = number(4);
         return invoke(f, screen_mode, DISPATCH_PROPERTYPUT, {&mode, nullptr, 1, 1}, bad);
     },
     E_INVALIDARG, untouched},
    {"ptz_stop with two arguments",
     [](const Faces& f, UINT* bad) {
         VARIANTARG args[2] = {number(1), number(2)};
         return invoke(f, ptz_stop, DISPATCH_METHOD, {args, nullptr, 2, 0}, bad);
     },
     DISP_E_BADPARAMCOUNT, untouched},
    {"open_channel with three arguments",
     [](const Faces& f, UINT* bad) {
         Variant address(L"127.0.0.1");
         VARIANTARG args[3] = {number(1), number(1), address.ref()};
         return invoke(f, open_channel, DISPATCH_METHOD, {args, nullptr, 3, 0}, bad);
     },
     DISP_E_BADPARAMCOUNT, untouched},
    {"set_net whose third argument is no number",
     [](const Faces& f, UINT* bad) {
         Variant text(L"x");
         VARIANTARG args[4] = {number(4), text.ref(), number(2), number(1)};
         return invoke(f, set_net, DISPATCH_METHOD, {args, nullptr, 4, 0}, bad);
     },
     DISP_E_TYPEMISMATCH, 1},
    {"a put whose value is not named DISPID_PROPERTYPUT",
     [](const Faces& f, UINT* bad) {
         VARIANTARG mode = number(4);
         return invoke(f, screen_mode, DISPATCH_PROPERTYPUT, {&mode, nullptr, 1, 0}, bad);
     },
     DISP_E_PARAMNOTFOUND, 0},
    {"close_channel naming a parameter it does not have",
     [](const Faces& f, UINT* bad) {
         VARIANTARG handle = number(1);
         DISPID name = 7;
         return invoke(f, close_channel, DISPATCH_METHOD, {&handle, &name, 1, 1}, bad);
     },
     DISP_E_PARAMNOTFOUND, 0},
    {"DAdvise without format or sink",
     [](const Faces& f, UINT*) {
         DWORD connection;
         return f.data->DAdvise(nullptr, 0, nullptr, &connection);
     },
     E_INVALIDARG, untouched},
    {"DAdvise without a sink",
     [](const Faces& f, UINT*) {
         DWORD connection;
         FORMATETC format = picture(-1);
         return f.data->DAdvise(&format, 0, nullptr, &connection);
     },
     E_INVALIDARG, untouched},
    {"Advise without a sink",
     [](const Faces& f, UINT*) {
         DWORD connection;
         return f.ole->Advise(nullptr, &connection);
     },
     E_INVALIDARG, untouched},
    {"GetData of a part of the content",
     [](const Faces& f, UINT*) {
         FORMATETC format = picture(0);
         STGMEDIUM medium = {};
         const HRESULT hr = f.data->GetData(&format, &medium);
         if (SUCCEEDED(hr))
             ReleaseStgMedium(&medium);
         return hr;
     },
     DV_E_LINDEX, untouched},
    {"QueryGetData of a part of the content",
     [](const Faces& f, UINT*) {
         FORMATETC format = picture(2);
         return f.data->QueryGetData(&format);
     },
     DV_E_LINDEX, untouched},
    {"EnumVerbs without an out-pointer", [](const Faces& f, UINT*) { return f.ole->EnumVerbs(nullptr); }, E_POINTER,
     untouched},
    {"GetUserType without an out-pointer",
     [](const Faces& f, UINT*) { return f.ole->GetUserType(USERCLASSTYPE_FULL, nullptr); }, E_POINTER, untouched},
};

} // namespace

TEST_F(Com_Test, RefusesCallsThatBreakTheCallersRulesWithComsCodes)
{
    Faces faces;
    make(faces.dispatch, IID_IDispatch);
    ASSERT_EQ(faces.dispatch->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(faces.data.put())), S_OK);
    ASSERT_EQ(faces.dispatch->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(faces.ole.put())), S_OK);
    for (const Case& row : cases) {
        UINT bad = untouched;
        EXPECT_EQ(row.call(faces, &bad), row.expected) << row.what;
        EXPECT_EQ(bad, row.bad_argument) << row.what;
    }
}
