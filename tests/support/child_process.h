// Running another Windows program from a test: its exit status and what it
// wrote to standard output and standard error.
#pragma once

#include <string>
#include <windows.h>

struct Program_Result {
    DWORD status;        // 9999 when the program could not be started
    std::string output;  // standard output (and standard error), in order
};

enum class Captured { output_and_errors, output_only };

// Runs `program` (a Windows path) with `arguments` and waits for it.  With
// output_only its standard error goes to the caller's.
Program_Result run_program(const std::string& program, const std::string& arguments,
                           Captured captured = Captured::output_and_errors);

// A path of the build or source tree as Windows sees it (drive Z: is the
// root of the file system).
std::string windows_path(const std::string& unix_path);

// `output` with the carriage returns of the console's text mode removed.
std::string without_carriage_returns(const std::string& output);
