#include "settings.h"

#include <windows.h>

#include <algorithm>

namespace {

const wchar_t settings_key[] = L"Software\\kelm\\viewer";
const size_t recent_limit = 8;

std::wstring server_value(size_t index)
{
    return L"Server" + std::to_wstring(index);
}

std::wstring read_text(HKEY key, const std::wstring& name)
{
    wchar_t text[512] = L"";
    DWORD size = sizeof text - sizeof *text;  // room for a terminator the value may lack
    DWORD type = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::wstring();
    return text;
}

void write_text(HKEY key, const std::wstring& name, const std::wstring& text)
{
    // Settings are a convenience: a value that cannot be written is not remembered.
    (void)RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The settings key, created when missing; null when the registry refuses.
HKEY open_settings()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, settings_key, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

} // namespace

Viewer_Settings load_settings()
{
    Viewer_Settings settings;
    HKEY key = open_settings();
    if (!key)
        return settings;
    for (size_t i = 0; i < recent_limit; ++i) {
        const std::wstring server = read_text(key, server_value(i));
        if (!server.empty())
            settings.recent_servers.push_back(server);
    }
    settings.user = read_text(key, L"User");
    settings.folder = read_text(key, L"Folder");
    RegCloseKey(key);
    return settings;
}

void remember_server(const std::wstring& server, const std::wstring& user)
{
    std::vector<std::wstring> recent = load_settings().recent_servers;
    recent.erase(std::remove(recent.begin(), recent.end(), server), recent.end());
    recent.insert(recent.begin(), server);
    recent.resize(std::min(recent.size(), recent_limit));
    HKEY key = open_settings();
    if (!key)
        return;
    for (size_t i = 0; i < recent.size(); ++i)
        write_text(key, server_value(i), recent[i]);
    write_text(key, L"User", user);
    RegCloseKey(key);
}

void remember_folder(const std::wstring& folder)
{
    HKEY key = open_settings();
    if (!key)
        return;
    write_text(key, L"Folder", folder);
    RegCloseKey(key);
}
