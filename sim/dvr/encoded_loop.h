/*
 * encoded_loop.h: a channel's first seconds of pictures, encoded once and
 * kept, so that a stream can send them over and over for the cost of its
 * payloader alone.  A simulator serving many large streams on a small
 * machine leaves the machine to the client it serves.
 */
#ifndef KELM_SIM_ENCODED_LOOP_H
#define KELM_SIM_ENCODED_LOOP_H

#include "stream_behaviour.h"

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

    /* A new reference to frame `index` modulo the loop's length, its time
       stamps free to be set; frame 0 is a key frame. */
    GstBuffer *frame(size_t index) const;

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
    Stream_Codec codec;
};

/* The channel's pictures from now for `seconds`, drawn as they are now and
   encoded with key frames; null when they could not be encoded. */
std::unique_ptr<Encoded_Loop> encode_loop(Dvr_State &state, const Loop_Request &request);

#endif
