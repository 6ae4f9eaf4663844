#include "playback.h"

extern "C" {
#include <libavutil/frame.h>
}

#include "media_file.h"
#include "resource.h"
#include "texts.h"

namespace {

// A picture due longer ago than this is shown at once and the clock starts
// again from it, rather than the pictures after it hurrying to catch up.
const int64_t late_limit_ms = 250;
// Neither is a gap in the pictures' times longer than this waited out.
const int64_t gap_limit_ms = 2000;
// Steps asked for faster than they are shown are kept up to this count.
const int most_steps = 16;
const ULONGLONG forever = ~0ull;

class Exclusive {
public:
    explicit Exclusive(SRWLOCK& lock) : held(lock) { AcquireSRWLockExclusive(&held); }
    ~Exclusive() { ReleaseSRWLockExclusive(&held); }
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;

private:
    SRWLOCK& held;
};

} // namespace

bool Playback::start(const std::wstring& file_path, HWND target, UINT target_message)
{
    path = file_path;
    window = target;
    message = target_message;
    handed = av_frame_alloc();
    ahead = av_frame_alloc();
    decoded = av_frame_alloc();
    if (!handed || !ahead || !decoded)
        return false;
    thread = CreateThread(nullptr, 0, thread_main, this, 0, nullptr);
    return thread != nullptr;
}

void Playback::stop()
{
    if (thread) {
        ask([](Requests& wanted) { wanted.stopping = true; });
        (void)WaitForSingleObject(thread, INFINITE);  // it ends within one picture's work
        (void)CloseHandle(thread);  // the thread has ended; nothing is left to do about a failure
        thread = nullptr;
    }
    // A playback never started has not called FFmpeg, which may be missing.
    for (AVFrame** frame : {&handed, &ahead, &decoded})
        if (*frame)
            av_frame_free(frame);
}

template <class Edit>
void Playback::ask(Edit edit)
{
    {
        Exclusive hold(lock);
        edit(requests);
        ++request_count;
    }
    WakeAllConditionVariable(&asked);
}

void Playback::play()
{
    ask([](Requests& wanted) { wanted.playing = true; });
}

void Playback::pause()
{
    ask([](Requests& wanted) { wanted.playing = false; });
}

void Playback::step()
{
    ask([](Requests& wanted) {
        wanted.playing = false;
        if (wanted.steps < most_steps)
            ++wanted.steps;
    });
}

void Playback::seek(int64_t ms)
{
    ask([ms](Requests& wanted) {
        wanted.seek = true;
        wanted.seek_ms = ms;
    });
}

bool Playback::playing() const
{
    Exclusive hold(lock);
    return requests.playing;
}

Media_Facts Playback::facts() const
{
    Exclusive hold(lock);
    return known;
}

bool Playback::take_picture(AVFrame* picture, int64_t* at_ms)
{
    Exclusive hold(lock);
    if (!handed_full)
        return false;
    av_frame_unref(picture);
    av_frame_move_ref(picture, handed);
    *at_ms = handed_ms;
    handed_full = false;
    return true;
}

DWORD WINAPI Playback::thread_main(void* self)
{
    static_cast<Playback*>(self)->run();
    return 0;
}

void Playback::run()
{
    Media_File file;
    std::wstring problem;
    if (!file.open(path, &problem)) {
        tell_refusal(problem);
        return;
    }
    if (!decode_ahead(file)) {
        tell_refusal(load_text(IDS_MEDIA_NO_PICTURE));
        return;
    }
    {
        Exclusive hold(lock);
        known.width = file.width();
        known.height = file.height();
        known.length_ms = file.length_ms();
    }
    post(playback_opened);
    hand_over();
    play_file(file);
}

void Playback::play_file(Media_File& file)
{
    bool clock_running = false;
    for (;;) {
        const Requests wanted = take_requests();
        if (wanted.stopping)
            return;
        if (wanted.seek) {
            seek_to(file, wanted.seek_ms);
            clock_running = false;
            // Played on past the end, it would start again from the beginning.
            if (at_end && wanted.playing) {
                finish_playing();
                continue;
            }
        }
        if (!wanted.playing) {
            clock_running = false;
            for (int step = 0; step < wanted.steps; ++step)
                step_once(file);
            if (!wanted.seek && wanted.steps == 0)
                (void)wait_for_request(forever);  // there is nothing to do until then
            continue;
        }
        if (!clock_running) {
            // Play at the end starts again from the beginning.
            if (at_end)
                seek_to(file, 0);
            clock_tick = GetTickCount64();
            clock_ms = shown_ms;
            clock_running = true;
        }
        if (!ahead_full && !decode_ahead(file)) {
            at_end = true;
            finish_playing();
            continue;
        }
        // A request that comes first is answered first; the picture ahead waits.
        if (!wait_for_request(due_tick(ahead_ms)))
            hand_over();
    }
}

bool Playback::decode_ahead(Media_File& file)
{
    int64_t at_ms = 0;
    if (!file.next_picture(decoded, &at_ms))
        return false;
    av_frame_unref(ahead);
    av_frame_move_ref(ahead, decoded);
    ahead_ms = at_ms;
    ahead_full = true;
    return true;
}

void Playback::step_once(Media_File& file)
{
    if (!ahead_full && !decode_ahead(file)) {
        at_end = true;
        post(playback_ended);
        return;
    }
    hand_over();
}

void Playback::seek_to(Media_File& file, int64_t ms)
{
    // A file that cannot be searched stays where it is.
    if (!file.rewind_to(ms))
        return;
    at_end = false;
    ahead_full = false;
    // From the key frame to the picture at `ms`; a newer request (the bar
    // dragged on, or the window closing) ends the way there early.
    for (;;) {
        if (!decode_ahead(file)) {
            at_end = true;
            break;
        }
        if (ahead_ms >= ms || new_request_since(seen_requests))
            break;
    }
    if (ahead_full)
        hand_over();
}

void Playback::hand_over()
{
    {
        Exclusive hold(lock);
        av_frame_unref(handed);  // a picture the window has not taken is late: this one replaces it
        av_frame_move_ref(handed, ahead);
        handed_ms = ahead_ms;
        handed_full = true;
    }
    ahead_full = false;
    shown_ms = ahead_ms;
    post(playback_picture);
}

ULONGLONG Playback::due_tick(int64_t ms)
{
    const ULONGLONG now = GetTickCount64();
    const int64_t late_by = static_cast<int64_t>(now - clock_tick) - (ms - clock_ms);
    if (late_by > late_limit_ms || ms < clock_ms || ms - shown_ms > gap_limit_ms) {
        clock_tick = now;
        clock_ms = ms;
    }
    return clock_tick + static_cast<ULONGLONG>(ms - clock_ms);
}

void Playback::post(Playback_Event event)
{
    (void)PostMessageW(window, message, event, 0);  // a window that is closing no longer needs it
}

void Playback::tell_refusal(const std::wstring& problem)
{
    {
        Exclusive hold(lock);
        known.problem = problem;
    }
    post(playback_refused);
}

void Playback::finish_playing()
{
    {
        Exclusive hold(lock);
        requests.playing = false;
    }
    post(playback_ended);
}

Playback::Requests Playback::take_requests()
{
    Exclusive hold(lock);
    const Requests taken = requests;
    requests.seek = false;
    requests.steps = 0;
    seen_requests = request_count;
    return taken;
}

bool Playback::new_request_since(unsigned seen) const
{
    Exclusive hold(lock);
    return request_count != seen;
}

bool Playback::wait_for_request(ULONGLONG until_tick)
{
    Exclusive hold(lock);
    while (request_count == seen_requests) {
        const ULONGLONG now = GetTickCount64();
        if (until_tick != forever && now >= until_tick)
            return false;
        const DWORD wait_ms = until_tick == forever ? INFINITE : static_cast<DWORD>(until_tick - now);
        (void)SleepConditionVariableSRW(&asked, &lock, wait_ms, 0);  // woken, timed out or spurious: looked at again
    }
    return true;
}
