#include "text_file.h"

#include <cstdio>
#include <windows.h>

std::string read_file_bytes(const char* path)
{
    std::string bytes;
    FILE* file = fopen(path, "rb");
    if (!file)
        return bytes;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    fclose(file);
    return bytes;
}

std::string unique_token(const char* stem)
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    char text[96];
    snprintf(text, sizeof text, "%s-%lu-%llx", stem, GetCurrentProcessId(),
             static_cast<unsigned long long>(counter.QuadPart));
    return text;
}

size_t count_occurrences(const std::string& haystack, const std::string& needle)
{
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size()))
        ++count;
    return count;
}

std::string around(const std::string& text, const std::string& token, size_t margin)
{
    const size_t first = text.find(token);
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.rfind(token) + token.size();
    const size_t begin = first > margin ? first - margin : 0;
    return text.substr(begin, last + margin - begin);
}
