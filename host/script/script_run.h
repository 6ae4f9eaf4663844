// Running one script with an engine of Windows' Active Scripting, with
// named objects the script reaches by name.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <utility>
#include <vector>

struct Named_Object {
    const wchar_t* name;
    IDispatch* object;  // not owned
};

// Parses and runs `text` with the engine of `engine_prog_id` ("VBScript",
// "JScript").  `window` is the window a script's dialogs belong to; `name`
// is how errors name the script.  True when it ran to its end without an
// error; an error is written to the runner's standard error
// (runner_errors()) as "NAME(LINE, COLUMN) SOURCE: DESCRIPTION".
bool run_script(const wchar_t* engine_prog_id, const std::wstring& text, const wchar_t* name,
                const std::vector<Named_Object>& objects, HWND window);
