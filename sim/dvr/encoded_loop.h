/*
 * encoded_loop.h: a channel's first seconds of pictures, encoded once and
 * kept, so that a stream can send them over and over for the cost of its
 * payloader alone.  A simulator serving many large streams on a small
 * machine leaves the machine to the client it serves.
 */
#ifndef KELM_SIM_ENCODED_LOOP_H
#define KELM_SIM_ENCODED_LOOP_H

#include "stream_encoding.h"

#include <gst/gst.h>

#include <memory>
#include <vector>

class Dvr_State;

class Encoded_Loop
{
public:
    Encoded_Loop() = default;
    ~Encoded_Loop();
    Encoded_Loop(const Encoded_Loop &) = delete;
    Encoded_Loop &operator=(const Encoded_Loop &) = delete;

    /* The caps of the encoded stream, for the source that sends it. */
    GstCaps *caps() const { return caps_; }

    /* A new reference to frame `index` modulo the loop's length, decoded
       at `decoded_at` and shown as long after as the encoder had it shown
       after its decoding (later than that for a reference picture that B
       pictures come before); frame 0 is a key frame. */
    GstBuffer *frame(size_t index, GstClockTime decoded_at) const;

    /* Whether every frame before `index` is shown before every frame from
       it on, so that the loop can begin again there and leave no picture
       unsent in between (in a loop without B pictures, every frame). */
    bool ends_group_before(size_t index) const;

    size_t length() const { return frames.size(); }

    /* Keeps an encoded frame; the first frame's caps become the loop's. */
    void keep(GstBuffer *frame, GstCaps *frame_caps);

private:
    GstCaps *caps_ = nullptr;
    std::vector<GstBuffer *> frames;
};

struct Loop_Request
{
    int channel;
    int width, height;
    int frames_per_second;
    int seconds;
    Video_Encoding video;
};

/* The channel's pictures from now for `seconds`, drawn as they are now and
   encoded as `video` says (a looped stream has key frames); null when they
   could not be encoded. */
std::unique_ptr<Encoded_Loop> encode_loop(Dvr_State &state, const Loop_Request &request);

#endif
