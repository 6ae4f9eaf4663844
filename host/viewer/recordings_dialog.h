// Media > Recordings: the recordings of the media folder in a list, newest
// first, with the time and channel their names tell; Play (Enter, or a
// double click) opens the chosen one in a player.
#pragma once

#include <windows.h>

#include <string>

// Shows the list over `owner`; true, with the chosen file in `path`, when
// the operator chose one to play.
bool choose_recording(HWND owner, const std::wstring& folder, std::wstring* path);
