/*
 * channel_tone.h: the tone of a channel's audio, a sine whose frequency
 * tells the channels apart (500 + 100 Hz per channel number) unless
 * `set-channel N tone HZ` chose another.  A change reaches the tone sources
 * of the channel's running streams at once, so that a benchmark can time it
 * from server to client.
 */
#ifndef KELM_SIM_CHANNEL_TONE_H
#define KELM_SIM_CHANNEL_TONE_H

#include <gst/gst.h>

class Dvr_State;

/* A tone the channel settings accept: 0 (the channel's own) or 50 to 4000 Hz. */
bool valid_tone(long hz);

/* The frequency of a channel's tone given its `tone` setting. */
int tone_frequency(int channel, int tone);

/* The tone source of one stream of a channel, followed for as long as this
   lives (with a reference to it), so that a change of the channel's tone
   reaches it. */
class Channel_Tone
{
public:
    /* Follows `source` and sets its frequency to the channel's tone. */
    Channel_Tone(Dvr_State &state, int channel, GstElement *source);
    ~Channel_Tone();
    Channel_Tone(const Channel_Tone &) = delete;
    Channel_Tone &operator=(const Channel_Tone &) = delete;

private:
    GstElement *source;
};

/* Sets the frequency of every followed source of `channel` to the
   channel's tone as the state holds it now. */
void retune_channel(Dvr_State &state, int channel);

#endif
