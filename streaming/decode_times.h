// Decode_Times: the decoding and presentation times of a recording's
// packets, counted from the file's start.  RTP carries presentation times
// only; with B-frames a picture is sent before pictures shown earlier, so
// decoding times cannot simply equal them.  Packets are held back a few at
// a time: each one's decoding time is the earliest presentation time still
// held, moved back by the deepest reordering allowed, so that decoding
// times rise and never pass the presentation time.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

struct AVPacket;

class Decode_Times {
public:
    // `picture_ticks`: one picture's time in the stream's time base.
    explicit Decode_Times(int64_t picture_ticks) : picture_ticks(picture_ticks) {}
    ~Decode_Times();
    Decode_Times(const Decode_Times&) = delete;
    Decode_Times& operator=(const Decode_Times&) = delete;

    // Takes `packet` (owned from here on); moves the packets whose times
    // are settled, in decoding order, onto `ready` (the caller frees them).
    void add(AVPacket* packet, std::vector<AVPacket*>& ready);
    // The presentation time of the file's first picture.
    int64_t first_presentation() const;
    // Settles every packet still held.
    void flush(std::vector<AVPacket*>& ready);

private:
    int64_t presentation_time(const AVPacket& packet);
    void settle_first(std::vector<AVPacket*>& ready);

    const int64_t picture_ticks;
    std::deque<AVPacket*> held;  // in decoding order, presentation times from the start
    int64_t first_time;          // the stream's time of the file's start
    bool first_known = false;
    int64_t last_presentation = 0;
    int64_t last_decoding = -1;
};
