#include "recording_reader.h"

#include <cstring>

#include "stream_protocol.h"

Recording_Summary read_recording(const std::string& bytes)
{
    Recording_Summary summary;
    Recording_Header header;
    if (bytes.size() < sizeof header) {
        summary.problem = "shorter than its header";
        return summary;
    }
    memcpy(&header, bytes.data(), sizeof header);
    if (memcmp(header.magic, "KREC", 4) != 0 || header.version != STREAM_PROTOCOL_VERSION) {
        summary.problem = "not a recording";
        return summary;
    }
    summary.channel = header.channel;
    size_t at = sizeof header;
    while (at < bytes.size()) {
        Stream_Frame_Header frame;
        if (bytes.size() - at < sizeof frame) {
            summary.problem = "a frame header is cut";
            return summary;
        }
        memcpy(&frame, bytes.data() + at, sizeof frame);
        at += sizeof frame;
        if (memcmp(frame.magic, "KFRM", 4) != 0 || frame.payload_size != frame.width * frame.height * 3 ||
            bytes.size() - at < frame.payload_size) {
            summary.problem = "a frame is broken or cut";
            return summary;
        }
        at += frame.payload_size;
        if (summary.frames == 0)
            summary.first_sequence = frame.sequence;
        else if (frame.sequence != summary.last_sequence + 1) {
            summary.problem = "frames are missing";
            return summary;
        }
        summary.last_sequence = frame.sequence;
        ++summary.frames;
    }
    summary.valid = true;
    return summary;
}
