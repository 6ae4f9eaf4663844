/*
 * call_guard.h: the one place where every rqweb call of a context is held to
 * its limits and watched, and where the runtime's result becomes the code
 * callers see.
 *
 * A Call_Guard installs itself on a context: time-outs, size bounds, an
 * allocation budget, and hooks of the runtime: on the bytes received, on
 * the HTTP header of the answer and each of its fields, at the start and at
 * the end of every element read, at the end of a complete answer, and on
 * every piece written.  Before each call it is armed with the operation;
 * afterwards outcome() turns the runtime's code into the proxy's.
 *
 * Its members live in four files: call_guard.cpp (installation, arming,
 * sending), call_guard_framing.cpp (time and HTTP framing: the receive and
 * header hooks, the body's bytes), call_guard_elements.cpp (the element
 * hooks and their checks) and call_guard_outcome.cpp (the allocation budget
 * and the codes).
 */
#ifndef KELM_SERVICE_CALL_GUARD_H
#define KELM_SERVICE_CALL_GUARD_H

#include "runtime_allocation.h"

#include <chrono>
#include <cstddef>

struct soap;

struct Call_Limits
{
    int connect_seconds;   /* TCP connect */
    int io_seconds;        /* each send, and the longest wait for answer bytes */
    /* A call may last this long, and longer only while its answer keeps
       coming: every byte received adds its share of a second at the least
       rate, so an answer arriving that fast is never cut off. */
    int grace_seconds;
    unsigned long min_bytes_per_second;
    unsigned long max_message_bytes;
    unsigned long max_items;   /* items of one array */
    unsigned int max_depth;    /* element nesting */
    long max_declared_items;   /* larger declared array sizes are read item by item */
    unsigned long max_references; /* elements of one answer carrying an id or an href */
    /* What the runtime may allocate during one call: a base and so much per
       byte of the answer received so far, never more than the most. */
    unsigned long allocation_base;
    unsigned long allocation_per_byte;
    unsigned long max_allocation;
};

extern const Call_Limits rqweb_call_limits;

class Call_Guard final : private Allocation_Limit
{
public:
    explicit Call_Guard(struct soap *soap);
    Call_Guard(const Call_Guard &) = delete;
    Call_Guard &operator=(const Call_Guard &) = delete;

    /* Forgets what the previous call saw; operation is the XML name
       ("get-ptzinfo") whose response element the answer must hold. */
    void arm(const char *operation);

    /* The code a caller sees for the runtime's code of this call; ends the
       call's allocation budget. */
    int outcome(int runtime_code);

private:
    /* An array's size as the runtime will read it. */
    struct Declared_Size
    {
        long items;  /* -1: read item by item */
        long offset; /* its SOAP-ENC:offset */
    };

    /* An array being read, from its start tag to its end tag. */
    struct Array_Scope
    {
        bool open = false;
        unsigned int level = 0; /* nesting level at which its start tag was read */
        long declared = 0;      /* items the runtime allocated, -1: read item by item */
        long offset = 0;        /* its SOAP-ENC:offset, as the runtime reads it */
        long next = 0;          /* index the runtime gives the next item */
        int saved_mode = 0;     /* the context's mode bits before the array */
    };

    /* What one call knows: set by arm() from its defaults in one step. */
    struct Call_State
    {
        /* armed per call */
        std::chrono::steady_clock::time_point started{};
        char expected[96] = {};      /* qualified name of the response element */
        int result_type = 0;         /* runtime type of an "out" result, 0 for "r" */
        bool array_result = false;   /* that type is an array */

        /* seen during the call */
        int status = 0;              /* HTTP status of the answer, as received */
        bool answered = false;       /* its status line has been read */
        bool badly_framed = false;   /* status line or Content-Length unreadable */
        bool too_large = false;      /* announced above the message bound */
        bool has_body = false;       /* it announced a body */
        bool length_given = false;   /* it carried a Content-Length */
        bool framed_by_length = false; /* the body ends after `announced` bytes */
        unsigned long long announced = 0;  /* Content-Length, 0 when none */
        unsigned long long body_start = 0; /* bytes received before the body */
        unsigned long long body_seen = 0;  /* body bytes handed to the runtime */
        bool closed = false;         /* the peer closed the connection */
        bool cut_off = false;        /* the guard ended the answer: over its time bound */
        bool root_seen = false;      /* the root element's name has been read */
        bool root_envelope = false;
        bool root_html = false;
        bool body_child_seen = false;
        int verdict = 0;             /* the code the guard ended the answer with, 0: none */
        unsigned long references = 0;    /* elements with an id or href read so far */
        unsigned long long received = 0; /* bytes of the answer received so far */
        unsigned long long allocated = 0; /* bytes the runtime allocated during the call */
        Array_Scope array;
    };

    bool allow(size_t bytes) override;
    unsigned long long allocation_left() const;

    static size_t on_receive(struct soap *soap, char *buffer, size_t size);
    static int on_http_header(struct soap *soap);
    static int on_header_field(struct soap *soap, const char *key, const char *value);
    static int on_element(struct soap *soap, const char *tag);
    int check_element(const char *tag);
    int refuse(int code);
    void stop_reading(int code);
    static int on_element_end(struct soap *soap, const char *tag1, const char *tag2);
    static int on_answer_end(struct soap *soap);
    static int on_send(struct soap *soap, const char **bytes, size_t *size);

    size_t receive(char *buffer, size_t size);
    long long ms_left() const;
    bool bound_next_receive();
    int check_http_header(int parse_error);
    void frame_body();
    int drain_body();
    void see_root(const char *tag);
    void see_body_child(const char *tag);
    int see_independent(const Declared_Size &declared);
    int see_result(const char *tag, const Declared_Size &declared);
    int check_decoded_type(int type, const Declared_Size &declared);
    void open_array(const Declared_Size &declared);
    void see_array_item();
    Declared_Size trusted_declared_size();
    unsigned long long bytes_left() const;
    unsigned long long body_consumed() const;
    bool ended_early() const;
    int array_outcome(int runtime_code) const;
    int http_outcome(int runtime_code) const;

    struct soap *soap;
    size_t (*socket_receive)(struct soap *, char *, size_t);
    int (*http_parse)(struct soap *);
    int (*http_parse_field)(struct soap *, const char *, const char *);

    bool after_space = false;    /* the last piece written was a single space */
    Call_State call;
};

#endif
