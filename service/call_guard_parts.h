/*
 * call_guard_parts.h: what the files of the call guard share among
 * themselves (not part of its interface).
 */
#ifndef KELM_SERVICE_CALL_GUARD_PARTS_H
#define KELM_SERVICE_CALL_GUARD_PARTS_H

#include "call_guard.h"
#include "web_service.h"

/* The guard installed on a context. */
inline Call_Guard *guard_of(struct soap *soap)
{
    return static_cast<Call_Guard *>(soap->user);
}

/* call_guard_elements.cpp: the runtime type of an operation's "out" result
   (0 for an operation that answers "r"), and whether a type is an array. */
int out_result_type(const char *operation);
bool is_array_type(int type);

#endif
