// Picture_Group: the packets received since the last key frame, so that a
// recording can begin with that key frame rather than wait for the next.
#pragma once

#include <cstddef>
#include <vector>

extern "C" {
#include <libavcodec/packet.h>
}

class Picture_Group {
public:
    Picture_Group() = default;
    ~Picture_Group() { clear(); }
    Picture_Group(const Picture_Group&) = delete;
    Picture_Group& operator=(const Picture_Group&) = delete;

    // Keeps a copy of `packet`: a key frame starts the group afresh.  A
    // group beyond the bound, or a copy without memory, empties it until
    // the next key frame.
    void add(const AVPacket& packet);
    template <class Use>
    void for_each(Use use) const
    {
        for (const AVPacket* packet : packets)
            use(*packet);
    }
    void clear();

private:
    std::vector<AVPacket*> packets;  // the first is a key frame
    size_t bytes = 0;
};
