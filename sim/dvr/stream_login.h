/*
 * stream_login.h: who may watch the live stream, and how a DESCRIBE (the
 * login of an RTSP client) is answered.  The users are the simulator's
 * users, as the web service knows them.
 */
#ifndef KELM_SIM_STREAM_LOGIN_H
#define KELM_SIM_STREAM_LOGIN_H

#include <gst/rtsp-server/rtsp-server.h>

struct Simulator;

/* The role every logged-in client has; the channels' media factory lets it
   see and build the streams. */
extern const char viewer_role[];

/* A new authentication manager for one client, holding the users as they
   are now: a Basic and a Digest entry for each, and for the empty user with
   the empty password when anonymous logins are allowed; it offers the
   methods `stream auth` chooses.  The caller owns the reference. */
GstRTSPAuth *make_client_auth(Simulator &sim);

/* The answer to a DESCRIBE before its media is looked up.  Without
   credentials (and without `refuse`) it is OK, so that the authentication
   manager challenges the client.  Otherwise, after `accept-delay` and
   counting one login: 403 when refusing, 401 (without a new challenge) for
   credentials of no user, 404 for a channel not served, 503 for a channel
   without video signal, and OK. */
GstRTSPStatusCode answer_describe(Simulator &sim, GstRTSPContext *ctx);

#endif
