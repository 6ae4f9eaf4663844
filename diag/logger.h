// Logger: the one process-wide log.  Entries are timestamped, echoed to
// standard error and appended to the log file ("c:\kelm.log" once a control
// window has opened it, "c:\rq-kelm.log" before that).  A file that has
// grown past its limit (10 MiB) is set aside as FILE.1 (the older ones move
// on to FILE.2 and FILE.3, the oldest is deleted) and a new one is started.
#pragma once

#include <string>

#include "shared_file_turn.h"

#include <boost/thread/mutex.hpp>

struct Log_Sink;

class Logger {
public:
    // The process's logger, created on first use.
    static Logger& instance();

    // Makes `path` (opened for appending, text mode) the file later entries go
    // to; the file used before is closed.  0, or -1 with the state unchanged.
    int open(const char* path);

    // Formats and writes one entry (printf-style).  Levels above 3 are dropped.
    void write(unsigned level, const char* format, ...);

    void set_echo(bool on);

    // How large a log file may grow and how many set-aside files are kept;
    // tests make both small.
    void set_rotation(long long limit_bytes, int kept_files);

    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

private:
    Logger();
    ~Logger();
    static void destroy_instance();
    int open_unlocked(const char* path);
    void rotate_when_full();
    void set_aside(const std::string& path);

    Log_Sink* sink;
    boost::mutex lock;
    Shared_File_Turn turn;        // with other processes writing the same file
    std::string path;             // of the open file
    long long limit_bytes;
    int kept_files;
    unsigned entries_unchecked = 0;  // entries since the file's size was read
};

// Message levels.
enum Log_Level : unsigned {
    log_status = 2,  // error and status messages
    log_trace = 3,   // method entry and exit lines
};

extern const char* const default_log_path;  // "c:\rq-kelm.log"
extern const char* const control_log_path;  // "c:\kelm.log"
