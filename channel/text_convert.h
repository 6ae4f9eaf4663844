// Conversion between the UTF-16 text of the control and the narrow text, in
// the system's ANSI code page, that the streaming library, the web service
// and the file system are given.
#pragma once

#include <cstddef>

// Zero-fills `buffer` (`size` bytes) and converts `text` into it.  Returns
// the buffer, or null when the text with its terminating zero does not fit
// (the buffer is then left all zero).  A null text converts as empty.
char* wide_to_ansi(const wchar_t* text, char* buffer, size_t size);

// The same in the other direction; `size` counts UTF-16 units.
wchar_t* ansi_to_wide(const char* text, wchar_t* buffer, size_t size);
