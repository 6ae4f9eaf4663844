// Media_Track: a copy of what a session said about one of its tracks (codec,
// parameter sets, time base), so that recordings can be started from any
// thread while the session itself belongs to the stream's thread.
#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

class Media_Track {
public:
    Media_Track() = default;
    ~Media_Track() { avcodec_parameters_free(&parameters); }
    Media_Track(const Media_Track&) = delete;
    Media_Track& operator=(const Media_Track&) = delete;

    // False when there was no memory for the copy.
    bool copy_from(const AVStream& track)
    {
        return copy(*track.codecpar, track.time_base,
                    track.avg_frame_rate.num > 0 ? track.avg_frame_rate : track.r_frame_rate);
    }
    bool copy_from(const Media_Track& track) { return copy(*track.parameters, track.time_base, track.frame_rate); }
    bool known() const { return parameters != nullptr; }
    void clear() { avcodec_parameters_free(&parameters); }

    AVCodecParameters* parameters = nullptr;
    AVRational time_base = {1, 90000};
    AVRational frame_rate = {0, 1};  // {0, 1} when the session did not say

private:
    bool copy(const AVCodecParameters& codec, AVRational track_time_base, AVRational track_frame_rate)
    {
        clear();
        parameters = avcodec_parameters_alloc();
        time_base = track_time_base;
        frame_rate = track_frame_rate;
        if (parameters && avcodec_parameters_copy(parameters, &codec) >= 0)
            return true;
        clear();  // a partial copy is no track
        return false;
    }
};
