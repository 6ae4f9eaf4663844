#include "server_store.h"

#include <algorithm>
#include <cstdlib>

#include "registry_values.h"

namespace {

const wchar_t servers_key[] = L"Servers";

std::wstring server_key(const std::wstring& subkey)
{
    return std::wstring(servers_key) + L"\\" + subkey;
}

// The servers' subkeys in the list's order: 0, 1, 2, ...
std::vector<std::wstring> server_subkeys()
{
    std::vector<std::wstring> names = Registry_Key(servers_key).subkeys();
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return _wtoi(a.c_str()) < _wtoi(b.c_str()); });
    return names;
}

} // namespace

void load_servers(Server_List* list)
{
    for (const std::wstring& subkey : server_subkeys()) {
        const Registry_Key key(server_key(subkey));
        Server_Entry entry;
        entry.address = key.text(L"Address");
        if (entry.address.empty())
            continue;  // not a server the viewer wrote
        entry.name = list->unique_name(key.text(L"Name").empty() ? entry.address : key.text(L"Name"));
        entry.user = key.text(L"User");
        entry.camera = key.number(L"Camera") != 0;
        entry.first_channel = static_cast<int>(key.number(L"First channel", 1));
        entry.last_channel = static_cast<int>(key.number(L"Last channel", 1));
        if (entry.first_channel < 1 || entry.last_channel < entry.first_channel)
            entry.first_channel = entry.last_channel = 1;  // not a range the viewer wrote
        // A camera without a user streams without a login: no password to ask.
        entry.password_known = entry.camera && entry.user.empty();
        entry.keep_password = key.number(L"Keep password") != 0;
        if (entry.keep_password)
            entry.kept_password = key.bytes(L"Password");
        (void)list->add(entry);  // the id serves this run only
    }
}

void save_servers(const Server_List& list)
{
    size_t written = 0;
    for (const Server_Entry& entry : list.entries()) {
        if (!entry.stored)
            continue;
        Registry_Key key(server_key(std::to_wstring(written++)));
        key.set_text(L"Name", entry.name);
        key.set_text(L"Address", entry.address);
        key.set_text(L"User", entry.user);
        key.set_number(L"Camera", entry.camera ? 1 : 0);
        key.set_number(L"First channel", static_cast<DWORD>(entry.first_channel));
        key.set_number(L"Last channel", static_cast<DWORD>(entry.last_channel));
        key.set_number(L"Keep password", entry.keep_password ? 1 : 0);
        if (entry.keep_password && !entry.kept_password.empty())
            key.set_bytes(L"Password", entry.kept_password);
        else
            key.remove_value(L"Password");
    }
    // What is left from a longer list goes.
    Registry_Key servers(servers_key);
    for (const std::wstring& subkey : servers.subkeys())
        if (static_cast<size_t>(_wtoi(subkey.c_str())) >= written || subkey != std::to_wstring(_wtoi(subkey.c_str())))
            servers.remove_subkey(subkey);
}
