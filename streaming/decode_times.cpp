#include "decode_times.h"

#include <algorithm>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/avutil.h>
}

namespace {

// Packets held before the first of them is settled: reordering up to two
// pictures deep (B-frames, also in a pyramid of two) is taken exactly.
const size_t held_packets = 3;
const int reorder_pictures = static_cast<int>(held_packets) - 1;

} // namespace

Decode_Times::~Decode_Times()
{
    for (AVPacket*& packet : held)
        av_packet_free(&packet);
}

// Presentation times start at the reordering depth, so that decoding times
// start at 0.  A packet without a time follows the one before; when the
// file began without one, the first time seen is put a picture after it.
int64_t Decode_Times::first_presentation() const
{
    return reorder_pictures * picture_ticks;
}

int64_t Decode_Times::presentation_time(const AVPacket& packet)
{
    const int64_t offset = first_presentation();
    const int64_t time = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    if (time == AV_NOPTS_VALUE)
        return held.empty() && last_decoding < 0 ? offset : last_presentation + picture_ticks;
    if (!first_known) {
        first_known = true;
        first_time = held.empty() && last_decoding < 0 ? time : time - (last_presentation + picture_ticks - offset);
    }
    return time - first_time + offset;
}

void Decode_Times::add(AVPacket* packet, std::vector<AVPacket*>& ready)
{
    packet->pts = presentation_time(*packet);
    last_presentation = packet->pts;
    held.push_back(packet);
    if (held.size() >= held_packets)
        settle_first(ready);
}

void Decode_Times::flush(std::vector<AVPacket*>& ready)
{
    while (!held.empty())
        settle_first(ready);
}

void Decode_Times::settle_first(std::vector<AVPacket*>& ready)
{
    AVPacket* packet = held.front();
    int64_t earliest = packet->pts;
    for (const AVPacket* later : held)
        earliest = std::min(earliest, later->pts);
    held.pop_front();
    int64_t decoding = std::max(earliest - reorder_pictures * picture_ticks, last_decoding + 1);
    // Deeper reordering than allowed: the picture is shown no earlier than
    // it is decoded.
    if (packet->pts < decoding)
        packet->pts = decoding;
    packet->dts = decoding;
    last_decoding = decoding;
    ready.push_back(packet);
}
