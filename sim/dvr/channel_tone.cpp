/*
 * channel_tone.cpp: the followed sources, by channel, under one mutex.  A
 * source is tuned under that mutex from the state as it is then, whether
 * it is new or the channel's tone changed: a change made while a stream is
 * being built reaches its source either way.
 */

#include "channel_tone.h"

#include "dvr_state.h"

#include <map>
#include <mutex>

namespace {

struct Followed
{
    std::mutex mutex;
    std::multimap<int, GstElement *> sources; /* each holds a reference */
};

Followed &followed()
{
    static Followed instance;
    return instance;
}

/* The caller holds the mutex of the followed sources. */
void tune(Dvr_State &state, int channel, GstElement *source)
{
    const int tone = state.with_channel(channel, [](Channel_Settings &s) { return s.tone; });
    g_object_set(source, "freq", gdouble(tone_frequency(channel, tone)), nullptr);
}

} // namespace

bool valid_tone(long hz)
{
    return hz == 0 || (hz >= 50 && hz <= 4000);
}

int tone_frequency(int channel, int tone)
{
    return tone ? tone : 500 + 100 * channel;
}

Channel_Tone::Channel_Tone(Dvr_State &state, int channel, GstElement *source)
    : source(GST_ELEMENT(gst_object_ref(source)))
{
    Followed &all = followed();
    std::lock_guard<std::mutex> lock(all.mutex);
    all.sources.emplace(channel, this->source);
    tune(state, channel, this->source);
}

Channel_Tone::~Channel_Tone()
{
    Followed &all = followed();
    std::lock_guard<std::mutex> lock(all.mutex);
    for (auto it = all.sources.begin(); it != all.sources.end(); ++it)
        if (it->second == source) {
            all.sources.erase(it);
            break;
        }
    gst_object_unref(source);
}

void retune_channel(Dvr_State &state, int channel)
{
    Followed &all = followed();
    std::lock_guard<std::mutex> lock(all.mutex);
    const auto range = all.sources.equal_range(channel);
    for (auto it = range.first; it != range.second; ++it)
        tune(state, channel, it->second);
}
