#include "ffmpeg_messages.h"

#include <cstdarg>
#include <cstdio>
#include <map>

#include <boost/thread/mutex.hpp>

extern "C" {
#include <libavutil/log.h>
}

namespace {

const size_t longest_line = 512;

struct Watchers {
    boost::mutex lock;
    std::map<const void*, Message_Sink*> sinks;
};

Watchers& watchers()
{
    static Watchers instance;
    return instance;
}

// Formats the line only for a watched context; hands it over under the
// watchers' lock, so a watcher that is being forgotten is never called.
void on_message(void* context, int level, const char* format, va_list arguments)
{
    if (level > AV_LOG_ERROR || !context)
        return;
    Watchers& all = watchers();
    boost::mutex::scoped_lock guard(all.lock);
    const auto found = all.sinks.find(context);
    if (found == all.sinks.end())
        return;
    char line[longest_line];
    if (vsnprintf(line, sizeof line, format, arguments) <= 0)
        return;
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (!text.empty())
        found->second->take_error(text);
}

} // namespace

void take_ffmpeg_messages()
{
    av_log_set_callback(&on_message);
}

void watch_messages(const void* context, Message_Sink* sink)
{
    Watchers& all = watchers();
    boost::mutex::scoped_lock guard(all.lock);
    all.sinks[context] = sink;
}

void forget_messages(const void* context)
{
    Watchers& all = watchers();
    boost::mutex::scoped_lock guard(all.lock);
    all.sinks.erase(context);
}
