/*
 * operations.h: the 27 operations as the probe tool offers them: name,
 * arguments, and how a call is made and its result printed.
 */
#ifndef KELM_RQWEB_CALL_OPERATIONS_H
#define KELM_RQWEB_CALL_OPERATIONS_H

#include "web_service.h"

#include <cstdio>

/* The arguments after the operation name. */
struct Arguments
{
    char **words;
    int count;
};

/* What running an operation gave: whether its arguments were usable, and
   the call's code when they were. */
struct Run
{
    bool usable;
    int code;
};

struct Operation
{
    const char *name;
    const char *arguments; /* for the help text */
    Run (*run)(Web_Service &service, const Arguments &arguments, std::FILE *out);
};

extern const Operation operations[];
extern const int operation_count;

/* The operation of that name, or null. */
const Operation *find_operation(const char *name);

#endif
