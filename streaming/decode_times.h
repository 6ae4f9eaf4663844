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
    // The stream time shown at first_presentation(); false until a packet
    // with a time has come.
    bool start_known(int64_t* stream_time) const;
    // Settles every packet still held.
    void flush(std::vector<AVPacket*>& ready);

private:
    void anchor();
    int64_t presentation_time(size_t index);
    void settle_first(std::vector<AVPacket*>& ready);

    const int64_t picture_ticks;
    std::deque<AVPacket*> held;  // in decoding order, with the stream's times
    int64_t first_time = 0;      // the stream's time of the file's start
    bool first_known = false;
    bool anchor_again = false;   // the server's clock started again
    bool settled_any = false;
    int64_t last_presentation = 0;  // the latest file time settled
    int64_t last_decoding = -1;
};
