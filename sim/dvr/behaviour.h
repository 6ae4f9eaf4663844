/*
 * behaviour.h: how the simulated DVR answers each operation (normally, or in
 * one of its ways of misbehaving), and the log of every request it received.
 */
#ifndef KELM_SIM_BEHAVIOUR_H
#define KELM_SIM_BEHAVIOUR_H

#include <map>
#include <mutex>
#include <string>
#include <vector>

enum class Answer_Kind
{
    normal,    /* the operation's result */
    fault,     /* a SOAP fault with the given faultcode */
    http,      /* an HTTP error status with a short text */
    html,      /* HTTP 200 with an HTML page */
    nil,       /* the result element with xsi:nil="true" */
    absent,    /* the response element without its result */
    malformed, /* an envelope whose tags do not match */
    truncated, /* half an answer, then the connection is closed */
    oversize,  /* an array answer declaring more items than it holds */
    hang,      /* read the request, never answer */
    references, /* the result through as many id/href references as asked */
    trickle,   /* the normal answer, one byte at a time with a pause after each */
    pace,      /* the normal answer at a steady number of bytes per second */
    canned,    /* the given HTTP status and body, as they are */
};

struct Behaviour
{
    Answer_Kind kind = Answer_Kind::normal;
    std::string text; /* faultcode and faultstring, or the canned body */
    long number = 0;  /* HTTP status, declared array size, reference count, pause in ms or bytes per second */
};

/* Parses "KIND [ARGS...]" of the control command "mode"; false when unknown. */
bool parse_behaviour(const std::vector<std::string> &words, Behaviour &behaviour);

class Behaviours
{
public:
    /* Operation is the XML name ("get-ptzinfo"), or "*" for every operation
       without a behaviour of its own. */
    void set(const std::string &operation, const Behaviour &behaviour);
    Behaviour of(const std::string &operation);
    void reset();

private:
    std::mutex mutex;
    std::map<std::string, Behaviour> table;
};

struct Logged_Request
{
    std::string operation; /* empty when the request named no known operation */
    std::string bytes;     /* the request as received: HTTP header and body */
};

class Request_Log
{
public:
    void add(const std::string &operation, const std::string &bytes);
    std::vector<Logged_Request> entries();
    void clear();

private:
    std::mutex mutex;
    std::vector<Logged_Request> log;
};

#endif
