/*
 * main.cpp: rqweb-call, the probe tool of the rqweb web service.
 *
 *     rqweb-call.exe ADDRESS OPERATION [ARGUMENT ...]
 *
 * Calls one operation of the server at "http://" + ADDRESS + ":8000" through
 * Web_Service and prints "code=N" and the result, one name=value a line.
 * Exit status: 0 when the call returned 0, 1 when it returned anything
 * else, 2 when the command line was not understood.
 */

#include "fields.h"
#include "operations.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void help(std::FILE *out)
{
    std::fputs("usage: rqweb-call ADDRESS OPERATION [ARGUMENT ...]\n"
               "Calls OPERATION of the rqweb service at http://ADDRESS:8000 and prints\n"
               "code=N (0 on success) and the result, one name=value a line.\n"
               "A text argument \"-\" sends no text at all.  Records to send start from\n"
               "their construction values; FIELD=VALUE arguments change fields.\n\n"
               "operations:\n",
               out);
    for (int i = 0; i < operation_count; ++i)
        std::fprintf(out, "  %-18s %s\n", operations[i].name, operations[i].arguments);
    std::fprintf(out, "\nrecord fields:\n  ChannelInfo-T    %s\n", field_names(static_cast<const ChannelInfo_T *>(nullptr)));
    std::fprintf(out, "  ServerInfo-T     %s\n", field_names(static_cast<const ServerInfo_T *>(nullptr)));
    std::fprintf(out, "  VideoPara-T      %s\n", field_names(static_cast<const VideoPara_T *>(nullptr)));
    std::fprintf(out, "  VideoQuantify-T  %s\n", field_names(static_cast<const VideoQuantify_T *>(nullptr)));
    std::fprintf(out, "  IBPMode-T        %s\n", field_names(static_cast<const IBPMode_T *>(nullptr)));
    std::fprintf(out, "  OsdLogo-T        %s\n", field_names(static_cast<const OsdLogo_T *>(nullptr)));
    std::fprintf(out, "  PtzInfo-T        %s\n", field_names(static_cast<const PtzInfo_T *>(nullptr)));
    std::fprintf(out, "  VodInfo-T        %s\n", field_names(static_cast<const VodInfo_T *>(nullptr)));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        help(stdout);
        return 0;
    }
    if (argc < 3) {
        help(stderr);
        return 2;
    }
    const Operation *operation = find_operation(argv[2]);
    if (!operation) {
        std::fprintf(stderr, "rqweb-call: unknown operation %s (see --help)\n", argv[2]);
        return 2;
    }
    const std::string endpoint = std::string("http://") + argv[1] + ":8000";
    Web_Service service(endpoint.c_str());
    const Run run = operation->run(service, Arguments{argv + 3, argc - 3}, stdout);
    if (!run.usable) {
        std::fprintf(stderr, "usage: rqweb-call ADDRESS %s %s\n", operation->name, operation->arguments);
        return 2;
    }
    return run.code == 0 ? 0 : 1;
}
