/*
 * service_address.h: which texts name a server whose web service can be
 * called.  The control and the channels check an address a user typed
 * before anything is opened; Web_Service checks the endpoint built from it
 * before any call.
 *
 * An address is a host (an IPv4 address or a host name: letters, digits,
 * '.', '-' and '_') optionally followed by ":PORT" (decimal, 1 to 65535) for
 * a site reached through port forwarding.  Everything else is refused: an
 * empty host, spaces, a path, query or fragment, a user name ("@").  The
 * runtime would read an endpoint without a host as "use standard input and
 * output", split one with a space into several endpoints, and send a path
 * or query as the request's target.
 */
#ifndef KELM_SERVICE_SERVICE_ADDRESS_H
#define KELM_SERVICE_SERVICE_ADDRESS_H

/* Whether address is "HOST" or "HOST:PORT" as described above. */
bool is_service_address(const char *address);
bool is_service_address(const wchar_t *address);

/* Whether endpoint is "http://" followed by a host and any number of
   ":PORT" parts ("http://10.0.0.5:8000", or "http://10.0.0.5:8001:8000"
   for an address with a port of its own, where the runtime takes the
   first port). */
bool is_service_endpoint(const char *endpoint);

#endif
