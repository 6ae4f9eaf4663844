// The log sink's operations: entry formatting and the unbuffered writes of
// each entry to standard error and to the log file's descriptor.
#include "log_sink.h"

#include <cstdlib>
#include <cstring>
#include <io.h>

#include "stderr_echo.h"
#include "timestamp.h"

namespace {

void sink_set_file(Log_Sink* sink, FILE* file) { sink->file = file; }

void sink_set_level(Log_Sink* sink, unsigned level) { sink->level = level; }

void sink_set_echo(Log_Sink* sink, int echo) { sink->echo = echo; }

void sink_set_prefix(Log_Sink* sink, const char* prefix)
{
    size_t length = prefix ? strlen(prefix) : 0;
    if (length > sizeof sink->prefix - 1)
        length = sizeof sink->prefix - 1;
    memset(sink->prefix, 0, sizeof sink->prefix);
    if (length)
        memcpy(sink->prefix, prefix, length);
    sink->prefix_length = static_cast<int>(length);
}

// Timestamp, prefix and message, with nothing between them and nothing
// appended; a message too long for the buffer is cut, keeping the
// terminating zero.
int sink_vformat(Log_Sink* sink, const char* format, va_list args)
{
    const size_t capacity = static_cast<size_t>(sink->buffer_size);
    size_t used = static_cast<size_t>(format_timestamp(sink->buffer, capacity));
    if (sink->prefix_length > 0 && used + sink->prefix_length < capacity) {
        memcpy(sink->buffer + used, sink->prefix, sink->prefix_length);
        used += sink->prefix_length;
    }
    // vsnprintf cuts at the room left and always terminates; the result it
    // returns is the untruncated length, so the length is measured instead.
    (void)vsnprintf(sink->buffer + used, capacity - used, format, args);
    sink->buffer[capacity - 1] = '\0';
    return static_cast<int>(strlen(sink->buffer));
}

// A failed write (a full disk) loses the entry in the file only; there is
// nowhere to report it.
void write_all(int descriptor, const char* bytes, int length)
{
    (void)_write(descriptor, bytes, static_cast<unsigned>(length));
}

void sink_vprint(Log_Sink* sink, unsigned level, const char* format, va_list args)
{
    if (level > sink->level)
        return;
    const int length = sink->vformat(sink, format, args);
    if (sink->echo)
        echo_to_stderr(sink->buffer, length);
    if (sink->file)
        write_all(_fileno(sink->file), sink->buffer, length);
    memset(sink->buffer, 0, sizeof sink->buffer);
}

void sink_destroy(Log_Sink* sink) { free(sink); }

} // namespace

Log_Sink* log_sink_create()
{
    Log_Sink* sink = static_cast<Log_Sink*>(calloc(1, sizeof(Log_Sink)));
    if (!sink)
        return nullptr;
    sink->set_file = sink_set_file;
    sink->set_level = sink_set_level;
    sink->set_echo = sink_set_echo;
    sink->set_prefix = sink_set_prefix;
    sink->vprint = sink_vprint;
    sink->vformat = sink_vformat;
    sink->destroy = sink_destroy;
    sink->level = 3;
    sink->buffer_size = sizeof sink->buffer;
    sink->echo = 1;
    return sink;
}
