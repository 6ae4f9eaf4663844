// Calls that break COM's rules for the caller: null lists and pointers,
// argument counts and names that do not fit the member, null sinks, a part
// of the content.  Each is refused with COM's code; none may crash.
#include "com_fixture.h"

#include "dispatch_call.h"

namespace {

const UINT untouched = 0xdeadbeef;
enum : DISPID { screen_mode = 1, set_net = 3, open_channel = 4, close_channel = 5, ptz_stop = 47 };

// The faces the calls go to, and what the calls point at.
struct Faces {
    Com_Ptr<IDispatch> dispatch;
    Com_Ptr<IDataObject> data;
    Com_Ptr<IOleObject> ole;
    UINT bad = untouched;  // where Invoke reports the argument in error
    DWORD connection = 0;
    DISPID id = 0, unknown_parameter = 7;
    FORMATETC part = {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, 0, TYMED_MFPICT};
    STGMEDIUM medium = {};  // never filled: a picture of a part is refused
    Variant one{1}, text{L"x"}, result;
    // Arguments last to first, as Invoke takes them: with all four, the third is "x".
    VARIANTARG args[4] = {one.ref(), text.ref(), one.ref(), one.ref()};

    HRESULT invoke(DISPID member, WORD flags, DISPPARAMS params)
    {
        return dispatch->Invoke(member, IID_NULL, 0, flags, &params, result.get(), nullptr, &bad);
    }
};

struct Case {
    const char* what;
    HRESULT expected;
    UINT bad_argument;
    HRESULT (*call)(Faces& f);
};

const Case cases[] = {
    {"GetIDsOfNames without a name list", E_POINTER, untouched,
     [](Faces& f) { return f.dispatch->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &f.id); }},
    {"two arguments without their list", E_INVALIDARG, untouched,
     [](Faces& f) { return f.invoke(open_channel, DISPATCH_METHOD, {nullptr, nullptr, 2, 0}); }},
    {"a named argument without its DISPID", E_INVALIDARG, untouched,
     [](Faces& f) { return f.invoke(screen_mode, DISPATCH_PROPERTYPUT, {f.args, nullptr, 1, 1}); }},
    {"ptz_stop with two arguments", DISP_E_BADPARAMCOUNT, untouched,
     [](Faces& f) { return f.invoke(ptz_stop, DISPATCH_METHOD, {f.args, nullptr, 2, 0}); }},
    {"open_channel with three arguments", DISP_E_BADPARAMCOUNT, untouched,
     [](Faces& f) { return f.invoke(open_channel, DISPATCH_METHOD, {f.args, nullptr, 3, 0}); }},
    {"set_net whose third argument is no number", DISP_E_TYPEMISMATCH, 1,
     [](Faces& f) { return f.invoke(set_net, DISPATCH_METHOD, {f.args, nullptr, 4, 0}); }},
    {"a put whose value is not named DISPID_PROPERTYPUT", DISP_E_PARAMNOTFOUND, 0,
     [](Faces& f) { return f.invoke(screen_mode, DISPATCH_PROPERTYPUT, {f.args, nullptr, 1, 0}); }},
    {"close_channel naming a parameter it does not have", DISP_E_PARAMNOTFOUND, 0,
     [](Faces& f) { return f.invoke(close_channel, DISPATCH_METHOD, {f.args, &f.unknown_parameter, 1, 1}); }},
    {"DAdvise without format or sink", E_INVALIDARG, untouched,
     [](Faces& f) { return f.data->DAdvise(nullptr, 0, nullptr, &f.connection); }},
    {"DAdvise without a sink", E_INVALIDARG, untouched,
     [](Faces& f) { return f.data->DAdvise(&f.part, 0, nullptr, &f.connection); }},
    {"Advise without a sink", E_INVALIDARG, untouched, [](Faces& f) { return f.ole->Advise(nullptr, &f.connection); }},
    {"GetData of a part of the content", DV_E_LINDEX, untouched,
     [](Faces& f) { return f.data->GetData(&f.part, &f.medium); }},
    {"QueryGetData of a part of the content", DV_E_LINDEX, untouched,
     [](Faces& f) { return f.data->QueryGetData(&f.part); }},
    {"EnumVerbs without an out-pointer", E_POINTER, untouched, [](Faces& f) { return f.ole->EnumVerbs(nullptr); }},
    {"GetUserType without an out-pointer", E_POINTER, untouched,
     [](Faces& f) { return f.ole->GetUserType(USERCLASSTYPE_FULL, nullptr); }},
};

} // namespace

TEST_F(Com_Test, RefusesCallsThatBreakTheCallersRulesWithComsCodes)
{
    Faces faces;
    make(faces.dispatch, IID_IDispatch);
    ASSERT_EQ(faces.dispatch->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(faces.data.put())), S_OK);
    ASSERT_EQ(faces.dispatch->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(faces.ole.put())), S_OK);
    for (const Case& row : cases) {
        faces.bad = untouched;
        EXPECT_EQ(row.call(faces), row.expected) << row.what;
        EXPECT_EQ(faces.bad, row.bad_argument) << row.what;
    }
}
