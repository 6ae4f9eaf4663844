/*
 * name_resolver.cpp: names are resolved on a detached thread; the caller
 * waits for it at most its bound and then leaves it to finish alone.  The
 * question is shared by the two and freed by whichever lets go last.
 */

#include "name_resolver.h"

#include <ws2tcpip.h>

#include <cstring>
#include <new>

#include "detached_thread.h"

namespace {

const size_t longest_name = 253;
const size_t longest_label = 63;

bool could_be_name(const char *host)
{
    const size_t length = strnlen(host, longest_name + 1);
    if (length == 0 || length > longest_name)
        return false;
    size_t label = 0;
    for (const char *p = host; *p; ++p) {
        label = *p == '.' ? 0 : label + 1;
        if (label > longest_label)
            return false;
    }
    return true;
}

struct Question {
    char host[longest_name + 1];
    HANDLE answered = nullptr;
    in_addr address = {};
    bool found = false;
    LONG holders = 2; /* the caller and the resolving thread */
};

void let_go(Question *question)
{
    if (InterlockedDecrement(&question->holders) > 0)
        return;
    (void)CloseHandle(question->answered); /* nobody waits on it any more */
    delete question;
}

void resolve_now(void *argument)
{
    Question *question = static_cast<Question *>(argument);
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(question->host, nullptr, &hints, &found) == 0 && found) {
        question->address = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr;
        question->found = true;
    }
    if (found)
        freeaddrinfo(found);
    (void)SetEvent(question->answered); /* a valid event, held until both let go */
    let_go(question);
}

} // namespace

bool resolve_within(const char *host, in_addr &address, DWORD wait_ms)
{
    if (inet_pton(AF_INET, host, &address) == 1)
        return true;
    if (!could_be_name(host)) {
        WSASetLastError(WSAHOST_NOT_FOUND);
        return false;
    }
    Question *question = new (std::nothrow) Question;
    if (question) {
        strcpy(question->host, host); /* fits: could_be_name measured it */
        question->answered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    if (!question || !question->answered || !start_detached_thread(resolve_now, question)) {
        if (question && question->answered)
            (void)CloseHandle(question->answered); /* never shared */
        delete question;
        WSASetLastError(WSA_NOT_ENOUGH_MEMORY);
        return false;
    }
    const bool in_time = WaitForSingleObject(question->answered, wait_ms) == WAIT_OBJECT_0;
    const bool found = in_time && question->found;
    if (found)
        address = question->address;
    let_go(question);
    WSASetLastError(found ? 0 : in_time ? WSAHOST_NOT_FOUND : WSAETIMEDOUT);
    return found;
}
