// The parameter sets (H.264 SPS and PPS, H.265 VPS, SPS and PPS) that an
// MP4 file needs in its header, taken from a key frame when the session
// description did not give them.
#pragma once

struct AVCodecParameters;
struct AVPacket;

// For H.264 and H.265, puts the parameter sets that `key_frame` carries
// (Annex B, as RTP depacketizing gives them) into the track's extradata:
// those in the stream are the ones in force, which after a change of size
// differ from the session description's.  A key frame without any leaves
// the track's own.  False when an H.264 or H.265 track has none anywhere:
// its file could not be played.
bool take_parameter_sets(AVCodecParameters& track, const AVPacket& key_frame);
