/*
 * rtsp-launch: a plain GStreamer RTSP server for tests, serving one or more
 * launch lines of GStreamer's own elements, so that the streaming library
 * meets a server in which nothing is ours but this glue.
 *
 *   rtsp-launch ADDRESS PORT [--user NAME PASSWORD] [--damage KIND] PATH LAUNCH...
 *
 * With --user every path asks for that login (Basic and Digest offered).
 * --damage spoils the next path's stream as real networks and cameras do:
 *   lose       every 50th RTP packet is dropped (a gap in the sequence, and
 *              a NAL unit cut short when it was a fragment);
 *   corrupt    every 50th RTP packet's payload is scrambled past its NAL
 *              unit or fragment header;
 *   in-band    the SDP leaves out sprop-parameter-sets, so the parameter
 *              sets come only inside the stream.
 * It exits after 120 s: tests under Wine cannot end a Linux process.
 */
#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static const guint lifetime_seconds = 120;
static const guint damaged_packet_interval = 50;

enum damage_kind { DAMAGE_NONE, DAMAGE_LOSE, DAMAGE_CORRUPT, DAMAGE_IN_BAND };

/* A path's damage; the packet count runs over the path's shared media. */
struct damage {
    enum damage_kind kind;
    guint packets;
};

static GSList *in_band_paths;
static GRegex *sprop_attribute; /* made once; the server's one thread uses it */

static gboolean quit_loop(gpointer loop)
{
    g_main_loop_quit(loop);
    return G_SOURCE_REMOVE;
}

/* The test that started it waits for the end of its output; the server
   outlives the test, so it lets go of the test's standard files. */
static void leave_standard_files(void)
{
    const int nothing = open("/dev/null", O_RDWR);
    if (nothing < 0)
        return;
    for (int fd = 0; fd <= 2; ++fd)
        (void)dup2(nothing, fd); /* a descriptor left as it was only keeps the test waiting */
    (void)close(nothing);
}

static GstRTSPAuth *make_auth(const char *user, const char *password)
{
    GstRTSPAuth *auth = gst_rtsp_auth_new();
    GstRTSPToken *token =
        gst_rtsp_token_new(GST_RTSP_TOKEN_MEDIA_FACTORY_ROLE, G_TYPE_STRING, "viewer", NULL);
    gchar *basic = gst_rtsp_auth_make_basic(user, password);
    gst_rtsp_auth_add_basic(auth, basic, token);
    gst_rtsp_auth_add_digest(auth, user, password, token);
    gst_rtsp_auth_set_supported_methods(auth, GST_RTSP_AUTH_BASIC | GST_RTSP_AUTH_DIGEST);
    g_free(basic);
    gst_rtsp_token_unref(token);
    return auth;
}

static enum damage_kind damage_named(const char *name)
{
    if (strcmp(name, "lose") == 0)
        return DAMAGE_LOSE;
    if (strcmp(name, "corrupt") == 0)
        return DAMAGE_CORRUPT;
    if (strcmp(name, "in-band") == 0)
        return DAMAGE_IN_BAND;
    fprintf(stderr, "rtsp-launch: no damage called %s\n", name);
    return DAMAGE_NONE;
}

/* Where an RTP packet's payload starts: after the fixed header, the
   contributing sources and any header extension. */
static gsize rtp_payload_offset(const guint8 *packet, gsize size)
{
    if (size < 12)
        return size;
    gsize offset = 12 + 4 * (gsize)(packet[0] & 0x0f);
    if ((packet[0] & 0x10) && offset + 4 <= size)
        offset += 4 + 4 * (gsize)((packet[offset + 2] << 8) | packet[offset + 3]);
    return offset < size ? offset : size;
}

/* Scrambles the payload past its first two bytes, which hold the NAL unit
   or fragmentation header: the unit arrives whole in form, wrong inside. */
static void scramble(GstBuffer *packet)
{
    GstMapInfo map;
    if (!gst_buffer_map(packet, &map, GST_MAP_READWRITE))
        return;
    for (gsize at = rtp_payload_offset(map.data, map.size) + 2; at < map.size; at += 7)
        map.data[at] ^= 0x5a;
    gst_buffer_unmap(packet, &map);
}

/* FALSE when the packet is to be lost; a scrambled packet replaces *packet. */
static gboolean damage_packet(struct damage *damage, GstBuffer **packet)
{
    if (++damage->packets % damaged_packet_interval != 0)
        return TRUE;
    if (damage->kind == DAMAGE_LOSE)
        return FALSE;
    *packet = gst_buffer_make_writable(*packet);
    scramble(*packet);
    return TRUE;
}

static gboolean damage_listed_packet(GstBuffer **packet, guint index, gpointer damage)
{
    (void)index;
    if (!damage_packet(damage, packet))
        *packet = NULL; /* the list drops it */
    return TRUE;
}

static GstPadProbeReturn damage_outgoing(GstPad *pad, GstPadProbeInfo *info, gpointer damage)
{
    (void)pad;
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer *packet = GST_PAD_PROBE_INFO_BUFFER(info);
        if (!damage_packet(damage, &packet))
            return GST_PAD_PROBE_DROP;
        info->data = packet;
    } else if (info->type & GST_PAD_PROBE_TYPE_BUFFER_LIST) {
        GstBufferList *packets = gst_buffer_list_make_writable(GST_PAD_PROBE_INFO_BUFFER_LIST(info));
        gst_buffer_list_foreach(packets, damage_listed_packet, damage);
        info->data = packets;
    }
    return GST_PAD_PROBE_OK;
}

/* Puts the damage between the payloader and the server's RTP session. */
static void damage_new_media(GstRTSPMediaFactory *factory, GstRTSPMedia *media, gpointer damage)
{
    (void)factory;
    GstElement *pipeline = gst_rtsp_media_get_element(media);
    GstElement *payloader = gst_bin_get_by_name(GST_BIN(pipeline), "pay0");
    if (payloader) {
        GstPad *out = gst_element_get_static_pad(payloader, "src");
        (void)gst_pad_add_probe(out, GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST, damage_outgoing,
                                damage, NULL); /* the probe lives as long as the pad */
        gst_object_unref(out);
        gst_object_unref(payloader);
    }
    gst_object_unref(pipeline);
}

static gboolean in_band_path(const char *path)
{
    for (GSList *item = in_band_paths; item; item = item->next)
        if (path && strcmp(path, item->data) == 0)
            return TRUE;
    return FALSE;
}

/* Takes sprop-parameter-sets out of the SDP that describes an in-band path;
   the connection counts the body's length when it sends it. */
static void strip_parameter_sets(GstRTSPClient *client, GstRTSPContext *context, GstRTSPMessage *message,
                                 gpointer unused)
{
    (void)client, (void)unused;
    guint8 *body;
    guint size;
    if (!context || !context->uri || !in_band_path(context->uri->abspath) ||
        gst_rtsp_message_get_body(message, &body, &size) != GST_RTSP_OK || size == 0)
        return;
    gchar *sdp = g_strndup((const gchar *)body, size);
    gchar *stripped = g_regex_replace_literal(sprop_attribute, sdp, -1, 0, "", 0, NULL);
    if (stripped)
        (void)gst_rtsp_message_take_body(message, (guint8 *)stripped, (guint)strlen(stripped));
    g_free(sdp);
}

static void watch_new_client(GstRTSPServer *server, GstRTSPClient *client, gpointer unused)
{
    (void)server, (void)unused;
    (void)g_signal_connect(client, "send-message", G_CALLBACK(strip_parameter_sets), NULL);
}

static void mount(GstRTSPMountPoints *mounts, const char *path, const char *launch, gboolean with_login,
                  enum damage_kind damage_kind)
{
    GstRTSPMediaFactory *factory = gst_rtsp_media_factory_new();
    gst_rtsp_media_factory_set_launch(factory, launch);
    gst_rtsp_media_factory_set_shared(factory, TRUE);
    if (with_login)
        gst_rtsp_media_factory_add_role(factory, "viewer", GST_RTSP_PERM_MEDIA_FACTORY_ACCESS, G_TYPE_BOOLEAN,
                                        TRUE, GST_RTSP_PERM_MEDIA_FACTORY_CONSTRUCT, G_TYPE_BOOLEAN, TRUE, NULL);
    if (damage_kind == DAMAGE_LOSE || damage_kind == DAMAGE_CORRUPT) {
        struct damage *damage = g_new0(struct damage, 1); /* lives as long as the server */
        damage->kind = damage_kind;
        (void)g_signal_connect(factory, "media-configure", G_CALLBACK(damage_new_media), damage);
    } else if (damage_kind == DAMAGE_IN_BAND) {
        in_band_paths = g_slist_prepend(in_band_paths, g_strdup(path));
    }
    gst_rtsp_mount_points_add_factory(mounts, path, factory);
}

int main(int argc, char **argv)
{
    gst_init(&argc, &argv);
    if (argc < 5) {
        fprintf(stderr, "usage: rtsp-launch ADDRESS PORT [--user NAME PASSWORD] PATH LAUNCH...\n");
        return 2;
    }
    GMainLoop *loop = g_main_loop_new(NULL, FALSE);
    GstRTSPServer *server = gst_rtsp_server_new();
    gst_rtsp_server_set_address(server, argv[1]);
    gst_rtsp_server_set_service(server, argv[2]);
    int next = 3;
    gboolean with_login = FALSE;
    if (strcmp(argv[next], "--user") == 0 && argc >= next + 5) {
        GstRTSPAuth *auth = make_auth(argv[next + 1], argv[next + 2]);
        gst_rtsp_server_set_auth(server, auth);
        g_object_unref(auth);
        with_login = TRUE;
        next += 3;
    }
    GstRTSPMountPoints *mounts = gst_rtsp_server_get_mount_points(server);
    enum damage_kind damage_kind = DAMAGE_NONE;
    for (; next + 1 < argc; next += 2) {
        if (strcmp(argv[next], "--damage") == 0) {
            damage_kind = damage_named(argv[next + 1]);
            continue;
        }
        mount(mounts, argv[next], argv[next + 1], with_login, damage_kind);
        damage_kind = DAMAGE_NONE;
    }
    g_object_unref(mounts);
    if (in_band_paths) {
        sprop_attribute = g_regex_new(";?\\s*sprop-parameter-sets=[^;\r\n]*", 0, 0, NULL);
        (void)g_signal_connect(server, "client-connected", G_CALLBACK(watch_new_client), NULL);
    }
    if (gst_rtsp_server_attach(server, NULL) == 0) {
        fprintf(stderr, "rtsp-launch: cannot listen on %s:%s\n", argv[1], argv[2]);
        return 1;
    }
    (void)g_timeout_add_seconds(lifetime_seconds, quit_loop, loop);
    leave_standard_files();
    g_main_loop_run(loop);
    g_object_unref(server);
    g_main_loop_unref(loop);
    return 0;
}
