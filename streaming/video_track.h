// Video_Track: a copy of what a session said about its video track (codec,
// parameter sets, time base), so that recordings can be started from any
// thread while the session itself belongs to the stream's thread.
#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

class Video_Track {
public:
    Video_Track() = default;
    ~Video_Track() { avcodec_parameters_free(&parameters); }
    Video_Track(const Video_Track&) = delete;
    Video_Track& operator=(const Video_Track&) = delete;

    // False when there was no memory for the copy.
    bool copy_from(const AVStream& track)
    {
        avcodec_parameters_free(&parameters);
        parameters = avcodec_parameters_alloc();
        time_base = track.time_base;
        frame_rate = track.avg_frame_rate.num > 0 ? track.avg_frame_rate : track.r_frame_rate;
        return parameters && avcodec_parameters_copy(parameters, track.codecpar) >= 0;
    }
    bool known() const { return parameters != nullptr; }

    AVCodecParameters* parameters = nullptr;
    AVRational time_base = {1, 90000};
    AVRational frame_rate = {0, 1};  // {0, 1} when the session did not say
};
