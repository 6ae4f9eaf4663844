// Audio_Backlog: the audio packets of the last ten seconds, so that a
// recording that begins with the last key frame gets the sound from that
// moment too, not only from the call on.
#pragma once

#include <deque>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/rational.h>
}

class Audio_Backlog {
public:
    Audio_Backlog() = default;
    ~Audio_Backlog();
    Audio_Backlog(const Audio_Backlog&) = delete;
    Audio_Backlog& operator=(const Audio_Backlog&) = delete;

    // Keeps a reference to `packet` (of `time_base`), and lets go of those
    // more than ten seconds older.  A packet that cannot be kept for want of
    // memory is left out.
    void add(const AVPacket& packet, AVRational time_base);
    template <class Use>
    void for_each(Use use) const
    {
        for (const AVPacket* packet : packets)
            use(*packet);
    }

private:
    std::deque<AVPacket*> packets;  // oldest first
};
