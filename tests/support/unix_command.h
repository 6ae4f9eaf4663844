/*
 * unix_command.h: runs a command line of the Linux machine under Wine
 * (through /bin/sh) and reads what it printed, for checks made with Linux
 * tools such as ffprobe.  Wine hands back no usable process handle for a
 * Linux program, so the output goes to a file that ends with a marker line
 * once the command is done.
 */
#pragma once

#include <windows.h>

#include <string>

/* The Linux path of a Windows path; empty when Wine cannot give it. */
std::string unix_path_of(const std::string &windows_path);

/* What `command` wrote on its standard output and error; false when it did
   not end within `wait_ms`. */
bool run_unix_command(const std::string &command, DWORD wait_ms, std::string *output);
