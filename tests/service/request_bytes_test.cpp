/*
 * request_bytes_test.cpp: the exact bytes of one request of each shape, as a
 * bare socket receives them: the HTTP header in its order with the empty
 * quoted SOAPAction, the XML declaration and line feed, the five prefixes on
 * the envelope, no header element, the encoding style on the body, no white
 * space between elements, null texts and records left out, texts escaped
 * byte by byte, arrays as encoded arrays, multi-referenced texts written once.
 */

#include "dvr_sim.h"
#include "raw_listener.h"
#include "web_service.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

const char envelope_start[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:rqweb=\"urn:rqweb\">"
    "<SOAP-ENV:Body SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">";
/* The runtime ends every message with a line break after the envelope. */
const char envelope_end[] = "</SOAP-ENV:Body></SOAP-ENV:Envelope>\r\n";

std::string expected_request(const std::string &address, const std::string &content)
{
    const std::string body = envelope_start + content + envelope_end;
    return "POST / HTTP/1.1\r\nHost: " + address + ":8000\r\nUser-Agent: gSOAP/2.8\r\n"
           "Content-Type: text/xml; charset=utf-8\r\nContent-Length: " + std::to_string(body.size())
           + "\r\nConnection: close\r\nSOAPAction: \"\"\r\n\r\n" + body;
}

/* Sends one call to a bare listener and returns what it received. */
std::string capture(const std::function<int(Web_Service &)> &call, std::string &address)
{
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    unsigned number = Dvr_Sim::number_for(std::string(info->name()) + "/raw");
    char text[32];
    std::snprintf(text, sizeof text, "127.%u.%u.%u", (number >> 16) & 0xFF, (number >> 8) & 0xFF, number & 0xFF);
    address = text;
    Raw_Listener listener(address, std::string());
    if (!listener.listening())
        return "listener failed";
    Web_Service service(("http://" + address + ":8000").c_str());
    (void)call(service); /* the listener closes without answering: only the request matters */
    return listener.request();
}

/* Local time with offset, computed by the system's own conversion. */
std::string local_date_time(int seconds)
{
    const ULONGLONG ticks = (static_cast<ULONGLONG>(seconds) + 11644473600ULL) * 10000000ULL;
    FILETIME utc = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc_time, local_time;
    FileTimeToSystemTime(&utc, &utc_time);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc_time, &local_time);
    FILETIME local;
    SystemTimeToFileTime(&local_time, &local);
    const LONGLONG offset_minutes =
        ((static_cast<LONGLONG>(local.dwHighDateTime) << 32 | local.dwLowDateTime) - static_cast<LONGLONG>(ticks))
        / 600000000LL;
    const LONGLONG magnitude = offset_minutes < 0 ? -offset_minutes : offset_minutes;
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02d:%02d", local_time.wYear, local_time.wMonth,
                  local_time.wDay, local_time.wHour, local_time.wMinute, local_time.wSecond,
                  offset_minutes < 0 ? '-' : '+', static_cast<int>(magnitude / 60), static_cast<int>(magnitude % 60));
    return text;
}

struct Shape
{
    const char *name;
    std::function<int(Web_Service &)> call;
    std::string content; /* what the body holds */
};

void expect_shapes(const Shape *shapes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        std::string address;
        const std::string received = capture(shapes[i].call, address);
        EXPECT_EQ(expected_request(address, shapes[i].content), received) << shapes[i].name;
    }
}

} // namespace

TEST(RequestBytes, ScalarParameters)
{
    int r = 0;
    bool flag = false;
    const Shape shapes[] = {
        {"no parameters", [](Web_Service &s) { ServerInfo_T *out = nullptr; return s.get_serverinfo(out); },
         "<rqweb:get-serverinfo></rqweb:get-serverinfo>"},
        {"one int", [](Web_Service &s) { PtzInfo_T *out = nullptr; return s.get_ptzinfo(7, out); },
         "<rqweb:get-ptzinfo><channel>7</channel></rqweb:get-ptzinfo>"},
        {"three ints", [&](Web_Service &s) { return s.ptzop(1, 21, 10, r); },
         "<rqweb:ptzop><channel>1</channel><op>21</op><range>10</range></rqweb:ptzop>"},
        {"negative int", [&](Web_Service &s) { return s.set_vodflen(-5, r); },
         "<rqweb:set-vodflen><len>-5</len></rqweb:set-vodflen>"},
        {"bool result", [&](Web_Service &s) { return s.videosignal(3, flag); },
         "<rqweb:videosignal><channel>3</channel></rqweb:videosignal>"},
    };
    expect_shapes(shapes, sizeof shapes / sizeof shapes[0]);
}

TEST(RequestBytes, Records)
{
    int r = 0;
    const Shape shapes[] = {
        {"record", [&](Web_Service &s) { PtzInfo_T ptz; ptz.ptztype = 1; return s.set_ptzinfo(2, &ptz, r); },
         "<rqweb:set-ptzinfo><channel>2</channel><in><port>0</port><ptzaddr>1</ptzaddr><ptztype>1</ptztype>"
         "<ptzspeed>0</ptzspeed><ret>0</ret></in></rqweb:set-ptzinfo>"},
        {"record without channel", [&](Web_Service &s) { VodInfo_T vod; return s.set_vodinfo(&vod, r); },
         "<rqweb:set-vodinfo><in><r-chnl>255</r-chnl><flen>60</flen><almlen>512</almlen><svdays>7</svdays></in>"
         "</rqweb:set-vodinfo>"},
        {"null text left out",
         [&](Web_Service &s) { ChannelInfo_T info; info.channel = 3; return s.set_channelinfo(3, &info, r); },
         "<rqweb:set-channelinfo><channel>3</channel><in><channel>3</channel><standard>2</standard>"
         "<coderate>786432</coderate><resolution>0</resolution><stream-type>1</stream-type><ret>0</ret></in>"
         "</rqweb:set-channelinfo>"},
        {"null record left out", [&](Web_Service &s) { return s.set_videopara(1, nullptr, r); },
         "<rqweb:set-videopara><channel>1</channel></rqweb:set-videopara>"},
        {"booleans and a text escaped byte by byte",
         [&](Web_Service &s) {
             OsdLogo_T osd;
             osd.time = false;
             osd.ox = 16;
             (void)osd.set_osdmsg("A\xD6&<>\n\r\t\x01\x7F\"'z");
             return s.set_osdlogo(4, &osd, r);
         },
         "<rqweb:set-osdlogo><channel>4</channel><in><ox>16</ox><oy>0</oy><lx>0</lx><ly>0</ly><date>true</date>"
         "<time>false</time><osdmsg>A&#214;&amp;&lt;&gt;&#xA;&#xD;\t&#1;\x7F\"'z</osdmsg><ret>0</ret></in>"
         "</rqweb:set-osdlogo>"},
    };
    expect_shapes(shapes, sizeof shapes / sizeof shapes[0]);
}

TEST(RequestBytes, TextsArraysAndDates)
{
    int r = 0;
    static const char shared[] = "abc";
    const Shape shapes[] = {
        {"null password left out", [&](Web_Service &s) { return s.logon("admin", nullptr, r); },
         "<rqweb:logon><usrid>admin</usrid></rqweb:logon>"},
        {"three texts", [&](Web_Service &s) { return s.idpwd("admin", "boss", "s\xE9same", r); },
         "<rqweb:idpwd><oldid>admin</oldid><newid>boss</newid><newpwd>s&#233;same</newpwd></rqweb:idpwd>"},
        {"a text reached twice is written once", [&](Web_Service &s) { return s.idpwd("admin", shared, shared, r); },
         "<rqweb:idpwd><oldid>admin</oldid><newid href=\"#_2\"/><newpwd href=\"#_2\"/></rqweb:idpwd>"
         "<id id=\"_2\" xsi:type=\"xsd:string\">abc</id>"},
        {"byte array",
         [&](Web_Service &s) {
             unsigned char bytes[] = {0, 128, 255};
             Byte_Array logo;
             logo.__ptr = bytes;
             logo.__size = 3;
             return s.setptzlogo(4, &logo, 10, 20, r);
         },
         "<rqweb:setptzlogo><channel>4</channel><logo xsi:type=\"SOAP-ENC:Array\" "
         "SOAP-ENC:arrayType=\"xsd:unsignedByte[3]\"><item>0</item><item>128</item><item>255</item></logo>"
         "<x>10</x><y>20</y></rqweb:setptzlogo>"},
        {"dates as local time with offset",
         [](Web_Service &s) { String_Array *out = nullptr; return s.get_vodflist(2, 0, 1700000000, out); },
         "<rqweb:get-vodflist><channel>2</channel><t1>" + local_date_time(0) + "</t1><t2>"
             + local_date_time(1700000000) + "</t2></rqweb:get-vodflist>"},
    };
    expect_shapes(shapes, sizeof shapes / sizeof shapes[0]);
}
