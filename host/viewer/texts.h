// The viewer's texts, from its string table (viewer.rc).
#pragma once

#include <windows.h>

#include <string>

// The string `id`; empty when the table lacks it.
std::wstring load_text(UINT id);
// The string `id` as a printf format, filled with the arguments; the bare
// string when they do not fit it.
std::wstring format_text(UINT id, ...);
