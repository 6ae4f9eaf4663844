/*
 * snapshot_jpeg.cpp: the channel's live picture compressed with libjpeg.
 */

#include "snapshot_jpeg.h"

#include "live_picture.h"

#include <cstdlib>
#include <ctime>

#include <jpeglib.h>

namespace {

const int width = 176;
const int height = 144;

std::string compress(const Channel_Picture &picture)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 80, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char *>(&picture.rgb[info.next_scanline * picture.width * 3]);
        (void)jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::string jpeg(reinterpret_cast<const char *>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return jpeg;
}

/* Inserts comment segments after the start-of-image marker until the
   picture is pad_to bytes long.  A segment takes 4 to 65537 bytes (marker,
   length, up to 65533 bytes of text). */
void pad(std::string &jpeg, size_t pad_to)
{
    std::string comments;
    size_t missing = pad_to - jpeg.size();
    while (missing >= 4) {
        size_t segment = missing > 65537 ? 65537 : missing;
        if (missing > segment && missing - segment < 4)
            segment = missing - 4; /* leave room for a last, short segment */
        const size_t text = segment - 4;
        comments += "\xFF\xFE";
        comments += static_cast<char>((text + 2) >> 8);
        comments += static_cast<char>((text + 2) & 0xFF);
        comments.append(text, 'k');
        missing -= segment;
    }
    jpeg.insert(2, comments);
}

} // namespace

std::string snapshot_jpeg(Dvr_State &state, int channel, size_t pad_to)
{
    std::string jpeg = compress(live_picture(state, channel, std::time(nullptr), 0, width, height));
    if (pad_to >= jpeg.size() + 4)
        pad(jpeg, pad_to);
    return jpeg;
}
