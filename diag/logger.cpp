#include "logger.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "log_sink.h"

const char* const default_log_path = "c:\\rq-kelm.log";
const char* const control_log_path = "c:\\kelm.log";

namespace {

std::atomic<Logger*> logger_instance{nullptr};
boost::mutex creation_lock;

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

Logger::Logger() : sink(log_sink_create())
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
    return 0;
}

void Logger::write(unsigned level, const char* format, ...)
{
    boost::mutex::scoped_lock guard(lock);
    if (!sink)
        return;
    if (!sink->file)
        (void)open_unlocked(default_log_path);  // retried at the next entry
    va_list args;
    va_start(args, format);
    sink->vprint(sink, level, format, args);
    va_end(args);
}

void Logger::set_echo(bool on)
{
    boost::mutex::scoped_lock guard(lock);
    if (sink)
        sink->set_echo(sink, on ? 1 : 0);
}
