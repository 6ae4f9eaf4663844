// Registration seen from outside: regsvr32 writes every registry entry and
// the type library, registering twice gives the same, unregistering leaves
// only the two shared keys and may run twice; the registered type library
// reads back with the 93 entries.
#include "com_fixture.h"

#include <sstream>
#include <vector>

#include "child_process.h"
#include "member_table.h"
#include "text_file.h"

namespace {

const std::wstring clsid = L"{0E2071E5-F6C4-4F67-8D34-253F03DA5FC8}";
const std::wstring appid = L"{5E4C922D-2908-41D8-BCAE-B9BFBB300CCF}";
const std::wstring libid = L"{BC641857-6186-4066-B684-35E3314667D2}";
const std::wstring iid = L"{A04A802A-7492-4ACC-9243-B5E5D9C27B0F}";
const wchar_t* const key_only = nullptr;

struct Entry {
    std::wstring key;
    const wchar_t* value_name;  // empty: the default value
    const wchar_t* data;        // key_only: the key alone
};

std::vector<Entry> registered_entries()
{
    static const std::wstring dll = kelm_dll_path(), toolbox = dll + L", 102", clsid_key = L"CLSID\\" + clsid;
    return {
        {L"AppID\\" + appid, L"", L"kelm"},
        {L"AppID\\kelm.DLL", L"AppID", appid.c_str()},
        {L"kelm.kelm_ctrl.1", L"", L"kelm_ctrl Class"},
        {L"kelm.kelm_ctrl.1\\CLSID", L"", clsid.c_str()},
        {L"kelm.kelm_ctrl", L"", L"kelm_ctrl Class"},
        {L"kelm.kelm_ctrl\\CLSID", L"", clsid.c_str()},
        {L"kelm.kelm_ctrl\\CurVer", L"", L"kelm.kelm_ctrl.1"},
        {clsid_key, L"", L"kelm_ctrl Class"},
        {clsid_key, L"AppID", appid.c_str()},
        {clsid_key + L"\\ProgID", L"", L"kelm.kelm_ctrl.1"},
        {clsid_key + L"\\VersionIndependentProgID", L"", L"kelm.kelm_ctrl"},
        {clsid_key + L"\\Programmable", L"", key_only},
        {clsid_key + L"\\InprocServer32", L"", dll.c_str()},
        {clsid_key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid_key + L"\\Control", L"", key_only},
        {clsid_key + L"\\ToolboxBitmap32", L"", toolbox.c_str()},
        {clsid_key + L"\\MiscStatus", L"", L"0"},
        {clsid_key + L"\\MiscStatus\\1", L"", L"131473"},
        {clsid_key + L"\\TypeLib", L"", libid.c_str()},
        {clsid_key + L"\\Version", L"", L"1.0"},
        {L"TypeLib\\" + libid + L"\\1.0\\0\\win32", L"", dll.c_str()},
        {L"Interface\\" + iid, L"", L"Ikelm_ctrl"},
    };
}

bool key_exists(const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

std::wstring registry_text(const std::wstring& key, const wchar_t* name)
{
    wchar_t text[512] = {};
    DWORD size = sizeof text;
    const LSTATUS status =
        RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), *name ? name : nullptr, RRF_RT_REG_SZ, nullptr, text, &size);
    return status == ERROR_SUCCESS ? text : L"<missing>";
}

DWORD regsvr32(const std::string& options)
{
    const std::wstring dll = kelm_dll_path();
    return run_program("C:\\windows\\system32\\regsvr32.exe",
                       options + " \"" + std::string(dll.begin(), dll.end()) + "\"")
        .status;
}

void expect_registered()
{
    for (const Entry& entry : registered_entries()) {
        EXPECT_TRUE(key_exists(entry.key)) << "key " << entry.key.c_str();
        if (entry.data != key_only) {
            EXPECT_EQ(registry_text(entry.key, entry.value_name), entry.data) << entry.key.c_str();
        }
    }
}

VARTYPE type_of(char code)
{
    switch (code) {
    case 'L': return VT_I4;
    case 'U': return VT_UI2;
    case 'S': return VT_I2;
    case 'B': return VT_BSTR;
    default: return VT_I4;  // BOOL is a 32-bit integer in the library
    }
}

INVOKEKIND invoke_kind(Kind kind)
{
    return kind == Kind::get ? INVOKE_PROPERTYGET : kind == Kind::put ? INVOKE_PROPERTYPUT : INVOKE_FUNC;
}

// One function of the interface against its row of the table.
void expect_function(ITypeInfo* info, UINT index, const Member& member)
{
    FUNCDESC* function = nullptr;
    ASSERT_EQ(info->GetFuncDesc(index, &function), S_OK);
    EXPECT_EQ(function->memid, member.dispid) << member.name;
    EXPECT_EQ(function->invkind, invoke_kind(member.kind)) << member.name;
    EXPECT_EQ(function->oVft, static_cast<SHORT>((7 + index) * sizeof(void*))) << member.name;
    ASSERT_EQ(function->cParams, static_cast<SHORT>(strlen(member.types))) << member.name;
    for (SHORT i = 0; i < function->cParams; ++i) {
        const TYPEDESC& type = function->lprgelemdescParam[i].tdesc;
        const VARTYPE vt = member.kind == Kind::get && type.vt == VT_PTR ? type.lptdesc->vt : type.vt;
        EXPECT_EQ(vt, type_of(member.types[i])) << member.name << " argument " << i;
    }
    BSTR name = nullptr, help = nullptr;
    ASSERT_EQ(info->GetDocumentation(function->memid, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, member.name);
    // One line saying what the member does, then the privilege it needs.
    const std::wstring text = help ? help : L"";
    EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos) << member.name;
    EXPECT_GT(text.size(), 40u) << member.name;
    const bool names_privilege = text.find(L" Privilege bit") != std::wstring::npos ||
                                 text.find(L" No privilege bit.") != std::wstring::npos;
    EXPECT_TRUE(names_privilege) << member.name;
    SysFreeString(name);
    SysFreeString(help);
    info->ReleaseFuncDesc(function);
}

std::wstring help_of(ITypeLib* library, int index)
{
    BSTR help = nullptr;
    EXPECT_EQ(library->GetDocumentation(index, nullptr, &help, nullptr, nullptr), S_OK);
    const std::wstring text = help ? help : L"";
    SysFreeString(help);
    return text;
}

class Registry_Test : public Com_Test {
protected:
    void TearDown() override
    {
        // The other tests of the suite expect the control registered.
        EXPECT_EQ(regsvr32("/s"), 0u);
        Com_Test::TearDown();
    }
};

} // namespace

TEST_F(Registry_Test, RegisteringWritesEveryEntryAndAgainTheSame)
{
    ASSERT_EQ(regsvr32("/s"), 0u);
    expect_registered();
    ASSERT_EQ(regsvr32("/s"), 0u);
    expect_registered();
}

TEST_F(Registry_Test, UnregisteringLeavesOnlyTheSharedKeysAndMayRunTwice)
{
    ASSERT_EQ(regsvr32("/s"), 0u);
    ASSERT_EQ(regsvr32("/u /s"), 0u);
    for (const Entry& entry : registered_entries())
        EXPECT_FALSE(key_exists(entry.key)) << entry.key.c_str();
    EXPECT_FALSE(key_exists(L"TypeLib\\" + libid));
    EXPECT_TRUE(key_exists(L"AppID"));
    EXPECT_TRUE(key_exists(L"CLSID"));
    EXPECT_EQ(regsvr32("/u /s"), 0u) << "nothing left to remove is no failure";
}

TEST_F(Registry_Test, TheRegisteredTypeLibraryHoldsTheNinetyThreeEntries)
{
    ASSERT_EQ(regsvr32("/s"), 0u);
    Com_Ptr<ITypeLib> library;
    ASSERT_EQ(LoadRegTypeLib(LIBID_kelmLib, 1, 0, LOCALE_NEUTRAL, library.put()), S_OK);
    EXPECT_EQ(help_of(library.get(), -1), L"kelm 1.0 \x7c7b\x578b\x5e93");
    Com_Ptr<ITypeInfo> coclass, dispatch, vtable;
    ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_kelm_ctrl, coclass.put()), S_OK);
    ASSERT_EQ(library->GetTypeInfoOfGuid(IID_Ikelm_ctrl, dispatch.put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(attributes->cImplTypes, 1) << "Ikelm_ctrl, and no event source";
    coclass->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        const std::wstring help = help_of(library.get(), static_cast<int>(i));
        EXPECT_TRUE(help == L"kelm_ctrl Class" || help == L"Ikelm_ctrl \x63a5\x53e3") << i;
    }
    // The dual interface's vtable half carries the entries in their order.
    HREFTYPE vtable_half = 0;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &vtable_half), S_OK);
    ASSERT_EQ(dispatch->GetRefTypeInfo(vtable_half, vtable.put()), S_OK);
    ASSERT_EQ(vtable->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    ASSERT_EQ(attributes->cFuncs, 93);
    vtable->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < 93; ++i)
        expect_function(vtable.get(), i, members[i]);
}

// docs/reference.md gives every member of the library a heading of its own
// (members that work alike may share one).
TEST_F(Registry_Test, TheReferenceHasAHeadingForEveryMemberOfTheLibrary)
{
    std::string headings;
    std::istringstream reference(read_file_bytes(windows_path(REFERENCE_MD).c_str()));
    for (std::string line; std::getline(reference, line);)
        headings += line.compare(0, 5, "#### ") == 0 ? line + "\n" : "";
    ASSERT_FALSE(headings.empty());
    Com_Ptr<ITypeLib> library;
    const std::string dll = windows_path(KELM_DLL);
    ASSERT_EQ(LoadTypeLibEx(std::wstring(dll.begin(), dll.end()).c_str(), REGKIND_NONE, library.put()), S_OK);
    Com_Ptr<ITypeInfo> dispatch;
    ASSERT_EQ(library->GetTypeInfoOfGuid(IID_Ikelm_ctrl, dispatch.put()), S_OK);
    for (UINT i = 0; i < 93; ++i) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(dispatch->GetFuncDesc(i + 7, &function), S_OK);  // after IDispatch's seven
        BSTR name = nullptr;
        EXPECT_EQ(dispatch->GetDocumentation(function->memid, &name, nullptr, nullptr, nullptr), S_OK);
        const std::wstring wide = name ? name : L"";
        EXPECT_NE(headings.find("`" + std::string(wide.begin(), wide.end()) + "`"), std::string::npos) << i;
        SysFreeString(name);
        dispatch->ReleaseFuncDesc(function);
    }
}
