// Mp4_Recording: a recording of the received video, written without
// re-encoding as fragmented MP4 through a File_Writer.  Each fragment
// (at most a second) reaches the writer whole, so a crash loses at most
// the last second, and a disk too slow to take a fragment loses that
// fragment whole while the file stays readable.  The file starts at the
// first key frame offered.  A session's audio goes beside the video, in
// step with it: AAC as received, G.711 made AAC (Aac_Encoder).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

struct AVIOContext;

#include "file_writer.h"

#include "aac_encoder.h"
#include "decode_times.h"
#include "media_track.h"

class Mp4_Recording {
public:
    // Creates the file (never replacing one); null when it cannot be made.
    static Mp4_Recording* create(const char* path, unsigned channel);
    // Writes the trailer and closes the file (File_Writer::close's answer);
    // null is closed already.
    static bool close(Mp4_Recording* recording);

    // The file gets an audio track of this codec, when the codec is one
    // that can be recorded; before the first packet.
    void expect_audio(const Media_Track& audio);
    // Takes one received packet of `track`, in order.
    void add(const Media_Track& track, const AVPacket& packet);
    // Takes one received packet of the audio track, in order; dropped
    // before the file's first picture.
    void add_audio(const AVPacket& packet);
    // True once the file has begun (with a key frame).
    bool started() const { return muxer != nullptr; }
    // False once the file has begun with pictures of another size.
    bool fits(int width, int height) const;
    // The recording that goes on in a new file beside this one ("-2",
    // "-3", ... added to its name, never replacing a file); null when none
    // can be made.
    Mp4_Recording* next_file() const;

    Mp4_Recording(const Mp4_Recording&) = delete;
    Mp4_Recording& operator=(const Mp4_Recording&) = delete;

private:
    Mp4_Recording(File_Writer* file, const std::string& path, unsigned channel)
        : file(file), path(path), channel(channel)
    {
    }
    ~Mp4_Recording();

    bool start(const Media_Track& track, const AVPacket& key_frame);
    void add_audio_track();
    void add_audio_from(const AVPacket& packet, int64_t start_time);
    bool write_audio(AVPacket& packet, AVRational packet_time_base);
    bool write(const AVPacket& packet);
    bool write_settled(std::vector<AVPacket*>& ready);
    void hand_to_file();
    static int collect(void* recording, uint8_t* bytes, int size);

    File_Writer* file;
    std::string path;           // as the caller named the first file
    const unsigned channel;
    int number = 1;             // 2, 3, ... for the files after a size change
    int width = 0, height = 0;  // of the pictures the file began with
    AVFormatContext* muxer = nullptr;
    AVIOContext* output = nullptr;
    std::vector<uint8_t> pending;  // what the muxer wrote since it was last handed on
    std::unique_ptr<Decode_Times> times;  // made with the header
    AVRational time_base = {1, 90000};   // of the received packets
    bool failed = false;

    Media_Track audio_source;            // known when the session has audio
    std::unique_ptr<Aac_Encoder> aac;    // for G.711
    int audio_index = -1;                // the muxer's audio stream, once made
    int64_t last_audio_time = AV_NOPTS_VALUE;
    std::deque<AVPacket*> early_audio;   // before the first picture's time is known
};
