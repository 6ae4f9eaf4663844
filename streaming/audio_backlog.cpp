#include "audio_backlog.h"

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

namespace {

// A recording starts with the last key frame, which cameras send every one
// to four seconds; ten seconds of sound cover that with room for the
// server's spacing of the tracks (G.711 takes 80 KB of it, AAC less).
const int64_t kept_us = 10000000;
// Bounds the backlog whatever the packets' times say (a server whose
// times stand still): 100 packets a second is more than any track sends.
const size_t most_packets = 1000;

} // namespace

Audio_Backlog::~Audio_Backlog()
{
    for (AVPacket*& packet : packets)
        av_packet_free(&packet);
}

void Audio_Backlog::add(const AVPacket& packet, AVRational time_base)
{
    AVPacket* kept = av_packet_clone(&packet);
    if (!kept)
        return;
    packets.push_back(kept);
    const int64_t oldest_kept =
        packet.pts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : packet.pts - av_rescale_q(kept_us, AV_TIME_BASE_Q, time_base);
    while (packets.size() > most_packets ||
           (oldest_kept != AV_NOPTS_VALUE && packets.front()->pts != AV_NOPTS_VALUE && packets.front()->pts < oldest_kept)) {
        av_packet_free(&packets.front());
        packets.pop_front();
    }
}
