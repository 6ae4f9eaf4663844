// Hik_Channel_Impl::snapshot: a picture fetched from the server through the
// web service, or the picture the stream showed last, saved in a directory
// of the host's choice.
#include "hik_channel_impl.h"

#include <cstring>
#include <new>
#include <vector>

#include "logger.h"
#include "method_trace.h"
#include "save_directory.h"
#include "streaming_library.h"
#include "text_convert.h"
#include "unique_file.h"
#include "web_service.h"

namespace {

const size_t directory_bytes = 260;
const size_t directory_units = 130;
const size_t picture_path_bytes = 512;
const size_t usual_snapshot_bytes = 1 << 20;  // a 1920x1080 JPEG with room to spare

// Creates the picture file under a name not taken yet, so that an earlier
// picture of the same second is never replaced.
HANDLE create_picture_file(const char* directory, int channel, char* path, size_t size)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    (void)create_under_free_name(directory, channel, ".jpg", path, size, [&file](char* name) {
        file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return Create_Outcome::created;
        return GetLastError() == ERROR_FILE_EXISTS ? Create_Outcome::name_taken : Create_Outcome::failed;
    });  // the handle tells the outcome
    return file;
}

} // namespace

// The server's own snapshot when it has a web service; the picture shown
// when it has none (a stream URL) or its service does not give one.
int Hik_Channel_Impl::snapshot(const wchar_t* directory)
{
    KELM_TRACE("Hik_Channel_Impl::snapshot");
    if (!directory || !*directory || *directory == L' ') {
        Logger::instance().write(log_status, "file path is empty!!");
        set_last_error(7);
        return -1;
    }
    if (web_service) {
        Byte_Array* picture = nullptr;
        const int status = web_service->snapshot(param.channel_index, picture);
        if (status == 0 && picture) {
            const bool saved = saved_picture_in(directory, picture->__ptr, picture->__size);
            // The picture is written; its decoded copy is not needed any more.
            web_service->release_results();
            return saved ? 0 : -1;
        }
        web_service->release_results();
        Logger::instance().write(log_status, "channel %d: the server gave no snapshot (%d); saving the picture shown\n",
                                 param.channel_index, status);
    }
    return save_shown_picture(directory);
}

// The last picture the live stream showed, as a JPEG.  A stream that is
// not running has no live picture: nothing is saved then.
int Hik_Channel_Impl::save_shown_picture(const wchar_t* directory)
{
    std::vector<unsigned char> jpeg;
    DWORD written = 0;
    bool encoded = false;
    try {
        jpeg.resize(usual_snapshot_bytes);
        encoded = connected && stream_on &&
                  streaming::HIK_ClientSnapshot(stream_handle, jpeg.data(), static_cast<DWORD>(jpeg.size()), &written);
        if (!encoded && written > jpeg.size()) {  // a picture larger than most
            jpeg.resize(written);
            encoded = streaming::HIK_ClientSnapshot(stream_handle, jpeg.data(), written, &written);
        }
    } catch (const std::bad_alloc&) {
        encoded = false;
    }
    if (!encoded && !web_service && !plays_stream_url()) {
        // A server's pane whose service could not be made, as before.
        Logger::instance().write(log_status, "server is not connect!!");
        set_last_error(1);
        return -1;
    }
    if (!encoded) {
        Logger::instance().write(log_status, "channel %d has no live picture to save\n", param.channel_index);
        return -1;
    }
    return saved_picture_in(directory, jpeg.data(), static_cast<int>(written)) ? 0 : -1;
}

// Normalises and creates the directory, then writes the picture there.
// Paths without a drive letter, too long for their buffers, or made only of
// separators are refused with code 7.
bool Hik_Channel_Impl::saved_picture_in(const wchar_t* directory, const unsigned char* bytes, int count)
{
    char narrow[directory_bytes];
    char normal[directory_bytes];
    wchar_t wide[directory_units];
    if (!wide_to_ansi(directory, narrow, sizeof narrow) || !has_drive_letter(narrow) ||
        !normalise_directory(narrow, normal, sizeof normal) ||
        !ansi_to_wide(normal, wide, directory_units) || !ensure_directory(wide)) {
        Logger::instance().write(log_status, "file path is invalid!!");
        set_last_error(7);
        return false;
    }
    char path[picture_path_bytes];
    HANDLE file = create_picture_file(normal, param.channel_index, path, sizeof path);
    Logger::instance().write(log_status, "filepath is %s", path);
    if (file == INVALID_HANDLE_VALUE) {
        Logger::instance().write(log_status, "capture file save raise error!!");
        set_last_error(7);
        return false;
    }
    const DWORD size = bytes && count > 0 ? static_cast<DWORD>(count) : 0;
    DWORD written = 0;
    const BOOL wrote = size == 0 || WriteFile(file, bytes, size, &written, nullptr);
    if (!wrote || written != size)
        Logger::instance().write(log_status, "capture file save raise error!!return is [%d] ",
                                 static_cast<int>(written));
    (void)CloseHandle(file);  // the bytes are with the system already
    return true;
}
