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

#include <string>

/* Whether address is "HOST" or "HOST:PORT" as described above. */
bool is_service_address(const char *address);
bool is_service_address(const wchar_t *address);

/* The longest stream URL a pane takes, in characters. */
enum { stream_url_most_units = 255 };

/* Whether address is a stream URL rather than a server: "rtsp://" (any
   case), an optional "user:password@", a host with an optional ":PORT",
   then nothing or a path; no spaces or control characters anywhere, and
   at most stream_url_most_units characters.  Such an address is played as
   it stands and has no web service. */
bool is_stream_url(const wchar_t *address);

/* Whether address starts with "rtsps://" (any case): a stream over TLS,
   which this build does not play. */
bool is_secure_stream_url(const wchar_t *address);

/* address without the "user:password@" of a stream URL, for what a person
   reads (captions, notices, logs); any other address as it is. */
std::wstring address_without_login(const std::wstring &address);

/* The host of a stream URL, without its login and port. */
std::wstring stream_url_host(const std::wstring &url);

/* Whether endpoint is "http://" followed by a host and any number of
   ":PORT" parts ("http://10.0.0.5:8000", or "http://10.0.0.5:8001:8000"
   for an address with a port of its own, where the runtime takes the
   first port). */
bool is_service_endpoint(const char *endpoint);

#endif
