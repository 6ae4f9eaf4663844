// File_Writer: a file written on a thread of its own through overlapped
// I/O, so that neither the stream's thread nor a caller of the library ever
// waits on the disk.  A write that the disk never completes is cancelled
// when the file is closed.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <vector>

#include <boost/thread/mutex.hpp>

class File_Writer {
public:
    // Creates the file (an existing file is never replaced) and starts the
    // writer; null when the file cannot be created or the thread started.
    static File_Writer* create(const char* path);

    // Queues bytes to be appended.  While the disk lags the queue holds up
    // to `most_queued_bytes`; what arrives beyond that is dropped whole.
    // False when the bytes were dropped or writing has failed.
    bool append(std::vector<uint8_t>&& bytes);

    // Writes what is queued if the disk allows within a short while, then
    // cancels what is pending, closes the file and frees the writer.  True
    // when the file is closed on return; false when the writer's thread did
    // not end in time (it then closes the file and frees itself later).
    static bool close(File_Writer* writer);

    File_Writer(const File_Writer&) = delete;
    File_Writer& operator=(const File_Writer&) = delete;

private:
    File_Writer() = default;
    ~File_Writer();

    static DWORD WINAPI thread_main(void* writer);
    void write_queue();
    bool next_bytes(std::vector<uint8_t>* bytes);
    bool write_now(const std::vector<uint8_t>& bytes);
    void end_thread();
    bool abandon();

    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE thread = nullptr;  // set once the thread has finished with the writer
    HANDLE queued = nullptr;    // auto-reset: bytes arrived or the end was asked for
    HANDLE cancel = nullptr;    // manual-reset: stop writing at once
    HANDLE io_done = nullptr;   // manual-reset: the pending write completed
    uint64_t offset = 0;        // overlapped writes name their own position

    boost::mutex lock;          // guards the queue and its flags
    std::deque<std::vector<uint8_t>> queue;
    size_t queued_bytes = 0;
    bool ending = false;
    bool failed = false;

    // Who frees the writer: its closer, or its thread once abandoned.
    enum Ownership { owned, thread_ended, abandoned };
    std::atomic<int> ownership{owned};
};
