#include "settings.h"

#include <algorithm>

#include "registry_values.h"

namespace {

const size_t recent_limit = 8;

std::wstring server_value(size_t index)
{
    return L"Server" + std::to_wstring(index);
}

} // namespace

Viewer_Settings load_settings()
{
    Viewer_Settings settings;
    const Registry_Key key;
    for (size_t i = 0; i < recent_limit; ++i) {
        const std::wstring server = key.text(server_value(i));
        if (!server.empty())
            settings.recent_servers.push_back(server);
    }
    settings.user = key.text(L"User");
    settings.folder = key.text(L"Folder");
    return settings;
}

void remember_server(const std::wstring& server, const std::wstring& user)
{
    std::vector<std::wstring> recent = load_settings().recent_servers;
    recent.erase(std::remove(recent.begin(), recent.end(), server), recent.end());
    recent.insert(recent.begin(), server);
    recent.resize(std::min(recent.size(), recent_limit));
    Registry_Key key;
    for (size_t i = 0; i < recent.size(); ++i)
        key.set_text(server_value(i), recent[i]);
    key.set_text(L"User", user);
}

void remember_folder(const std::wstring& folder)
{
    Registry_Key key;
    key.set_text(L"Folder", folder);
}
