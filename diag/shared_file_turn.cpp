#include "shared_file_turn.h"

#include <cstdint>
#include <cstdio>

namespace {

// Longer than any entry's write takes, short enough for a host's thread.
const DWORD longest_wait_ms = 200;

// A mutex's name cannot hold the path's backslashes: the path's FNV-1a
// hash, upper-cased first, names it.
std::string turn_name(const std::string& path)
{
    uint32_t hash = 2166136261u;
    for (char c : path) {
        const unsigned char letter = static_cast<unsigned char>(c);
        hash ^= static_cast<uint32_t>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
        hash *= 16777619u;
    }
    char name[48];
    (void)std::snprintf(name, sizeof name, "Local\\kelm-file-%08lx", static_cast<unsigned long>(hash));
    return name;
}

} // namespace

Shared_File_Turn::~Shared_File_Turn()
{
    if (mutex)
        (void)CloseHandle(mutex);  // ours, released by every taker
}

// The same file keeps its turn, which may be held right now (a full file
// is set aside and opened again in one turn).
void Shared_File_Turn::name_after(const std::string& path)
{
    const std::string wanted = turn_name(path);
    if (mutex && wanted == name)
        return;
    if (mutex)
        (void)CloseHandle(mutex);  // the turn at the file written before
    mutex = CreateMutexA(nullptr, FALSE, wanted.c_str());
    name = mutex ? wanted : std::string();
}

bool Shared_File_Turn::take()
{
    if (!mutex)
        return false;
    // An abandoned turn (its holder ended while writing) is ours now.
    const DWORD waited = WaitForSingleObject(mutex, longest_wait_ms);
    return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

void Shared_File_Turn::give_back(bool taken)
{
    if (taken)
        (void)ReleaseMutex(mutex);  // held by this thread since take()
}
