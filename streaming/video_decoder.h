// Video_Decoder: libavcodec's decoder for a stream's video track, handing
// out whole pictures only.  After a packet it could not decode, or a
// picture it had to patch up, it hands out nothing until a key frame has
// decoded cleanly: the pane keeps its last whole picture meanwhile.
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

private:
    bool send(const AVPacket& packet);
    bool whole(const AVFrame& picture);

    AVCodecContext* codec = nullptr;
    AVFrame* picture = nullptr;
    bool awaiting_key = true;  // nothing can be shown before the first key frame
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
            awaiting_key = true;
            return received != AVERROR_EOF;
        }
        if (whole(*picture))
            show(*picture);
        av_frame_unref(picture);
    }
}
