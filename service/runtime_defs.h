/*
 * runtime_defs.h: definitions the gSOAP runtime takes from us.  Its header
 * includes this file (SOAPDEFS_H) before it defines anything, so every
 * translation unit that uses the runtime sees the same definitions.
 *
 * Every block the runtime allocates for a context goes through
 * runtime_malloc, where a call in flight can hold the context to its budget
 * (runtime_allocation.h).  Blocks are still released with free().
 *
 * The runtime walks its whole pointer and id hash tables several times in
 * every call; at the default sizes (4096 and 1999 buckets) that is most of
 * the work of a small call.  An answer has at most 4,096 ids and hrefs and a
 * request a handful of pointers, so the runtime's own smaller sizes serve.
 */
#ifndef KELM_SERVICE_RUNTIME_DEFS_H
#define KELM_SERVICE_RUNTIME_DEFS_H

#include <stddef.h>

struct soap;

void *runtime_malloc(struct soap *soap, size_t size);

#define SOAP_MALLOC(soap, size) runtime_malloc((soap), (size))

/* A 1 MiB picture is some 16 MB of answer: read in 256 KiB pieces it takes
   64 reads instead of 256, each a round trip to the wine server. */
#define SOAP_BUFLEN (262144)

#define SOAP_PTRHASH (64) /* a power of 2 */
#define SOAP_IDHASH (199) /* a prime */

#endif
