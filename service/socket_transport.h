/*
 * socket_transport.h: the TCP connection of a service call, in place of the
 * runtime's own.
 *
 * Under Wine every socket operation is a round trip to the wine server, so
 * a small call costs what its operations cost.  This transport does only
 * what a call needs: a socket without buffer-size or Nagle options, a
 * non-blocking connect that waits for the socket to become writable or
 * fail (a refused connection is reported at once in the error set, where
 * the runtime never looked), sends and receives that wait only when the
 * socket is not ready, and a close without a separate shutdown.  The
 * context's connect, send and receive time-outs bound every wait.  A small
 * call is eight socket operations (socket, non-blocking mode, connect, its
 * wait, send, recv and its wait when the answer is not there yet, close)
 * where the runtime made fifteen.
 */
#ifndef KELM_SERVICE_SOCKET_TRANSPORT_H
#define KELM_SERVICE_SOCKET_TRANSPORT_H

#include "stdsoap2.h"

/* The functions through which a context opens, uses and closes its
   connections. */
struct Transport_Functions
{
    SOAP_SOCKET (*open)(struct soap *, const char *endpoint, const char *host, int port);
    int (*send)(struct soap *, const char *bytes, size_t size);
    size_t (*receive)(struct soap *, char *buffer, size_t size);
    int (*close)(struct soap *, SOAP_SOCKET);
    int (*shutdown)(struct soap *, SOAP_SOCKET, int how);
};

/* Puts the functions on the context (a test's or a benchmark's stand-in). */
void use_transport(struct soap *soap, const Transport_Functions &functions);

/* Makes the context open, use and close its connections through this
   transport. */
void use_socket_transport(struct soap *soap);

#endif
