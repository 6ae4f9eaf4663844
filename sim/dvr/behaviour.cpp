/*
 * behaviour.cpp: the table of answer behaviours and the request log.
 */

#include "behaviour.h"

#include <cstdlib>

namespace {

struct Kind_Name
{
    const char *name;
    Answer_Kind kind;
    int arguments; /* words after the name: 0, 1, or -1 for "one or more" */
};

const Kind_Name kind_names[] = {
    {"normal", Answer_Kind::normal, 0},       {"fault", Answer_Kind::fault, -1},
    {"http", Answer_Kind::http, 1},           {"html", Answer_Kind::html, 0},
    {"nil", Answer_Kind::nil, 0},             {"absent", Answer_Kind::absent, 0},
    {"malformed", Answer_Kind::malformed, 0}, {"truncated", Answer_Kind::truncated, 0},
    {"oversize", Answer_Kind::oversize, 1},   {"hang", Answer_Kind::hang, 0},
    {"references", Answer_Kind::references, 1}, {"trickle", Answer_Kind::trickle, 1},
    {"pace", Answer_Kind::pace, 1},
};

bool parse_number(const std::string &word, long &number)
{
    char *end = nullptr;
    number = std::strtol(word.c_str(), &end, 10);
    return !word.empty() && *end == '\0';
}

} // namespace

bool parse_behaviour(const std::vector<std::string> &words, Behaviour &behaviour)
{
    if (words.empty())
        return false;
    for (const Kind_Name &entry : kind_names) {
        if (words[0] != entry.name)
            continue;
        const int given = static_cast<int>(words.size()) - 1;
        if (entry.arguments >= 0 ? given != entry.arguments : given < 1)
            return false;
        behaviour = Behaviour();
        behaviour.kind = entry.kind;
        if (entry.kind == Answer_Kind::fault) {
            for (size_t i = 1; i < words.size(); ++i)
                behaviour.text += (i > 1 ? " " : "") + words[i];
            return true;
        }
        return given == 0 || parse_number(words[1], behaviour.number);
    }
    return false;
}

void Behaviours::set(const std::string &operation, const Behaviour &behaviour)
{
    std::lock_guard<std::mutex> lock(mutex);
    table[operation] = behaviour;
}

Behaviour Behaviours::of(const std::string &operation)
{
    std::lock_guard<std::mutex> lock(mutex);
    auto found = table.find(operation);
    if (found == table.end())
        found = table.find("*");
    return found == table.end() ? Behaviour() : found->second;
}

void Behaviours::reset()
{
    std::lock_guard<std::mutex> lock(mutex);
    table.clear();
}

void Request_Log::add(const std::string &operation, const std::string &bytes)
{
    std::lock_guard<std::mutex> lock(mutex);
    log.push_back(Logged_Request{operation, bytes});
}

std::vector<Logged_Request> Request_Log::entries()
{
    std::lock_guard<std::mutex> lock(mutex);
    return log;
}

void Request_Log::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    log.clear();
}
