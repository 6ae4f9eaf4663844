// Recording files: a header, then every frame as the stream received it
// (the format of stream_protocol.h), written through a File_Writer.
#pragma once

#include <cstdint>
#include <vector>

#include "file_writer.h"
#include "stream_protocol.h"

// Creates the recording file (never replacing one) and queues its header;
// null when the file cannot be created.  File_Writer::close ends it.
File_Writer* start_recording(const char* path, uint32_t channel);

// Queues one frame as received; a frame the lagging disk has no room for
// is left out whole.
void record_frame(File_Writer& recording, const Stream_Frame_Header& header,
                  const std::vector<uint8_t>& payload);
