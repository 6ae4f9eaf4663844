// Screen's channel side: building, opening and closing the pane's channel,
// its parameters, forwarding the channel operations, and the pane's error
// code.
#include "screen.h"

#include "service_address.h"

#include "channel_factory.h"
#include "channel_impl.h"
#include "error_codes.h"
#include "logger.h"
#include "text_convert.h"

namespace {

const size_t credential_bytes = 128;

} // namespace

// A channel that failed to open is kept and opened again with the
// parameters it was built from, when the open names the same address and
// channel; close_channel lets the next open start afresh from the current
// parameters.  An open of another address or channel builds its own: the
// kept one would play what was asked before.  An open ends any
// reconnection of the pane's lost stream first.
int Screen::open_channel(const wchar_t* address, int channel_index)
{
    if (status == Pane_Stream::live)
        return 1;
    end_reconnection();
    const std::wstring asked = address ? address : L"";
    if (channel && (asked != built_for.server_ip || channel_index != built_for.channel_index))
        drop_channel();
    params.server_ip = asked;
    params.channel_index = channel_index;
    params.display_window = pane;
    if (!channel && !build_channel())
        return -1;
    const int result = settle(channel->open_channel(), 0);
    if (result == 0) {
        status = Pane_Stream::live;
        live_since = GetTickCount();
        refusals = 0;
    }
    return result;
}

bool Screen::plays_stream_url() const
{
    return channel && is_stream_url(built_for.server_ip.c_str());
}

bool Screen::build_channel()
{
    built_for = params;
    channel = make_channel(params, GetParent(pane));
    return channel != nullptr;
}

// A failed operation's code becomes the pane's newest, so an older one
// (a loss, an earlier failure) never hides it.
// `member_code` is what a failure leaves when its channel set none, or
// when the pane has no channel to ask.
int Screen::settle(int result, int member_code)
{
    if (result != -1)
        return result;
    const int code = channel ? channel->take_last_error(0, 0) : 0;
    if (code != 0 || member_code != 0)
        keep_error(code != 0 ? code : member_code, false);
    return result;
}

void Screen::keep_error(int code, bool from_loss)
{
    last_error = code;
    last_error_is_loss = from_loss;
}

// A loss's code not read yet goes; a newer failure's code stays.
void Screen::forget_loss()
{
    if (last_error_is_loss)
        keep_error(0, false);
}

int Screen::take_last_error()
{
    // A code the channel holds came from no forwarded failure (settled
    // ones are taken at once): it is the newest.
    const int pending = channel ? channel->take_last_error(0, 0) : 0;
    if (pending != 0)
        keep_error(pending, false);
    const int code = last_error;
    last_error = 0;
    last_error_is_loss = false;
    return code;
}

void Screen::drop_channel()
{
    if (!channel)
        return;
    (void)channel->close_channel();  // a stream the library lost is gone either way
    delete channel;
    channel = nullptr;
}

int Screen::close_channel()
{
    end_reconnection();
    drop_channel();
    status = Pane_Stream::closed;
    record_directory.clear();
    return 0;
}

// Takes effect with the next channel the pane builds.
int Screen::set_net(int server_port, int client_port, int net_type, int ttl)
{
    params.server_port = server_port;
    params.client_port = client_port;
    params.net_type = net_type;
    params.ttl = ttl;
    return 0;
}

// Credentials too long for the 128-byte fields are refused before anything
// is stored.
int Screen::set_usr(const wchar_t* old_user, const wchar_t* user, const wchar_t* password)
{
    char old_narrow[credential_bytes], user_narrow[credential_bytes], password_narrow[credential_bytes];
    if (!wide_to_ansi(old_user, old_narrow, sizeof old_narrow) ||
        !wide_to_ansi(user, user_narrow, sizeof user_narrow) ||
        !wide_to_ansi(password, password_narrow, sizeof password_narrow))
        return -1;
    params.user_name = user ? user : L"";
    params.password = password ? password : L"";
    params.user_set = true;
    if (!channel)
        return -1;
    return settle(channel->set_usr(old_narrow, user_narrow, password_narrow), 0);
}

// The pane remembers where it records, so that a recording cut short by a
// lost stream goes on in a new file once the stream is back.
int Screen::start_recorde(const wchar_t* directory)
{
    if (!channel)
        return settle(-1, error_record);
    const int result = settle(channel->start_recorde(directory), error_record);
    if (result == 0)
        record_directory = directory ? directory : L"";
    return result;
}

int Screen::stop_recorde()
{
    record_directory.clear();
    return channel ? settle(channel->stop_recorde(), 0) : -1;
}

int Screen::snapshot(const wchar_t* directory)
{
    return settle(channel ? channel->snapshot(directory) : -1, error_snapshot);
}

int Screen::ptz_op(int command, int range, int speed)
{
    if (!channel) {
        Logger::instance().write(log_status, "%d", 0);
        return settle(-1, error_ptz_operation);
    }
    return settle(channel->ptz_op(command, range, speed), error_ptz_operation);
}

int Screen::set_video_para(Video_Para para, int selection)
{
    if (!channel) {
        Logger::instance().write(log_status, "%d channel set video parameter error", 0);
        return -1;
    }
    return settle(channel->set_video_para(para, selection), 0);
}

int Screen::get_video_para(Video_Para* para, int selection)
{
    return channel ? settle(channel->get_video_para(para, selection), 0) : -1;
}

int Screen::get_video_effect(Video_Effect* effect, int selection)
{
    return channel ? settle(channel->get_video_effect(effect, selection), 0) : -1;
}

int Screen::set_video_effect(Video_Effect effect, int selection)
{
    return channel ? settle(channel->set_video_effect(effect, selection), 0) : -1;
}

int Screen::set_osdlogo(Osd_Logo logo, int selection)
{
    return channel ? settle(channel->set_caption(logo, selection), 0) : -1;
}

int Screen::get_osdlogo(Osd_Logo* logo, int selection)
{
    return channel ? settle(channel->get_osdlogo(logo, selection), 0) : -1;
}

int Screen::set_ptz(int type, int address, int port, int selection)
{
    return channel ? settle(channel->set_ptz(type, address, port, selection), 0) : -1;
}

int Screen::get_ptz(Ptz_Para* para, int selection)
{
    return channel ? settle(channel->get_ptz(para, selection), 0) : -1;
}

int Screen::start_audio(long volume)
{
    if (!channel || channel->start_audio() != 0)
        return -1;
    sound_volume = volume;
    channel->set_audio_volume(static_cast<int>(volume));
    return 0;
}

int Screen::stop_audio()
{
    const bool lost_with_sound = sound_wanted;
    sound_wanted = false;
    if (!channel)
        return -1;
    if (lost_with_sound && !channel->audio_playing())
        return 0;  // the lost stream took the sound with it; it stays off now
    return channel->stop_audio();
}

void Screen::set_audio_volume(long volume)
{
    sound_volume = volume;
    if (channel && channel->audio_playing())
        channel->set_audio_volume(static_cast<int>(volume));
}

bool Screen::audio_heard() const
{
    return channel && channel->audio_playing();
}

bool Screen::audio_playing() const
{
    return audio_heard() || sound_wanted;
}
