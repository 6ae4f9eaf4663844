/*
 * operations.cpp: one entry per operation, in the order of the service.
 * Operations of the same shape share one template: read the arguments,
 * call the proxy, print "code=N" and then the result.  Request records start
 * from their construction values; FIELD=VALUE arguments change fields.
 */

#include "operations.h"

#include "fields.h"

#include <cstring>
#include <vector>

namespace {

const Run unusable = {false, 0};

/* Prints the code, and the result when the call succeeded. */
template <class Print> Run report(std::FILE *out, int code, Print print)
{
    std::fprintf(out, "code=%d\n", code);
    if (code == 0)
        print();
    return Run{true, code};
}

template <class T> void print_result(std::FILE *out, const T *result)
{
    if (result)
        print_record(out, *result);
    else
        std::fprintf(out, "out=(null)\n");
}

/* Applies FIELD=VALUE arguments from the first-th on. */
template <class T> bool fill_record(T &record, const Arguments &a, int first)
{
    for (int i = first; i < a.count; ++i)
        if (!set_field(record, a.words[i]))
            return false;
    return true;
}

/* get-...: CHANNEL, a record result. */
template <class T, int (Web_Service::*Get)(int, T *&)>
Run get_channel_record(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int channel = 0;
    if (a.count != 1 || !parse_int(a.words[0], channel))
        return unusable;
    T *result = nullptr;
    const int code = (s.*Get)(channel, result);
    return report(out, code, [&] { print_result(out, result); });
}

/* set-...: CHANNEL [FIELD=VALUE ...], answer r. */
template <class T, int (Web_Service::*Set)(int, T *, int &)>
Run set_channel_record(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int channel = 0;
    T record;
    if (a.count < 1 || !parse_int(a.words[0], channel) || !fill_record(record, a, 1))
        return unusable;
    int r = 0;
    const int code = (s.*Set)(channel, &record, r);
    return report(out, code, [&] { std::fprintf(out, "r=%d\n", r); });
}

/* get-serverinfo, get-vodinfo: no arguments, a record result. */
template <class T, int (Web_Service::*Get)(T *&)>
Run get_server_record(Web_Service &s, const Arguments &a, std::FILE *out)
{
    if (a.count != 0)
        return unusable;
    T *result = nullptr;
    const int code = (s.*Get)(result);
    return report(out, code, [&] { print_result(out, result); });
}

/* set-serverinfo, set-vodinfo: [FIELD=VALUE ...], answer r. */
template <class T, int (Web_Service::*Set)(T *, int &)>
Run set_server_record(Web_Service &s, const Arguments &a, std::FILE *out)
{
    T record;
    if (!fill_record(record, a, 0))
        return unusable;
    int r = 0;
    const int code = (s.*Set)(&record, r);
    return report(out, code, [&] { std::fprintf(out, "r=%d\n", r); });
}

/* Whole-number arguments, exactly n of them. */
bool numbers(const Arguments &a, int n, int *values)
{
    if (a.count != n)
        return false;
    for (int i = 0; i < n; ++i)
        if (!parse_int(a.words[i], values[i]))
            return false;
    return true;
}

/* Prints the answer value.  r is taken by reference and read only when
   printing, so the call has set it whatever order the arguments of
   report_r(out, call(..., r), r) are evaluated in. */
Run report_r(std::FILE *out, int code, const int &r)
{
    return report(out, code, [&] { std::fprintf(out, "r=%d\n", r); });
}

Run snapshot(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int channel = 0;
    if (!numbers(a, 1, &channel))
        return unusable;
    Byte_Array *picture = nullptr;
    const int code = s.snapshot(channel, picture);
    return report(out, code, [&] { picture ? print_array(out, *picture) : (void)std::fprintf(out, "out=(null)\n"); });
}

Run ptzop(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int v[3];
    int r = 0;
    return numbers(a, 3, v) ? report_r(out, s.ptzop(v[0], v[1], v[2], r), r) : unusable;
}

/* setptzlogo CHANNEL FILE|- X Y: the logo bytes come from a file. */
Run setptzlogo(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int channel = 0, x = 0, y = 0;
    if (a.count != 4 || !parse_int(a.words[0], channel) || !parse_int(a.words[2], x) || !parse_int(a.words[3], y))
        return unusable;
    std::vector<unsigned char> bytes;
    const bool none = !std::strcmp(a.words[1], "-");
    if (!none) {
        std::FILE *file = std::fopen(a.words[1], "rb");
        if (!file)
            return unusable;
        int c;
        while ((c = std::fgetc(file)) != EOF)
            bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(file);
    }
    Byte_Array logo;
    logo.__ptr = bytes.empty() ? nullptr : bytes.data();
    logo.__size = static_cast<int>(bytes.size());
    int r = 0;
    return report_r(out, s.setptzlogo(channel, none ? nullptr : &logo, x, y, r), r);
}

Run set_vodflen(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int len = 0;
    int r = 0;
    return numbers(a, 1, &len) ? report_r(out, s.set_vodflen(len, r), r) : unusable;
}

/* The same for an array result, by reference for the same reason. */
Run print_texts(std::FILE *out, int code, String_Array *const &texts)
{
    return report(out, code, [&] { texts ? print_array(out, *texts) : (void)std::fprintf(out, "out=(null)\n"); });
}

Run get_vodflist(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int v[3];
    if (!numbers(a, 3, v))
        return unusable;
    String_Array *files = nullptr;
    return print_texts(out, s.get_vodflist(v[0], v[1], v[2], files), files);
}

Run get_vcardsn(Web_Service &s, const Arguments &a, std::FILE *out)
{
    if (a.count != 0)
        return unusable;
    String_Array *serials = nullptr;
    return print_texts(out, s.get_vcardsn(serials), serials);
}

/* A text argument; "-" stands for no text at all. */
const char *text(const char *word)
{
    return std::strcmp(word, "-") ? word : nullptr;
}

Run idpwd(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int r = 0;
    if (a.count != 3)
        return unusable;
    return report_r(out, s.idpwd(text(a.words[0]), text(a.words[1]), text(a.words[2]), r), r);
}

Run addusr(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int op = 0;
    int r = 0;
    if (a.count != 3 || !parse_int(a.words[2], op))
        return unusable;
    return report_r(out, s.addusr(text(a.words[0]), text(a.words[1]), op, r), r);
}

Run rmusr(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int r = 0;
    return a.count == 1 ? report_r(out, s.rmusr(text(a.words[0]), r), r) : unusable;
}

Run logon(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int r = 0;
    return a.count == 2 ? report_r(out, s.logon(text(a.words[0]), text(a.words[1]), r), r) : unusable;
}

Run videosignal(Web_Service &s, const Arguments &a, std::FILE *out)
{
    int channel = 0;
    bool r = false;
    if (!numbers(a, 1, &channel))
        return unusable;
    const int code = s.videosignal(channel, r);
    return report(out, code, [&] { std::fprintf(out, "r=%s\n", r ? "true" : "false"); });
}

} // namespace

const Operation operations[] = {
    {"get-channelinfo", "CHANNEL", get_channel_record<ChannelInfo_T, &Web_Service::get_channelinfo>},
    {"set-channelinfo", "CHANNEL [FIELD=VALUE ...]", set_channel_record<ChannelInfo_T, &Web_Service::set_channelinfo>},
    {"get-serverinfo", "", get_server_record<ServerInfo_T, &Web_Service::get_serverinfo>},
    {"set-serverinfo", "[FIELD=VALUE ...]", set_server_record<ServerInfo_T, &Web_Service::set_serverinfo>},
    {"get-videopara", "CHANNEL", get_channel_record<VideoPara_T, &Web_Service::get_videopara>},
    {"set-videopara", "CHANNEL [FIELD=VALUE ...]", set_channel_record<VideoPara_T, &Web_Service::set_videopara>},
    {"get-videoquantify", "CHANNEL", get_channel_record<VideoQuantify_T, &Web_Service::get_videoquantify>},
    {"set-videoquantify", "CHANNEL [FIELD=VALUE ...]",
     set_channel_record<VideoQuantify_T, &Web_Service::set_videoquantify>},
    {"get-ibpmode", "CHANNEL", get_channel_record<IBPMode_T, &Web_Service::get_ibpmode>},
    {"set-ibpmode", "CHANNEL [FIELD=VALUE ...]", set_channel_record<IBPMode_T, &Web_Service::set_ibpmode>},
    {"get-osdlogo", "CHANNEL", get_channel_record<OsdLogo_T, &Web_Service::get_osdlogo>},
    {"set-osdlogo", "CHANNEL [FIELD=VALUE ...]", set_channel_record<OsdLogo_T, &Web_Service::set_osdlogo>},
    {"get-ptzinfo", "CHANNEL", get_channel_record<PtzInfo_T, &Web_Service::get_ptzinfo>},
    {"set-ptzinfo", "CHANNEL [FIELD=VALUE ...]", set_channel_record<PtzInfo_T, &Web_Service::set_ptzinfo>},
    {"snapshot", "CHANNEL", snapshot},
    {"ptzop", "CHANNEL OP RANGE", ptzop},
    {"setptzlogo", "CHANNEL LOGO-FILE|- X Y", setptzlogo},
    {"set-vodflen", "LEN", set_vodflen},
    {"get-vodflist", "CHANNEL T1 T2 (seconds since 1970 UTC)", get_vodflist},
    {"idpwd", "OLDID NEWID NEWPWD", idpwd},
    {"addusr", "USRID USRPWD OP", addusr},
    {"rmusr", "USRID", rmusr},
    {"logon", "USRID USRPWD", logon},
    {"get-vcardsn", "", get_vcardsn},
    {"videosignal", "CHANNEL", videosignal},
    {"set-vodinfo", "[FIELD=VALUE ...]", set_server_record<VodInfo_T, &Web_Service::set_vodinfo>},
    {"get-vodinfo", "", get_server_record<VodInfo_T, &Web_Service::get_vodinfo>},
};

const int operation_count = static_cast<int>(sizeof operations / sizeof operations[0]);

const Operation *find_operation(const char *name)
{
    for (const Operation &operation : operations)
        if (!std::strcmp(operation.name, name))
            return &operation;
    return nullptr;
}
