/*
 * call_guard_elements.cpp: the checks on every element of an answer.
 *
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
 */

#include "call_guard.h"

#include "call_guard_parts.h"

#include <cctype>
#include <cstring>

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

} // namespace

int out_result_type(const char *operation)
{
    for (const Out_Result &r : out_results)
        if (!std::strcmp(operation, r.operation))
            return r.type;
    return 0;
}

bool is_array_type(int type)
{
    const Decoded_Type *decoded = decoded_type(type);
    return decoded && decoded->item_type;
}

int Call_Guard::on_element(struct soap *soap, const char *tag)
{
    Call_Guard *self = guard_of(soap);
    const int code = self->check_element(tag);
    return code ? self->refuse(code) : SOAP_OK;
}

/* The code an element ends the answer with, 0 when it may be read. */
int Call_Guard::check_element(const char *tag)
{
    if (!call.answered)
        return SOAP_HTTP_ERROR; /* an answer without a status line is no answer */
    const Declared_Size declared = trusted_declared_size();
    int code = SOAP_OK;
    if (soap->level == 0 && !call.root_seen)
        see_root(tag);
    else if (soap->part == SOAP_IN_BODY && soap->level == 2 && !call.body_child_seen)
        see_body_child(tag);
    else if (soap->part == SOAP_IN_BODY && soap->level == 2)
        code = see_independent(declared);
    else if (soap->part == SOAP_IN_BODY)
        code = see_result(tag, declared);
    if (!code && (*soap->id || *soap->href) && ++call.references > rqweb_call_limits.max_references)
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
    if (!call.verdict)
        call.verdict = code;
    if (call.received > 0)
        soap->bufidx = soap->buflen;
}

int Call_Guard::on_element_end(struct soap *soap, const char *tag1, const char *tag2)
{
    (void)tag1;
    (void)tag2;
    Call_Guard *self = guard_of(soap);
    if (self->call.array.open && soap->level == self->call.array.level + 1) {
        soap->mode = (soap->mode & ~array_mode) | self->call.array.saved_mode;
        self->call.array.open = false;
    }
    return SOAP_OK;
}

void Call_Guard::see_root(const char *tag)
{
    call.root_seen = true;
    call.root_envelope = !soap_match_tag(soap, tag, "SOAP-ENV:Envelope");
    call.root_html = equals_ignoring_case(local_name(tag), "html");
}

void Call_Guard::see_body_child(const char *tag)
{
    call.body_child_seen = true;
    /* The runtime would read whatever comes first as the response; marking
       the element as not ours makes it look for a fault instead. */
    if (soap_match_tag(soap, tag, call.expected) && soap_match_tag(soap, tag, "SOAP-ENV:Fault"))
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
    if (call.array.open && soap->level == call.array.level + 1)
        see_array_item();
    if (soap->level == 3 && call.result_type && !*soap->href && !soap_match_tag(soap, tag, "out"))
        return check_decoded_type(call.result_type, declared);
    /* A nil result or field of a record counts as missing: skipped, it keeps
       its reset value (0, false, null) instead of failing as an empty number. */
    if (soap->null && (soap->level == 3 || soap->level == 4) && !call.array_result)
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
    if (!soap->body || *soap->href || call.array.open)
        return;
    call.array.open = true;
    call.array.level = soap->level;
    call.array.declared = declared.items;
    call.array.offset = declared.offset;
    call.array.next = 0;
    call.array.saved_mode = soap->mode & array_mode;
    soap->mode |= array_mode;
}

/* The index the runtime gives an item: its position less the offset, or
   the one after the previous item. */
void Call_Guard::see_array_item()
{
    if (call.array.declared >= 0 && soap->position)
        call.array.next = soap->positions[0] - call.array.offset;
    ++call.array.next;
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
