/*
 * call_guard.cpp: limits, answer watching and result codes of rqweb calls.
 *
 * Three runtime hooks watch the answer:
 *   - the receive hook notes when the server closes the connection, so that
 *     an answer cut short reads as such and not as a badly formed one.
 *   - the HTTP header hook records the status as the server sent it.  The
 *     runtime reads the envelope of a 400 or 500 answer like that of a 200
 *     one (a fault usually comes with 500), so those two are handed on as 200:
 *     the runtime then reports what the envelope held instead of the status.
 *   - the element hook runs when the name and attributes of an element have
 *     been read.  It notes the root element (an envelope, an HTML page or
 *     something else), makes sure the first element of the body is the
 *     expected response or a fault (anything else is not for us), checks the
 *     item type of an array result, reads a nil result or field as a missing
 *     one, and refuses to trust a declared array size above the bound: such
 *     an array is read item by item, so a server cannot make us allocate
 *     what it does not send.  It also counts the elements that carry an id
 *     or an href and stops the answer at the first one above the bound.
 * and one on the way out: the runtime writes an encoded array with its
 * SOAP-ENC:arrayType but without the xsi:type "SOAP-ENC:Array" the servers'
 * messages carry; the send filter puts it back.  The filter sees each piece
 * the runtime writes, in the counting pass as in the sending one, so the
 * Content-Length stays right.
 */

#include "call_guard.h"

#include "web_service.h"

#include <cctype>
#include <cstring>

const Call_Limits rqweb_call_limits = {
    5,                  /* connect */
    10,                 /* each send and receive */
    /* Whole calls: an answer of a few hundred bytes has no reason to take
       longer than this; a server trickling it byte by byte is cut off here. */
    25,
    /* A 1 MiB picture is some 15 MiB of items: this lets it through a link
       of 128 KiB/s (about 1 Mbit/s) ... */
    120,
    /* ... and a server trickling it is cut off once it has been slower than
       16 KiB/s on average for ten seconds (a 1 MiB picture at that pace would
       take 16 minutes: no picture is worth holding the caller that long). */
    10,
    16 * 1024,
    32UL * 1024 * 1024, /* answer size: a 1 MiB picture is some 15 MiB of items */
    2UL * 1024 * 1024,  /* items of one array */
    64,                 /* nesting depth: an answer needs 5 */
    100000,             /* declared array sizes trusted up to this */
    /* Resolving references costs time quadratic in their number once the
       answer has been read (40,000 take seconds).  Real servers reference
       the result record and a few texts; 4,096 also lets a file list send
       every name as a reference, and resolves in milliseconds. */
    4096,
};

namespace {

/* Operations whose result is an array, and its item type. */
struct Array_Result
{
    const char *operation;
    const char *item_type;
};

const Array_Result array_results[] = {
    {"snapshot", "xsd:unsignedByte"},
    {"get-vodflist", "xsd:string"},
    {"get-vcardsn", "xsd:string"},
};

/* Codes a fault answer gives, by the local name of an envelope faultcode. */
struct Fault_Code
{
    const char *faultcode;
    int code;
};

const Fault_Code fault_codes[] = {
    {"SOAP-ENV:Client", ws_client_fault},          {"SOAP-ENV:Sender", ws_client_fault},
    {"SOAP-ENV:Server", ws_server_fault},          {"SOAP-ENV:Receiver", ws_server_fault},
    {"SOAP-ENV:MustUnderstand", ws_must_understand}, {"SOAP-ENV:VersionMismatch", ws_version_mismatch},
};

Call_Guard *guard_of(struct soap *soap)
{
    return static_cast<Call_Guard *>(soap->user);
}

/* Local part of a qualified name. */
const char *local_name(const char *tag)
{
    const char *colon = std::strrchr(tag, ':');
    return colon ? colon + 1 : tag;
}

bool equals_ignoring_case(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

/* Item count a SOAP-ENC:arrayType size ("[5]") and offset ("[2]") give, or
   -1 when there is no usable count (no digits, a sign, too many digits). */
long declared_items(const char *size, const char *offset)
{
    const char *end = size + std::strlen(size);
    while (end > size && !std::isdigit(static_cast<unsigned char>(end[-1])))
        --end;
    const char *start = end;
    while (start > size && std::isdigit(static_cast<unsigned char>(start[-1])))
        --start;
    if (start == end || end - start > 9 || (start > size && start[-1] == '-'))
        return -1;
    long count = 0;
    for (const char *p = start; p < end; ++p)
        count = count * 10 + (*p - '0');
    const char *first = std::strchr(offset, '[');
    if (first) {
        long skip = 0;
        for (const char *p = first + 1; std::isdigit(static_cast<unsigned char>(*p)) && skip < 1000000000L; ++p)
            skip = skip * 10 + (*p - '0');
        count -= skip;
    }
    return count;
}

/* The runtime decodes a faultcode into the table's prefixes but then
   compares it in the namespaces of the message, which need not declare
   them; the code is therefore taken from the decoded text here. */
int fault_outcome(const char *faultcode)
{
    for (const Fault_Code &f : fault_codes)
        if (faultcode && !std::strcmp(faultcode, f.faultcode))
            return f.code;
    return ws_other_fault;
}

bool is_fault_code(int code)
{
    return code == SOAP_CLI_FAULT || code == SOAP_SVR_FAULT || code == SOAP_MUSTUNDERSTAND || code == SOAP_FAULT
           || code == SOAP_VERSIONMISMATCH;
}

} // namespace

Call_Guard::Call_Guard(struct soap *soap_)
    : soap(soap_), receive(soap_->frecv), http_parse(soap_->fparse), started(), call_seconds(0), min_rate(0),
      expected(), array_item_type(nullptr), status(0), answered(false), has_body(false), body_start(0),
      announced(0), closed(false), cut_off(false), root_seen(false), root_envelope(false), root_html(false),
      body_child_seen(false), after_space(false), references(0), received(0)
{
    const Call_Limits &limits = rqweb_call_limits;
    soap->connect_timeout = limits.connect_seconds;
    soap->send_timeout = limits.io_seconds;
    soap->recv_timeout = limits.io_seconds;
    soap->transfer_timeout = limits.snapshot_seconds; /* armed per operation */
    soap->recv_maxlength = limits.max_message_bytes;
    soap->maxoccurs = limits.max_items;
    soap->maxlevel = limits.max_depth;
    soap->user = this;
    soap->fparse = on_http_header;
    soap->feltbegin = on_element;
    soap->ffiltersend = on_send;
}

void Call_Guard::arm(const char *operation)
{
    /* The receive hook wraps whatever transport the context has when a call
       starts (the runtime's sockets, or a test's stand-in). */
    if (soap->frecv != on_receive) {
        receive = soap->frecv;
        soap->frecv = on_receive;
    }
    std::strcpy(expected, "rqweb:");
    std::strncat(expected, operation, sizeof expected - sizeof "rqweb:Response");
    std::strcat(expected, "Response");
    started = std::chrono::steady_clock::now();
    const bool snapshot = !std::strcmp(operation, "snapshot");
    call_seconds = snapshot ? rqweb_call_limits.snapshot_seconds : rqweb_call_limits.transfer_seconds;
    min_rate = snapshot ? rqweb_call_limits.min_bytes_per_second : 0;
    soap->transfer_timeout = call_seconds; /* the runtime's own check, per message; positive:
                                              a negative value never fires */
    received = 0;
    array_item_type = nullptr;
    for (const Array_Result &a : array_results)
        if (!std::strcmp(operation, a.operation))
            array_item_type = a.item_type;
    status = 0;
    answered = has_body = closed = cut_off = false;
    body_start = announced = 0;
    root_seen = root_envelope = root_html = false;
    body_child_seen = false;
    references = 0;
}

/* A call that is over its time reads as one whose answer stopped coming. */
size_t Call_Guard::on_receive(struct soap *soap, char *buffer, size_t size)
{
    Call_Guard *self = guard_of(soap);
    const size_t n = self->receive(soap, buffer, size);
    if (n == 0)
        self->closed = true;
    if (n > 0 && self->too_slow(n))
        self->cut_off = true;
    return self->cut_off ? 0 : n;
}

/* Over the whole-call bound, or (a snapshot) after the grace time slower on
   average than the least rate. */
bool Call_Guard::too_slow(size_t bytes)
{
    received += bytes;
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - started).count();
    if (ms >= call_seconds * 1000LL)
        return true;
    return ms >= rqweb_call_limits.rate_grace_seconds * 1000LL
           && received * 1000 < static_cast<unsigned long long>(ms) * min_rate;
}

int Call_Guard::on_http_header(struct soap *soap)
{
    Call_Guard *self = guard_of(soap);
    const int error = self->http_parse(soap);
    self->answered = true;
    self->status = soap->status;
    if (soap->status == 204 || soap->status == 205)
        soap->body = 0; /* these never carry a body, whatever the headers say */
    self->has_body = soap->body != 0;
    self->announced = soap->length;
    self->body_start = soap->count - (soap->buflen - soap->bufidx);
    if (!error && (soap->status == 400 || soap->status == 500))
        soap->status = 200;
    return error;
}

int Call_Guard::on_element(struct soap *soap, const char *tag)
{
    Call_Guard *self = guard_of(soap);
    int error = SOAP_OK;
    if (soap->level == 0 && !self->root_seen)
        self->see_root(tag);
    else if (soap->part == SOAP_IN_BODY && soap->level == 2 && !self->body_child_seen)
        self->see_body_child(tag);
    else if (soap->part == SOAP_IN_BODY)
        error = self->see_result(tag);
    if (*soap->arraySize)
        self->bound_declared_size();
    if (!error && (*soap->id || *soap->href) && ++self->references > rqweb_call_limits.max_references)
        error = ws_too_many_references; /* stops reading before any resolution */
    return error;
}

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

void Call_Guard::see_root(const char *tag)
{
    root_seen = true;
    root_envelope = !soap_match_tag(soap, tag, "SOAP-ENV:Envelope");
    root_html = equals_ignoring_case(local_name(tag), "html");
}

void Call_Guard::see_body_child(const char *tag)
{
    body_child_seen = true;
    /* The runtime would read whatever comes first as the response; marking
       the element as not ours makes it look for a fault instead. */
    if (soap_match_tag(soap, tag, expected) && soap_match_tag(soap, tag, "SOAP-ENV:Fault"))
        soap->other = 1;
}

/* An element inside the response (level 3 and deeper) or a body-level
   element referenced from it (level 2). */
int Call_Guard::see_result(const char *tag)
{
    (void)tag;
    if (array_item_type) {
        /* the runtime reads an array result without looking at its item type */
        if (soap->level <= 3 && *soap->arrayType && soap_match_array(soap, array_item_type))
            return SOAP_TYPE;
        return SOAP_OK;
    }
    /* A nil result or field of a record counts as missing: skipped, it keeps
       its reset value (0, false, null) instead of failing as an empty number. */
    if (soap->null && (soap->level == 3 || soap->level == 4))
        soap->other = 1;
    return SOAP_OK;
}

/* A declared size is trusted only up to the bound and up to what the rest of
   the message can hold: every item takes at least four bytes ("<i/>"). */
void Call_Guard::bound_declared_size()
{
    const long count = declared_items(soap->arraySize, soap->arrayOffset);
    if (count < 0 || count > rqweb_call_limits.max_declared_items
        || static_cast<unsigned long long>(count) > bytes_left() / 4)
        *soap->arraySize = '\0';
}

/* Bytes of the answer's body still to come: as announced, or up to the
   message bound when no length was announced. */
unsigned long long Call_Guard::bytes_left() const
{
    const unsigned long long read = soap->count - (soap->buflen - soap->bufidx) - body_start;
    const unsigned long long whole = announced ? announced : rqweb_call_limits.max_message_bytes;
    return read < whole ? whole - read : 0;
}

/* The connection closed before the announced body had arrived. */
bool Call_Guard::ended_early() const
{
    return closed && announced > 0 && soap->count - body_start < announced;
}

int Call_Guard::outcome(int code) const
{
    if (code == SOAP_OK)
        return ws_ok;
    if (code == SOAP_TCP_ERROR)
        return ws_no_connection;
    if (cut_off)
        return ws_closed_early; /* read as a receive time-out: the answer stopped coming */
    if (answered && soap->count > rqweb_call_limits.max_message_bytes)
        return ws_too_large;
    if (root_seen && !root_envelope)
        return root_html ? ws_html_page : ws_version_mismatch;
    if (soap->fault && is_fault_code(code))
        return fault_outcome(*soap_faultcode(soap));
    if (code == SOAP_EOF)
        return ws_closed_early;
    if (answered && (code == status || (code >= 100 && code <= 599)))
        return http_outcome(code);
    switch (code) {
    case SOAP_VERSIONMISMATCH: return ws_version_mismatch;
    case SOAP_EMPTY: return SOAP_TYPE; /* an empty number or boolean is no number or boolean */
    case SOAP_DUPLICATE_ID:
    case SOAP_MISSING_ID:
    case SOAP_DIME_MISMATCH: return ws_renumbered + code;
    default: return code;
    }
}

/* The runtime reports an HTTP status, or a status-like code of its own. */
int Call_Guard::http_outcome(int code) const
{
    if (status < 100 || status > 599)
        return SOAP_HTTP_ERROR;
    if (!has_body)
        return status == 200 ? ws_empty_answer : status;
    if (status != 400 && status != 500 && (status < 200 || status > 299))
        return code == status ? status : SOAP_HTTP_ERROR;
    if (ended_early())
        return ws_closed_early;
    if (!root_seen)
        return SOAP_NO_TAG; /* a body without any element */
    return ws_no_response;  /* an envelope without the response or a fault */
}
