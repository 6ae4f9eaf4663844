#include "file_writer.h"

#include <new>

#include "library_thread.h"

namespace {

// A disk that lags may hold up this much; a stalled one loses what comes
// after, rather than the host's process its memory.
const size_t most_queued_bytes = 4 * 1024 * 1024;
// How long a close lets the disk take what is queued, and how long the
// thread then has to end once its pending write is cancelled.
const DWORD drain_wait_ms = 200;
const DWORD cancel_wait_ms = 500;

} // namespace

File_Writer* File_Writer::create(const char* path)
{
    File_Writer* writer = new (std::nothrow) File_Writer;
    if (!writer)
        return nullptr;
    writer->queued = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    writer->cancel = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    writer->io_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (writer->queued && writer->cancel && writer->io_done)
        writer->file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (writer->file != INVALID_HANDLE_VALUE) {
        writer->thread = start_library_thread(&File_Writer::thread_main, writer);
        if (!writer->thread) {
            (void)CloseHandle(writer->file);  // empty, and removed next
            writer->file = INVALID_HANDLE_VALUE;
            (void)DeleteFileA(path);  // created just now by this writer; a failure leaves an empty file
        }
    }
    if (!writer->thread) {
        delete writer;
        return nullptr;
    }
    return writer;
}

File_Writer::~File_Writer()
{
    if (file != INVALID_HANDLE_VALUE)
        (void)CloseHandle(file);  // only when the thread never ran
    for (HANDLE handle : {thread, queued, cancel, io_done}) {
        if (handle)
            (void)CloseHandle(handle);  // nothing waits on them any more
    }
}

bool File_Writer::append(std::vector<uint8_t>&& bytes)
{
    {
        boost::mutex::scoped_lock guard(lock);
        if (failed || ending)
            return false;
        if (!queue.empty() && queued_bytes + bytes.size() > most_queued_bytes)
            return false;
        queue.push_back(std::move(bytes));
        queued_bytes += queue.back().size();
    }
    (void)SetEvent(queued);  // a valid event; the writer also looks at the queue after every write
    return true;
}

bool File_Writer::close(File_Writer* writer)
{
    if (!writer)
        return true;
    {
        boost::mutex::scoped_lock guard(writer->lock);
        writer->ending = true;
    }
    (void)SetEvent(writer->queued);  // a valid event
    if (WaitForSingleObject(writer->thread, drain_wait_ms) != WAIT_OBJECT_0) {
        (void)SetEvent(writer->cancel);  // a valid event
        if (WaitForSingleObject(writer->thread, cancel_wait_ms) != WAIT_OBJECT_0 && writer->abandon())
            return false;
    }
    delete writer;
    return true;
}

// True when the thread is still at work and now frees the writer itself;
// false when it had already finished, so the caller frees it.
bool File_Writer::abandon()
{
    return ownership.exchange(abandoned) != thread_ended;
}

DWORD WINAPI File_Writer::thread_main(void* writer)
{
    File_Writer* self = static_cast<File_Writer*>(writer);
    self->write_queue();
    self->end_thread();
    return 0;
}

void File_Writer::write_queue()
{
    std::vector<uint8_t> bytes;
    while (next_bytes(&bytes)) {
        if (!write_now(bytes)) {
            // A full or failing disk ends the file; what was written stays readable.
            boost::mutex::scoped_lock guard(lock);
            failed = true;
            return;
        }
    }
}

// The next queued bytes, waiting for them; false once the queue is empty
// and the end was asked for, or when writing is cancelled.
bool File_Writer::next_bytes(std::vector<uint8_t>* bytes)
{
    for (;;) {
        if (WaitForSingleObject(cancel, 0) == WAIT_OBJECT_0)
            return false;
        {
            boost::mutex::scoped_lock guard(lock);
            if (!queue.empty()) {
                *bytes = std::move(queue.front());
                queue.pop_front();
                queued_bytes -= bytes->size();
                return true;
            }
            if (ending)
                return false;
        }
        HANDLE events[] = {queued, cancel};
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0)
            return false;
    }
}

// One overlapped write at the end of what is written, waited for unless
// writing is cancelled meanwhile.
bool File_Writer::write_now(const std::vector<uint8_t>& bytes)
{
    OVERLAPPED request = {};
    request.Offset = static_cast<DWORD>(offset);
    request.OffsetHigh = static_cast<DWORD>(offset >> 32);
    request.hEvent = io_done;
    (void)ResetEvent(io_done);  // a valid event
    const DWORD size = static_cast<DWORD>(bytes.size());
    if (!WriteFile(file, bytes.data(), size, nullptr, &request)) {
        if (GetLastError() != ERROR_IO_PENDING)
            return false;
        HANDLE events[] = {io_done, cancel};
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0)
            (void)CancelIoEx(file, &request);  // fails only when the write completed meanwhile
    }
    // Waits for the write, or for its cancellation: the request lives in
    // this frame and must not outlive it.
    DWORD written = 0;
    if (!GetOverlappedResult(file, &request, &written, TRUE) || written != size)
        return false;
    offset += written;
    return true;
}

void File_Writer::end_thread()
{
    (void)CloseHandle(file);  // what was written is with the system
    file = INVALID_HANDLE_VALUE;
    if (ownership.exchange(thread_ended) == abandoned)
        delete this;
}
