#include "parameter_sets.h"

#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mem.h>
}

namespace {

struct Nal_Unit {
    const uint8_t* start;  // at its start code
    size_t size;           // start code included
    int type;
};

// The start of the next 00 00 01 at or after `from`, or `end`.
const uint8_t* next_start_code(const uint8_t* from, const uint8_t* end)
{
    for (const uint8_t* p = from; p + 3 <= end; ++p) {
        if (p[0] == 0 && p[1] == 0 && p[2] == 1)
            return p;
    }
    return end;
}

int nal_type(AVCodecID codec, uint8_t header)
{
    return codec == AV_CODEC_ID_HEVC ? (header >> 1) & 0x3f : header & 0x1f;
}

bool is_parameter_set(AVCodecID codec, int type)
{
    if (codec == AV_CODEC_ID_HEVC)
        return type >= 32 && type <= 34;  // VPS, SPS, PPS
    return type == 7 || type == 8;        // SPS, PPS
}

std::vector<Nal_Unit> nal_units(AVCodecID codec, const uint8_t* data, size_t size)
{
    std::vector<Nal_Unit> units;
    const uint8_t* end = data + size;
    for (const uint8_t* at = next_start_code(data, end); at < end;) {
        const uint8_t* payload = at + 3;
        const uint8_t* next = next_start_code(payload, end);
        if (payload < next)
            units.push_back({at, static_cast<size_t>(next - at), nal_type(codec, *payload)});
        at = next;
    }
    return units;
}

} // namespace

bool take_parameter_sets(AVCodecParameters& track, const AVPacket& key_frame)
{
    const AVCodecID codec = track.codec_id;
    if (codec != AV_CODEC_ID_H264 && codec != AV_CODEC_ID_HEVC)
        return true;
    std::vector<uint8_t> sets;
    for (const Nal_Unit& unit : nal_units(codec, key_frame.data, static_cast<size_t>(key_frame.size))) {
        if (is_parameter_set(codec, unit.type)) {
            sets.push_back(0);  // a four-byte start code, as extradata in Annex B has it
            sets.insert(sets.end(), unit.start, unit.start + unit.size);
        }
    }
    if (sets.empty())
        return track.extradata_size > 0;
    uint8_t* extradata = static_cast<uint8_t*>(av_mallocz(sets.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!extradata)
        return false;
    av_free(track.extradata);
    track.extradata = extradata;
    memcpy(track.extradata, sets.data(), sets.size());
    track.extradata_size = static_cast<int>(sets.size());
    return true;
}
