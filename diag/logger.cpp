#include "logger.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <io.h>
#include <windows.h>

#include "log_sink.h"

const char* const default_log_path = "c:\\rq-kelm.log";
const char* const control_log_path = "c:\\kelm.log";

namespace {

std::atomic<Logger*> logger_instance{nullptr};
boost::mutex creation_lock;

const long long default_limit_bytes = 10LL * 1024 * 1024;
const int default_kept_files = 3;
// The file's size is read once every so many entries (an entry is at most
// 4,000 bytes), so a full file is set aside at most 256 KB late.
const unsigned entries_between_checks = 64;

std::string numbered(const std::string& path, int number)
{
    return path + "." + std::to_string(number);
}

} // namespace

Logger& Logger::instance()
{
    Logger* logger = logger_instance.load(std::memory_order_acquire);
    if (logger)
        return *logger;
    boost::mutex::scoped_lock guard(creation_lock);
    logger = logger_instance.load(std::memory_order_relaxed);
    if (!logger) {
        logger = new Logger();
        logger_instance.store(logger, std::memory_order_release);
        // Runs when the module that holds the logger is unloaded.
        (void)atexit(&Logger::destroy_instance);
    }
    return *logger;
}

void Logger::destroy_instance()
{
    delete logger_instance.exchange(nullptr);
}

Logger::Logger()
    : sink(log_sink_create()), limit_bytes(default_limit_bytes), kept_files(default_kept_files)
{
    set_echo(true);
}

// The open file is left to the runtime's own clean-up at unload: entries
// from other modules' clean-up may still be on their way.
Logger::~Logger()
{
    if (sink)
        sink->destroy(sink);
}

int Logger::open(const char* path)
{
    boost::mutex::scoped_lock guard(lock);
    return open_unlocked(path);
}

int Logger::open_unlocked(const char* path)
{
    if (!sink)
        return -1;
    FILE* file = fopen(path, "a");
    if (!file)
        return -1;
    FILE* previous = sink->file;
    sink->set_file(sink, file);
    if (previous)
        (void)fclose(previous);  // nothing more is written to it either way
    this->path = path;
    turn.name_after(this->path);
    entries_unchecked = entries_between_checks;  // a file found full is set aside at once
    return 0;
}

// Every line keeps its format; only where the lines go changes.
void Logger::rotate_when_full()
{
    if (!sink->file || ++entries_unchecked < entries_between_checks)
        return;
    entries_unchecked = 0;
    const long long size = _filelengthi64(_fileno(sink->file));
    if (size < limit_bytes)
        return;
    FILE* full = sink->file;
    sink->set_file(sink, nullptr);
    (void)fclose(full);  // its entries are on disk: each was written at once
    set_aside(path);
    // When another process holds the file open it cannot be renamed: the
    // entries go on in it, and the next check tries again.
    if (open_unlocked(path.c_str()) != 0)
        sink->set_file(sink, nullptr);  // entries reach standard error only until a later open
}

void Logger::set_aside(const std::string& full)
{
    (void)DeleteFileA(numbered(full, kept_files).c_str());  // the oldest goes; missing is fine
    for (int number = kept_files - 1; number >= 1; --number)
        (void)MoveFileExA(numbered(full, number).c_str(), numbered(full, number + 1).c_str(),
                          MOVEFILE_REPLACE_EXISTING);  // a gap in the numbers is fine
    if (kept_files > 0)
        (void)MoveFileExA(full.c_str(), numbered(full, 1).c_str(), MOVEFILE_REPLACE_EXISTING);
    else
        (void)DeleteFileA(full.c_str());
}

void Logger::set_rotation(long long limit, int kept)
{
    boost::mutex::scoped_lock guard(lock);
    limit_bytes = limit;
    kept_files = kept;
}

void Logger::write(unsigned level, const char* format, ...)
{
    boost::mutex::scoped_lock guard(lock);
    if (!sink)
        return;
    if (!sink->file)
        (void)open_unlocked(default_log_path);  // retried at the next entry
    // The file's end is found and written in one turn; setting a full file
    // aside happens in the turn too.
    const bool taken = turn.take();
    va_list args;
    va_start(args, format);
    sink->vprint(sink, level, format, args);
    va_end(args);
    rotate_when_full();
    turn.give_back(taken);
}

void Logger::set_echo(bool on)
{
    boost::mutex::scoped_lock guard(lock);
    if (sink)
        sink->set_echo(sink, on ? 1 : 0);
}
