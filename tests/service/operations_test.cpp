/*
 * operations_test.cpp: every operation of the service against dvr-sim: what
 * a set stores a get returns, users and their masks, pictures, lists, and
 * the simulator's log naming each request in order.
 */

#include "service_fixture.h"

#include <windows.h>
#include <psapi.h>

#include <cstring>
#include <vector>

namespace {

std::vector<std::string> logged_operations(const Dvr_Sim &sim)
{
    std::vector<std::string> names;
    for (const Sim_Request &request : sim.requests())
        names.push_back(request.operation);
    return names;
}

} // namespace

TEST_F(Service_Test, ChannelRecordsStoreWhatTheyReturn)
{
    int r = -7;
    ChannelInfo_T info;
    info.channel = 3;
    info.coderate = 512000;
    info.resolution = 5;
    ASSERT_EQ(0, info.set_name("Front door"));
    ASSERT_EQ(0, service->set_channelinfo(3, &info, r));
    EXPECT_EQ(0, r);
    VideoPara_T video;
    video.hue = 12;
    ASSERT_EQ(0, service->set_videopara(3, &video, r));
    VideoQuantify_T quantify;
    quantify.bq = 30;
    ASSERT_EQ(0, service->set_videoquantify(3, &quantify, r));
    IBPMode_T ibp;
    ibp.framerate = 12;
    ASSERT_EQ(0, service->set_ibpmode(3, &ibp, r));
    PtzInfo_T ptz;
    ptz.ptzaddr = 9;
    ASSERT_EQ(0, service->set_ptzinfo(3, &ptz, r));

    ChannelInfo_T *info_out = nullptr;
    VideoPara_T *video_out = nullptr;
    VideoQuantify_T *quantify_out = nullptr;
    IBPMode_T *ibp_out = nullptr;
    PtzInfo_T *ptz_out = nullptr;
    ASSERT_EQ(0, service->get_channelinfo(3, info_out));
    ASSERT_EQ(0, service->get_videopara(3, video_out));
    ASSERT_EQ(0, service->get_videoquantify(3, quantify_out));
    ASSERT_EQ(0, service->get_ibpmode(3, ibp_out));
    ASSERT_EQ(0, service->get_ptzinfo(3, ptz_out));
    /* results of earlier calls on the proxy stay valid after later ones */
    ASSERT_TRUE(info_out && video_out && quantify_out && ibp_out && ptz_out);
    EXPECT_STREQ("Front door", info_out->name);
    EXPECT_EQ(service->soap, info_out->soap);
    EXPECT_EQ(512000, info_out->coderate);
    EXPECT_EQ(5, info_out->resolution);
    EXPECT_EQ(12, video_out->hue);
    EXPECT_EQ(128, video_out->brightness);
    EXPECT_EQ(30, quantify_out->bq);
    EXPECT_EQ(12, ibp_out->framerate);
    EXPECT_EQ(9, ptz_out->ptzaddr);
    EXPECT_EQ("Camera 4", sim->channel_field(4, "name")); /* other channels keep their own */
}

TEST_F(Service_Test, OsdTextTravelsAsBytesBothWays)
{
    int r = -7;
    OsdLogo_T osd;
    osd.date = false;
    osd.lx = 100;
    ASSERT_EQ(0, osd.set_osdmsg("\xC3\xC5\xBF\xDA <1> & \xD6")); /* code page 936 text and markup */
    ASSERT_EQ(0, service->set_osdlogo(2, &osd, r));
    EXPECT_EQ(0, r);
    OsdLogo_T *out = nullptr;
    ASSERT_EQ(0, service->get_osdlogo(2, out));
    ASSERT_NE(nullptr, out);
    EXPECT_STREQ(osd.osdmsg, out->osdmsg);
    EXPECT_FALSE(out->date);
    EXPECT_TRUE(out->time);
    EXPECT_EQ(100, out->lx);
}

TEST_F(Service_Test, ServerAndStorageSettings)
{
    int r = -7;
    ServerInfo_T *server = nullptr;
    ASSERT_EQ(0, service->get_serverinfo(server));
    ASSERT_NE(nullptr, server);
    EXPECT_EQ(16, server->channel_cnt);
    EXPECT_STREQ("dvr-sim", server->name);
    ServerInfo_T changed(*server);
    changed.channel_cnt = 8;
    changed.recorde = true;
    ASSERT_EQ(0, service->set_serverinfo(&changed, r));
    VodInfo_T vod;
    vod.svdays = 30;
    ASSERT_EQ(0, service->set_vodinfo(&vod, r));
    ASSERT_EQ(0, service->set_vodflen(15, r));
    EXPECT_EQ(0, r);

    ASSERT_EQ(0, service->get_serverinfo(server));
    VodInfo_T *vod_out = nullptr;
    ASSERT_EQ(0, service->get_vodinfo(vod_out));
    ASSERT_TRUE(server && vod_out);
    EXPECT_EQ(8, server->channel_cnt);
    EXPECT_TRUE(server->recorde);
    EXPECT_EQ(30, vod_out->svdays);
    EXPECT_EQ(15, vod_out->flen);
}

TEST_F(Service_Test, UsersLogOnWithTheirMasks)
{
    int r = 0;
    ASSERT_EQ(0, service->logon("admin", "12345", r));
    EXPECT_EQ(0x1FFF, r);
    ASSERT_EQ(0, service->logon("admin", "wrong", r));
    EXPECT_EQ(-1, r);
    ASSERT_EQ(0, service->logon("admin", nullptr, r)); /* sent without a password */
    EXPECT_EQ(-1, r);

    ASSERT_EQ(0, service->addusr("night", "watch", 0x21, r));
    EXPECT_EQ(0, r);
    ASSERT_EQ(0, service->logon("night", "watch", r));
    EXPECT_EQ(0x21, r);
    ASSERT_EQ(0, service->idpwd("night", "day", "shift", r));
    EXPECT_EQ(0, r);
    ASSERT_EQ(0, service->logon("night", "watch", r));
    EXPECT_EQ(-1, r);
    ASSERT_EQ(0, service->logon("day", "shift", r));
    EXPECT_EQ(0x21, r);
    ASSERT_EQ(0, service->rmusr("day", r));
    EXPECT_EQ(0, r);
    ASSERT_EQ(0, service->rmusr("day", r));
    EXPECT_EQ(-1, r);
    ASSERT_EQ(0, service->idpwd("nobody", "x", "y", r));
    EXPECT_EQ(-1, r);
}

TEST_F(Service_Test, SnapshotIsAJpegPicture)
{
    Byte_Array *picture = nullptr;
    ASSERT_EQ(0, service->snapshot(7, picture));
    ASSERT_NE(nullptr, picture);
    ASSERT_GT(picture->__size, 1000);
    EXPECT_LT(picture->__size, 20000);
    EXPECT_EQ(0xFF, picture->__ptr[0]);
    EXPECT_EQ(0xD8, picture->__ptr[1]);
    EXPECT_EQ(0xFF, picture->__ptr[picture->__size - 2]);
    EXPECT_EQ(0xD9, picture->__ptr[picture->__size - 1]);

    Byte_Array *other = nullptr;
    ASSERT_EQ(0, service->snapshot(8, other));
    ASSERT_NE(nullptr, other);
    EXPECT_FALSE(other->__size == picture->__size
                 && std::memcmp(other->__ptr, picture->__ptr, static_cast<size_t>(other->__size)) == 0)
        << "pictures of two channels must differ";
}

TEST_F(Service_Test, CameraMovesLogoSignalAndLists)
{
    int r = -7;
    ASSERT_EQ(0, service->ptzop(5, 23, 10, r));
    EXPECT_EQ(0, r);
    EXPECT_EQ("23", sim->channel_field(5, "last-ptz-op"));
    EXPECT_EQ("10", sim->channel_field(5, "last-ptz-range"));

    unsigned char logo_bytes[300] = {};
    Byte_Array logo;
    logo.__ptr = logo_bytes;
    logo.__size = 300;
    ASSERT_EQ(0, service->setptzlogo(5, &logo, 40, 50, r));
    EXPECT_EQ("300", sim->channel_field(5, "logo-bytes"));
    EXPECT_EQ("50", sim->channel_field(5, "logo-y"));

    bool signal = false;
    ASSERT_EQ(0, service->videosignal(5, signal));
    EXPECT_TRUE(signal);
    ASSERT_TRUE(sim->ok("set-channel 5 signal 0"));
    ASSERT_EQ(0, service->videosignal(5, signal));
    EXPECT_FALSE(signal);

    String_Array *cards = nullptr;
    ASSERT_EQ(0, service->get_vcardsn(cards));
    ASSERT_NE(nullptr, cards);
    ASSERT_EQ(2, cards->__size);
    EXPECT_STREQ("RQ-SIM-VC-0001", cards->__ptr[0]);

    /* the simulator names files after the times it decoded: the dates
       written as local time with offset arrive as the same instants */
    String_Array *files = nullptr;
    ASSERT_EQ(0, service->get_vodflist(5, 1700000000, 1700000000 + 7200, files));
    ASSERT_NE(nullptr, files);
    ASSERT_EQ(3, files->__size);
    EXPECT_STREQ("1700000000-5.mp4", files->__ptr[0]);
    EXPECT_STREQ("1700007200-5.mp4", files->__ptr[2]);
}

TEST_F(Service_Test, LogNamesEveryRequestInOrder)
{
    int r = 0;
    bool signal = false;
    PtzInfo_T *ptz = nullptr;
    char user[] = "guest"; /* two arrays: one text reached twice would be sent once, by reference */
    char password[] = "guest";
    ASSERT_EQ(0, service->logon(user, password, r));
    ASSERT_EQ(0, service->videosignal(1, signal));
    ASSERT_EQ(0, service->get_ptzinfo(1, ptz));
    const std::vector<std::string> expected = {"logon", "videosignal", "get-ptzinfo"};
    EXPECT_EQ(expected, logged_operations(*sim));
    const std::vector<Sim_Request> requests = sim->requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_NE(std::string::npos, requests[0].body().find("<usrid>guest</usrid><usrpwd>guest</usrpwd>"));
    EXPECT_NE(std::string::npos, requests[2].header().find("SOAPAction: \"\"\r\n"));
}

TEST_F(Service_Test, UnknownChannelIsAClientFault)
{
    PtzInfo_T *ptz = reinterpret_cast<PtzInfo_T *>(0x1);
    EXPECT_EQ(ws_client_fault, service->get_ptzinfo(1000, ptz));
    EXPECT_EQ(nullptr, ptz);
}

namespace {

size_t committed_bytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

} // namespace

/* Results stay until released; released after each call, memory stays flat
   over any number of calls (and without releasing it would not). */
TEST_F(Service_Test, ReleasedResultsKeepMemoryFlat)
{
    Byte_Array *picture = nullptr;
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(0, service->snapshot(1, picture));
        service->release_results();
    }
    const size_t settled = committed_bytes();
    for (int i = 0; i < 400; ++i) {
        ASSERT_EQ(0, service->snapshot(1 + i % 8, picture));
        service->release_results();
    }
    const size_t after_releasing = committed_bytes();
    EXPECT_LT(after_releasing, settled + 512 * 1024) << settled << " -> " << after_releasing;

    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(0, service->snapshot(1 + i % 8, picture));
    EXPECT_GT(committed_bytes(), after_releasing + 1024 * 1024) << "the kept results should show";
    service->release_results();
}
