// A host's line on standard output.
#pragma once

#include <string>

// Writes `text` and a line end to standard output in the ANSI code page, as
// the console shows it (the C library's wide output stops at the first
// character its locale cannot write), and flushes it, so that a script
// following the program sees each line as it comes.
void print_line(const std::wstring& text);
