#include "decode_times.h"

#include <algorithm>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/avutil.h>
}

namespace {

// Packets held before the first of them is settled: reordering up to four
// pictures deep (B-frames, also in pyramids; x265 sends the third picture
// after a key frame shown first) is seen whole.
const size_t held_packets = 5;
const int reorder_pictures = static_cast<int>(held_packets) - 1;
// The file's first picture is shown this many pictures after time 0, so
// that decoding times can start at 0 below it; a file's sound starts with
// its first picture, so this lead stays short.
const int lead_pictures = 2;
// A time further back than this many pictures is no reordering: the
// server's clock started again (some servers do so when another viewer
// joins), and the file's times go on from the picture before.
const int restart_pictures = 4;

int64_t time_of(const AVPacket& packet)
{
    return packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
}

} // namespace

Decode_Times::~Decode_Times()
{
    for (AVPacket*& packet : held)
        av_packet_free(&packet);
}

int64_t Decode_Times::first_presentation() const
{
    return lead_pictures * picture_ticks;
}

bool Decode_Times::start_known(int64_t* stream_time) const
{
    if (!first_known)
        return false;
    *stream_time = first_time;
    return true;
}

// Packets keep the stream's own times while held; they are put on the
// file's clock when the first of them settles.
void Decode_Times::add(AVPacket* packet, std::vector<AVPacket*>& ready)
{
    held.push_back(packet);
    if (held.size() >= held_packets)
        settle_first(ready);
}

void Decode_Times::flush(std::vector<AVPacket*>& ready)
{
    while (!held.empty())
        settle_first(ready);
}

// The stream time shown first in the file: the file's first packet's, a
// key frame; when it has none (the session's first packet often has none),
// the earliest time held, less a picture for each packet without a time
// before it.
void Decode_Times::anchor()
{
    if (!settled_any && !held.empty() && time_of(*held.front()) != AV_NOPTS_VALUE) {
        first_known = true;
        first_time = time_of(*held.front());
        return;
    }
    int64_t earliest = AV_NOPTS_VALUE;
    size_t untimed_before = 0;
    for (size_t i = 0; i < held.size(); ++i) {
        const int64_t time = time_of(*held[i]);
        if (time == AV_NOPTS_VALUE) {
            if (earliest == AV_NOPTS_VALUE)
                ++untimed_before;
            continue;
        }
        if (earliest == AV_NOPTS_VALUE || time < earliest)
            earliest = time;
    }
    if (earliest == AV_NOPTS_VALUE)
        return;  // nothing held has a time yet
    first_known = true;
    first_time = earliest - static_cast<int64_t>(untimed_before) * picture_ticks;
    if (settled_any)  // the server's clock started again: go on from the last picture
        first_time -= last_presentation + picture_ticks - first_presentation();
}

// The file time of the held packet at `index`.  One without a time is
// shown a picture before the earliest after it, or after the last one.
int64_t Decode_Times::presentation_time(size_t index)
{
    const int64_t time = time_of(*held[index]);
    if (time != AV_NOPTS_VALUE) {
        const int64_t presentation = time - first_time + first_presentation();
        if (presentation >= last_presentation - restart_pictures * picture_ticks || !settled_any)
            return presentation;
        anchor_again = true;
        return last_presentation + picture_ticks;
    }
    int64_t later = AV_NOPTS_VALUE;
    for (size_t i = index + 1; i < held.size(); ++i) {
        const int64_t other = time_of(*held[i]);
        if (other != AV_NOPTS_VALUE && (later == AV_NOPTS_VALUE || other < later))
            later = other;
    }
    if (later != AV_NOPTS_VALUE && (!settled_any || later - first_time + first_presentation() > last_presentation + picture_ticks))
        return later - first_time + first_presentation() - picture_ticks;
    return settled_any ? last_presentation + picture_ticks : first_presentation();
}

void Decode_Times::settle_first(std::vector<AVPacket*>& ready)
{
    if (!first_known || anchor_again) {
        anchor_again = false;
        anchor();
    }
    int64_t earliest = AV_NOPTS_VALUE;
    std::vector<int64_t> times(held.size());
    for (size_t i = 0; i < held.size(); ++i) {
        times[i] = first_known ? presentation_time(i) : (settled_any ? last_presentation : first_presentation() - picture_ticks) + picture_ticks * static_cast<int64_t>(i + 1);
        earliest = earliest == AV_NOPTS_VALUE ? times[i] : std::min(earliest, times[i]);
    }
    AVPacket* packet = held.front();
    held.pop_front();
    if (settled_any && times[0] < first_presentation()) {
        // Shown before the file's first picture: a leading picture of an
        // open group (H.265's CRA), which needs the group before it.
        av_packet_free(&packet);
        return;
    }
    packet->pts = times[0];
    int64_t decoding = std::max(earliest - reorder_pictures * picture_ticks, last_decoding + 1);
    // Deeper reordering than allowed: the picture is shown no earlier than
    // it is decoded.
    if (packet->pts < decoding)
        packet->pts = decoding;
    packet->dts = decoding;
    last_decoding = decoding;
    last_presentation = std::max(settled_any ? last_presentation : packet->pts, packet->pts);
    settled_any = true;
    ready.push_back(packet);
}
