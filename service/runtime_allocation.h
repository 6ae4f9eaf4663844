/*
 * runtime_allocation.h: a limit on what the gSOAP runtime allocates for one
 * context.  While a limit is set, every allocation the runtime makes for
 * that context on this thread is first offered to it; one it refuses is not
 * made, and the runtime fails the call as out of memory.  Allocations for
 * other contexts, and all of them while no limit is set, are made as usual.
 */
#ifndef KELM_SERVICE_RUNTIME_ALLOCATION_H
#define KELM_SERVICE_RUNTIME_ALLOCATION_H

#include <cstddef>

struct soap;

class Allocation_Limit
{
public:
    /* Whether the runtime may allocate bytes more; counts them when it may. */
    virtual bool allow(size_t bytes) = 0;

protected:
    ~Allocation_Limit() = default;
};

/* Puts the runtime's allocations for context on this thread under limit
   (null: under none). */
void limit_runtime_allocations(struct soap *context, Allocation_Limit *limit);

#endif
