#include "ending_streams.h"

#include "channel_feed.h"
#include "channel_media.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

namespace {

struct Followed {
    std::mutex mutex;
    std::condition_variable changed;
    std::multimap<int, GstRTSPMedia *> streams; /* each holds a reference */
};

Followed &followed()
{
    static Followed instance;
    return instance;
}

void on_unprepared(GstRTSPMedia *media, gpointer)
{
    Followed &all = followed();
    {
        std::lock_guard<std::mutex> guard(all.mutex);
        for (auto it = all.streams.begin(); it != all.streams.end(); ++it) {
            if (it->second == media) {
                g_object_unref(media);
                all.streams.erase(it);
                break;
            }
        }
    }
    all.changed.notify_all();
}

/* A stream whose clients have all left is taken down next, if that has
   not begun already. */
bool ending(int channel)
{
    Followed &all = followed();
    const auto range = all.streams.equal_range(channel);
    for (auto it = range.first; it != range.second; ++it) {
        Channel_Feed *feed = channel_feed(it->second);
        if (gst_rtsp_media_get_status(it->second) == GST_RTSP_MEDIA_STATUS_UNPREPARING || (feed && feed->deserted()))
            return true;
    }
    return false;
}

} // namespace

void follow_channel_stream(int channel, GstRTSPMedia *media)
{
    Followed &all = followed();
    std::lock_guard<std::mutex> guard(all.mutex);
    all.streams.emplace(channel, GST_RTSP_MEDIA(g_object_ref(media)));
    (void)g_signal_connect(media, "unprepared", G_CALLBACK(on_unprepared), nullptr); /* for the media's life */
}

void wait_while_channel_stream_ends(int channel, int most_ms)
{
    Followed &all = followed();
    std::unique_lock<std::mutex> lock(all.mutex);
    /* The status moves without a signal; a short slice sees it move. */
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(most_ms);
    while (ending(channel) && std::chrono::steady_clock::now() < until)
        all.changed.wait_for(lock, std::chrono::milliseconds(10));
}
