/*
 * hostile_test.cpp: answers of a server that is broken or hostile, against
 * dvr-sim's misbehaving modes: many id/href references, declared array
 * sizes far above what is sent, pictures up to the largest supported size,
 * answers that trickle in, and memory over many failing calls.
 */

#include "service_fixture.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

Byte_Array *const no_picture = reinterpret_cast<Byte_Array *>(0xDEADBEEF);

/* Milliseconds a call takes. */
template <class Call> DWORD timed(Call call)
{
    const DWORD start = GetTickCount();
    call();
    return GetTickCount() - start;
}

} // namespace

/* Each forward reference of the mode is an href plus the id it names, so N
   of them are 2N references: the bound (4,096) lets 2,048 through. */
TEST_F(Service_Test, ReferencesAreBoundedBeforeResolution)
{
    struct Case
    {
        long forward;
        int code;
    };
    const Case cases[] = {{1, 0}, {2048, 0}, {2049, ws_too_many_references}, {100000, ws_too_many_references}};
    for (const Case &c : cases) {
        ASSERT_TRUE(sim->mode("snapshot", "references " + std::to_string(c.forward)));
        Byte_Array *picture = no_picture;
        int code = -100;
        const DWORD elapsed = timed([&] { code = service->snapshot(1, picture); });
        EXPECT_EQ(c.code, code) << c.forward;
        EXPECT_LT(elapsed, 5000u) << c.forward; /* unbounded, 100,000 took a minute */
        if (c.code) {
            EXPECT_EQ(nullptr, picture) << c.forward;
            continue;
        }
        ASSERT_NE(nullptr, picture);
        ASSERT_EQ(c.forward, picture->__size);
        EXPECT_EQ((c.forward - 1) % 256, picture->__ptr[c.forward - 1]);
    }
    /* records and texts too; the proxy works normally afterwards */
    ASSERT_TRUE(sim->mode("get-ptzinfo", "references 5000"));
    PtzInfo_T *ptz = nullptr;
    EXPECT_EQ(ws_too_many_references, service->get_ptzinfo(1, ptz));
    ASSERT_TRUE(sim->mode("get-vodflist", "references 3000"));
    String_Array *names = nullptr;
    EXPECT_EQ(ws_too_many_references, service->get_vodflist(1, 0, 3600, names));
    ASSERT_TRUE(sim->ok("reset"));
    EXPECT_EQ(0, service->get_ptzinfo(1, ptz));
    EXPECT_NE(nullptr, ptz);
}

namespace {

size_t committed_bytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PagefileUsage : 0;
}

std::string declared_bytes(int declared, int sent)
{
    std::string items;
    for (int i = 0; i < sent; ++i)
        items += "<item>" + std::to_string(i + 1) + "</item>";
    return response("snapshot", "<out xsi:type=\"SOAP-ENC:Array\" SOAP-ENC:arrayType=\"xsd:unsignedByte["
                                    + std::to_string(declared) + "]\">" + items + "</out>");
}

} // namespace

/* Pictures up to 1 MiB decode whole: above the runtime's default of 100,000
   items and above the declared size trusted up front. */
TEST_F(Service_Test, PicturesUpToOneMebibyteDecode)
{
    for (int size : {102400, 1048576}) {
        ASSERT_TRUE(sim->ok("snapshot-bytes " + std::to_string(size)));
        Byte_Array *picture = no_picture;
        ASSERT_EQ(0, service->snapshot(3, picture)) << size;
        ASSERT_NE(nullptr, picture);
        ASSERT_EQ(size, picture->__size);
        EXPECT_EQ(0xFF, picture->__ptr[0]);
        EXPECT_EQ(0xD8, picture->__ptr[1]);
        EXPECT_EQ(0xD9, picture->__ptr[size - 1]) << size;
        service->release_results();
    }
}

/* A declared size is believed only as far as the rest of the message can
   hold items (four bytes each at the least); beyond that the items are read
   one by one and the array is as long as what was sent. */
TEST_F(Service_Test, DeclaredSizesAreNotTrustedBeyondTheMessage)
{
    struct Case
    {
        int declared;
        int sent;
        int size; /* decoded */
    };
    const Case cases[] = {{20, 10, 20}, {10, 10, 10}, {1000, 10, 10}, {99999, 3, 3}, {16000000, 1, 1}};
    for (const Case &c : cases) {
        canned("snapshot", declared_bytes(c.declared, c.sent));
        Byte_Array *picture = no_picture;
        ASSERT_EQ(0, service->snapshot(1, picture)) << c.declared;
        ASSERT_NE(nullptr, picture);
        ASSERT_EQ(c.size, picture->__size) << c.declared;
        EXPECT_EQ(c.sent, picture->__ptr[c.sent - 1]) << c.declared;
        if (c.size > c.sent) {
            EXPECT_EQ(0, picture->__ptr[c.size - 1]) << "the rest is zero";
        }
    }
    /* the real picture declared as 16,000,000 bytes costs no 16 MB */
    service->release_results();
    ASSERT_TRUE(sim->ok("reset"));
    ASSERT_TRUE(sim->mode("snapshot", "oversize 16000000"));
    const size_t before = committed_bytes();
    Byte_Array *picture = no_picture;
    ASSERT_EQ(0, service->snapshot(1, picture));
    EXPECT_LT(committed_bytes(), before + 4 * 1024 * 1024);
    ASSERT_NE(nullptr, picture);
    EXPECT_LT(picture->__size, 100000);
}

/* A server that sends one byte a second is cut off once the call's grace
   time is spent, whatever the operation. */
TEST_F(Service_Test, TricklingAnswersAreCutOff)
{
    struct Case
    {
        const char *operation;
        DWORD at_least, below; /* ms */
    };
    const Case cases[] = {{"get-ptzinfo", 4500, 6000}, {"snapshot", 4500, 6000}};
    for (const Case &c : cases) {
        ASSERT_TRUE(sim->mode(c.operation, "trickle 1000"));
        int code = 0;
        const DWORD elapsed = timed([&] {
            PtzInfo_T *ptz = nullptr;
            Byte_Array *picture = nullptr;
            code = *c.operation == 's' ? service->snapshot(1, picture) : service->get_ptzinfo(1, ptz);
        });
        EXPECT_EQ(ws_closed_early, code) << c.operation;
        EXPECT_GE(elapsed, c.at_least) << c.operation;
        EXPECT_LT(elapsed, c.below) << c.operation;
    }
    ASSERT_TRUE(sim->ok("reset"));
    PtzInfo_T *ptz = nullptr;
    EXPECT_EQ(0, service->get_ptzinfo(1, ptz)) << "the proxy is usable afterwards";
}

/* An answer that keeps coming at the least rate or faster is never cut
   off, however long it takes: a padded picture paced at 80 KiB/s takes
   some 7 s, past the grace time. */
TEST_F(Service_Test, AnAnswerArrivingFastEnoughRunsPastTheGraceTime)
{
    ASSERT_TRUE(sim->ok("snapshot-bytes 36000"));
    ASSERT_TRUE(sim->mode("snapshot", "pace 81920"));
    Byte_Array *picture = nullptr;
    int code = -1;
    const DWORD elapsed = timed([&] { code = service->snapshot(1, picture); });
    EXPECT_EQ(0, code);
    ASSERT_NE(nullptr, picture);
    EXPECT_EQ(36000, picture->__size);
    EXPECT_GT(elapsed, 5500u) << "the answer must outlast the grace time to show anything";
}

namespace {

/* The answer a stand-in transport hands to the proxy instead of a socket. */
std::string canned_answer;
size_t canned_at;

SOAP_SOCKET stand_in_open(struct soap *, const char *, const char *, int)
{
    canned_at = 0;
    return 3; /* any valid number: the functions below never use it */
}

int stand_in_send(struct soap *, const char *, size_t)
{
    return SOAP_OK;
}

size_t stand_in_receive(struct soap *, char *buffer, size_t size)
{
    const size_t n = std::min(size, canned_answer.size() - canned_at);
    std::memcpy(buffer, canned_answer.data() + canned_at, n);
    canned_at += n;
    return n;
}

int stand_in_close(struct soap *, SOAP_SOCKET)
{
    return SOAP_OK;
}

/* Makes the proxy send nowhere and read canned_answer. */
void use_stand_in(Web_Service &service)
{
    service.soap->fopen = stand_in_open;
    service.soap->fsend = stand_in_send;
    service.soap->frecv = stand_in_receive;
    service.soap->fclosesocket = stand_in_close;
}

std::string http_200(const std::string &body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(body.size())
           + "\r\nConnection: close\r\n\r\n" + body;
}

std::string repeated(const std::string &piece, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

/* Hostile answer number i: the kind cycles, its details change with i. */
std::string hostile_answer(int i)
{
    const std::string n = std::to_string(i);
    const std::string picture_head =
        "<out xsi:type=\"SOAP-ENC:Array\" SOAP-ENC:arrayType=\"xsd:unsignedByte[";
    switch (i % 12) {
    case 0: return http_200(response("snapshot", picture_head + "16000000]\">" + repeated("<item>7</item>", i % 50)
                                                     + "<item>x" + n + "</item></out>"));
    case 1: return http_200(response("snapshot", picture_head + "]\">" + repeated("<item href=\"#r\"/>", 4100)
                                                     + "</out>"));
    case 2: return http_200(response("get-ptzinfo", "<out href=\"#missing" + n + "\"/>"));
    case 3: return http_200(response("get-ptzinfo", repeated("<d>", 70 + i % 30) + n));
    case 4: return http_200(response("get-vodflist", "<out SOAP-ENC:arrayType=\"xsd:string[]\"><item>" + n
                                                         + "</item><item href=\"#\">"));
    case 5: return http_200(response("get-ptzinfo", "<out><port>" + n + "</port junk></out>"));
    case 6: return http_200(envelope("<rqweb:get-ptzinfoResponse><out href=\"#a\"/></rqweb:get-ptzinfoResponse>"
                                     "<x id=\"a\" xsi:type=\"PtzInfo-T\"/><y id=\"a\" xsi:type=\"PtzInfo-T\">" + n
                                     + "</y>"));
    case 7: return "HTTP/1.1 200 OK\r\nContent-Length: 900000\r\n\r\n" + response("get-ptzinfo", "<out>" + n);
    case 8: return "HTTP/1.1 " + std::to_string(400 + i % 200) + " No\r\nContent-Length: 3\r\n\r\n" + n.substr(0, 3);
    case 9: return http_200("<html><body>" + repeated(n, 20) + "</body></html>");
    case 10: return http_200(envelope("<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode><faultstring>"
                                      + repeated("x", i % 500) + "</faultstring></SOAP-ENV:Fault>"));
    default: return http_200(response("snapshot", picture_head + "3]\"><item>" + std::to_string(256 + i)
                                                      + "</item></out>"));
    }
}

/* Calls the operation the answer is meant for. */
int hostile_call(Web_Service &service, int i)
{
    Byte_Array *picture = nullptr;
    PtzInfo_T *ptz = nullptr;
    String_Array *names = nullptr;
    switch (i % 12) {
    case 0: case 1: case 11: return service.snapshot(1, picture);
    case 4: return service.get_vodflist(1, 0, 3600, names);
    default: return service.get_ptzinfo(1, ptz);
    }
}

} // namespace

/* Many calls that each fail in another way, their results released after
   each as callers do: memory after 10,000 is where it was after 100. */
TEST(ServiceHostile, MemoryStaysFlatOverManyFailingCalls)
{
    Web_Service service("http://dvr.invalid:8000");
    ASSERT_NE(nullptr, service.soap);
    use_stand_in(service);
    size_t after_100 = 0;
    int failed = 0;
    for (int i = 0; i < 10000; ++i) {
        canned_answer = hostile_answer(i);
        const int code = hostile_call(service, i);
        failed += code != 0;
        if (!code)
            std::printf("answer %d did not fail\n", i);
        service.release_results();
        if (i == 99)
            after_100 = committed_bytes();
    }
    const size_t after_10000 = committed_bytes();
    EXPECT_EQ(10000, failed);
    EXPECT_LT(after_10000, after_100 + 1024 * 1024) << after_100 << " -> " << after_10000;
    std::printf("committed after 100 calls: %lu KiB, after 10,000: %lu KiB\n",
                static_cast<unsigned long>(after_100 / 1024), static_cast<unsigned long>(after_10000 / 1024));
}

namespace {

/* The highest the process's resident memory has been (Wine keeps no peak
   of the committed memory; the runtime fills what it allocates, so it is
   resident). */
size_t peak_resident_bytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

enum class Hostile_Call { logon, snapshot, serverinfo };

/* The call the answer is for; count is the array's size when it has one. */
int call_for(Web_Service &service, Hostile_Call call, int &count)
{
    int r = 0;
    Byte_Array *picture = nullptr;
    ServerInfo_T *info = nullptr;
    switch (call) {
    case Hostile_Call::logon: return service.logon("admin", "12345", r);
    case Hostile_Call::serverinfo: return service.get_serverinfo(info);
    default: break;
    }
    const int code = service.snapshot(1, picture);
    count = picture ? picture->__size : -1;
    return code;
}

std::string logon_and(const std::string &after)
{
    return envelope("<rqweb:logonResponse><r>8191</r></rqweb:logonResponse>" + after);
}

/* Elements with ids of their own, each declaring 100,000 texts. */
std::string numbered_arrays(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "<a id=\"x" + std::to_string(i) + "\" SOAP-ENC:arrayType=\"xsd:string[100000]\"></a>";
    return text;
}

std::string picture_of(const std::string &out)
{
    return http_200(response("snapshot", out));
}

} // namespace

/* Answers a broken or hostile server sends, each failing with its code (or,
   for declared sizes the runtime would misread and for arrays the answer
   cannot pay for, decoding the items sent) while the process's peak memory
   stays within the case's bound.  The peak
   only grows, so the bounds never decrease down the table. */
TEST(ServiceHostile, AnswersFailWithTheirCodesWithinTheirMemory)
{
    struct Case
    {
        const char *name;
        Hostile_Call call;
        std::string answer;
        int code;
        int count; /* of a snapshot that succeeds */
        size_t bound_mb;
    };
    const std::string logon = response("logon", "<r>1</r>");
    const Case cases[] = {
        {"status cut to 16 bits", Hostile_Call::logon, "HTTP/1.1 65736 OK\r\n\r\n" + logon, SOAP_HTTP_ERROR, 0, 4},
        {"negative status", Hostile_Call::logon, "HTTP/1.1 -65336 OK\r\n\r\n" + logon, SOAP_HTTP_ERROR, 0, 4},
        {"not HTTP", Hostile_Call::logon, "FOO 200 \r\n\r\n" + logon, SOAP_HTTP_ERROR, 0, 4},
        {"no header", Hostile_Call::logon, logon, SOAP_HTTP_ERROR, 0, 4},
        {"negative length", Hostile_Call::serverinfo, "HTTP/1.1 404 No\r\nContent-Length: -33\r\n\r\nx",
         SOAP_HTTP_ERROR, 0, 4},
        {"body shorter than its length", Hostile_Call::logon,
         "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + logon, ws_closed_early, 0, 4},
        {"body longer than its length", Hostile_Call::logon, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n" + logon,
         SOAP_NO_TAG, 0, 4},
        {"negative offset", Hostile_Call::snapshot,
         picture_of("<out SOAP-ENC:arrayType=\"xsd:unsignedByte[1]\" SOAP-ENC:offset=\"[-1999998]\"><item>7</item></out>"),
         0, 1, 4},
        {"digit after the size", Hostile_Call::snapshot,
         picture_of("<out SOAP-ENC:arrayType=\"xsd:unsignedByte[2000000]0\"><item>7</item></out>"), 0, 1, 4},
        {"items beyond the size", Hostile_Call::snapshot,
         picture_of("<out SOAP-ENC:arrayType=\"xsd:unsignedByte[1]\"><item>1</item><item>2</item><item>3</item></out>"),
         SOAP_IOB, 0, 4},
        {"items beyond size 0", Hostile_Call::snapshot,
         picture_of("<out SOAP-ENC:arrayType=\"xsd:unsignedByte[0]\"><item>1</item><item>2</item></out>"), SOAP_IOB, 0, 4},
        {"base64 picture", Hostile_Call::snapshot, picture_of("<out xsi:type=\"xsd:base64Binary\">AAAA</out>"), SOAP_TYPE, 0,
         4},
        {"text picture", Hostile_Call::snapshot, picture_of("<out>hello</out>"), SOAP_TYPE, 0, 4},
        {"picture referring to a record", Hostile_Call::snapshot,
         http_200(envelope("<rqweb:snapshotResponse><out href=\"#a\"/></rqweb:snapshotResponse><a id=\"a\" "
                           "xsi:type=\"rqweb:ServerInfo-T\"><channel-cnt>4</channel-cnt></a>")),
         SOAP_TYPE, 0, 4},
        {"record typed as text", Hostile_Call::serverinfo,
         http_200(response("get-serverinfo", "<out xsi:type=\"xsd:string\">x</out>")), SOAP_TYPE, 0, 4},
        {"NUL reference", Hostile_Call::serverinfo,
         http_200(response("get-serverinfo", "<out><channel-cnt>4&#0;5</channel-cnt></out>")), SOAP_SYNTAX_ERROR, 0, 4},
        {"reference -1", Hostile_Call::serverinfo, http_200(response("get-serverinfo", "<out><name>a&#-1;</name></out>")),
         SOAP_SYNTAX_ERROR, 0, 4},
        {"reference -2", Hostile_Call::serverinfo, http_200(response("get-serverinfo", "<out><name>a&#-2;</name></out>")),
         SOAP_SYNTAX_ERROR, 0, 4},
        {"arrays after the response, negative offsets", Hostile_Call::logon,
         http_200(logon_and(repeated("<a SOAP-ENC:arrayType=\"xsd:string[1]\" SOAP-ENC:offset=\"[-1999998]\"></a>", 240))),
         ws_no_response, 0, 64},
        {"arrays after the response, digit after the size", Hostile_Call::logon,
         http_200(logon_and(repeated("<a SOAP-ENC:arrayType=\"xsd:string[2000000]0\"></a>", 240))), ws_no_response, 0, 64},
        {"arrays after the response, no length", Hostile_Call::logon,
         "HTTP/1.1 200 OK\r\n\r\n" + logon_and(repeated("<a SOAP-ENC:arrayType=\"xsd:string[100000]\"></a>", 3000)),
         ws_no_response, 0, 64},
        {"arrays with ids inside the response", Hostile_Call::logon,
         "HTTP/1.1 200 OK\r\n\r\n" + response("logon", "<r>1</r>" + numbered_arrays(3000)), 0, 0, 64},
    };
    Web_Service service("http://dvr.invalid:8000");
    ASSERT_NE(nullptr, service.soap);
    use_stand_in(service);
    const size_t start = peak_resident_bytes();
    for (const Case &c : cases) {
        canned_answer = c.answer;
        int count = 0;
        EXPECT_EQ(c.code, call_for(service, c.call, count)) << c.name;
        if (c.call == Hostile_Call::snapshot && c.code == 0) {
            EXPECT_EQ(c.count, count) << c.name;
        }
        service.release_results();
        const size_t grown = peak_resident_bytes() - start;
        EXPECT_LT(grown, c.bound_mb << 20) << c.name;
        std::printf("%-50s peak +%lu KiB\n", c.name, static_cast<unsigned long>(grown >> 10));
    }
}
