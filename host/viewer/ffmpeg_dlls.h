// The player's FFmpeg DLLs are delay-loaded: the viewer starts and shows
// live pictures without them, and binds them when it first plays a file.
// In the package the viewer lies in tools\, one folder below the DLLs it
// shares with the control, so they are loaded here by their full path from
// the viewer's own folder or the one above it; the delay-loaded calls then
// find them loaded.
#pragma once

#include <string>

// True once every DLL the player calls is loaded; false, with the missing
// one named in words in `problem`, when one cannot be.
bool load_ffmpeg(std::wstring* problem);
