/*
 * rtsp-launch: a plain GStreamer RTSP server for tests, serving one or more
 * launch lines of GStreamer's own elements, so that the streaming library
 * meets a server in which nothing is ours but this glue.
 *
 *   rtsp-launch ADDRESS PORT [--user NAME PASSWORD] PATH LAUNCH [PATH LAUNCH...]
 *
 * With --user every path asks for that login (Basic and Digest offered).
 * It exits after 120 s: tests under Wine cannot end a Linux process.
 */
#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static const guint lifetime_seconds = 120;

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

static void mount(GstRTSPMountPoints *mounts, const char *path, const char *launch, gboolean with_login)
{
    GstRTSPMediaFactory *factory = gst_rtsp_media_factory_new();
    gst_rtsp_media_factory_set_launch(factory, launch);
    gst_rtsp_media_factory_set_shared(factory, TRUE);
    if (with_login)
        gst_rtsp_media_factory_add_role(factory, "viewer", GST_RTSP_PERM_MEDIA_FACTORY_ACCESS, G_TYPE_BOOLEAN,
                                        TRUE, GST_RTSP_PERM_MEDIA_FACTORY_CONSTRUCT, G_TYPE_BOOLEAN, TRUE, NULL);
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
    for (; next + 1 < argc; next += 2)
        mount(mounts, argv[next], argv[next + 1], with_login);
    g_object_unref(mounts);
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
