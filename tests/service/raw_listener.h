/*
 * raw_listener.h: a plain listening socket on ADDRESS:8000 that takes one
 * request as bytes (HTTP header and the Content-Length bytes of its body),
 * answers it with a fixed reply, and closes.  It lets a test see exactly
 * what the client sent, without any SOAP code on the receiving side.
 */
#ifndef KELM_TESTS_RAW_LISTENER_H
#define KELM_TESTS_RAW_LISTENER_H

#include <string>

class Raw_Listener
{
public:
    Raw_Listener(const std::string &address, const std::string &reply);
    ~Raw_Listener();
    Raw_Listener(const Raw_Listener &) = delete;
    Raw_Listener &operator=(const Raw_Listener &) = delete;

    bool listening() const;
    /* Waits (at most 10 s) for the request and returns it. */
    std::string request();

private:
    static unsigned long __stdcall run(void *self);
    void serve();

    std::string reply;
    std::string received;
    unsigned long long listener; /* SOCKET */
    void *thread;                /* HANDLE */
};

#endif
