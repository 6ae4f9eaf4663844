#include "ocx_log.h"

#include <cstdio>
#include <ctime>

const char* const ocx_log_path = "c:\\ocx.txt";

void ocx_log(const char* text)
{
    FILE* file = fopen(ocx_log_path, "a");
    if (!file)
        return;
    char clock_text[16] = {};
    time_t now = time(nullptr);
    const tm* local = localtime(&now);
    if (local)
        (void)strftime(clock_text, sizeof clock_text, "%H:%M:%S", local);
    // A lost record is not worth failing the caller's operation for.
    (void)fprintf(file, "%s  %s \n", clock_text, text);
    (void)fclose(file);
}
