/*
 * dvr_state.cpp: users and snapshot size of the simulated DVR.  The channel
 * and server settings are plain records reached through with_channel() and
 * with_server().
 */

#include "dvr_state.h"

/* The users a fresh simulator knows; sim/dvr/README.md lists them. */
Dvr_State::Dvr_State()
    : users{{"admin", {"12345", 0x1FFF}}, {"operator", {"op", 0x10FF}}, {"guest", {"guest", 0x0001}}}
{
}

int Dvr_State::logon(const std::string &user, const std::string &password)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = users.find(user);
    if (found == users.end() || found->second.password != password)
        return -1;
    return found->second.mask;
}

int Dvr_State::change_user(const std::string &oldid, const std::string &newid, const std::string &password)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = users.find(oldid);
    if (found == users.end() || newid.empty())
        return -1;
    const int mask = found->second.mask;
    users.erase(found);
    users[newid] = User{password, mask};
    return 0;
}

int Dvr_State::add_user(const std::string &user, const std::string &password, int mask)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (user.empty())
        return -1;
    users[user] = User{password, mask};
    return 0;
}

int Dvr_State::remove_user(const std::string &user)
{
    std::lock_guard<std::mutex> lock(mutex);
    return users.erase(user) ? 0 : -1;
}

std::map<std::string, User> Dvr_State::users_copy()
{
    std::lock_guard<std::mutex> lock(mutex);
    return users;
}

void Dvr_State::set_snapshot_bytes(size_t bytes)
{
    std::lock_guard<std::mutex> lock(mutex);
    padded_snapshot = bytes;
}

size_t Dvr_State::snapshot_bytes()
{
    std::lock_guard<std::mutex> lock(mutex);
    return padded_snapshot;
}
