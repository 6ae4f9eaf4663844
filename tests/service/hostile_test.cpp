/*
 * hostile_test.cpp: answers of a server that is broken or hostile, against
 * dvr-sim's misbehaving modes: many id/href references, declared array
 * sizes far above what is sent, pictures up to the largest supported size,
 * answers that trickle in, and memory over many failing calls.
 */

#include "service_fixture.h"

#include <windows.h>

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
