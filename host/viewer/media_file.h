// A video file read with libavformat and decoded with libavcodec one
// picture after another, for the player's thread.  Only the first video
// track is decoded; sound and any other track are skipped.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstdint>
#include <string>

class Media_File {
public:
    Media_File() = default;
    ~Media_File();
    Media_File(const Media_File&) = delete;
    Media_File& operator=(const Media_File&) = delete;

    // Opens the file at `path` and a decoder for its video track; false,
    // with the reason in words in `problem`, when it cannot be played.
    bool open(const std::wstring& path, std::wstring* problem);
    int width() const { return codec->width; }
    int height() const { return codec->height; }
    // The length in milliseconds; 0 when the file does not tell it.
    int64_t length_ms() const { return length; }
    // Decodes the next picture into `picture` (which it replaces), with its
    // time from the start of the track in milliseconds; false at the end of
    // the file or when nothing more can be decoded.
    bool next_picture(AVFrame* picture, int64_t* at_ms);
    // Goes back to the key frame at or before `ms`, so that the next
    // pictures follow it; false when the file cannot be searched.
    bool rewind_to(int64_t ms);

private:
    // Hands the decoder the video track's next packet, or the end of the
    // file; false when there is nothing more to hand it.
    bool feed_decoder();
    int64_t ms_of(int64_t track_time) const;

    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    const AVStream* track = nullptr;
    int64_t start = 0;      // the track's first time, in its time base
    int64_t length = 0;
    int64_t last_ms = 0;    // for a picture that carries no time
    bool drained = false;   // the decoder has been told the file ended
};
