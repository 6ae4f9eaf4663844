#include "picture_group.h"

#include <windows.h>

namespace {

// A group longer than this (a server with key frames far apart) is not
// kept: a recording then waits for the next key frame.
const size_t most_group_bytes = 4 * 1024 * 1024;

} // namespace

void Picture_Group::add(const AVPacket& packet)
{
    if (packet.flags & AV_PKT_FLAG_KEY)
        clear();
    else if (packets.empty())
        return;  // the group's key frame was not kept
    bytes += static_cast<size_t>(packet.size);
    AVPacket* copy = bytes <= most_group_bytes ? av_packet_clone(&packet) : nullptr;
    if (!copy) {
        clear();
        return;
    }
    try {
        packets.push_back(copy);
    } catch (...) {
        av_packet_free(&copy);
        clear();
    }
}

void Picture_Group::clear()
{
    for (AVPacket*& packet : packets)
        av_packet_free(&packet);
    packets.clear();
    bytes = 0;
}
