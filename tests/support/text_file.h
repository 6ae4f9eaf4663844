// Reading the files the system writes, byte for byte.
#pragma once

#include <string>

// The whole file, or the empty text when it cannot be read.
std::string read_file_bytes(const char* path);

// A text no other test process uses, for finding this test's entries.
std::string unique_token(const char* stem);

// How often `needle` occurs in `haystack`.
size_t count_occurrences(const std::string& haystack, const std::string& needle);

// The part of `text` from `margin` bytes before the first occurrence of
// `token` to `margin` bytes after its last, so patterns are matched against
// this test's entries and not a whole log grown over many runs.
std::string around(const std::string& text, const std::string& token, size_t margin);
