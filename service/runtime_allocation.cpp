/*
 * runtime_allocation.cpp: the runtime's allocation function and the limit
 * it consults.  A call runs on the thread that owns its context, so the
 * limit is per thread: contexts used on other threads (a server's, for one)
 * never see it.
 */

#include "runtime_allocation.h"

#include "runtime_defs.h"

#include <cstdlib>

namespace {

struct Current_Limit
{
    struct soap *context;
    Allocation_Limit *limit;
};

thread_local Current_Limit current = {nullptr, nullptr};

} // namespace

void limit_runtime_allocations(struct soap *context, Allocation_Limit *limit)
{
    current.context = limit ? context : nullptr;
    current.limit = limit;
}

void *runtime_malloc(struct soap *soap, size_t size)
{
    if (current.limit && soap == current.context && !current.limit->allow(size))
        return nullptr;
    return std::malloc(size);
}
