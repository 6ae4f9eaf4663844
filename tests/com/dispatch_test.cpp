// The dual interface: names and DISPIDs through the object's own
// IDispatch, argument conversion, and results through the vtable and
// through Invoke.
#include "com_fixture.h"

#include <cwctype>
#include <string>

#include "dispatch_call.h"
#include "member_table.h"

namespace {

DISPID id_of(IDispatch* dispatch, const std::wstring& name, HRESULT* hr)
{
    DISPID id = 0x5a5a;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    *hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

std::wstring upper(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towupper(c));
    return text;
}

} // namespace

TEST_F(Com_Test, EveryNameFindsItsDispidWhateverTheCase)
{
    Com_Ptr<IDispatch> control;
    make(control, IID_IDispatch);
    for (const Member& member : members) {
        HRESULT hr;
        EXPECT_EQ(id_of(control.get(), member.name, &hr), member.dispid) << member.name;
        EXPECT_EQ(hr, S_OK) << member.name;
        EXPECT_EQ(id_of(control.get(), upper(member.name), &hr), member.dispid) << member.name;
    }
    HRESULT hr;
    EXPECT_EQ(id_of(control.get(), L"no_such_member", &hr), DISPID_UNKNOWN);
    EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"ver")};
    DISPID id = 0x5a5a;
    EXPECT_EQ(control->GetIDsOfNames(IID_IDispatch, name, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
    UINT count = 0;
    EXPECT_EQ(control->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = static_cast<ITypeInfo*>(poison);
    EXPECT_EQ(control->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    EXPECT_EQ(info, nullptr);
}

TEST_F(Com_Test, InvokeConvertsArgumentsAndRefusesWhatDoesNotConvert)
{
    Com_Ptr<IDispatch> control;
    make(control, IID_IDispatch);
    Variant pane(L"5"), mode(L"4"), bad(L"five"), text;
    EXPECT_EQ(call_method(control.get(), L"get_screen_state", {&pane}), S_OK) << "text to USHORT";
    EXPECT_EQ(put_property(control.get(), L"ScreenMode", mode), S_OK) << "text to LONG";
    EXPECT_EQ(call_method(control.get(), L"get_screen_state", {&bad}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(call_method(control.get(), L"get_screen_state", {}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(get_property(control.get(), L"current_active_ipaddr", &text), S_OK);
    EXPECT_EQ(V_VT(text.get()), VT_BSTR);
    EXPECT_EQ(text.text(), L"");
}

TEST_F(Com_Test, TheVtableReturnsTheMembersOwnResults)
{
    Com_Ptr<Ikelm_ctrl> control;
    make(control, IID_Ikelm_ctrl);
    // Without a window there is no pane: the members answer S_FALSE.
    EXPECT_EQ(control->active_nth_screen(0), S_FALSE);
    BSTR empty = SysAllocString(L"");
    EXPECT_EQ(control->open_channel(empty, 1), S_FALSE);
    SysFreeString(empty);
    SHORT channel = 0;
    EXPECT_EQ(control->get_current_active_ch(&channel), S_OK);
    EXPECT_EQ(channel, -1);
    // A script cannot tell S_FALSE from S_OK: Invoke reports success.
    Com_Ptr<IDispatch> dispatch;
    ASSERT_EQ(control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put())), S_OK);
    Variant nth(0);
    EXPECT_EQ(call_method(dispatch.get(), L"active_nth_screen", {&nth}), S_OK);
}
