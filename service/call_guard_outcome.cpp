/*
 * call_guard_outcome.cpp: the call's allocation budget, and the code a
 * call ends with.
 *
 * Every allocation the runtime makes for the context during a call is
 * charged to the call: it may allocate a base plus twice the bytes it has
 * received, at most 32 MiB.  One allocation more and the call fails as out
 * of memory, whatever the answer declares.
 */

#include "call_guard.h"

#include "call_guard_parts.h"

#include <cstring>

namespace {

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

/* A refused allocation also ends the answer: the runtime's ways on after
   one are little trodden. */
bool Call_Guard::allow(size_t bytes)
{
    if (bytes <= allocation_left()) {
        call.allocated += bytes;
        return true;
    }
    stop_reading(SOAP_EOM);
    return false;
}

/* What the runtime may still allocate during this call. */
unsigned long long Call_Guard::allocation_left() const
{
    const Call_Limits &limits = rqweb_call_limits;
    unsigned long long budget = limits.allocation_base + limits.allocation_per_byte * call.received;
    if (budget > limits.max_allocation)
        budget = limits.max_allocation;
    return call.allocated < budget ? budget - call.allocated : 0;
}

/* The connection closed before the announced body had arrived. */
bool Call_Guard::ended_early() const
{
    return call.closed && call.framed_by_length && call.body_seen < call.announced;
}

int Call_Guard::outcome(int code)
{
    limit_runtime_allocations(soap, nullptr);
    if (call.verdict)
        return call.verdict; /* also when the runtime skipped what it could not allocate and went on */
    if (code == SOAP_OK)
        return ws_ok;
    if (code == SOAP_TCP_ERROR)
        return ws_no_connection;
    if (call.cut_off)
        return ws_closed_early; /* read as a receive time-out: the answer stopped coming */
    if (call.too_large || (call.answered && soap->count > rqweb_call_limits.max_message_bytes))
        return ws_too_large;
    if (call.badly_framed || (call.received > 0 && !call.answered))
        return SOAP_HTTP_ERROR;
    if (call.root_seen && !call.root_envelope)
        return call.root_html ? ws_html_page : ws_version_mismatch;
    if (soap->fault && is_fault_code(code))
        return fault_outcome(*soap_faultcode(soap));
    code = array_outcome(code);
    if (code == SOAP_EOF)
        return ws_closed_early;
    if (call.answered && (code == call.status || (code >= 100 && code <= 599)))
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
    if (!call.array.open || (code != SOAP_END_TAG && code != SOAP_NULL))
        return code;
    const bool at_array_end = soap->level == call.array.level + 1;
    const bool full = call.array.declared >= 0 && call.array.next >= call.array.declared;
    return code == SOAP_END_TAG && at_array_end && full ? SOAP_IOB : SOAP_TYPE;
}

/* The runtime reports an HTTP status, or a status-like code of its own. */
int Call_Guard::http_outcome(int code) const
{
    if (!call.has_body)
        return call.status == 200 ? ws_empty_answer : call.status;
    if (call.status != 400 && call.status != 500 && (call.status < 200 || call.status > 299))
        return code == call.status ? call.status : SOAP_HTTP_ERROR;
    if (ended_early())
        return ws_closed_early;
    if (!call.root_seen)
        return SOAP_NO_TAG; /* a body without any element */
    return ws_no_response;  /* an envelope without the response or a fault */
}
