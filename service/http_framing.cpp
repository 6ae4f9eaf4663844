/*
 * http_framing.cpp: strict reading of the status line and the
 * Content-Length of an answer.
 */

#include "http_framing.h"

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool read_status_line(const char *line, int &status)
{
    static const char protocol[] = "HTTP/1.";
    for (const char *p = protocol; *p; ++p, ++line)
        if (*line != *p)
            return false;
    if (!is_digit(line[0]) || line[1] != ' ' || !is_digit(line[2]) || !is_digit(line[3]) || !is_digit(line[4]))
        return false;
    if (line[5] != '\0' && line[5] != ' ')
        return false;
    status = (line[2] - '0') * 100 + (line[3] - '0') * 10 + (line[4] - '0');
    return status >= 100 && status <= 599;
}

bool read_content_length(const char *text, unsigned long long &length)
{
    unsigned long long value = 0;
    int digits = 0;
    for (; is_digit(*text); ++text, ++digits) {
        if (digits == 18)
            return false;
        value = value * 10 + static_cast<unsigned>(*text - '0');
    }
    if (digits == 0 || *text)
        return false;
    length = value;
    return true;
}
