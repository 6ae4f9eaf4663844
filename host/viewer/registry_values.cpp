#include "registry_values.h"

namespace {

const wchar_t viewer_key[] = L"Software\\kelm\\viewer";
// Key names are at most 255 characters.
const DWORD longest_key_name = 256;

} // namespace

Registry_Key::Registry_Key(const std::wstring& path)
{
    const std::wstring full = path.empty() ? viewer_key : std::wstring(viewer_key) + L"\\" + path;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, full.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        key = nullptr;
}

Registry_Key::~Registry_Key()
{
    if (key)
        (void)RegCloseKey(key);  // nothing to do about a key that will not close
}

std::wstring Registry_Key::text(const std::wstring& name) const
{
    wchar_t value[512] = L"";
    DWORD size = sizeof value - sizeof *value;  // room for a terminator the value may lack
    DWORD type = 0;
    if (!key || RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
                    ERROR_SUCCESS ||
        type != REG_SZ)
        return std::wstring();
    return value;
}

DWORD Registry_Key::number(const std::wstring& name, DWORD missing) const
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (!key || RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                    ERROR_SUCCESS ||
        type != REG_DWORD)
        return missing;
    return value;
}

std::vector<BYTE> Registry_Key::bytes(const std::wstring& name) const
{
    DWORD size = 0, type = 0;
    if (!key || RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return std::vector<BYTE>();
    std::vector<BYTE> value(size);
    if (size && RegQueryValueExW(key, name.c_str(), nullptr, &type, value.data(), &size) != ERROR_SUCCESS)
        return std::vector<BYTE>();
    value.resize(size);
    return value;
}

void Registry_Key::set_text(const std::wstring& name, const std::wstring& value)
{
    if (key)
        (void)RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));  // not remembered then
}

void Registry_Key::set_number(const std::wstring& name, DWORD value)
{
    if (key)
        (void)RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                             sizeof value);  // not remembered then
}

void Registry_Key::set_bytes(const std::wstring& name, const std::vector<BYTE>& value)
{
    if (key)
        (void)RegSetValueExW(key, name.c_str(), 0, REG_BINARY, value.data(),
                             static_cast<DWORD>(value.size()));  // not remembered then
}

void Registry_Key::remove_value(const std::wstring& name)
{
    if (key)
        (void)RegDeleteValueW(key, name.c_str());  // a missing value is removed already
}

std::vector<std::wstring> Registry_Key::subkeys() const
{
    std::vector<std::wstring> names;
    for (DWORD index = 0; key; ++index) {
        wchar_t name[longest_key_name];
        DWORD length = longest_key_name;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

void Registry_Key::remove_subkey(const std::wstring& name)
{
    if (key)
        (void)RegDeleteKeyW(key, name.c_str());  // a missing key is removed already
}
