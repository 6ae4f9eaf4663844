// Aac_Encoder: a session's G.711 sound made AAC-LC for a recording.  MP4
// players play AAC but not G.711, so the sound is decoded and encoded
// again; the video never is.  Frames are timed by the samples encoded,
// from the time of the first packet taken.
#pragma once

#include <functional>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "audio_decoder.h"

class Aac_Encoder {
public:
    Aac_Encoder() = default;
    ~Aac_Encoder();
    Aac_Encoder(const Aac_Encoder&) = delete;
    Aac_Encoder& operator=(const Aac_Encoder&) = delete;

    // For a track of `source`; false when it cannot be decoded, or AAC not
    // encoded at its rate.
    bool open(const AVCodecParameters& source, AVRational source_time_base);
    // What the recording's audio track is made with; time base 1/rate.
    const AVCodecContext& context() const { return *encoder; }
    // Takes one received packet, `first_time` being the file time (in the
    // encoder's time base) the first packet taken stands for; `write` gets
    // every AAC packet completed, timed in the encoder's time base.  False
    // when the encoder failed.
    bool add(const AVPacket& packet, int64_t first_time, const std::function<bool(AVPacket&)>& write);

private:
    bool encode_whole_frames(const std::function<bool(AVPacket&)>& write);
    bool drain(const std::function<bool(AVPacket&)>& write);

    Audio_Decoder decoder;
    AVCodecContext* encoder = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    std::vector<std::vector<float>> pending;  // decoded, not yet encoded, one vector a channel
    int64_t next_time = AV_NOPTS_VALUE;       // of the first pending sample
};
