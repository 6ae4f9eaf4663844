/*
 * call_guard_framing.cpp: the call's time and the framing of its answer.
 *
 *   - the receive hook notes when the server closes the connection (so that
 *     an answer cut short reads as such and not as a badly formed one),
 *     ends a call that is over its time, and never hands the runtime a byte
 *     beyond the announced Content-Length.
 *   - the HTTP header hooks read the status line and the Content-Length
 *     strictly: an answer whose status line is not "HTTP/1.x NNN" with NNN
 *     from 100 to 599, or whose Content-Length is not a plain number, is
 *     not read any further.  The status is recorded as sent; 400 and 500
 *     are handed on as 200, because the runtime reads the envelope of those
 *     like that of a 200 one (a fault usually comes with 500) and then
 *     reports what the envelope held instead of the status.
 *   - the hook at the end of a complete answer reads the rest of an
 *     announced body, so that an answer shorter than its Content-Length
 *     reads as cut short.
 */

#include "call_guard.h"

#include "call_guard_parts.h"
#include "http_framing.h"

size_t Call_Guard::on_receive(struct soap *soap, char *buffer, size_t size)
{
    return guard_of(soap)->receive(buffer, size);
}

/* A call that is over its time reads as one whose answer stopped coming; a
   body framed by its length ends where the length says. */
size_t Call_Guard::receive(char *buffer, size_t size)
{
    if (call.verdict)
        return 0;
    if (call.framed_by_length) {
        if (call.body_seen >= call.announced)
            return 0;
        if (size > call.announced - call.body_seen)
            size = static_cast<size_t>(call.announced - call.body_seen);
    }
    if (!bound_next_receive()) {
        call.cut_off = true;
        return 0;
    }
    const size_t n = socket_receive(soap, buffer, size);
    call.received += n;
    if (n == 0)
        call.closed = true;
    if (call.cut_off)
        return 0;
    if (call.answered)
        call.body_seen += n;
    return n;
}

/* What is left of the call's time: the grace time, and a share of a second
   for every byte received at the least rate. */
long long Call_Guard::ms_left() const
{
    const Call_Limits &limits = rqweb_call_limits;
    const long long earned_ms = static_cast<long long>(call.received * 1000 / limits.min_bytes_per_second);
    const long long spent_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - call.started).count();
    return limits.grace_seconds * 1000LL + earned_ms - spent_ms;
}

/* The next receive waits no longer than the call has left (the transport
   applies a changed bound to the socket); false when nothing is left. */
bool Call_Guard::bound_next_receive()
{
    const long long left_ms = ms_left();
    if (left_ms <= 0)
        return false;
    /* In steps of a quarter second, so a quick call keeps the bound its
       connection was opened with (each change is a round trip to apply). */
    const long long step_ms = 250;
    const long long bound_ms = (left_ms + step_ms - 1) / step_ms * step_ms;
    /* The runtime's negative time-outs are microseconds. */
    soap->recv_timeout = bound_ms >= rqweb_call_limits.io_seconds * 1000LL ? rqweb_call_limits.io_seconds
                                                                         : static_cast<int>(-bound_ms * 1000);
    return true;
}

int Call_Guard::on_header_field(struct soap *soap, const char *key, const char *value)
{
    Call_Guard *self = guard_of(soap);
    if (!soap_tag_cmp(key, "Content-Length")) { /* as the runtime recognises the field */
        unsigned long long length = 0;
        if (!read_content_length(value, length) || (self->call.length_given && length != self->call.announced))
            self->call.badly_framed = true;
        self->call.announced = length;
        self->call.length_given = true;
    }
    return self->http_parse_field(soap, key, value);
}

int Call_Guard::on_http_header(struct soap *soap)
{
    Call_Guard *self = guard_of(soap);
    return self->check_http_header(self->http_parse(soap));
}

int Call_Guard::check_http_header(int parse_error)
{
    call.answered = true;
    int line_status = 0;
    if (!read_status_line(soap->msgbuf, line_status))
        call.badly_framed = true;
    call.status = call.badly_framed ? soap->status : line_status;
    if (soap->status == 204 || soap->status == 205)
        soap->body = 0; /* these never carry a body, whatever the headers say */
    call.has_body = soap->body != 0;
    call.too_large = call.announced > rqweb_call_limits.max_message_bytes;
    frame_body();
    if (call.badly_framed || call.too_large) {
        soap->status = 0; /* keeps the runtime from reading a body it cannot frame */
        return SOAP_HTTP_ERROR;
    }
    if (!parse_error && (soap->status == 400 || soap->status == 500))
        soap->status = 200;
    return parse_error;
}

/* Where the body starts, and (framed by its length) that nothing after its
   last byte is ever read: what the buffer already holds beyond it is cut. */
void Call_Guard::frame_body()
{
    const size_t buffered = soap->buflen - soap->bufidx;
    call.body_start = soap->count - buffered;
    call.body_seen = buffered;
    call.framed_by_length = call.has_body && call.length_given && (soap->imode & SOAP_IO) != SOAP_IO_CHUNK;
    if (call.framed_by_length && buffered > call.announced) {
        soap->buflen = soap->bufidx + static_cast<size_t>(call.announced);
        call.body_seen = call.announced;
    }
}

int Call_Guard::on_answer_end(struct soap *soap)
{
    return guard_of(soap)->drain_body();
}

/* The answer has been read: the rest of its announced body must follow. */
int Call_Guard::drain_body()
{
    while (call.framed_by_length && call.body_seen < call.announced && receive(soap->buf, sizeof soap->buf) > 0)
        continue;
    return call.framed_by_length && call.body_seen < call.announced ? SOAP_EOF : SOAP_OK;
}

/* Body bytes the runtime has parsed so far. */
unsigned long long Call_Guard::body_consumed() const
{
    const unsigned long long buffered = soap->buflen - soap->bufidx;
    return call.body_seen > buffered ? call.body_seen - buffered : 0;
}

/* Bytes of the answer's body still to come: as announced, or up to the
   message bound when no length was announced. */
unsigned long long Call_Guard::bytes_left() const
{
    const unsigned long long whole = call.framed_by_length ? call.announced : rqweb_call_limits.max_message_bytes;
    const unsigned long long used = body_consumed();
    return used < whole ? whole - used : 0;
}
