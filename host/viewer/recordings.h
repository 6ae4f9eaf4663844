// The recordings (MP4 files) of the media folder, newest first, with the
// channel and time their names tell.  The control names a recording
// "<seconds>-<channel>.mp4" (seconds since 1 January 1970, UTC), another
// of the same channel and second "<seconds>-<channel>-2.mp4", "-3", ...; a
// file named otherwise counts from its own time, with no channel.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Recording {
    std::wstring path;
    std::wstring name;
    int channel = 0;       // 0 when the name does not tell it
    ULONGLONG time = 0;    // as a FILETIME: 100 ns units since 1601, UTC
    int copy = 1;          // "-2", "-3", ... of the same second
    ULONGLONG bytes = 0;
};

// The recordings in `folder`, newest first; empty when there are none or
// the folder cannot be read.
std::vector<Recording> list_recordings(const std::wstring& folder);

// The time a name of the control's tells, its channel and its copy; false
// for a name of another form.
bool read_recording_name(const std::wstring& name, ULONGLONG* time, int* channel, int* copy);
