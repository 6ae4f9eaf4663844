// Screen's watch over its stream: a live stream that stops running is lost,
// the pane says so instead of showing its last picture, and the stream is
// started again once the server's stream port answers.  Everything here
// runs on the host's thread and never waits on the network: the server is
// probed by Server_Probe's thread, and a stream started again is followed
// on later ticks instead of being waited for.
//
// Only the stream is lost: the channel, and with it the service link that
// snapshots, PTZ and settings use, stays until the host closes the pane.
#include "screen.h"

#include <algorithm>
#include <cstdio>

#include "channel_impl.h"
#include "error_codes.h"
#include "logger.h"
#include "server_probe.h"
#include "service_address.h"
#include "text_convert.h"
#include "time_left.h"

namespace {

// A stream started again that shows no picture by then is lost again (the
// streaming library itself gives up on a silent server after 5 s).
const DWORD reconnect_bound_ms = 6000;
// A stream lost again this soon after it went live was no real return: it
// counts as refused, so a channel that opens and drops at once is not
// hammered.
const DWORD short_life_ms = 10000;
// After the server said no (refused the login, no signal, or a return that
// did not last), the next attempt waits 2 s, then 4, 8 ... up to a minute.
const DWORD first_pause_ms = 2000;
const DWORD longest_pause_ms = 60000;
// Failed attempts are written to the log at most this often.
const DWORD attempt_log_interval_ms = 60000;
const size_t address_bytes = 64;

DWORD pause_after(int refusals)
{
    if (refusals <= 0)
        return 0;
    const int doublings = std::min(refusals - 1, 5);  // 2 s << 5 is past the longest
    return std::min(first_pause_ms << doublings, longest_pause_ms);
}

// Why the stream was lost, in the few words a pane has room for.
const wchar_t* loss_words(Stream_End_Kind kind)
{
    switch (kind) {
    case Stream_End_Kind::login_refused:
        return L"Wrong user name or password";
    case Stream_End_Kind::not_found:
        return L"No such stream";
    case Stream_End_Kind::unreachable:
        return L"Cannot be reached";
    case Stream_End_Kind::unsupported:
        return L"A format that cannot be played";
    case Stream_End_Kind::server_error:
        return L"Server error";
    case Stream_End_Kind::ended:
        return L"Ended by the server";
    case Stream_End_Kind::silent:
        return L"Nothing received for 5 s";
    case Stream_End_Kind::failed:
        return L"Refused by the server";
    case Stream_End_Kind::none:
        break;
    }
    return nullptr;
}

// ": " and those words, or nothing when the reason is not known.
std::wstring loss_words_after(Stream_End_Kind kind)
{
    const wchar_t* words = loss_words(kind);
    return words ? std::wstring(L": ") + words : std::wstring();
}

std::wstring clock_now()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[16];
    (void)swprintf(text, sizeof text / sizeof text[0], L"%02u:%02u:%02u", now.wHour, now.wMinute,
                   now.wSecond);
    return text;
}

} // namespace

void Screen::watch(DWORD now, bool reconnect, bool may_start)
{
    switch (status) {
    case Pane_Stream::live: {
        const Stream_State state = channel->stream_state();
        if (state != Stream_State::running) {
            lose(now, state);
            show_lost_notice(now, reconnect);
        }
        return;
    }
    case Pane_Stream::reconnecting:
        follow_reconnection(now);
        return;
    case Pane_Stream::lost:
        if (reconnect && may_start)
            try_reconnect(now);
        if (status == Pane_Stream::lost)
            show_lost_notice(now, reconnect);
        return;
    case Pane_Stream::closed:
        return;
    }
}

// Stopping the stream closes its recording, so everything recorded up to
// the loss is on disk and readable; the pane records again once it is back.
void Screen::lose(DWORD now, Stream_State state)
{
    loss_reason = channel->stream_reason();
    Logger::instance().write(log_status, "channel %d stream lost: %s\n", params.channel_index,
                             loss_reason.text.empty() ? stream_state_name(state) : loss_reason.text.c_str());
    sound_wanted = sound_wanted || channel->audio_playing();
    note_stream_endpoint();
    channel->pause_stream();
    status = Pane_Stream::lost;
    waiting_since = now;
    next_try = now;
    lost_at = now;
    lost_clock = clock_now();
    keep_error(error_server_login, true);
    // A stream that fell silent has already waited out its silence: it is
    // tried again at once however short its life was.
    const bool short_life = !later_than(now, live_since + short_life_ms) && loss_reason.kind != Stream_End_Kind::silent;
    note_refusal(now, server_said_no(state) || short_life);
}

// Counts an answer of the server's that was a no, or starts the count
// afresh, and sets when the next attempt may start.
void Screen::note_refusal(DWORD now, bool refused)
{
    refusals = refused ? refusals + 1 : 0;
    retry_after = now + pause_after(refusals);
}

// The probe asks where the stream came from: a URL template that names a
// camera's own port (rtsp://{address}:554/...) or another host is not
// served at the server's address and stream port.
void Screen::note_stream_endpoint()
{
    if (channel->stream_endpoint(&probe_host, &probe_port))
        return;
    char address[address_bytes];
    probe_host = wide_to_ansi(params.server_ip.c_str(), address, sizeof address) ? address : "";
    probe_port = static_cast<unsigned short>(params.server_port & 0xFFFF);
}

void Screen::try_reconnect(DWORD now)
{
    if (!later_than(now, retry_after)) {
        next_try = retry_after;
        return;
    }
    if (probe_host.empty())
        return;
    const Probe_Verdict verdict = Server_Probe::instance().ask(probe_host, probe_port, waiting_since);
    next_try = verdict.probed ? verdict.started + Server_Probe::interval_ms : now;
    // Only a probe begun after the loss, or after the last failed attempt,
    // says anything about the server as it is now.
    if (!verdict.probed || !verdict.answered || !later_than(verdict.started, waiting_since))
        return;
    const Stream_State state = channel->resume_stream(params);
    (void)channel->take_last_error(0, 0);  // an attempt's failure is the loss already reported
    if (state != Stream_State::connecting && state != Stream_State::running) {
        attempt_failed(now, state, std::string());
        return;
    }
    waiting_since = now;
    status = Pane_Stream::reconnecting;
    show_notice(pane_source() + L"\nSignal lost at " +
                lost_clock + loss_words_after(loss_reason.kind) + L"\nReconnecting...");
}

void Screen::follow_reconnection(DWORD now)
{
    const Stream_State state = channel->stream_state();
    if (state == Stream_State::running) {
        become_live(now);
        return;
    }
    if (state == Stream_State::connecting && !later_than(now, waiting_since + reconnect_bound_ms))
        return;
    const Stream_Reason why = channel->stream_reason();
    if (why.kind != Stream_End_Kind::none)
        loss_reason = why;  // the newest news of the server
    channel->pause_stream();
    status = Pane_Stream::lost;
    attempt_failed(now, state, why.text);
}

// A server that answered no is asked again later each time; one that did
// not answer at all is probed at the usual pace.  The log hears of failed
// attempts at most once a minute.
void Screen::attempt_failed(DWORD now, Stream_State state, const std::string& why)
{
    waiting_since = now;
    note_refusal(now, server_said_no(state));
    if (server_said_no(state))
        next_try = retry_after;
    if (any_attempt_logged && !later_than(now, attempt_logged + attempt_log_interval_ms))
        return;
    any_attempt_logged = true;
    attempt_logged = now;
    Logger::instance().write(log_status, "channel %d reconnection failed: %s, next try in %u s\n",
                             params.channel_index, why.empty() ? stream_state_name(state) : why.c_str(),
                             static_cast<unsigned>(std::max(pause_after(refusals), Server_Probe::interval_ms) / 1000));
}

void Screen::become_live(DWORD now)
{
    status = Pane_Stream::live;
    live_since = now;
    show_notice(L"");
    forget_loss();  // the pane is back: its loss is no error any more
    Logger::instance().write(log_status, "channel %d stream live again\n", params.channel_index);
    resume_sound();
    if (record_directory.empty())
        return;
    if (channel->start_recorde(record_directory.c_str()) != 0) {
        Logger::instance().write(log_status, "channel %d recording not resumed\n", params.channel_index);
        (void)channel->take_last_error(0, 0);  // the host did not ask for this start
        record_directory.clear();
    }
}

// The sound comes back with the stream only if it played when the stream
// was lost, and no other pane has taken it since.
void Screen::resume_sound()
{
    if (!sound_wanted)
        return;
    sound_wanted = false;
    if (start_audio(sound_volume) != 0) {
        Logger::instance().write(log_status, "channel %d sound not resumed\n", params.channel_index);
        (void)channel->take_last_error(0, 0);  // the host did not ask for this start
    }
}

void Screen::end_reconnection()
{
    if (status != Pane_Stream::lost && status != Pane_Stream::reconnecting)
        return;
    drop_channel();
    status = Pane_Stream::closed;
    forget_loss();
    refusals = 0;
    record_directory.clear();
    sound_wanted = false;
    show_notice(L"");
}

DWORD Screen::lost_for(DWORD now) const
{
    if (status != Pane_Stream::lost && status != Pane_Stream::reconnecting)
        return 0;
    return now - lost_at;
}

// What the pane shows, for its notices: the server and channel, or the
// stream URL without its login.
std::wstring Screen::pane_source() const
{
    const std::wstring source = address_without_login(params.server_ip);
    if (is_stream_url(params.server_ip.c_str()) && params.server_ip.find(L"{channel}") == std::wstring::npos)
        return source;  // the channel number only names the pane's record
    return source + L" channel " + std::to_wstring(params.channel_index);
}

Stream_Reason Screen::loss_why() const
{
    if (status != Pane_Stream::lost && status != Pane_Stream::reconnecting)
        return Stream_Reason();
    return loss_reason;
}

void Screen::show_lost_notice(DWORD now, bool reconnect)
{
    std::wstring text = pane_source() +
                        L"\nSignal lost at " + lost_clock;
    text += loss_words_after(loss_reason.kind);
    if (!reconnect) {
        text += L"\nAutomatic reconnection is off";
    } else {
        const DWORD seconds = later_than(now, next_try) ? 0 : (next_try - now + 999) / 1000;
        text += seconds == 0 ? std::wstring(L"\nTrying now") : L"\nNext try in " + std::to_wstring(seconds) + L" s";
    }
    show_notice(text);
}

// The pane is a static control: its text is drawn, on the colours the
// control answers for it, whenever the pane is painted, so the notice
// survives resizes, split-mode changes and zoom.
void Screen::show_notice(const std::wstring& text)
{
    if (text == notice)
        return;
    notice = text;
    (void)SetWindowTextW(pane, notice.c_str());  // a pane that keeps its old text shows it one tick longer
    (void)InvalidateRect(pane, nullptr, TRUE);
}
