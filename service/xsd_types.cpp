/*
 * xsd_types.cpp: the two scalar types of the rqweb service that the runtime
 * does not write the way the servers expect, as custom gSOAP serializers.
 *
 *   xsd__string    8-bit text in the local code page.  Each byte is written
 *                  on its own: "&amp;", "&lt;", "&gt;" for the markup
 *                  characters, "&#xA;" and "&#xD;" for line breaks, a decimal
 *                  character reference for the other control bytes (tab
 *                  excepted) and for every byte from 128 up, everything else
 *                  as it is.  Reading stores the low 8 bits of each character,
 *                  so text from a peer that writes the same way arrives
 *                  unchanged.  A null pointer writes no element at all.
 *   xsd__dateTime  32-bit seconds since 1970 UTC, written as local time
 *                  followed by the local offset from UTC.
 */

#include "rqwebH.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

/* Reference for the bytes that cannot travel as they are, or null. */
const char *escape_of(unsigned char c, char *buffer, size_t size)
{
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '\n': return "&#xA;";
    case '\r': return "&#xD;";
    case '\t': return nullptr;
    default: break;
    }
    if (c < 32 || c >= 128) {
        std::snprintf(buffer, size, "&#%u;", static_cast<unsigned>(c));
        return buffer;
    }
    return nullptr;
}

/* Writes the bytes of text as element content, runs of plain bytes at once. */
int put_text(struct soap *soap, const char *text)
{
    const char *run = text;
    const char *p = text;
    char buffer[8];
    for (; *p; ++p) {
        const char *escape = escape_of(static_cast<unsigned char>(*p), buffer, sizeof buffer);
        if (!escape)
            continue;
        if (soap_send_raw(soap, run, static_cast<size_t>(p - run))
            || soap_send_raw(soap, escape, std::strlen(escape)))
            return soap->error;
        run = p + 1;
    }
    return soap_send_raw(soap, run, static_cast<size_t>(p - run));
}

/* An xsi:type on a text element must name a string type. */
bool is_text_type(struct soap *soap, const char *type)
{
    static const char *const accepted[] = {
        "xsd:string", "xsd:normalizedString", "xsd:token",
        "xsd:anyType", "xsd:anySimpleType", "SOAP-ENC:string",
    };
    for (const char *name : accepted)
        if (!soap_match_tag(soap, type, name))
            return true;
    return false;
}

/* Calendar date of a day count since 1970-01-01 (proleptic Gregorian). */
void civil_from_days(long days, int *year, int *month, int *day)
{
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long doe = days - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *year = static_cast<int>(yoe + era * 400 + (*month <= 2 ? 1 : 0));
}

/* Offset of local time from UTC at the given instant, in minutes; 0 when the
   runtime library cannot convert the instant. */
long local_offset_minutes(std::time_t when)
{
    const std::tm *local_p = std::localtime(&when);
    if (!local_p)
        return 0;
    const std::tm local = *local_p;
    const std::tm *utc_p = std::gmtime(&when);
    if (!utc_p)
        return 0;
    const std::tm utc = *utc_p;
    long days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year)
        days = local.tm_year > utc.tm_year ? 1 : -1;
    return days * 1440 + (local.tm_hour - utc.tm_hour) * 60L + (local.tm_min - utc.tm_min);
}

} // namespace

/* ---- xsd__string ---------------------------------------------------------- */

SOAP_FMAC1 void SOAP_FMAC2 soap_default_xsd__string(struct soap *soap, char **a)
{
    (void)soap;
    *a = nullptr;
}

SOAP_FMAC1 void SOAP_FMAC2 soap_serialize_xsd__string(struct soap *soap, char *const *a)
{
    /* Marks the text so that one reached twice is written once and referenced. */
    (void)soap_reference(soap, *a, SOAP_TYPE_xsd__string);
}

SOAP_FMAC3S const char *SOAP_FMAC4S soap_xsd__string2s(struct soap *soap, char *a)
{
    (void)soap;
    return a;
}

SOAP_FMAC3S int SOAP_FMAC4S soap_s2xsd__string(struct soap *soap, const char *s, char **a)
{
    *a = soap_strdup(soap, s);
    return s && !*a ? soap->error = SOAP_EOM : SOAP_OK;
}

SOAP_FMAC1 int SOAP_FMAC2 soap_out_xsd__string(struct soap *soap, const char *tag, int id,
                                               char *const *a, const char *type)
{
    if (!*a)
        return SOAP_OK;
    id = soap_element_id(soap, tag, id, *a, nullptr, 0, type, SOAP_TYPE_xsd__string, nullptr);
    if (id < 0)
        return soap->error;
    if (soap_element_begin_out(soap, tag, id, type)
        || put_text(soap, *a)
        || soap_element_end_out(soap, tag))
        return soap->error;
    return SOAP_OK;
}

SOAP_FMAC1 char **SOAP_FMAC2 soap_in_xsd__string(struct soap *soap, const char *tag, char **a,
                                                 const char *type)
{
    (void)type;
    if (!soap_peek_element(soap) && !soap_match_tag(soap, soap->tag, tag)
        && *soap->type && !is_text_type(soap, soap->type)) {
        soap->error = SOAP_TYPE;
        return nullptr;
    }
    return soap_instring(soap, tag, a, nullptr, SOAP_TYPE_xsd__string, 1, 0, -1, nullptr);
}

/* ---- xsd__dateTime -------------------------------------------------------- */

SOAP_FMAC1 void SOAP_FMAC2 soap_default_xsd__dateTime(struct soap *soap, int *a)
{
    (void)soap;
    *a = 0;
}

SOAP_FMAC3S const char *SOAP_FMAC4S soap_xsd__dateTime2s(struct soap *soap, int a)
{
    const long offset = local_offset_minutes(static_cast<std::time_t>(a));
    const long long local = static_cast<long long>(a) + offset * 60;
    long days = static_cast<long>(local / 86400);
    long seconds = static_cast<long>(local % 86400);
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    int year, month, day;
    civil_from_days(days, &year, &month, &day);
    const long magnitude = offset < 0 ? -offset : offset;
    std::snprintf(soap->tmpbuf, sizeof soap->tmpbuf, "%04d-%02d-%02dT%02ld:%02ld:%02ld%c%02ld:%02ld",
                  year, month, day, seconds / 3600, seconds / 60 % 60, seconds % 60,
                  offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return soap->tmpbuf;
}

SOAP_FMAC3S int SOAP_FMAC4S soap_s2xsd__dateTime(struct soap *soap, const char *s, int *a)
{
    time_t t = 0;
    if (soap_s2dateTime(soap, s, &t))
        return soap->error;
    const long long value = static_cast<long long>(t);
    if (value < -2147483647LL - 1 || value > 2147483647LL)
        return soap->error = SOAP_TYPE;
    *a = static_cast<int>(value);
    return SOAP_OK;
}

SOAP_FMAC1 int SOAP_FMAC2 soap_out_xsd__dateTime(struct soap *soap, const char *tag, int id,
                                                 const int *a, const char *type)
{
    if (soap_element_begin_out(soap, tag, soap_embedded_id(soap, id, a, SOAP_TYPE_xsd__dateTime), type)
        || soap_string_out(soap, soap_xsd__dateTime2s(soap, *a), 0)
        || soap_element_end_out(soap, tag))
        return soap->error;
    return SOAP_OK;
}

SOAP_FMAC1 int *SOAP_FMAC2 soap_in_xsd__dateTime(struct soap *soap, const char *tag, int *a,
                                                 const char *type)
{
    if (soap_element_begin_in(soap, tag, 0, type))
        return nullptr;
    a = static_cast<int *>(soap_id_enter(soap, soap->id, a, SOAP_TYPE_xsd__dateTime, sizeof(int),
                                         nullptr, nullptr, nullptr, nullptr));
    if (!a)
        return nullptr;
    if (*soap->href) {
        a = static_cast<int *>(soap_id_forward(soap, soap->href, a, 0, SOAP_TYPE_xsd__dateTime,
                                               SOAP_TYPE_xsd__dateTime, sizeof(int), 0, nullptr, nullptr));
    } else if (soap_s2xsd__dateTime(soap, soap_value(soap), a)) {
        return nullptr;
    }
    if (soap->body && soap_element_end_in(soap, tag))
        return nullptr;
    return a;
}
