// The operator's servers: each with a name, its address and the user to
// log in as, and while the viewer runs whether it is connected, its
// channel count and the password given for it.  A password lives in
// memory only, or encrypted in the registry when the operator keeps it.
// A camera is a server whose address is its stream URL: it is never logged
// in, its user and password go with its stream, and its channels are the
// ones its range names (one when the URL has no "{channel}").
#pragma once

#include <string>
#include <vector>

struct Server_Entry {
    // Stays the same while the viewer runs, whatever is edited or removed.
    int id = 0;
    std::wstring name;
    std::wstring address;
    std::wstring user;
    bool camera = false;
    int first_channel = 1;
    int last_channel = 1;
    // The operator keeps the password: it is asked once and then stored
    // encrypted (protected_secret.h); `kept_password` holds those bytes.
    bool keep_password = false;
    std::vector<unsigned char> kept_password;
    // In the registry, remembered across runs; a server connected from the
    // connect dialog or the command line is in the list for this run only.
    bool stored = true;
    // The password given in this run; `password_known` tells an empty one
    // from none.
    std::wstring password;
    bool password_known = false;
    // The kept password was refused in this run: it is asked again.
    bool kept_password_refused = false;
    // The password was asked with "Keep" chosen: it is kept once a login
    // with it holds.
    bool keep_after_login = false;
    bool connected = false;
    long channels = 0;

    // The channels it shows: a camera's range, a connected DVR's 1 to its
    // count, none for a DVR not connected.
    int lowest_channel() const { return camera ? first_channel : 1; }
    int highest_channel() const { return camera ? last_channel : connected ? static_cast<int>(channels) : 0; }

    // How the operator's texts name it: the name, with the address beside
    // it when they differ.
    std::wstring label() const;
};

class Server_List {
public:
    // The new server's id; its name is the address when empty.
    int add(Server_Entry entry);
    void remove(int id);
    Server_Entry* find(int id);
    Server_Entry* find_by_name(const std::wstring& name);
    // The first server at `address`, and the first logged in there as `user`.
    Server_Entry* find_by_address(const std::wstring& address);
    Server_Entry* find_by_login(const std::wstring& address, const std::wstring& user);
    // `wanted` when no other server than `id` has it, else "wanted 2", ...
    std::wstring unique_name(const std::wstring& wanted, int id = 0) const;
    const std::vector<Server_Entry>& entries() const { return servers; }

private:
    std::vector<Server_Entry> servers;
    int last_id = 0;
};
