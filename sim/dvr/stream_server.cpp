/*
 * stream_server.cpp: the RTSP server, its main loop, and the handlers every
 * client gets when it connects: its own authentication manager, the answer
 * to its DESCRIBE, and the bookkeeping of the channel it plays.
 */

#include "stream_server.h"

#include "channel_feed.h"
#include "channel_media.h"
#include "live_path.h"
#include "simulator.h"
#include "stream_login.h"

#include <gst/rtsp-server/rtsp-server.h>

#include <cstdio>
#include <thread>

namespace {

/* The media a client plays, kept on the client (with a reference). */
const char playing_key[] = "dvr-playing-media";

GstRTSPStatusCode on_pre_describe(GstRTSPClient *, GstRTSPContext *ctx, gpointer sim)
{
    return answer_describe(*static_cast<Simulator *>(sim), ctx);
}

/* The client no longer plays the stream it played, if any. */
void forget_playing(GstRTSPClient *client)
{
    auto *media = static_cast<GstRTSPMedia *>(g_object_get_data(G_OBJECT(client), playing_key));
    if (!media)
        return;
    if (Channel_Feed *feed = channel_feed(media))
        feed->stop(client);
    g_object_set_data(G_OBJECT(client), playing_key, nullptr); /* drops the reference */
}

void on_play(GstRTSPClient *client, GstRTSPContext *ctx, gpointer)
{
    /* A request is handled on the client's thread, dispatched by the source
       of its connection: that source's context is the client's. */
    GSource *connection = g_main_current_source();
    Channel_Feed *feed = ctx->media ? channel_feed(ctx->media) : nullptr;
    if (!feed || !connection)
        return;
    forget_playing(client);
    g_object_set_data_full(G_OBJECT(client), playing_key, g_object_ref(ctx->media), g_object_unref);
    feed->play(client, g_source_get_context(connection));
}

void on_teardown(GstRTSPClient *client, GstRTSPContext *, gpointer)
{
    forget_playing(client);
}

void on_closed(GstRTSPClient *client, gpointer sim)
{
    forget_playing(client);
    static_cast<Simulator *>(sim)->stream_clients.fetch_sub(1);
}

/* Runs on the server's main loop, before the client has its own thread. */
void on_client_connected(GstRTSPServer *, GstRTSPClient *client, gpointer data)
{
    Simulator &sim = *static_cast<Simulator *>(data);
    sim.stream_clients.fetch_add(1);
    GstRTSPAuth *auth = make_client_auth(sim);
    gst_rtsp_client_set_auth(client, auth);
    g_object_unref(auth);
    /* The handlers live as long as the client: their ids are not needed. */
    (void)g_signal_connect(client, "pre-describe-request", G_CALLBACK(on_pre_describe), data);
    (void)g_signal_connect(client, "play-request", G_CALLBACK(on_play), nullptr);
    (void)g_signal_connect(client, "teardown-request", G_CALLBACK(on_teardown), nullptr);
    (void)g_signal_connect(client, "closed", G_CALLBACK(on_closed), data);
}

/* Every channel the state can hold has its path, so that a DESCRIBE of any
   of them is answered by the login (404 for one not served); any other
   path finds no factory: 404. */
void mount_channels(GstRTSPServer *server, Simulator &sim)
{
    GstRTSPMountPoints *mounts = gst_rtsp_server_get_mount_points(server);
    GstRTSPMediaFactory *factory = make_channel_factory(sim);
    for (int channel = 1; Dvr_State::valid_channel(channel); ++channel)
        gst_rtsp_mount_points_add_factory(mounts, live_path(channel).c_str(),
                                          GST_RTSP_MEDIA_FACTORY(g_object_ref(factory)));
    g_object_unref(factory);
    g_object_unref(mounts);
}

GstRTSPServer *make_server(Simulator &sim, const std::string &address, int port)
{
    GstRTSPServer *server = gst_rtsp_server_new();
    gst_rtsp_server_set_address(server, address.c_str());
    gst_rtsp_server_set_service(server, std::to_string(port).c_str());
    /* A thread per client, however many: a delayed answer holds no other. */
    GstRTSPThreadPool *pool = gst_rtsp_server_get_thread_pool(server);
    gst_rtsp_thread_pool_set_max_threads(pool, -1);
    g_object_unref(pool);
    mount_channels(server, sim);
    (void)g_signal_connect(server, "client-connected", G_CALLBACK(on_client_connected), &sim); /* for good */
    return server;
}

} // namespace

bool start_stream_server(Simulator &sim, const std::string &address, int port)
{
    gst_init(nullptr, nullptr);
    GstRTSPServer *server = make_server(sim, address, port);
    GError *error = nullptr;
    GSource *listener = gst_rtsp_server_create_source(server, nullptr, &error);
    g_object_unref(server); /* the listener keeps it */
    if (!listener) {
        std::fprintf(stderr, "dvr-sim: cannot listen on %s:%d: %s\n", address.c_str(), port,
                     error ? error->message : "unknown error");
        g_clear_error(&error);
        return false;
    }
    GMainContext *context = g_main_context_new();
    (void)g_source_attach(listener, context); /* the listener lives as long as the process: its id is not needed */
    g_source_unref(listener);
    std::thread([context] { g_main_loop_run(g_main_loop_new(context, FALSE)); }).detach();
    return true;
}
