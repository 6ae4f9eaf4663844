#include "server_list.h"

#include <algorithm>

std::wstring Server_Entry::label() const
{
    return name == address ? name : name + L" (" + address + L")";
}

int Server_List::add(Server_Entry entry)
{
    entry.id = ++last_id;
    if (entry.name.empty())
        entry.name = entry.address;
    servers.push_back(entry);
    return entry.id;
}

void Server_List::remove(int id)
{
    servers.erase(std::remove_if(servers.begin(), servers.end(),
                                 [id](const Server_Entry& entry) { return entry.id == id; }),
                  servers.end());
}

Server_Entry* Server_List::find(int id)
{
    for (Server_Entry& entry : servers)
        if (entry.id == id)
            return &entry;
    return nullptr;
}

Server_Entry* Server_List::find_by_name(const std::wstring& name)
{
    for (Server_Entry& entry : servers)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

Server_Entry* Server_List::find_by_address(const std::wstring& address)
{
    for (Server_Entry& entry : servers)
        if (entry.address == address)
            return &entry;
    return nullptr;
}

Server_Entry* Server_List::find_by_login(const std::wstring& address, const std::wstring& user)
{
    for (Server_Entry& entry : servers)
        if (entry.address == address && entry.user == user)
            return &entry;
    return nullptr;
}

std::wstring Server_List::unique_name(const std::wstring& wanted, int id) const
{
    std::wstring name = wanted;
    for (int number = 2;; ++number) {
        const bool taken = std::any_of(servers.begin(), servers.end(), [&](const Server_Entry& entry) {
            return entry.id != id && entry.name == name;
        });
        if (!taken)
            return name;
        name = wanted + L" " + std::to_wstring(number);
    }
}
