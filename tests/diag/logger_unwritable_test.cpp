// A log folder that cannot be written: both log files are held open
// without sharing, so neither can be opened by the logger.
#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "logger.h"
#include "text_file.h"

namespace {

HANDLE hold_exclusively(const char* path)
{
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

TEST(LoggerUnwritable, EntriesReachOnlyStandardError)
{
    char temp_dir[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof temp_dir, temp_dir), 0u);
    const std::string echo_path = std::string(temp_dir) + unique_token("echo") + ".txt";
    const std::string token = unique_token("unwritable");

    HANDLE control_file = hold_exclusively(control_log_path);
    HANDLE default_file = hold_exclusively(default_log_path);
    ASSERT_NE(control_file, INVALID_HANDLE_VALUE);
    ASSERT_NE(default_file, INVALID_HANDLE_VALUE);

    // Standard error goes to a file for the duration of the write, in text
    // mode as a console would have it.
    fflush(stderr);
    const int saved_stderr = _dup(2);
    const int echo = _open(echo_path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_TEXT, 0600);
    ASSERT_GE(echo, 0);
    ASSERT_EQ(_dup2(echo, 2), 0);
    const int opened = Logger::instance().open(control_log_path);
    Logger::instance().write(log_status, "%s\n", token.c_str());
    _dup2(saved_stderr, 2);
    _close(echo);
    _close(saved_stderr);

    CloseHandle(control_file);
    CloseHandle(default_file);
    EXPECT_EQ(opened, -1);
    EXPECT_EQ(count_occurrences(read_file_bytes(echo_path.c_str()), token + "\r\n"), 1u);
    EXPECT_EQ(count_occurrences(read_file_bytes(control_log_path), token), 0u);
    EXPECT_EQ(count_occurrences(read_file_bytes(default_log_path), token), 0u);
    DeleteFileA(echo_path.c_str());
}
