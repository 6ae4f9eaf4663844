// Save directories for recordings and snapshots: the normal form
// "D:/name/name/" and its creation on disk.
#pragma once

#include <cstddef>

// True when the narrow path starts with a drive: its first piece between
// colons (leading colons skipped) is exactly one character.
bool has_drive_letter(const char* path);

// Writes the normal form of `path` into `out` (zero-filled, `size` bytes):
// the first character of the first piece, ":/", then every further piece
// followed by "/", pieces being split at the characters ':', '/' and '\'
// (never inside a double-byte character of the system's code page).  D:\video\rec
// gives D:/video/rec/, d:\\a//b\ gives d:/a/b/.  False, with `out` empty,
// when the path has no piece at all or the result does not fit.
bool normalise_directory(const char* path, char* out, size_t size);

// Makes sure the directory exists, creating its last level if needed (the
// parent must exist).  True when it exists afterwards.
bool ensure_directory(const wchar_t* path);
