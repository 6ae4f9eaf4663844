#include "recorder.h"

#include <cstring>
#include <new>

File_Writer* start_recording(const char* path, uint32_t channel)
{
    File_Writer* recording = File_Writer::create(path);
    if (!recording)
        return nullptr;
    Recording_Header header;
    memcpy(header.magic, "KREC", 4);
    header.version = STREAM_PROTOCOL_VERSION;
    header.channel = channel;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&header);
    // The queue is empty: the header is always taken.
    (void)recording->append(std::vector<uint8_t>(bytes, bytes + sizeof header));
    return recording;
}

void record_frame(File_Writer& recording, const Stream_Frame_Header& header,
                  const std::vector<uint8_t>& payload)
{
    // A frame refused by a lagging or failed disk, or left without memory
    // for its copy, is missing from the file; the sequence numbers of the
    // frames around it show the gap.
    try {
        std::vector<uint8_t> frame(sizeof header + payload.size());
        memcpy(frame.data(), &header, sizeof header);
        if (!payload.empty())
            memcpy(frame.data() + sizeof header, payload.data(), payload.size());
        (void)recording.append(std::move(frame));
    } catch (const std::bad_alloc&) {
    }
}
