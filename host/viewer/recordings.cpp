#include "recordings.h"

#include <algorithm>
#include <cwchar>

namespace {

// FILETIME's units per second, and its count of seconds from 1601 to 1970.
const ULONGLONG ticks_per_second = 10000000;
const ULONGLONG seconds_1601_to_1970 = 11644473600ull;

ULONGLONG as_number(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

Recording recording_of(const std::wstring& folder, const WIN32_FIND_DATAW& found)
{
    Recording recording;
    recording.name = found.cFileName;
    recording.path = folder + L"\\" + recording.name;
    recording.bytes = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    if (!read_recording_name(recording.name, &recording.time, &recording.channel, &recording.copy))
        recording.time = as_number(found.ftLastWriteTime);
    return recording;
}

bool newer(const Recording& one, const Recording& other)
{
    if (one.time != other.time)
        return one.time > other.time;
    if (one.copy != other.copy)
        return one.copy > other.copy;
    return one.name > other.name;
}

} // namespace

bool read_recording_name(const std::wstring& name, ULONGLONG* time, int* channel, int* copy)
{
    // "<seconds>-<channel>" then ".mp4" or "-<copy>.mp4", and nothing after.
    const wchar_t* at = name.c_str();
    unsigned long long numbers[3] = {0, 0, 1};
    int count = 0;
    while (count < 3 && iswdigit(*at)) {
        wchar_t* end = nullptr;
        numbers[count++] = wcstoull(at, &end, 10);
        at = end;
        if (*at != L'-')
            break;
        ++at;
    }
    const bool copy_fits = count < 3 || (numbers[2] >= 2 && numbers[2] <= 1000);
    if (count < 2 || !copy_fits || numbers[1] > 1000 || !iswdigit(at[-1]) || _wcsicmp(at, L".mp4") != 0)
        return false;
    *time = (numbers[0] + seconds_1601_to_1970) * ticks_per_second;
    *channel = static_cast<int>(numbers[1]);
    *copy = static_cast<int>(numbers[2]);
    return true;
}

std::vector<Recording> list_recordings(const std::wstring& folder)
{
    std::vector<Recording> recordings;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.mp4").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return recordings;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            recordings.push_back(recording_of(folder, found));
    } while (FindNextFileW(search, &found));
    (void)FindClose(search);  // the list is made either way
    std::sort(recordings.begin(), recordings.end(), newer);
    return recordings;
}
