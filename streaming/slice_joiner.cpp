#include "slice_joiner.h"

#include <cstring>

namespace {

const int coded_slice = 1;
const int coded_idr_slice = 5;
// The demuxer's parser hands over no picture larger than this.
const int largest_picture_bytes = 4 << 20;

} // namespace

bool continues_picture(const AVPacket& packet)
{
    const uint8_t* data = packet.data;
    for (int at = 0; data && at + 4 < packet.size; ++at) {
        if (data[at] != 0 || data[at + 1] != 0 || data[at + 2] != 1)
            continue;
        const int type = data[at + 3] & 0x1F;
        if (type != coded_slice && type != coded_idr_slice)
            continue;
        // first_mb_in_slice, the header's first field, is an Exp-Golomb
        // number: its first bit is 1 exactly when it is 0.
        return (data[at + 4] & 0x80) == 0;
    }
    return false;
}

bool join_picture_part(AVPacket* picture, const AVPacket& part)
{
    if (part.size <= 0 || picture->size > largest_picture_bytes - part.size)
        return false;
    const int before = picture->size;
    if (av_grow_packet(picture, part.size) < 0)
        return false;
    memcpy(picture->data + before, part.data, part.size);
    if (picture->pts == AV_NOPTS_VALUE) {
        picture->pts = part.pts;
        picture->dts = part.dts;
    }
    return true;
}
