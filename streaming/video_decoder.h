// Video_Decoder: libavcodec's decoder for a stream's video track, handing
// out whole pictures only.  After a packet it could not decode, or a
// picture it had to patch up, it takes nothing but a key frame, and hands
// out nothing until a key picture has come out cleanly: the pane keeps its
// last whole picture meanwhile.
//
// The two waits are apart because a decoder may hold pictures back: with
// B-frames it hands out the key picture only after the packets that
// follow it have gone in, and parameter sets sent in a packet of their own
// (as most cameras send them before each key frame) come out as no picture
// at all.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

class Video_Decoder {
public:
    Video_Decoder() = default;
    ~Video_Decoder();
    Video_Decoder(const Video_Decoder&) = delete;
    Video_Decoder& operator=(const Video_Decoder&) = delete;

    // False when the track's codec has no decoder here or cannot be opened.
    bool open(const AVStream& track);
    // Decodes one packet; `show` is called for every whole picture it
    // completes.  False when the decoder has failed for good.
    template <class Show>
    bool decode(const AVPacket& packet, Show show);
    // The caller left a packet out (it catches up with the server): what
    // follows needs a key frame.
    void note_skipped() { start_afresh(); }

private:
    bool send(const AVPacket& packet);
    bool whole(const AVFrame& picture);

    void start_afresh();

    AVCodecContext* codec = nullptr;
    AVFrame* picture = nullptr;
    bool key_packet_in = false;   // a key packet has gone in since the decoder last failed
    bool key_picture_out = false; // a key picture has come out whole since then
};

template <class Show>
bool Video_Decoder::decode(const AVPacket& packet, Show show)
{
    if (!send(packet))
        return codec != nullptr;
    for (;;) {
        const int received = avcodec_receive_frame(codec, picture);
        if (received == AVERROR(EAGAIN))
            return true;
        if (received < 0) {
            start_afresh();
            return received != AVERROR_EOF;
        }
        if (whole(*picture))
            show(*picture);
        av_frame_unref(picture);
    }
}
