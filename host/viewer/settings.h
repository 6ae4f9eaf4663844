// The viewer's per-user settings under HKEY_CURRENT_USER\Software\kelm\viewer:
// the servers used last (newest first), the last user name and the save
// folder.  No password is stored here (the server list keeps one only
// encrypted, server_store.h).
#pragma once

#include <string>
#include <vector>

struct Viewer_Settings {
    std::vector<std::wstring> recent_servers;
    std::wstring user;
    std::wstring folder;
};

Viewer_Settings load_settings();
// Puts `server` first among the recent servers and keeps the user name.
void remember_server(const std::wstring& server, const std::wstring& user);
void remember_folder(const std::wstring& folder);
