// Reading a script file as its engine expects it.
#pragma once

#include <string>

// The text of `path`: UTF-16 after a UTF-16 byte-order mark, UTF-8 after a
// UTF-8 one, else the system's ANSI code page, as cscript reads a script.
// False when the file cannot be read.
bool read_script(const wchar_t* path, std::wstring* text);

// The engine's ProgID for the file's extension: "VBScript" for .vbs,
// "JScript" for .js; null for any other.
const wchar_t* engine_for(const wchar_t* path);
