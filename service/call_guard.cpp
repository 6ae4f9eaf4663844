/*
 * call_guard.cpp: the limits of rqweb calls, the guard's installation on a
 * context, arming it for each call, and the filter of what is sent.  Its other
 * parts: call_guard_framing.cpp (time and HTTP framing),
 * call_guard_elements.cpp (element checks) and call_guard_outcome.cpp (the
 * allocation budget and the code a call ends with).
 *
 * The answer is watched through the runtime's hooks:
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
 *   - the element hook runs when the name and attributes of an element have
 *     been read.  It notes the root element (an envelope, an HTML page or
 *     something else), makes sure the first element of the body is the
 *     expected response or a fault, refuses a body element after the
 *     response that no reference read before it names (nothing is built
 *     for it), checks the type of the result and of every element a
 *     reference reaches, reads a nil result or field as a missing one,
 *     trusts a declared array size only as far as the runtime will read it
 *     and the rest of the message can hold its items, and counts the
 *     elements that carry an id or an href.
 *   - while an array is read, the runtime's strict mode is on, so that
 *     content the array reading leaves behind (an item beyond the declared
 *     size, text) fails the call instead of being skipped; the element end
 *     hook turns it off at the array's end tag.
 *   - the hook at the end of a complete answer reads the rest of an
 *     announced body, so that an answer shorter than its Content-Length
 *     reads as cut short.
 * and one on the way out: the runtime writes an encoded array with its
 * SOAP-ENC:arrayType but without the xsi:type "SOAP-ENC:Array" the servers'
 * messages carry; the send filter puts it back.  The filter sees each piece
 * the runtime writes, in the counting pass as in the sending one, so the
 * Content-Length stays right.
 *
 * Every allocation the runtime makes for the context during a call is
 * charged to the call: it may allocate a base plus twice the bytes it has
 * received, at most 32 MiB.  One allocation more and the call fails as out
 * of memory, whatever the answer declares.
 */

#include "call_guard.h"

#include "call_guard_parts.h"

#include <cstring>

const Call_Limits rqweb_call_limits = {
    5,                  /* connect */
    5,                  /* each send; the longest wait for answer bytes */
    /* Every call runs on the host's thread: a server that does not answer,
       or trickles, holds it 5 s at most.  An answer of a few hundred bytes
       comes in milliseconds; a 1 MiB picture (some 15 MiB of items) arriving
       at 64 KiB/s, about half a megabit, goes on for as long as it takes. */
    5,
    64 * 1024,
    32UL * 1024 * 1024, /* answer size: a 1 MiB picture is some 15 MiB of items */
    2UL * 1024 * 1024,  /* items of one array */
    64,                 /* nesting depth: an answer needs 5 */
    /* Declared array sizes are trusted up to the item bound (a 1 MiB picture
       is read into one block, as the runtime alone reads it), and only as
       far as the message and the allocation budget allow. */
    2L * 1024 * 1024,
    /* Resolving references costs time quadratic in their number once the
       answer has been read (40,000 take seconds).  Real servers reference
       the result record and a few texts; 4,096 also lets a file list send
       every name as a reference, and resolves in milliseconds. */
    4096,
    /* Allocation: a declared 1 MiB picture needs 1 MiB up front; read item
       by item it needs some 9 bytes per item of at least 16 bytes; a list of
       texts about twice its bytes.  A hostile answer of a few kilobytes gets
       no more than a couple of mebibytes. */
    2UL * 1024 * 1024,
    2,
    32UL * 1024 * 1024,
};

Call_Guard::Call_Guard(struct soap *soap_)
    : soap(soap_), socket_receive(soap_->frecv), http_parse(soap_->fparse), http_parse_field(soap_->fparsehdr)
{
    const Call_Limits &limits = rqweb_call_limits;
    soap->connect_timeout = limits.connect_seconds;
    soap->send_timeout = limits.io_seconds;
    soap->recv_timeout = limits.io_seconds;
    /* The runtime's own whole-message check, positive (a negative value never
       fires): the longest answer at the least rate; the guard cuts sooner. */
    soap->transfer_timeout = static_cast<int>(limits.grace_seconds + limits.max_message_bytes / limits.min_bytes_per_second);
    soap->recv_maxlength = limits.max_message_bytes;
    soap->maxoccurs = limits.max_items;
    soap->maxlevel = limits.max_depth;
    soap->user = this;
    soap->fparse = on_http_header;
    soap->fparsehdr = on_header_field;
    soap->feltbegin = on_element;
    soap->feltendin = on_element_end;
    soap->fpreparefinalrecv = on_answer_end;
    soap->ffiltersend = on_send;
}

void Call_Guard::arm(const char *operation)
{
    /* The receive hook wraps whatever transport the context has when a call
       starts (the runtime's sockets, or a test's stand-in). */
    if (soap->frecv != on_receive) {
        socket_receive = soap->frecv;
        soap->frecv = on_receive;
    }
    call = Call_State();
    std::strcpy(call.expected, "rqweb:");
    std::strncat(call.expected, operation, sizeof call.expected - sizeof "rqweb:Response");
    std::strcat(call.expected, "Response");
    call.started = std::chrono::steady_clock::now();
    soap->recv_timeout = rqweb_call_limits.io_seconds;
    call.result_type = out_result_type(operation);
    call.array_result = is_array_type(call.result_type);
    limit_runtime_allocations(soap, this);
}

/* ---- sending ------------------------------------------------------------ */

int Call_Guard::on_send(struct soap *soap, const char **bytes, size_t *size)
{
    static const char name[] = "SOAP-ENC:arrayType";
    static const char typed[] = "xsi:type=\"SOAP-ENC:Array\" SOAP-ENC:arrayType";
    Call_Guard *self = guard_of(soap);
    /* An attribute name comes as a piece of its own, right after a space. */
    if (self->after_space && *size == sizeof name - 1 && !std::memcmp(*bytes, name, *size)) {
        *bytes = typed;
        *size = sizeof typed - 1;
    }
    self->after_space = *size == 1 && **bytes == ' ';
    return SOAP_OK;
}
