// Puts back together H.264 pictures that the demuxer's parser cut apart.
// A server that repeats the parameter sets before every slice of a key
// picture (GStreamer's payloader with config-interval=-1 over an encoder
// that writes several slices a picture) has its key pictures split at
// each repetition, as the standard's rule for the start of a new access
// unit says; each part would then decode as a damaged picture of its own.
// A part whose first slice does not start at the picture's first
// macroblock continues the picture before it, and is joined to it.
#pragma once

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/avutil.h>
}

// Whether the first slice of `packet` (Annex B) starts anywhere but at the
// picture's first macroblock: the packet continues a picture.
bool continues_picture(const AVPacket& packet);

// Appends `part` to `picture`, which takes the part's times when it has
// none; false (and `picture` unchanged) when it would grow past the
// largest picture the demuxer hands over.
bool join_picture_part(AVPacket* picture, const AVPacket& part);
