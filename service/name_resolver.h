/*
 * name_resolver.h: a server's name turned into its IPv4 address within a
 * bound.  The system resolver has no time-out of its own and waits as long
 * as the name servers make it; a call of the control must not.
 */
#pragma once

#include <winsock2.h>

/* True with the address of host: a dotted address at once, a name through
   the resolver if it answers within wait_ms.  A text that cannot be a
   name (over 253 characters, or a label over 63) is refused without
   asking.  On failure WSAGetLastError() says why: WSAHOST_NOT_FOUND,
   WSAETIMEDOUT or WSA_NOT_ENOUGH_MEMORY. */
bool resolve_within(const char *host, in_addr &address, DWORD wait_ms);
