/*
 * call_guard.cpp: limits, answer watching and result codes of rqweb calls.
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

#include "http_framing.h"
#include "web_service.h"

#include <cctype>
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

namespace {

const int array_mode = SOAP_XML_STRICT | SOAP_XML_IGNORENS;

/* A type the runtime decodes whose xsi:type the guard checks: records by
   their name, arrays as SOAP-ENC:Array with their item type. */
struct Decoded_Type
{
    int type;
    const char *name;
    const char *item_type; /* arrays only */
};

const Decoded_Type decoded_types[] = {
    {SOAP_TYPE_ChannelInfo_T, "ChannelInfo-T", nullptr},
    {SOAP_TYPE_ServerInfo_T, "ServerInfo-T", nullptr},
    {SOAP_TYPE_VideoPara_T, "VideoPara-T", nullptr},
    {SOAP_TYPE_VideoQuantify_T, "VideoQuantify-T", nullptr},
    {SOAP_TYPE_IBPMode_T, "IBPMode-T", nullptr},
    {SOAP_TYPE_OsdLogo_T, "OsdLogo-T", nullptr},
    {SOAP_TYPE_PtzInfo_T, "PtzInfo-T", nullptr},
    {SOAP_TYPE_VodInfo_T, "VodInfo-T", nullptr},
    {SOAP_TYPE_Byte_Array, "SOAP-ENC:Array", "xsd:unsignedByte"},
    {SOAP_TYPE_String_Array, "SOAP-ENC:Array", "xsd:string"},
};

/* Operations whose result is "out", and its type. */
struct Out_Result
{
    const char *operation;
    int type;
};

const Out_Result out_results[] = {
    {"get-channelinfo", SOAP_TYPE_ChannelInfo_T}, {"get-serverinfo", SOAP_TYPE_ServerInfo_T},
    {"get-videopara", SOAP_TYPE_VideoPara_T},     {"get-videoquantify", SOAP_TYPE_VideoQuantify_T},
    {"get-ibpmode", SOAP_TYPE_IBPMode_T},         {"get-osdlogo", SOAP_TYPE_OsdLogo_T},
    {"get-ptzinfo", SOAP_TYPE_PtzInfo_T},         {"snapshot", SOAP_TYPE_Byte_Array},
    {"get-vodflist", SOAP_TYPE_String_Array},     {"get-vcardsn", SOAP_TYPE_String_Array},
    {"get-vodinfo", SOAP_TYPE_VodInfo_T},
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

const Decoded_Type *decoded_type(int type)
{
    for (const Decoded_Type &t : decoded_types)
        if (t.type == type)
            return &t;
    return nullptr;
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

/* Whether the element's xsi:type (when it has one) names the type: a record
   by its name in any namespace, an array as SOAP-ENC:Array. */
bool has_type(struct soap *soap, const Decoded_Type &type)
{
    if (!*soap->type)
        return true;
    if (type.item_type)
        return !soap_match_tag(soap, soap->type, type.name);
    return !std::strcmp(local_name(soap->type), type.name);
}

/* Whether the runtime finds a number where it reads an array's size: after
   the last '[', ',' or ' ', past white space and a sign ("[]" has none). */
bool has_size_number(const char *size)
{
    const char *p = size + std::strlen(size);
    while (p > size && p[-1] != '[' && p[-1] != ',' && p[-1] != ' ')
        --p;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (*p == '+' || *p == '-')
        ++p;
    return std::isdigit(static_cast<unsigned char>(*p)) != 0;
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
    : soap(soap_), socket_receive(soap_->frecv), http_parse(soap_->fparse), http_parse_field(soap_->fparsehdr),
      started(), expected(), result_type(0), array_result(false), status(0),
      answered(false), badly_framed(false), too_large(false), has_body(false), length_given(false),
      framed_by_length(false), announced(0), body_start(0), body_seen(0), closed(false), cut_off(false),
      root_seen(false), root_envelope(false), root_html(false), body_child_seen(false), verdict(0),
      after_space(false), references(0), received(0), allocated(0), array()
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
    std::strcpy(expected, "rqweb:");
    std::strncat(expected, operation, sizeof expected - sizeof "rqweb:Response");
    std::strcat(expected, "Response");
    started = std::chrono::steady_clock::now();
    soap->recv_timeout = rqweb_call_limits.io_seconds;
    result_type = 0;
    for (const Out_Result &r : out_results)
        if (!std::strcmp(operation, r.operation))
            result_type = r.type;
    const Decoded_Type *result = decoded_type(result_type);
    array_result = result && result->item_type;
    status = 0;
    answered = badly_framed = too_large = has_body = length_given = framed_by_length = false;
    announced = body_start = body_seen = 0;
    closed = cut_off = false;
    root_seen = root_envelope = root_html = false;
    body_child_seen = false;
    verdict = 0;
    references = 0;
    received = allocated = 0;
    array = Array_Scope();
    limit_runtime_allocations(soap, this);
}

/* ---- budget and time ---------------------------------------------------- */

/* A refused allocation also ends the answer: the runtime's ways on after
   one are little trodden. */
bool Call_Guard::allow(size_t bytes)
{
    if (bytes <= allocation_left()) {
        allocated += bytes;
        return true;
    }
    stop_reading(SOAP_EOM);
    return false;
}

/* What the runtime may still allocate during this call. */
unsigned long long Call_Guard::allocation_left() const
{
    const Call_Limits &limits = rqweb_call_limits;
    unsigned long long budget = limits.allocation_base + limits.allocation_per_byte * received;
    if (budget > limits.max_allocation)
        budget = limits.max_allocation;
    return allocated < budget ? budget - allocated : 0;
}

size_t Call_Guard::on_receive(struct soap *soap, char *buffer, size_t size)
{
    return guard_of(soap)->receive(buffer, size);
}

/* A call that is over its time reads as one whose answer stopped coming; a
   body framed by its length ends where the length says. */
size_t Call_Guard::receive(char *buffer, size_t size)
{
    if (verdict)
        return 0;
    if (framed_by_length) {
        if (body_seen >= announced)
            return 0;
        if (size > announced - body_seen)
            size = static_cast<size_t>(announced - body_seen);
    }
    if (!bound_next_receive()) {
        cut_off = true;
        return 0;
    }
    const size_t n = socket_receive(soap, buffer, size);
    received += n;
    if (n == 0)
        closed = true;
    if (cut_off)
        return 0;
    if (answered)
        body_seen += n;
    return n;
}

/* What is left of the call's time: the grace time, and a share of a second
   for every byte received at the least rate. */
long long Call_Guard::ms_left() const
{
    const Call_Limits &limits = rqweb_call_limits;
    const long long earned_ms = static_cast<long long>(received * 1000 / limits.min_bytes_per_second);
    const long long spent_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
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

/* ---- HTTP framing ------------------------------------------------------- */

int Call_Guard::on_header_field(struct soap *soap, const char *key, const char *value)
{
    Call_Guard *self = guard_of(soap);
    if (!soap_tag_cmp(key, "Content-Length")) { /* as the runtime recognises the field */
        unsigned long long length = 0;
        if (!read_content_length(value, length) || (self->length_given && length != self->announced))
            self->badly_framed = true;
        self->announced = length;
        self->length_given = true;
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
    answered = true;
    int line_status = 0;
    if (!read_status_line(soap->msgbuf, line_status))
        badly_framed = true;
    status = badly_framed ? soap->status : line_status;
    if (soap->status == 204 || soap->status == 205)
        soap->body = 0; /* these never carry a body, whatever the headers say */
    has_body = soap->body != 0;
    too_large = announced > rqweb_call_limits.max_message_bytes;
    frame_body();
    if (badly_framed || too_large) {
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
    body_start = soap->count - buffered;
    body_seen = buffered;
    framed_by_length = has_body && length_given && (soap->imode & SOAP_IO) != SOAP_IO_CHUNK;
    if (framed_by_length && buffered > announced) {
        soap->buflen = soap->bufidx + static_cast<size_t>(announced);
        body_seen = announced;
    }
}

int Call_Guard::on_answer_end(struct soap *soap)
{
    return guard_of(soap)->drain_body();
}

/* The answer has been read: the rest of its announced body must follow. */
int Call_Guard::drain_body()
{
    while (framed_by_length && body_seen < announced && receive(soap->buf, sizeof soap->buf) > 0)
        continue;
    return framed_by_length && body_seen < announced ? SOAP_EOF : SOAP_OK;
}

/* ---- elements ----------------------------------------------------------- */

int Call_Guard::on_element(struct soap *soap, const char *tag)
{
    Call_Guard *self = guard_of(soap);
    const int code = self->check_element(tag);
    return code ? self->refuse(code) : SOAP_OK;
}

/* The code an element ends the answer with, 0 when it may be read. */
int Call_Guard::check_element(const char *tag)
{
    if (!answered)
        return SOAP_HTTP_ERROR; /* an answer without a status line is no answer */
    const Declared_Size declared = trusted_declared_size();
    int code = SOAP_OK;
    if (soap->level == 0 && !root_seen)
        see_root(tag);
    else if (soap->part == SOAP_IN_BODY && soap->level == 2 && !body_child_seen)
        see_body_child(tag);
    else if (soap->part == SOAP_IN_BODY && soap->level == 2)
        code = see_independent(declared);
    else if (soap->part == SOAP_IN_BODY)
        code = see_result(tag, declared);
    if (!code && (*soap->id || *soap->href) && ++references > rqweb_call_limits.max_references)
        code = ws_too_many_references; /* stops reading before any resolution */
    if (!code && soap->part == SOAP_IN_BODY && soap->level >= 3 && *soap->id && !soap_lookup(soap, soap->id))
        *soap->id = '\0'; /* no reference read so far names it: the runtime would build an element it
                              skips only for the sake of a reference further on */
    return code;
}

/* Ends the answer here with code.  The runtime does not always pass on an
   error of the element hook (the loop over an array's items ignores it), so
   the guard keeps the code and gives the runtime nothing more to read. */
int Call_Guard::refuse(int code)
{
    stop_reading(code);
    return SOAP_USER_ERROR;
}

/* Keeps the first code that ended the answer; once the answer is being
   received, what is buffered is dropped and nothing more is read.  (While
   the request is written the buffer is the request's.) */
void Call_Guard::stop_reading(int code)
{
    if (!verdict)
        verdict = code;
    if (received > 0)
        soap->bufidx = soap->buflen;
}

int Call_Guard::on_element_end(struct soap *soap, const char *tag1, const char *tag2)
{
    (void)tag1;
    (void)tag2;
    Call_Guard *self = guard_of(soap);
    if (self->array.open && soap->level == self->array.level + 1) {
        soap->mode = (soap->mode & ~array_mode) | self->array.saved_mode;
        self->array.open = false;
    }
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

/* A body element after the response is part of the answer only when a
   reference read before it names its id; the runtime would build anything
   else it can put a type to. */
int Call_Guard::see_independent(const Declared_Size &declared)
{
    const struct soap_ilist *entry = *soap->id ? soap_lookup(soap, soap->id) : nullptr;
    if (!entry)
        return ws_no_response;
    return check_decoded_type(entry->type, declared);
}

/* An element inside the response (level 3 and deeper). */
int Call_Guard::see_result(const char *tag, const Declared_Size &declared)
{
    if (array.open && soap->level == array.level + 1)
        see_array_item();
    if (soap->level == 3 && result_type && !*soap->href && !soap_match_tag(soap, tag, "out"))
        return check_decoded_type(result_type, declared);
    /* A nil result or field of a record counts as missing: skipped, it keeps
       its reset value (0, false, null) instead of failing as an empty number. */
    if (soap->null && (soap->level == 3 || soap->level == 4) && !array_result)
        soap->other = 1;
    return SOAP_OK;
}

/* The element is about to be decoded as type: its xsi:type must name that
   type, an array's items must be of its item type (the runtime reads an
   array without looking at either), and an array's content is watched. */
int Call_Guard::check_decoded_type(int type, const Declared_Size &declared)
{
    const Decoded_Type *decoded = decoded_type(type);
    if (!decoded)
        return SOAP_OK; /* texts and numbers check their own xsi:type */
    if (!has_type(soap, *decoded))
        return SOAP_TYPE;
    if (!decoded->item_type)
        return SOAP_OK;
    if (*soap->arrayType && soap_match_array(soap, decoded->item_type))
        return SOAP_TYPE;
    open_array(declared);
    return SOAP_OK;
}

/* The runtime reads the array's items up to its declared size and skips
   whatever else the element holds; in strict mode it fails on it instead.
   Namespaces are ignored meanwhile, so that an unqualified "out" under a
   default namespace still reads as it does outside strict mode. */
void Call_Guard::open_array(const Declared_Size &declared)
{
    if (!soap->body || *soap->href || array.open)
        return;
    array.open = true;
    array.level = soap->level;
    array.declared = declared.items;
    array.offset = declared.offset;
    array.next = 0;
    array.saved_mode = soap->mode & array_mode;
    soap->mode |= array_mode;
}

/* The index the runtime gives an item: its position less the offset, or
   the one after the previous item. */
void Call_Guard::see_array_item()
{
    if (array.declared >= 0 && soap->position)
        array.next = soap->positions[0] - array.offset;
    ++array.next;
}

/* The size the runtime will allocate for the array, read with the
   runtime's own functions (the last number after "[" less the offset after
   its "["), is trusted up to the bound, as far as the rest of the message
   can hold items (four bytes each at the least: "<i/>") and as far as the
   call's allocation budget holds them now.  Beyond that the size is taken
   away and the runtime reads the items one by one, its memory growing
   with what arrives. */
Call_Guard::Declared_Size Call_Guard::trusted_declared_size()
{
    if (!*soap->arraySize)
        return Declared_Size{-1, 0};
    if (!has_size_number(soap->arraySize)) {
        *soap->arraySize = '\0'; /* "[]": the runtime would read a size of 0 and skip every item */
        return Declared_Size{-1, 0};
    }
    int size = 0;
    (void)soap_getsizes(soap->arraySize, &size, 1); /* its result only says whether the runtime's own
                                                       bound holds; the generated code reads size */
    const int offset = soap_getoffsets(soap->arrayOffset, &size, nullptr, 1);
    const long long items = static_cast<long long>(size) - offset;
    const unsigned long long item_bytes = soap_match_array(soap, "xsd:unsignedByte") ? sizeof(char *) : 1;
    if (items < 0 || items > rqweb_call_limits.max_declared_items
        || static_cast<unsigned long long>(items) > bytes_left() / 4
        || static_cast<unsigned long long>(items) * item_bytes > allocation_left()) {
        *soap->arraySize = '\0';
        return Declared_Size{-1, offset};
    }
    return Declared_Size{static_cast<long>(items), offset};
}

/* Body bytes the runtime has parsed so far. */
unsigned long long Call_Guard::body_consumed() const
{
    const unsigned long long buffered = soap->buflen - soap->bufidx;
    return body_seen > buffered ? body_seen - buffered : 0;
}

/* Bytes of the answer's body still to come: as announced, or up to the
   message bound when no length was announced. */
unsigned long long Call_Guard::bytes_left() const
{
    const unsigned long long whole = framed_by_length ? announced : rqweb_call_limits.max_message_bytes;
    const unsigned long long used = body_consumed();
    return used < whole ? whole - used : 0;
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

/* ---- codes -------------------------------------------------------------- */

/* The connection closed before the announced body had arrived. */
bool Call_Guard::ended_early() const
{
    return closed && framed_by_length && body_seen < announced;
}

int Call_Guard::outcome(int code)
{
    limit_runtime_allocations(soap, nullptr);
    if (verdict)
        return verdict; /* also when the runtime skipped what it could not allocate and went on */
    if (code == SOAP_OK)
        return ws_ok;
    if (code == SOAP_TCP_ERROR)
        return ws_no_connection;
    if (cut_off)
        return ws_closed_early; /* read as a receive time-out: the answer stopped coming */
    if (too_large || (answered && soap->count > rqweb_call_limits.max_message_bytes))
        return ws_too_large;
    if (badly_framed || (received > 0 && !answered))
        return SOAP_HTTP_ERROR;
    if (root_seen && !root_envelope)
        return root_html ? ws_html_page : ws_version_mismatch;
    if (soap->fault && is_fault_code(code))
        return fault_outcome(*soap_faultcode(soap));
    code = array_outcome(code);
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

/* What strict mode found inside an array: content after its last declared
   item is an item beyond the array; anything else is not an item at all. */
int Call_Guard::array_outcome(int code) const
{
    if (!array.open || (code != SOAP_END_TAG && code != SOAP_NULL))
        return code;
    const bool at_array_end = soap->level == array.level + 1;
    const bool full = array.declared >= 0 && array.next >= array.declared;
    return code == SOAP_END_TAG && at_array_end && full ? SOAP_IOB : SOAP_TYPE;
}

/* The runtime reports an HTTP status, or a status-like code of its own. */
int Call_Guard::http_outcome(int code) const
{
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
