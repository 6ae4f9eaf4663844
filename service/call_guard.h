/*
 * call_guard.h: the one place where every rqweb call of a context is held to
 * its limits and watched, and where the runtime's result becomes the code
 * callers see.
 *
 * A Call_Guard installs itself on a context: time-outs, size bounds, and
 * four hooks of the runtime: on the bytes received, on the HTTP header of
 * the answer, at the start of every element read, and on every piece
 * written.  Before each call it is armed with the operation; afterwards
 * outcome() turns the runtime's code into the proxy's.
 */
#ifndef KELM_SERVICE_CALL_GUARD_H
#define KELM_SERVICE_CALL_GUARD_H

#include <chrono>
#include <cstddef>

struct soap;

struct Call_Limits
{
    int connect_seconds;   /* TCP connect */
    int io_seconds;        /* each send and each receive */
    int transfer_seconds;  /* one whole call, every operation but snapshot */
    int snapshot_seconds;  /* one whole snapshot call */
    int rate_grace_seconds; /* after this long into a snapshot call ... */
    unsigned long min_bytes_per_second; /* ... its answer must have come at least this fast */
    unsigned long max_message_bytes;
    unsigned long max_items;   /* items of one array */
    unsigned int max_depth;    /* element nesting */
    int max_declared_items;    /* larger declared array sizes are read item by item */
    unsigned long max_references; /* elements of one answer carrying an id or an href */
};

extern const Call_Limits rqweb_call_limits;

class Call_Guard
{
public:
    explicit Call_Guard(struct soap *soap);
    Call_Guard(const Call_Guard &) = delete;
    Call_Guard &operator=(const Call_Guard &) = delete;

    /* Forgets what the previous call saw; operation is the XML name
       ("get-ptzinfo") whose response element the answer must hold. */
    void arm(const char *operation);

    /* The code a caller sees for the runtime's code of this call. */
    int outcome(int runtime_code) const;

private:
    static size_t on_receive(struct soap *soap, char *buffer, size_t size);
    static int on_http_header(struct soap *soap);
    static int on_element(struct soap *soap, const char *tag);
    static int on_send(struct soap *soap, const char **bytes, size_t *size);
    bool too_slow(size_t received);
    void see_root(const char *tag);
    void see_body_child(const char *tag);
    int see_result(const char *tag);
    void bound_declared_size();
    unsigned long long bytes_left() const;
    bool ended_early() const;
    int http_outcome(int runtime_code) const;

    struct soap *soap;
    size_t (*receive)(struct soap *, char *, size_t);
    int (*http_parse)(struct soap *);

    /* armed per call */
    std::chrono::steady_clock::time_point started;
    int call_seconds;            /* whole-call bound of the operation */
    unsigned long min_rate;      /* least average bytes per second after the grace time, 0: none */
    char expected[96];           /* qualified name of the response element */
    const char *array_item_type; /* item type of an array result, or null */

    /* seen during the call */
    int status;                  /* HTTP status of the answer, as received */
    bool answered;               /* its status line has been read */
    bool has_body;               /* it announced a body */
    unsigned long long body_start; /* bytes received before the body */
    unsigned long long announced;  /* Content-Length, 0 when none */
    bool closed;                 /* the peer closed the connection */
    bool cut_off;                /* the guard ended the answer: over its time bound */
    bool root_seen;              /* the root element's name has been read */
    bool root_envelope;
    bool root_html;
    bool body_child_seen;
    bool after_space;            /* the last piece written was a single space */
    unsigned long references;    /* elements with an id or href read so far */
    unsigned long long received; /* bytes of the answer received so far */
};

#endif
