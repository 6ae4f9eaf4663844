// Member names to DISPIDs for IDispatch::GetIDsOfNames, and the members'
// parameters for checking Invoke's arguments.
//
// oleaut32 finds a name by comparing it, locale-aware, with every function
// of the type description in turn, and a script engine asks for the name
// at every call.  The names are therefore read from the type description
// once per process and kept upper-cased and sorted for a binary search.
// Only the one-name lookup is served here; a lookup that also names
// arguments goes to the type description.  The same reading keeps each
// function's parameter types and how many of them are required.
#include "dispatch_members.h"

#include <algorithm>
#include <new>
#include <string>

namespace {

struct Name_Entry {
    std::wstring upper;
    DISPID id;
    bool operator<(const Name_Entry& other) const { return upper < other.upper; }
};

bool by_id(const Member_Signature& member, DISPID id)
{
    return member.id < id;
}

struct Member_Tables {
    std::vector<Name_Entry> names;             // sorted
    std::vector<Member_Signature> signatures;  // sorted by DISPID, in declared order within one
};

Member_Tables* tables = nullptr;

std::wstring upper_case(const wchar_t* name)
{
    std::wstring text = name;
    if (!text.empty())
        (void)CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));  // answers the count it converted
    return text;
}

// The parameters a caller gives: Invoke supplies the locale itself and
// hands the return value back as the result.  Throws std::bad_alloc.
Member_Signature signature_of(const FUNCDESC& function)
{
    Member_Signature signature = {function.memid, function.invkind, {}, 0};
    for (SHORT i = 0; i < function.cParams; ++i) {
        const ELEMDESC& parameter = function.lprgelemdescParam[i];
        const USHORT flags = parameter.paramdesc.wParamFlags;
        if (flags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID))
            continue;
        signature.types.push_back(parameter.tdesc.vt);
        if (!(flags & PARAMFLAG_FOPT))
            signature.required = static_cast<UINT>(signature.types.size());
    }
    return signature;
}

// The name and parameters of every function of `info`; throws
// std::bad_alloc.
HRESULT read_members(ITypeInfo* info, Member_Tables* members)
{
    TYPEATTR* attributes = nullptr;
    HRESULT hr = ITypeInfo_GetTypeAttr(info, &attributes);
    if (FAILED(hr))
        return hr;
    for (UINT i = 0; SUCCEEDED(hr) && i < attributes->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        BSTR name = nullptr;
        hr = ITypeInfo_GetFuncDesc(info, i, &function);
        if (SUCCEEDED(hr))
            hr = ITypeInfo_GetDocumentation(info, function->memid, &name, nullptr, nullptr, nullptr);
        if (SUCCEEDED(hr)) {
            members->names.push_back({upper_case(name), function->memid});
            members->signatures.push_back(signature_of(*function));
        }
        SysFreeString(name);
        if (function)
            ITypeInfo_ReleaseFuncDesc(info, function);
    }
    ITypeInfo_ReleaseTypeAttr(info, attributes);
    std::sort(members->names.begin(), members->names.end());
    std::stable_sort(members->signatures.begin(), members->signatures.end(),
                     [](const Member_Signature& a, const Member_Signature& b) { return a.id < b.id; });
    return hr;
}

HRESULT load_tables(ITypeInfo* info)
{
    if (tables)
        return S_OK;
    Member_Tables* loaded = new (std::nothrow) Member_Tables();
    if (!loaded)
        return E_OUTOFMEMORY;
    HRESULT hr;
    try {
        hr = read_members(info, loaded);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    // Two threads may load at once: the first to publish wins.
    if (FAILED(hr) || InterlockedCompareExchangePointer(reinterpret_cast<void**>(&tables), loaded, nullptr))
        delete loaded;
    return hr;
}

} // namespace

HRESULT dispatch_id_of_name(ITypeInfo* info, LPOLESTR name, DISPID* id)
{
    if (!name || !id)
        return E_POINTER;
    HRESULT hr = load_tables(info);
    if (FAILED(hr))
        return hr;
    try {
        const Name_Entry wanted = {upper_case(name), DISPID_UNKNOWN};
        auto found = std::lower_bound(tables->names.begin(), tables->names.end(), wanted);
        const bool known = found != tables->names.end() && found->upper == wanted.upper;
        *id = known ? found->id : DISPID_UNKNOWN;
        return known ? S_OK : DISP_E_UNKNOWNNAME;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT dispatch_signature(ITypeInfo* info, DISPID id, WORD flags, const Member_Signature** signature)
{
    const HRESULT hr = load_tables(info);
    if (FAILED(hr))
        return hr;
    // The first function with the DISPID and one of the kinds asked for, as
    // the type description's own Invoke chooses.
    auto member = std::lower_bound(tables->signatures.begin(), tables->signatures.end(), id, by_id);
    for (; member != tables->signatures.end() && member->id == id; ++member) {
        if (member->kind & flags) {
            *signature = &*member;
            return S_OK;
        }
    }
    return DISP_E_MEMBERNOTFOUND;
}

void dispatch_release_members()
{
    delete tables;
    tables = nullptr;
}
