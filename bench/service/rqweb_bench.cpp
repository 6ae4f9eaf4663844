/*
 * rqweb_bench.cpp: figures of the rqweb client, as ratios measured in one
 * run against dvr-sim (started like the tests start it, KELM_DVR_SIM):
 *
 *   1. round trip of get-ptzinfo through Web_Service, against a bare TCP
 *      request and reply of the same sizes on the same loopback address;
 *   2. decoding snapshot answers of a 100 KiB and a 1 MiB picture through
 *      Web_Service, against the generated call function on a plain runtime
 *      context decoding the same bytes (both read them from memory);
 *   3. a 1 MiB picture end to end through a channel's snapshot (request,
 *      decoding, JPEG file on disk), against its 0.5 s budget;
 *   4. a call to an address where the connection is refused, against its
 *      1.5 s budget;
 *   5. memory of the process after 10,000 snapshot calls through one proxy,
 *      releasing the results after each, against after 100.
 *
 * It is built with everything and run by hand (scripts/wine-run), never by
 * the tests.
 */

#include "channel_impl.h"
#include "dvr_sim.h"
#include "hik_channel_impl.h"
#include "rqweb_namespaces.h"
#include "socket_transport.h"
#include "web_service.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

double now_ms()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

/* ---- a plain socket exchange ------------------------------------------- */

SOCKET connect_to(const std::string &host, unsigned short port)
{
    SOCKET fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    inet_pton(AF_INET, host.c_str(), &where.sin_addr);
    if (fd != INVALID_SOCKET && connect(fd, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0) {
        closesocket(fd);
        fd = INVALID_SOCKET;
    }
    return fd;
}

/* Sends request, reads until the peer closes; the bytes read. */
std::string exchange(const std::string &host, unsigned short port, const std::string &request)
{
    std::string reply;
    SOCKET fd = connect_to(host, port);
    if (fd == INVALID_SOCKET)
        return reply;
    if (send(fd, request.data(), static_cast<int>(request.size()), 0) == static_cast<int>(request.size())) {
        char buffer[65536];
        int n;
        while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0)
            reply.append(buffer, static_cast<size_t>(n));
    }
    closesocket(fd);
    return reply;
}

/* The bare exchange of dvr-sim: sizes first, then the request bytes. */
std::string bare_request(size_t request_bytes, size_t reply_bytes)
{
    const size_t body = request_bytes > 8 ? request_bytes - 8 : 0;
    std::string request(8, '\0');
    for (int i = 0; i < 4; ++i) {
        request[i] = static_cast<char>(body >> (24 - 8 * i));
        request[4 + i] = static_cast<char>(reply_bytes >> (24 - 8 * i));
    }
    return request + std::string(body, 'r');
}

/* ---- answers read from memory ------------------------------------------ */

std::string memory_answer;
size_t memory_at;

SOAP_SOCKET memory_open(struct soap *, const char *, const char *, int) { return 3; }
int memory_send(struct soap *, const char *, size_t) { return SOAP_OK; }
int memory_close(struct soap *, SOAP_SOCKET) { return SOAP_OK; }
int memory_shutdown(struct soap *, SOAP_SOCKET, int) { return SOAP_OK; }

size_t memory_receive(struct soap *, char *buffer, size_t size)
{
    const size_t n = memory_answer.size() - memory_at < size ? memory_answer.size() - memory_at : size;
    std::memcpy(buffer, memory_answer.data() + memory_at, n);
    memory_at += n;
    return n;
}

void read_from_memory(struct soap *soap)
{
    use_transport(soap, Transport_Functions{memory_open, memory_send, memory_receive, memory_close, memory_shutdown});
}

/* Resident (working set) and committed private memory of the process. */
struct Memory
{
    size_t resident;
    size_t committed;
};

Memory memory_now()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return Memory{counters.WorkingSetSize, counters.PagefileUsage};
}

/* ---- alternating rounds -------------------------------------------------- */

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/* Median milliseconds per run of each of two pieces of work, timed in
   alternating rounds so that a busy machine weighs on both alike. */
struct Paired_Times
{
    double first_ms;
    double second_ms;
};

template <class First, class Second> Paired_Times alternate(int rounds, int runs, First first, Second second)
{
    std::vector<double> firsts, seconds;
    for (int round = 0; round < rounds; ++round) {
        double start = now_ms();
        for (int i = 0; i < runs; ++i)
            first();
        firsts.push_back((now_ms() - start) / runs);
        start = now_ms();
        for (int i = 0; i < runs; ++i)
            second();
        seconds.push_back((now_ms() - start) / runs);
    }
    return Paired_Times{median(firsts), median(seconds)};
}

/* ---- the measurements ---------------------------------------------------- */

void round_trip(const Dvr_Sim &sim)
{
    Web_Service service(sim.endpoint().c_str());
    PtzInfo_T *ptz = nullptr;
    for (int i = 0; i < 20; ++i)
        (void)service.get_ptzinfo(1, ptz); /* warm-up; codes checked below */
    const size_t answer_bytes = static_cast<size_t>(service.soap->count);
    const size_t request_bytes = sim.requests().back().bytes.size();
    const std::string bare = bare_request(request_bytes, answer_bytes);
    int failures = 0;
    const Paired_Times times = alternate(
        20, 25,
        [&] {
            failures += service.get_ptzinfo(1, ptz) != 0;
            service.release_results();
        },
        [&] { failures += exchange(sim.address(), 8002, bare).size() != answer_bytes; });
    std::printf("1. round trip of get-ptzinfo (request %u B, answer %u B, 20 rounds of 25 calls, %d failures)\n"
                "   Web_Service %.3f ms, bare TCP %.3f ms: ratio %.2f\n",
                static_cast<unsigned>(request_bytes), static_cast<unsigned>(answer_bytes), failures, times.first_ms,
                times.second_ms, times.first_ms / times.second_ms);
}

void decoding(const Dvr_Sim &sim, unsigned picture_bytes, int rounds)
{
    (void)sim.ok("snapshot-bytes " + std::to_string(picture_bytes));
    Web_Service live(sim.endpoint().c_str());
    Byte_Array *picture = nullptr;
    if (live.snapshot(1, picture) != 0) {
        std::printf("2. decoding: the snapshot call failed\n");
        return;
    }
    memory_answer = exchange(sim.address(), 8000, sim.requests().back().bytes);
    (void)sim.ok("snapshot-bytes 0");
    int failures = 0, proxy_size = 0, plain_size = 0;

    Web_Service proxy("http://dvr.invalid:8000");
    read_from_memory(proxy.soap);
    struct soap *plain = soap_new(); /* the runtime as it comes, only allowed an array this large */
    soap_set_namespaces(plain, rqweb_namespaces);
    plain->maxoccurs = 2 * 1024 * 1024;
    read_from_memory(plain);
    const Paired_Times times = alternate(
        rounds, 2,
        [&] {
            memory_at = 0;
            failures += proxy.snapshot(1, picture) != 0;
            proxy_size = picture ? picture->__size : -1;
            proxy.release_results();
        },
        [&] {
            memory_at = 0;
            failures += soap_call_rqweb__snapshot(plain, "http://dvr.invalid:8000", "", 1, picture) != 0;
            plain_size = picture ? picture->__size : -1;
            soap_destroy(plain);
            soap_end(plain);
        });
    soap_free(plain);
    std::printf("2. decoding a snapshot answer of %u B (picture %d B through the proxy, %d plain, %d failures)\n"
                "   Web_Service %.2f ms, plain runtime %.2f ms: ratio %.2f\n",
                static_cast<unsigned>(memory_answer.size()), proxy_size, plain_size, failures, times.first_ms,
                times.second_ms, times.first_ms / times.second_ms);
}

/* A folder of its own under the temporary folder. */
std::wstring picture_folder()
{
    wchar_t temp[MAX_PATH];
    (void)GetTempPathW(MAX_PATH, temp); /* an empty prefix only moves the folder */
    return std::wstring(temp) + L"rqweb-bench-" + std::to_wstring(GetCurrentProcessId());
}

void end_to_end(const Dvr_Sim &sim)
{
    const int rounds = 9;
    (void)sim.ok("snapshot-bytes 1048576");
    Channel_Param param;
    param.channel_index = 1;
    param.server_ip = std::wstring(sim.address().begin(), sim.address().end());
    Channel channel(new Hik_Channel_Impl(param, nullptr));
    const std::wstring folder = picture_folder();
    int failures = channel.snapshot(folder.c_str()) != 0; /* warm-up: creates the folder */
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const double start = now_ms();
        failures += channel.snapshot(folder.c_str()) != 0;
        times.push_back(now_ms() - start);
    }
    const double ms = median(times);
    (void)sim.ok("snapshot-bytes 0");
    std::printf("3. a 1 MiB picture end to end through a channel's snapshot (median of %d, %d failures)\n"
                "   %.1f ms against 500 ms: ratio %.2f\n",
                rounds, failures, ms, ms / 500.0);
}

void refused()
{
    Web_Service service("http://127.0.250.9:8000"); /* nothing listens there */
    PtzInfo_T *ptz = nullptr;
    const double start = now_ms();
    const int code = service.get_ptzinfo(1, ptz);
    const double ms = now_ms() - start;
    std::printf("4. a call whose connection is refused (code %d)\n   %.1f ms against 1500 ms: ratio %.3f\n", code, ms,
                ms / 1500.0);
}

void memory(const Dvr_Sim &sim)
{
    Web_Service service(sim.endpoint().c_str());
    Byte_Array *picture = nullptr;
    int failures = 0;
    Memory after_100 = {0, 0};
    for (int i = 1; i <= 10000; ++i) {
        failures += service.snapshot(1 + i % 16, picture) != 0;
        service.release_results();
        if (i == 100)
            after_100 = memory_now();
    }
    const Memory after_10000 = memory_now();
    std::printf("5. memory after 100 and after 10,000 snapshot calls, results released (%d failures)\n"
                "   resident %u KB and %u KB: ratio %.3f; committed %u KB and %u KB: ratio %.3f\n",
                failures, static_cast<unsigned>(after_100.resident / 1024),
                static_cast<unsigned>(after_10000.resident / 1024),
                static_cast<double>(after_10000.resident) / static_cast<double>(after_100.resident),
                static_cast<unsigned>(after_100.committed / 1024), static_cast<unsigned>(after_10000.committed / 1024),
                static_cast<double>(after_10000.committed) / static_cast<double>(after_100.committed));
}

} // namespace

int main()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 1;
    Dvr_Sim sim(Dvr_Sim::number_for("rqweb_bench"));
    if (!sim.running()) {
        std::printf("dvr-sim did not start (KELM_DVR_SIM names it)\n");
        return 1;
    }
    round_trip(sim);
    decoding(sim, 102400, 10);
    decoding(sim, 1048576, 5);
    end_to_end(sim);
    refused();
    memory(sim);
    WSACleanup();
    return 0;
}
