// Screen's watch over its stream: a live stream that stops running is lost,
// the pane says so instead of showing its last picture, and the stream is
// started again once the server's stream port answers.  Everything here
// runs on the host's thread and never waits on the network: the server is
// probed by Server_Probe's thread, and a stream started again is followed
// on later ticks instead of being waited for.
#include "screen.h"

#include <cstdio>

#include "channel_impl.h"
#include "hikclient.h"
#include "logger.h"
#include "server_probe.h"
#include "text_convert.h"

namespace {

// A stream started again that shows no frame by then is lost again (the
// streaming library itself gives up on a silent server after 5 s).
const DWORD reconnect_bound_ms = 6000;
const size_t address_bytes = 64;

bool later_than(DWORD tick, DWORD since)
{
    return static_cast<LONG>(tick - since) >= 0;
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

int Screen::take_last_error()
{
    if (lost_error != 0) {
        const int code = lost_error;
        lost_error = 0;
        return code;
    }
    return channel ? channel->take_last_error(0, 0) : 0;
}

void Screen::watch(DWORD now, bool reconnect, bool may_start)
{
    switch (status) {
    case Pane_Stream::live: {
        const int state = channel->stream_state();
        if (state != HIK_STATE_RUNNING) {
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
void Screen::lose(DWORD now, int state)
{
    Logger::instance().write(log_status, "channel %d stream lost, state %d\n", params.channel_index, state);
    drop_channel();
    status = Pane_Stream::lost;
    waiting_since = now;
    next_try = now;
    lost_error = 10;
    lost_clock = clock_now();
}

void Screen::try_reconnect(DWORD now)
{
    char address[address_bytes];
    if (!wide_to_ansi(params.server_ip.c_str(), address, sizeof address))
        return;
    const Probe_Verdict verdict =
        Server_Probe::instance().ask(address, static_cast<unsigned short>(params.server_port & 0xFFFF));
    next_try = verdict.probed ? verdict.started + Server_Probe::interval_ms : now;
    // Only a probe begun after the loss, or after the last failed attempt,
    // says anything about the server as it is now.
    if (!verdict.probed || !verdict.answered || !later_than(verdict.started, waiting_since))
        return;
    waiting_since = now;
    if (!build_channel())
        return;
    if (channel->resume_stream() != 0) {
        drop_channel();
        return;
    }
    status = Pane_Stream::reconnecting;
    show_notice(params.server_ip + L" channel " + std::to_wstring(params.channel_index) +
                L"\nSignal lost at " + lost_clock + L"\nReconnecting...");
}

void Screen::follow_reconnection(DWORD now)
{
    const int state = channel->stream_state();
    if (state == HIK_STATE_RUNNING) {
        become_live();
        return;
    }
    if (state == HIK_STATE_CONNECTING && !later_than(now, waiting_since + reconnect_bound_ms))
        return;
    drop_channel();
    status = Pane_Stream::lost;
    waiting_since = now;
}

void Screen::become_live()
{
    status = Pane_Stream::live;
    show_notice(L"");
    Logger::instance().write(log_status, "channel %d stream live again\n", params.channel_index);
    if (record_directory.empty())
        return;
    if (channel->start_recorde(record_directory.c_str()) != 0) {
        Logger::instance().write(log_status, "channel %d recording not resumed\n", params.channel_index);
        record_directory.clear();
    }
}

void Screen::end_reconnection()
{
    if (status != Pane_Stream::lost && status != Pane_Stream::reconnecting)
        return;
    drop_channel();
    status = Pane_Stream::closed;
    lost_error = 0;
    record_directory.clear();
    show_notice(L"");
}

void Screen::show_lost_notice(DWORD now, bool reconnect)
{
    std::wstring text = params.server_ip + L" channel " + std::to_wstring(params.channel_index) +
                        L"\nSignal lost at " + lost_clock;
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
