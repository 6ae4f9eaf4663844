/*
 * hostile_test.cpp: answers of a server that is broken or hostile, against
 * dvr-sim's misbehaving modes: many id/href references, declared array
 * sizes far above what is sent, pictures up to the largest supported size,
 * answers that trickle in, and memory over many failing calls.
 */

#include "service_fixture.h"

#include <windows.h>
#include <psapi.h>

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
        if (c.size > c.sent)
            EXPECT_EQ(0, picture->__ptr[c.size - 1]) << "the rest is zero";
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

/* A server that sends one byte a second is cut off: ordinary operations at
   their whole-call bound, snapshot once its average rate has been too low
   for the grace time. */
TEST_F(Service_Test, TricklingAnswersAreCutOff)
{
    struct Case
    {
        const char *operation;
        DWORD at_least, below; /* ms */
    };
    const Case cases[] = {{"get-ptzinfo", 24000, 30000}, {"snapshot", 9500, 14000}};
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
