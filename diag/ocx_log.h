// The value trace: one timestamped record per call appended to "c:\ocx.txt".
#pragma once

extern const char* const ocx_log_path;  // "c:\ocx.txt"

// Appends the local time ("HH:MM:SS"), two spaces, `text`, a space and a line
// feed.  A file that cannot be opened loses the record silently.
void ocx_log(const char* text);
