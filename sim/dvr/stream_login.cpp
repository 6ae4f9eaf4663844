/*
 * stream_login.cpp: the answer to a DESCRIBE runs on the client's own thread
 * (the server gives every client one), so a delayed answer holds no other
 * client.
 */

#include "stream_login.h"

#include "ending_streams.h"
#include "live_path.h"
#include "simulator.h"

#include <algorithm>
#include <chrono>
#include <thread>

const char viewer_role[] = "viewer";

namespace {

/* What a DESCRIBE waits for the channel's earlier stream to be taken down. */
const int stream_end_wait_ms = 2000;

GstRTSPAuthMethod offered_methods(Stream_Auth auth)
{
    switch (auth) {
    case Stream_Auth::basic:
        return GST_RTSP_AUTH_BASIC;
    case Stream_Auth::digest:
        return GST_RTSP_AUTH_DIGEST;
    case Stream_Auth::both:
        break;
    }
    return static_cast<GstRTSPAuthMethod>(GST_RTSP_AUTH_BASIC | GST_RTSP_AUTH_DIGEST);
}

void add_user(GstRTSPAuth *auth, const std::string &name, const std::string &password, GstRTSPToken *token)
{
    gchar *basic = gst_rtsp_auth_make_basic(name.c_str(), password.c_str());
    gst_rtsp_auth_add_basic(auth, basic, token);
    g_free(basic);
    gst_rtsp_auth_add_digest(auth, name.c_str(), password.c_str(), token);
}

/* Waits out `accept-delay`, or less when the simulator quits meanwhile. */
void wait_accept_delay(Simulator &sim)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(sim.stream.accept_delay_ms.load());
    for (Clock::time_point now = Clock::now(); now < until && !sim.quitting.load(); now = Clock::now())
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, std::chrono::milliseconds(20)));
}

bool has_credentials(GstRTSPContext *ctx)
{
    gchar *value = nullptr;
    return gst_rtsp_message_get_header(ctx->request, GST_RTSP_HDR_AUTHORIZATION, &value, 0) == GST_RTSP_OK;
}

/* Runs the client's authentication manager on the request: a user matched
   leaves its token in the context, where the media factory's check finds
   it later. */
bool credentials_match(GstRTSPContext *ctx)
{
    if (!ctx->auth)
        return false;
    GstRTSPAuthClass *klass = GST_RTSP_AUTH_GET_CLASS(ctx->auth);
    return klass->authenticate && klass->authenticate(ctx->auth, ctx) && ctx->token;
}

bool served(Simulator &sim, int channel)
{
    const int channels = sim.state.with_server([](Server_Settings &s) { return s.channel_cnt; });
    return channel >= 1 && channel <= channels;
}

} // namespace

GstRTSPAuth *make_client_auth(Simulator &sim)
{
    GstRTSPAuth *auth = gst_rtsp_auth_new();
    GstRTSPToken *token =
        gst_rtsp_token_new(GST_RTSP_TOKEN_MEDIA_FACTORY_ROLE, G_TYPE_STRING, viewer_role, nullptr);
    for (const auto &user : sim.state.users_copy())
        add_user(auth, user.first, user.second.password, token);
    if (sim.stream.anonymous.load())
        add_user(auth, "", "", token);
    gst_rtsp_token_unref(token);
    gst_rtsp_auth_set_supported_methods(auth, offered_methods(static_cast<Stream_Auth>(sim.stream.auth.load())));
    return auth;
}

GstRTSPStatusCode answer_describe(Simulator &sim, GstRTSPContext *ctx)
{
    Stream_Behaviour &behaviour = sim.stream;
    if (!has_credentials(ctx) && !behaviour.refuse.load())
        return GST_RTSP_STS_OK;
    wait_accept_delay(sim);
    behaviour.logins.fetch_add(1);
    if (behaviour.refuse.load())
        return GST_RTSP_STS_FORBIDDEN;
    if (!credentials_match(ctx))
        return GST_RTSP_STS_UNAUTHORIZED;
    const int channel = live_channel(ctx->uri ? ctx->uri->abspath : nullptr);
    if (!served(sim, channel))
        return GST_RTSP_STS_NOT_FOUND;
    const bool signal = sim.state.with_channel(channel, [](Channel_Settings &s) { return s.signal; });
    if (!signal)
        return GST_RTSP_STS_SERVICE_UNAVAILABLE;
    wait_while_channel_stream_ends(channel, stream_end_wait_ms);
    return GST_RTSP_STS_OK;
}
