/*
 * http_framing.h: the two parts of an HTTP answer's framing that the
 * service client reads more strictly than the runtime does.
 *
 * The runtime cuts a status to 16 bits (65736 reads as 200) and takes any
 * text before the first space for a protocol name; it reads a
 * Content-Length with a sign ("-33" becomes a length near 2^64).  An answer
 * framed like that is not trusted at all.
 */
#ifndef KELM_SERVICE_HTTP_FRAMING_H
#define KELM_SERVICE_HTTP_FRAMING_H

/* Reads a status line "HTTP/1.x NNN[ reason]" with NNN from 100 to 599;
   false for anything else. */
bool read_status_line(const char *line, int &status);

/* Reads a Content-Length value: decimal digits only, no sign, no space,
   at most 18 of them; false for anything else. */
bool read_content_length(const char *text, unsigned long long &length);

#endif
