// Audio_Decoder: libavcodec's decoder for a session's audio track, handing
// out 16-bit interleaved blocks at the track's rate, one or two channels
// (a track of more is mixed down to two).  Plays G.711 µ-law and A-law and
// AAC, the codecs recorders and cameras send; other tracks are refused.
#pragma once

#include <functional>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "pcm_block.h"

struct SwrContext;

// True for the codecs the library decodes and plays.
bool audio_codec_playable(AVCodecID codec);

class Audio_Decoder {
public:
    Audio_Decoder() = default;
    ~Audio_Decoder();
    Audio_Decoder(const Audio_Decoder&) = delete;
    Audio_Decoder& operator=(const Audio_Decoder&) = delete;

    // False when the track's codec is not played here or cannot be opened.
    bool open(const AVCodecParameters& track, AVRational time_base);
    // Decodes one packet; `take` gets each block it completes (its frame's
    // presentation time, in the track's time base, beside it).  A packet the
    // decoder refuses is skipped: the sound has a gap, nothing worse.
    void decode(const AVPacket& packet, const std::function<void(Pcm_Block&, int64_t pts)>& take);
    const Pcm_Format& format() const { return output; }

private:
    bool convert(const AVFrame& frame, Pcm_Block& block);

    AVCodecContext* codec = nullptr;
    AVFrame* frame = nullptr;
    SwrContext* resampler = nullptr;  // made for the first frame's layout
    Pcm_Format output;
};
