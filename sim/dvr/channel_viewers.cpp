/*
 * channel_viewers.cpp: a connection is closed on its client's own thread,
 * as the server closes connections itself: closing it from the streaming
 * thread would stop the channel's stream from inside that stream when its
 * last client goes.
 */

#include "channel_viewers.h"

#include <algorithm>

namespace {

gboolean close_connection(gpointer client)
{
    gst_rtsp_client_close(GST_RTSP_CLIENT(client));
    return G_SOURCE_REMOVE;
}

/* Takes over the viewer's reference to the client. */
void close_on_client_thread(GstRTSPClient *client, GMainContext *context)
{
    GSource *idle = g_idle_source_new();
    g_source_set_callback(idle, close_connection, client, g_object_unref);
    (void)g_source_attach(idle, context); /* the source ends itself after one run: its id is not needed */
    g_source_unref(idle);
}

} // namespace

Channel_Viewers::~Channel_Viewers()
{
    for (const Viewer &viewer : viewers)
        release(viewer);
}

void Channel_Viewers::release(const Viewer &viewer)
{
    g_object_unref(viewer.client);
    g_main_context_unref(viewer.context);
}

void Channel_Viewers::add(GstRTSPClient *client, GMainContext *context, unsigned frames_sent)
{
    remove(client);
    std::lock_guard<std::mutex> lock(mutex);
    viewers.push_back(Viewer{GST_RTSP_CLIENT(g_object_ref(client)), g_main_context_ref(context), frames_sent});
    played = true;
}

bool Channel_Viewers::deserted()
{
    std::lock_guard<std::mutex> lock(mutex);
    return played && viewers.empty();
}

void Channel_Viewers::remove(GstRTSPClient *client)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto gone = std::remove_if(viewers.begin(), viewers.end(), [&](const Viewer &viewer) {
        if (viewer.client != client)
            return false;
        release(viewer);
        return true;
    });
    viewers.erase(gone, viewers.end());
}

void Channel_Viewers::break_off(unsigned frames_sent, int limit)
{
    if (limit <= 0)
        return;
    std::lock_guard<std::mutex> lock(mutex);
    const auto done = std::remove_if(viewers.begin(), viewers.end(), [&](const Viewer &viewer) {
        if (frames_sent - viewer.first_frame < static_cast<unsigned>(limit))
            return false;
        close_on_client_thread(viewer.client, viewer.context);
        g_main_context_unref(viewer.context);
        return true;
    });
    viewers.erase(done, viewers.end());
}
