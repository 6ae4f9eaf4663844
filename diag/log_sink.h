// Log_Sink: the record that formats log entries and writes them to the
// standard error stream and the log file.  A plain record of seven operation
// pointers followed by its state, made by log_sink_create and released by its
// own destroy operation.
#pragma once

#include <cstdarg>
#include <cstdio>

struct Log_Sink {
    void (*set_file)(Log_Sink* sink, FILE* file);
    void (*set_level)(Log_Sink* sink, unsigned level);
    void (*set_echo)(Log_Sink* sink, int echo);
    void (*set_prefix)(Log_Sink* sink, const char* prefix);
    // Formats and writes one entry; entries above `level` are dropped.
    void (*vprint)(Log_Sink* sink, unsigned level, const char* format, va_list args);
    // Formats one entry into `buffer` without writing it; returns its length.
    int (*vformat)(Log_Sink* sink, const char* format, va_list args);
    void (*destroy)(Log_Sink* sink);

    FILE* file;             // the open log file, not owned; null: no file
    unsigned level;         // entries with a level above this are dropped
    char buffer[4000];      // the entry being formatted
    int buffer_size;
    int echo;               // also write entries to standard error
    char prefix[128];       // text between timestamp and message
    int prefix_length;      // bytes of prefix in use, at most 127
};

// A sink with level 3, echo on, no file and an empty prefix; null when out of
// memory.
Log_Sink* log_sink_create();
