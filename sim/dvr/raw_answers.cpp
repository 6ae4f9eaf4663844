/*
 * raw_answers.cpp: hand-written answers of the simulator.
 */

#include "raw_answers.h"
#include "rqweb_envelope.h"

#include <cstdio>
#include <cstring>

#include <sys/socket.h>
#include <sys/types.h>

namespace {

const char *reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 202: return "Accepted";
    case 204: return "No Content";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

std::string response_element(const std::string &operation, const std::string &content)
{
    return "<rqweb:" + operation + "Response>" + content + "</rqweb:" + operation + "Response>";
}

/* Escapes text the way the service writes it (see service/xsd_types.cpp). */
std::string escaped(const std::string &text)
{
    std::string out;
    char reference[8];
    for (unsigned char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if ((c < 32 && c != '\t') || c >= 128) {
            std::snprintf(reference, sizeof reference, "&#%u;", c);
            out += reference;
        } else out += static_cast<char>(c);
    }
    return out;
}

std::string array_element(const char *item_type, long declared, const std::string &items)
{
    return "<out xsi:type=\"SOAP-ENC:Array\" SOAP-ENC:arrayType=\"" + std::string(item_type) + "["
           + std::to_string(declared) + "]\">" + items + "</out>";
}

/* "<item>N</item>" for each of the 256 bytes. */
const std::vector<std::string> &byte_item_texts()
{
    static const std::vector<std::string> item = [] {
        std::vector<std::string> all;
        for (int value = 0; value < 256; ++value)
            all.push_back("<item>" + std::to_string(value) + "</item>");
        return all;
    }();
    return item;
}

size_t byte_items_length(const std::string &bytes)
{
    size_t length = 0;
    for (unsigned char c : bytes)
        length += byte_item_texts()[c].size();
    return length;
}

/* Appends one item per byte to text. */
void append_byte_items(std::string &text, const std::string &bytes)
{
    const std::vector<std::string> &item = byte_item_texts();
    const size_t at = text.size();
    text.resize(at + byte_items_length(bytes));
    char *out = &text[at];
    for (unsigned char c : bytes) {
        std::memcpy(out, item[c].data(), item[c].size());
        out += item[c].size();
    }
}

std::string byte_items(const std::string &bytes)
{
    std::string items;
    append_byte_items(items, bytes);
    return items;
}

const char html_page[] =
    "<!DOCTYPE html>\n<html><head><title>DVR</title></head>"
    "<body><h1>Web configuration</h1><p>Please log in.</p></body></html>\n";

/* An answer whose result is reached through `count` forward references: for
   an array operation an array of that many items, each an href to a
   body-level element after the response (the case whose resolution cost
   grows with the square of the count); for the others the result as an href
   to the first of that many body-level elements chained by hrefs. */
std::string references_body(const std::string &operation, long count)
{
    const bool array = operation == "snapshot" || operation == "get-vodflist" || operation == "get-vcardsn";
    const bool record = !array && answers_out(operation);
    const char *type = operation == "snapshot" ? "xsd:unsignedByte" : array ? "xsd:string" : "xsd:int";
    /* a record result's chain carries no xsi:type: each link is the record */
    const std::string typed = record ? "" : std::string(" xsi:type=\"") + type + "\"";
    std::string result, independent;
    for (long i = 0; i < count; ++i) {
        const std::string id = "i" + std::to_string(i);
        if (array)
            result += "<item href=\"#" + id + "\"/>";
        const std::string next = !array && i + 1 < count ? " href=\"#i" + std::to_string(i + 1) + "\"" : "";
        independent += "<mr id=\"" + id + "\"" + typed + next + ">" + std::to_string(i % 256) + "</mr>";
    }
    if (array)
        result = array_element(type, count, result);
    else
        result = "<" + std::string(answers_out(operation) ? "out" : "r") + " href=\"#i0\"/>";
    return envelope(response_element(operation, result) + independent);
}

} // namespace

std::string http_answer(int status, const char *content_type, const std::string &body)
{
    return "HTTP/1.1 " + std::to_string(status) + " " + reason(status) + "\r\nServer: dvr-sim\r\nContent-Type: "
           + content_type + "\r\nContent-Length: " + std::to_string(body.size())
           + "\r\nConnection: close\r\n\r\n" + body;
}

std::string envelope(const std::string &body_content)
{
    return rqweb_envelope(body_content) + "\r\n";
}

bool answers_out(const std::string &operation)
{
    return operation.compare(0, 4, "get-") == 0 || operation == "snapshot";
}

std::string generic_answer(const std::string &operation, const Behaviour &behaviour)
{
    const char *xml = "text/xml; charset=utf-8";
    const std::string result = answers_out(operation) ? "out" : "r";
    switch (behaviour.kind) {
    case Answer_Kind::http:
        return http_answer(static_cast<int>(behaviour.number), "text/plain", "dvr-sim: error\n");
    case Answer_Kind::html:
        return http_answer(200, "text/html", html_page);
    case Answer_Kind::nil:
        return http_answer(200, xml, envelope(response_element(operation, "<" + result + " xsi:nil=\"true\"/>")));
    case Answer_Kind::absent:
        return http_answer(200, xml, envelope(response_element(operation, "")));
    case Answer_Kind::malformed: /* an end tag with something after its name */
        return http_answer(200, xml, envelope(response_element(
                                         operation, result == "out" ? "<out><ret>1</ret junk></out>" : "<r>1</r junk>")));
    case Answer_Kind::truncated: {
        const std::string body = envelope(response_element(operation, "<" + result + ">0</" + result + ">"));
        const std::string whole = http_answer(200, xml, body);
        return whole.substr(0, whole.size() - body.size() / 2);
    }
    case Answer_Kind::canned:
        return http_answer(static_cast<int>(behaviour.number), xml, behaviour.text);
    case Answer_Kind::references:
        return http_answer(200, xml, references_body(operation, behaviour.number));
    default:
        return std::string();
    }
}

std::string byte_array_answer(const std::string &operation, const std::string &bytes, long declared)
{
    return http_answer(200, "text/xml; charset=utf-8",
                       envelope(response_element(operation, array_element("xsd:unsignedByte", declared,
                                                                          byte_items(bytes)))));
}

/* Built in place: a mebibyte's answer is 16 MB, and every copy of it costs. */
std::string snapshot_answer(const std::string &picture)
{
    const std::string marker = "\x01";
    const std::string frame = envelope(response_element(
        "snapshot", "<out SOAP-ENC:arrayType=\"xsd:unsignedByte[" + std::to_string(picture.size()) + "]\">" + marker
                        + "</out>"));
    const size_t split = frame.find(marker);
    const size_t body_size = frame.size() - marker.size() + byte_items_length(picture);
    std::string answer = "HTTP/1.1 200 OK\r\nServer: gSOAP/2.8\r\nX-Frame-Options: SAMEORIGIN\r\nContent-Type: "
                         "text/xml; charset=utf-8\r\nContent-Length: "
                         + std::to_string(body_size) + "\r\nConnection: close\r\n\r\n";
    answer.append(frame, 0, split);
    append_byte_items(answer, picture);
    answer.append(frame, split + marker.size(), std::string::npos);
    return answer;
}

std::string text_array_answer(const std::string &operation, const std::vector<std::string> &texts, long declared)
{
    std::string items;
    for (const std::string &text : texts)
        items += "<item>" + escaped(text) + "</item>";
    return http_answer(200, "text/xml; charset=utf-8",
                       envelope(response_element(operation, array_element("xsd:string", declared, items))));
}

bool send_all(int fd, const std::string &bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}
