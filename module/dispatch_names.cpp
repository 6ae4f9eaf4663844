// Member names to DISPIDs for IDispatch::GetIDsOfNames.
//
// oleaut32 finds a name by comparing it, locale-aware, with every function
// of the type description in turn, and a script engine asks for the name
// at every call.  The names are therefore read from the type description
// once per process and kept upper-cased and sorted for a binary search.
// Only the one-name lookup is served here; a lookup that also names
// arguments goes to the type description.
#include "dispatch_names.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

namespace {

struct Name_Entry {
    std::wstring upper;
    DISPID id;
    bool operator<(const Name_Entry& other) const { return upper < other.upper; }
};

typedef std::vector<Name_Entry> Name_Table;

Name_Table* table = nullptr;

std::wstring upper_case(const wchar_t* name)
{
    std::wstring text = name;
    if (!text.empty())
        (void)CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));  // answers the count it converted
    return text;
}

// The name of every function of `info`; throws std::bad_alloc.
HRESULT read_names(ITypeInfo* info, Name_Table* names)
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
        if (SUCCEEDED(hr))
            names->push_back({upper_case(name), function->memid});
        SysFreeString(name);
        if (function)
            ITypeInfo_ReleaseFuncDesc(info, function);
    }
    ITypeInfo_ReleaseTypeAttr(info, attributes);
    std::sort(names->begin(), names->end());
    return hr;
}

HRESULT load_table(ITypeInfo* info)
{
    Name_Table* loaded = new (std::nothrow) Name_Table();
    if (!loaded)
        return E_OUTOFMEMORY;
    HRESULT hr;
    try {
        hr = read_names(info, loaded);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    // Two threads may load at once: the first to publish wins.
    if (FAILED(hr) || InterlockedCompareExchangePointer(reinterpret_cast<void**>(&table), loaded, nullptr))
        delete loaded;
    return hr;
}

} // namespace

HRESULT dispatch_id_of_name(ITypeInfo* info, LPOLESTR name, DISPID* id)
{
    if (!name || !id)
        return E_POINTER;
    HRESULT hr = table ? S_OK : load_table(info);
    if (FAILED(hr))
        return hr;
    try {
        const Name_Entry wanted = {upper_case(name), DISPID_UNKNOWN};
        auto found = std::lower_bound(table->begin(), table->end(), wanted);
        const bool known = found != table->end() && found->upper == wanted.upper;
        *id = known ? found->id : DISPID_UNKNOWN;
        return known ? S_OK : DISP_E_UNKNOWNNAME;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

void dispatch_release_names()
{
    delete table;
    table = nullptr;
}
