#include "recorder.h"

#include <cstring>

bool Recorder::open(const char* path, uint32_t channel)
{
    close();
    file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    Recording_Header header;
    memcpy(header.magic, "KREC", 4);
    header.version = STREAM_PROTOCOL_VERSION;
    header.channel = channel;
    if (!write_bytes(&header, sizeof header)) {
        close();
        return false;
    }
    return true;
}

void Recorder::write(const Stream_Frame_Header& header, const std::vector<uint8_t>& payload)
{
    if (!is_open())
        return;
    if (!write_bytes(&header, sizeof header) ||
        !write_bytes(payload.data(), static_cast<DWORD>(payload.size())))
        close();  // a full disk ends the recording; what was written stays readable
}

bool Recorder::close()
{
    if (!is_open())
        return false;
    (void)CloseHandle(file);  // nothing buffered of ours is lost on failure
    file = INVALID_HANDLE_VALUE;
    return true;
}

bool Recorder::write_bytes(const void* data, DWORD size)
{
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}
