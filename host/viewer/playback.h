// A recording played on a thread of its own: the thread opens the file,
// decodes one picture ahead and hands each to the window when it is due,
// so the window's thread only paints.  At most three decoded pictures are
// held at once: the one decoded ahead, the one handed over and not yet
// taken (a newer one replaces it), and the one the window shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct AVFrame;
class Media_File;

// What the thread tells the window, as the wparam of the window's message.
enum Playback_Event : WPARAM {
    playback_opened,    // facts() holds the picture's size and the length
    playback_refused,   // facts() holds the reason in words
    playback_picture,   // take_picture() has a picture
    playback_ended,     // the last picture has been handed over; playing stopped
};

struct Media_Facts {
    int width = 0;
    int height = 0;
    int64_t length_ms = 0;  // 0 when the file does not tell it
    std::wstring problem;
};

class Playback {
public:
    Playback() = default;
    ~Playback() { stop(); }
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Starts the thread, which opens `path`, shows its first picture and
    // plays it, posting `message` to `window` at each event.  False when
    // no thread could be started.
    bool start(const std::wstring& path, HWND window, UINT message);
    // Ends the thread and waits for it: it stops within one picture's work.
    void stop();

    void play();
    void pause();
    // One picture forward; playing pauses first.
    void step();
    // Shows the picture at `ms` from the start, playing on if it played.
    void seek(int64_t ms);
    bool playing() const;

    // For the window's thread, after the events.
    Media_Facts facts() const;
    // Moves the picture handed over into `picture`, with its time; false
    // when there is none since the last call.
    bool take_picture(AVFrame* picture, int64_t* at_ms);

private:
    // What the window asked for since the thread last looked.
    struct Requests {
        bool stopping = false;
        bool playing = true;
        bool seek = false;
        int64_t seek_ms = 0;
        int steps = 0;
    };

    static DWORD WINAPI thread_main(void* self);
    void run();
    void play_file(Media_File& file);
    // The next picture into `ahead`; false at the end of the file.
    bool decode_ahead(Media_File& file);
    // Decodes from the key frame before `ms` to the first picture at or
    // after it (or the last one) and hands that over.
    void seek_to(Media_File& file, int64_t ms);
    // The picture ahead handed over, or the end told.
    void step_once(Media_File& file);
    void hand_over();
    // The tick at which the picture of time `ms` is due by the clock; a
    // picture long late, or after a long gap, starts the clock again.
    ULONGLONG due_tick(int64_t ms);
    // Changes the requests and wakes the thread.
    template <class Edit>
    void ask(Edit edit);
    void post(Playback_Event event);
    // Copies the requests and clears the ones that are done once taken.
    Requests take_requests();
    // Waits until the window asks for something, or until `until_tick`;
    // true when it asked.
    bool wait_for_request(ULONGLONG until_tick);
    void finish_playing();
    void tell_refusal(const std::wstring& problem);
    bool new_request_since(unsigned seen) const;

    std::wstring path;
    HWND window = nullptr;
    UINT message = 0;
    HANDLE thread = nullptr;

    // Shared with the window's thread, under `lock`.
    mutable SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE asked = CONDITION_VARIABLE_INIT;
    Requests requests;
    unsigned request_count = 0;
    Media_Facts known;
    AVFrame* handed = nullptr;
    int64_t handed_ms = 0;
    bool handed_full = false;

    // The thread's own.
    AVFrame* decoded = nullptr;  // the decoder's output, moved into `ahead`
    AVFrame* ahead = nullptr;
    int64_t ahead_ms = 0;
    bool ahead_full = false;
    bool at_end = false;
    unsigned seen_requests = 0;
    // The clock: the picture of time `clock_ms` is due at `clock_tick`.
    ULONGLONG clock_tick = 0;
    int64_t clock_ms = 0;
    int64_t shown_ms = 0;
};
