/*
 * socket_transport.h: the TCP connection of a service call, in place of the
 * runtime's own.
 *
 * Under Wine every socket operation is a round trip to the wine server, and
 * a wait inside a blocking send or receive costs half of a select followed
 * by the call.  So a connection is made by an overlapped ConnectEx waited
 * for within the connect time-out (a refused connection completes at once,
 * a silent host is given up at the bound), then used by blocking sends and
 * receives that the send and receive time-outs bound (SO_SNDTIMEO,
 * SO_RCVTIMEO), and closed without a separate shutdown.  No buffer-size or
 * Nagle options: the runtime sends a request in one piece.
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
