// Self-registration of kelm.dll.
//
// Implements: DllRegisterServer, DllUnregisterServer.
//
// The registry entries under HKEY_CLASSES_ROOT are two tables: the AppID
// entries and the control's ProgID and class entries.  %NAME% in a key or
// a value stands for a parameter (the module's path, the GUIDs in braces,
// the miscellaneous status).  Registration writes the tables in order and
// then registers the embedded type library; a ForceRemove key is deleted
// with its subtree before it is written again, so registering twice gives
// the same result.  Unregistration walks the tables backwards: a NoRemove
// key stays, a ForceRemove key goes with its subtree, any other key goes
// once nothing but our own entries lived below it.  Entries that are not
// there count as removed, so unregistering twice, or before any
// registration, succeeds.
#include "module.h"

#include <new>
#include <string>
#include <vector>

#include "kelm_object.h"

namespace {

// {5E4C922D-2908-41D8-BCAE-B9BFBB300CCF}
const GUID appid_kelm = {0x5e4c922d, 0x2908, 0x41d8, {0xbc, 0xae, 0xb9, 0xbf, 0xbb, 0x30, 0x0c, 0xcf}};

enum class Removal { removed, no_remove, force_remove };

struct Registry_Entry {
    const wchar_t* key;
    const wchar_t* value_name;  // null: the key's default value
    const wchar_t* data;        // null: the key alone
    Removal removal;
};

const Registry_Entry appid_entries[] = {
    {L"AppID", nullptr, nullptr, Removal::no_remove},
    {L"AppID\\%APPID%", nullptr, L"kelm", Removal::removed},
    {L"AppID\\kelm.DLL", L"AppID", L"%APPID%", Removal::removed},
};

const Registry_Entry class_entries[] = {
    {L"kelm.kelm_ctrl.1", nullptr, L"kelm_ctrl Class", Removal::removed},
    {L"kelm.kelm_ctrl.1\\CLSID", nullptr, L"%CLSID%", Removal::removed},
    {L"kelm.kelm_ctrl", nullptr, L"kelm_ctrl Class", Removal::removed},
    {L"kelm.kelm_ctrl\\CLSID", nullptr, L"%CLSID%", Removal::removed},
    {L"kelm.kelm_ctrl\\CurVer", nullptr, L"kelm.kelm_ctrl.1", Removal::removed},
    {L"CLSID", nullptr, nullptr, Removal::no_remove},
    {L"CLSID\\%CLSID%", nullptr, L"kelm_ctrl Class", Removal::force_remove},
    {L"CLSID\\%CLSID%", L"AppID", L"%APPID%", Removal::removed},
    {L"CLSID\\%CLSID%\\ProgID", nullptr, L"kelm.kelm_ctrl.1", Removal::removed},
    {L"CLSID\\%CLSID%\\VersionIndependentProgID", nullptr, L"kelm.kelm_ctrl", Removal::removed},
    {L"CLSID\\%CLSID%\\Programmable", nullptr, nullptr, Removal::force_remove},
    {L"CLSID\\%CLSID%\\InprocServer32", nullptr, L"%MODULE%", Removal::removed},
    {L"CLSID\\%CLSID%\\InprocServer32", L"ThreadingModel", L"Apartment", Removal::removed},
    {L"CLSID\\%CLSID%\\Control", nullptr, nullptr, Removal::force_remove},
    {L"CLSID\\%CLSID%\\ToolboxBitmap32", nullptr, L"%MODULE%, 102", Removal::force_remove},
    {L"CLSID\\%CLSID%\\MiscStatus", nullptr, L"0", Removal::removed},
    {L"CLSID\\%CLSID%\\MiscStatus\\1", nullptr, L"%OLEMISC%", Removal::removed},
    {L"CLSID\\%CLSID%\\TypeLib", nullptr, L"%LIBID%", Removal::removed},
    {L"CLSID\\%CLSID%\\Version", nullptr, L"1.0", Removal::removed},
};

struct Parameter {
    std::wstring name;  // with its percent signs
    std::wstring value;
};

typedef std::vector<Parameter> Parameters;

std::wstring guid_text(REFGUID guid)
{
    wchar_t text[39];
    return StringFromGUID2(guid, text, 39) ? text : L"";
}

// Throws std::bad_alloc when memory runs out; the entry points catch it.
HRESULT make_parameters(Parameters* parameters)
{
    wchar_t path[MAX_PATH];
    if (!module_path(path, MAX_PATH))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    *parameters = {
        {L"%MODULE%", path},
        {L"%APPID%", guid_text(appid_kelm)},
        {L"%CLSID%", guid_text(CLSID_kelm_ctrl)},
        {L"%LIBID%", guid_text(LIBID_kelmLib)},
        {L"%OLEMISC%", std::to_wstring(kelm_misc_status)},
    };
    return S_OK;
}

std::wstring expand(const wchar_t* text, const Parameters& parameters)
{
    std::wstring expanded = text;
    for (const Parameter& parameter : parameters) {
        for (size_t at = expanded.find(parameter.name); at != std::wstring::npos;
             at = expanded.find(parameter.name, at + parameter.value.size()))
            expanded.replace(at, parameter.name.size(), parameter.value);
    }
    return expanded;
}

// The key and its whole subtree; a key that is not there is no failure.
LSTATUS delete_tree(const std::wstring& key)
{
    const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LSTATUS set_string(HKEY key, const wchar_t* name, const std::wstring& data)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

LSTATUS write_entry(const Registry_Entry& entry, const Parameters& parameters)
{
    const std::wstring key = expand(entry.key, parameters);
    if (entry.removal == Removal::force_remove && !entry.value_name) {
        const LSTATUS status = delete_tree(key);
        if (status != ERROR_SUCCESS)
            return status;
    }
    HKEY handle = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                     &handle, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    if (entry.data)
        status = set_string(handle, entry.value_name, expand(entry.data, parameters));
    const LSTATUS closed = RegCloseKey(handle);
    return status != ERROR_SUCCESS ? status : closed;
}

// True when `key` has subkeys (someone else's, once ours are gone).
bool has_subkeys(const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    DWORD subkeys = 0;
    const LSTATUS status = RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, nullptr);
    (void)RegCloseKey(handle);  // a read-only handle: nothing to flush
    return status == ERROR_SUCCESS && subkeys > 0;
}

LSTATUS remove_entry(const Registry_Entry& entry, const Parameters& parameters)
{
    // Values go with their keys; a key met twice is found gone the second time.
    if (entry.removal == Removal::no_remove)
        return ERROR_SUCCESS;
    const std::wstring key = expand(entry.key, parameters);
    if (entry.removal == Removal::force_remove)
        return delete_tree(key);
    if (has_subkeys(key))
        return ERROR_SUCCESS;
    const LSTATUS status = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

template <size_t N>
HRESULT write_entries(const Registry_Entry (&entries)[N], const Parameters& parameters)
{
    for (const Registry_Entry& entry : entries) {
        const LSTATUS status = write_entry(entry, parameters);
        if (status != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

template <size_t N>
HRESULT remove_entries(const Registry_Entry (&entries)[N], const Parameters& parameters)
{
    for (size_t i = N; i-- > 0;) {
        const LSTATUS status = remove_entry(entries[i], parameters);
        if (status != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

// Registered under the DLL's path as hosts know it (loading with
// REGKIND_REGISTER would write the path the loader resolved, "\\?\...").
HRESULT register_type_library()
{
    wchar_t path[MAX_PATH];
    ITypeLib* library = nullptr;
    HRESULT hr = module_path(path, MAX_PATH) ? module_type_library(&library)
                                             : HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    if (SUCCEEDED(hr)) {
        hr = RegisterTypeLib(library, path, nullptr);
        ITypeLib_Release(library);
    }
    return hr;
}

HRESULT unregister_type_library()
{
    BSTR registered_path = nullptr;
    if (FAILED(QueryPathOfRegTypeLib(LIBID_kelmLib, 1, 0, LOCALE_NEUTRAL, &registered_path)))
        return S_OK;  // not registered: nothing to remove
    SysFreeString(registered_path);
    return UnRegisterTypeLib(LIBID_kelmLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN32);
}

// Registration goes AppID, class, type library; unregistration takes the
// class and the type library away first and the AppID last.  The first
// failure ends either.
HRESULT update_registry(bool registering)
{
    Parameters parameters;
    HRESULT hr = make_parameters(&parameters);
    if (SUCCEEDED(hr) && registering)
        hr = write_entries(appid_entries, parameters);
    if (SUCCEEDED(hr))
        hr = registering ? write_entries(class_entries, parameters) : remove_entries(class_entries, parameters);
    if (SUCCEEDED(hr))
        hr = registering ? register_type_library() : unregister_type_library();
    if (SUCCEEDED(hr) && !registering)
        hr = remove_entries(appid_entries, parameters);
    return hr;
}

} // namespace

STDAPI DllRegisterServer()
{
    try {
        return update_registry(true);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDAPI DllUnregisterServer()
{
    try {
        return update_registry(false);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
