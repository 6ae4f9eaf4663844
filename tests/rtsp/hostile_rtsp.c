/*
 * hostile-rtsp: an RTSP server for tests that breaks the protocol in one
 * way, so that the streaming library meets servers that are broken or
 * hostile.  Plain sockets, a thread per connection.
 *
 *   hostile-rtsp ADDRESS PORT KIND REPORT
 *
 * KIND is what it does wrong:
 *   redirect-loop    every DESCRIBE is answered 301 Moved Permanently with
 *                    the very URL asked for as the Location;
 *   many-tracks      the description has 500 video tracks and 2 audio
 *                    tracks (the first audio track after the 250th video);
 *   huge-header      every answer carries a header line of 1 MiB;
 *   huge-length      DESCRIBE is answered with a Content-Length of
 *                    100,000,000 and a body that never ends (a length a
 *                    32-bit client can allocate: 2,000,000,000 fails its
 *                    allocation at once);
 *   trickle          every answer goes out one byte a second;
 *   bad-interleaved  a garbage interleaved frame of 65,535 bytes goes before
 *                    each answer, and after PLAY such frames come without
 *                    end;
 *   broken-fu-a      after PLAY, an H.264 FU-A fragment that starts a NAL
 *                    unit, then middle fragments that never end it.
 * Otherwise it answers as a plain server of one H.264 track: OPTIONS,
 * DESCRIBE, SETUP (interleaved in the connection), PLAY, and then closes
 * the connection (there is no media) unless its fault goes on sending.
 *
 * REPORT is a file rewritten whenever a count changes, first once the port
 * listens: the connections that sent a request (the library's plain
 * connect to the port sends none), the DESCRIBE and SETUP requests, and
 * the control paths set up, in order.  The server exits 3 s after its last
 * connection closed, once one has sent a request, and after 30 s in any
 * case: tests under Wine cannot end a Linux process.
 */
#define _GNU_SOURCE
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

static const time_t lifetime_seconds = 30;
static const time_t idle_seconds = 3;
static const size_t huge_header_bytes = 1 << 20;
static const char huge_length[] = "100000000";
static const int many_video_tracks = 500;
static const int many_audio_tracks = 2;
#define GARBAGE_FRAME_BYTES 65535
#define FRAGMENT_BYTES 1400
#define REQUEST_LIMIT 8192

enum kind { REDIRECT_LOOP, MANY_TRACKS, HUGE_HEADER, HUGE_LENGTH, TRICKLE, BAD_INTERLEAVED, BROKEN_FU_A, KINDS };

static const char *const kind_names[KINDS] = {
    "redirect-loop", "many-tracks", "huge-header", "huge-length", "trickle", "bad-interleaved", "broken-fu-a",
};

/* What every connection thread shares; the counts under the lock. */
static struct {
    enum kind kind;
    const char *report_path;
    char *huge_header; /* the 1 MiB line of huge-header, made once */
    pthread_mutex_t lock;
    unsigned connections, describes, setups, open_connections;
    char set_up[4096];
    time_t last_close;
} server = {.lock = PTHREAD_MUTEX_INITIALIZER};

/* One request's method, URL and the header values answers need. */
struct request {
    char method[32];
    char url[1024];
    char cseq[32];
    char transport[512];
};

/* The counts' lock: a default mutex, always given back by the thread that
 * took it, so neither call can fail. */
static void lock_counts(void)
{
    (void)pthread_mutex_lock(&server.lock);
}

static void unlock_counts(void)
{
    (void)pthread_mutex_unlock(&server.lock);
}

/* Rewrites the report whole (a new file renamed over the old one, so a
 * reader never sees half of it).  Called under the lock.  A report that
 * cannot be written leaves the older one, and the test fails on its
 * counts. */
static void write_report(void)
{
    char temporary[4096];
    if ((size_t)snprintf(temporary, sizeof temporary, "%s.new", server.report_path) >= sizeof temporary)
        return;
    FILE *file = fopen(temporary, "w");
    if (!file)
        return;
    (void)fprintf(file, "connections=%u\ndescribes=%u\nsetups=%u\nset-up=%s\n", server.connections,
                  server.describes, server.setups, server.set_up); /* a failed write shows in fclose */
    if (fclose(file) == 0)
        (void)rename(temporary, server.report_path); /* a failed rename leaves the older report */
}

/* Counts one more of `counter`; `setup_url`, when given, adds the track it
 * names (the last part of the URL, "video0") to those set up. */
static void count(unsigned *counter, const char *setup_url)
{
    lock_counts();
    ++*counter;
    if (setup_url) {
        const char *slash = strrchr(setup_url, '/');
        const size_t used = strlen(server.set_up);
        /* a list too long for the report is cut short, and no test expects one */
        (void)snprintf(server.set_up + used, sizeof server.set_up - used, "%s%s", used ? " " : "",
                       slash ? slash + 1 : setup_url);
    }
    write_report();
    unlock_counts();
}

static int send_all(int fd, const void *data, size_t size)
{
    const char *at = data;
    while (size > 0) {
        const ssize_t sent = send(fd, at, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return -1;
        at += sent;
        size -= (size_t)sent;
    }
    return 0;
}

/* One byte a second; -1 once the client has gone. */
static int send_trickling(int fd, const char *data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        if (send_all(fd, data + i, 1) < 0)
            return -1;
        (void)sleep(1); /* a signal that cuts the second short only hurries the trickle */
    }
    return 0;
}

/* xorshift32: garbage that looks like nothing in particular. */
static uint32_t next_garbage(uint32_t *state)
{
    *state ^= *state << 13;
    *state ^= *state >> 17;
    *state ^= *state << 5;
    return *state;
}

/* An interleaved frame on the first track's channel whose 65,535 bytes are
 * garbage.  Its first byte says RTP version 0, so the client takes nothing
 * in it for a packet (an RTCP BYE found in random bytes would end the
 * session at once). */
static int send_garbage_frame(int fd, uint32_t *state)
{
    static const unsigned char header[4] = {'$', 0, 0xff, 0xff};
    unsigned char body[GARBAGE_FRAME_BYTES];
    for (size_t i = 0; i < sizeof body; ++i)
        body[i] = (unsigned char)next_garbage(state);
    body[0] &= 0x3f;
    return send_all(fd, header, sizeof header) < 0 ? -1 : send_all(fd, body, sizeof body);
}

/* Sends an answer as the server's fault has it sent. */
static int deliver(int fd, const char *answer, size_t size)
{
    if (server.kind == TRICKLE)
        return send_trickling(fd, answer, size);
    if (server.kind == BAD_INTERLEAVED) {
        uint32_t state = 2463534242u;
        if (send_garbage_frame(fd, &state) < 0)
            return -1;
    }
    return send_all(fd, answer, size);
}

/* Status line, CSeq, the fault's header line, `headers` (each ending in
 * CRLF) and `body`; with `length` set, it is the Content-Length said
 * whatever the body. */
static int answer(int fd, const struct request *request, const char *status, const char *headers, const char *body,
                  const char *length)
{
    const char *huge = server.huge_header ? server.huge_header : "";
    const size_t body_size = body ? strlen(body) : 0;
    const size_t room = strlen(status) + strlen(request->cseq) + strlen(huge) + strlen(headers) + body_size + 128;
    char *text = malloc(room);
    if (!text)
        return -1;
    char said_length[32];
    (void)snprintf(said_length, sizeof said_length, "%zu", body_size); /* a size_t's digits fit */
    const int size = snprintf(text, room, "RTSP/1.0 %s\r\nCSeq: %s\r\n%s%s%s%s%s\r\n%s", status, request->cseq, huge,
                              headers, body || length ? "Content-Length: " : "", length ? length : body ? said_length : "",
                              body || length ? "\r\n" : "", body ? body : "");
    const int sent = size < 0 || (size_t)size >= room ? -1 : deliver(fd, text, (size_t)size);
    free(text);
    return sent;
}

/* The value of header `name` (case ignored), or "" when the request has none. */
static void header_value(const char *text, const char *name, char *value, size_t size)
{
    const size_t length = strlen(name);
    value[0] = '\0';
    for (const char *line = strstr(text, "\r\n"); line; line = strstr(line + 2, "\r\n")) {
        if (strncasecmp(line + 2, name, length) == 0 && line[2 + length] == ':') {
            const char *start = line + 3 + length;
            while (*start == ' ')
                ++start;
            const size_t span = strcspn(start, "\r\n");
            (void)snprintf(value, size, "%.*s", (int)(span < size ? span : size - 1), start); /* cut to fit */
            return;
        }
    }
}

/* Reads one request's head (requests of this client carry no body); -1 at
 * the end of the connection or a head too long. */
static int read_request(int fd, struct request *request)
{
    char text[REQUEST_LIMIT];
    size_t size = 0;
    while (size < 4 || memcmp(text + size - 4, "\r\n\r\n", 4) != 0) {
        if (size == sizeof text - 1 || recv(fd, text + size, 1, 0) != 1)
            return -1;
        ++size;
    }
    text[size] = '\0';
    if (sscanf(text, "%31s %1023s", request->method, request->url) != 2)
        return -1;
    header_value(text, "CSeq", request->cseq, sizeof request->cseq);
    header_value(text, "Transport", request->transport, sizeof request->transport);
    return 0;
}

static void append(char **text, size_t *size, const char *piece)
{
    const size_t length = strlen(piece);
    char *grown = realloc(*text, *size + length + 1);
    if (!grown)
        return; /* the description comes out shorter; the counts tell */
    memcpy(grown + *size, piece, length + 1);
    *text = grown;
    *size += length;
}

/* The session description: one H.264 track, or the many tracks, audio
 * track N coming before video track (N + 1) * videos / audios. */
static char *description(void)
{
    char *text = NULL;
    size_t size = 0;
    char track[160];
    append(&text, &size, "v=0\r\no=- 0 0 IN IP4 127.0.0.1\r\ns=hostile\r\nc=IN IP4 0.0.0.0\r\nt=0 0\r\n");
    const int videos = server.kind == MANY_TRACKS ? many_video_tracks : 1;
    const int audios = server.kind == MANY_TRACKS ? many_audio_tracks : 0;
    for (int video = 0, audio = 0; video < videos || audio < audios;) {
        const int audio_now = audio < audios && video == (audio + 1) * videos / audios;
        /* each track's lines fit in `track` */
        if (audio_now)
            (void)snprintf(track, sizeof track, "m=audio 0 RTP/AVP 0\r\na=control:audio%d\r\n", audio++);
        else
            (void)snprintf(track, sizeof track,
                           "m=video 0 RTP/AVP 96\r\na=rtpmap:96 H264/90000\r\na=control:video%d\r\n", video++);
        append(&text, &size, track);
    }
    return text;
}

/* A body that never ends: lines of x until the client goes. */
static void send_endless_body(int fd)
{
    char chunk[65536];
    for (size_t i = 0; i < sizeof chunk; ++i)
        chunk[i] = i % 64 == 63 ? '\n' : 'x';
    while (send_all(fd, chunk, sizeof chunk) == 0) {
    }
}

static int answer_describe(int fd, const struct request *request)
{
    char headers[2200]; /* room for a request's longest URL */
    count(&server.describes, NULL);
    if (server.kind == REDIRECT_LOOP) {
        (void)snprintf(headers, sizeof headers, "Location: %s\r\n", request->url);
        return answer(fd, request, "301 Moved Permanently", headers, NULL, NULL);
    }
    (void)snprintf(headers, sizeof headers, "Content-Type: application/sdp\r\nContent-Base: %s/\r\n", request->url);
    if (server.kind == HUGE_LENGTH) {
        if (answer(fd, request, "200 OK", headers, NULL, huge_length) == 0)
            send_endless_body(fd);
        return -1;
    }
    char *sdp = description();
    const int sent = sdp ? answer(fd, request, "200 OK", headers, sdp, NULL) : -1;
    free(sdp);
    return sent;
}

static int answer_setup(int fd, const struct request *request)
{
    char headers[700]; /* room for a request's longest Transport */
    count(&server.setups, request->url);
    (void)snprintf(headers, sizeof headers, "Transport: %s\r\nSession: 5eb0a11;timeout=60\r\n", request->transport);
    return answer(fd, request, "200 OK", headers, NULL, NULL);
}

/* RTP packets of one H.264 FU-A whose end never comes: the first fragment
 * starts an IDR NAL unit, all the others are middle fragments. */
static void send_endless_fragment(int fd)
{
    unsigned char packet[4 + 12 + 2 + FRAGMENT_BYTES];
    const size_t rtp_size = sizeof packet - 4;
    memset(packet, 0xaa, sizeof packet);
    packet[0] = '$';
    packet[1] = 0;
    packet[2] = (unsigned char)(rtp_size >> 8);
    packet[3] = (unsigned char)rtp_size;
    memcpy(packet + 4, "\x80\x60\0\0\0\0\0\0\x12\x34\x56\x78", 12); /* version 2, type 96, time 0 */
    packet[16] = 0x7c;                                            /* FU-A, NAL reference 3 */
    packet[17] = 0x85;                                            /* the start of an IDR slice */
    for (uint16_t sequence = 0;; ++sequence) {
        packet[6] = (unsigned char)(sequence >> 8);
        packet[7] = (unsigned char)sequence;
        if (send_all(fd, packet, sizeof packet) < 0)
            return;
        packet[17] = 0x05; /* middle fragments from here on */
    }
}

static void send_endless_garbage(int fd)
{
    uint32_t state = 88675123u;
    while (send_garbage_frame(fd, &state) == 0) {
    }
}

/* After PLAY's answer: the fault's endless stream, or nothing more. */
static void after_play(int fd)
{
    if (server.kind == BROKEN_FU_A)
        send_endless_fragment(fd);
    else if (server.kind == BAD_INTERLEAVED)
        send_endless_garbage(fd);
}

/* Answers one request; -1 when the connection is to be closed. */
static int serve_request(int fd, const struct request *request)
{
    if (strcmp(request->method, "OPTIONS") == 0)
        return answer(fd, request, "200 OK", "Public: OPTIONS, DESCRIBE, SETUP, PLAY, TEARDOWN\r\n", NULL, NULL);
    if (strcmp(request->method, "DESCRIBE") == 0)
        return answer_describe(fd, request);
    if (strcmp(request->method, "SETUP") == 0)
        return answer_setup(fd, request);
    if (strcmp(request->method, "PLAY") == 0) {
        if (answer(fd, request, "200 OK", "Session: 5eb0a11\r\nRange: npt=0.000-\r\n", NULL, NULL) == 0)
            after_play(fd);
        return -1;
    }
    (void)answer(fd, request, strcmp(request->method, "TEARDOWN") == 0 ? "200 OK" : "501 Not Implemented", "", NULL,
                 NULL); /* the connection closes next in any case */
    return -1;
}

static void *serve_connection(void *argument)
{
    const int fd = (int)(intptr_t)argument;
    struct request request;
    for (int first = 1; read_request(fd, &request) == 0; first = 0) {
        if (first)
            count(&server.connections, NULL);
        if (serve_request(fd, &request) < 0)
            break;
    }
    (void)close(fd); /* a socket of ours, once */
    lock_counts();
    --server.open_connections;
    server.last_close = time(NULL);
    unlock_counts();
    return NULL;
}

static void accept_connection(int listener)
{
    const int fd = accept(listener, NULL, NULL);
    if (fd < 0)
        return; /* a client that went before being taken */
    pthread_t thread;
    lock_counts();
    ++server.open_connections;
    unlock_counts();
    if (pthread_create(&thread, NULL, serve_connection, (void *)(intptr_t)fd) == 0) {
        (void)pthread_detach(thread); /* a thread just made, detached once */
        return;
    }
    (void)close(fd); /* a socket of ours, once: the client sees the connection closed */
    lock_counts();
    --server.open_connections;
    unlock_counts();
}

/* True once the test is done with the server: a client came and went, and
 * nothing has been connected since for the idle time. */
static int finished(time_t now)
{
    lock_counts();
    const int done = server.connections > 0 && server.open_connections == 0 && now - server.last_close >= idle_seconds;
    unlock_counts();
    return done;
}

static int listen_at(const char *address, const char *port)
{
    struct sockaddr_in where = {.sin_family = AF_INET, .sin_port = htons((uint16_t)atoi(port))};
    if (inet_pton(AF_INET, address, &where.sin_addr) != 1)
        return -1;
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int reuse = 1;
    if (listener < 0 || setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0 ||
        bind(listener, (const struct sockaddr *)&where, sizeof where) != 0 || listen(listener, 16) != 0) {
        if (listener >= 0)
            (void)close(listener); /* a socket of ours that never listened, closed once */
        return -1;
    }
    return listener;
}

/* The test that started it waits for the end of its output; the server
 * outlives the test's stream, so its standard streams go to /dev/null. */
static void leave_standard_files(void)
{
    FILE *const streams[] = {stdin, stdout, stderr};
    for (size_t i = 0; i < sizeof streams / sizeof streams[0]; ++i)
        if (!freopen("/dev/null", i == 0 ? "r" : "w", streams[i]))
            return; /* the rest stay the test's, which then waits until the server ends */
}

static int kind_named(const char *name)
{
    for (int kind = 0; kind < KINDS; ++kind)
        if (strcmp(name, kind_names[kind]) == 0)
            return kind;
    return -1;
}

static char *make_huge_header(void)
{
    static const char name[] = "X-Filler: ";
    char *line = malloc(sizeof name - 1 + huge_header_bytes + 3);
    if (!line)
        return NULL;
    memcpy(line, name, sizeof name - 1);
    memset(line + sizeof name - 1, 'a', huge_header_bytes);
    memcpy(line + sizeof name - 1 + huge_header_bytes, "\r\n", 3);
    return line;
}

int main(int argc, char **argv)
{
    const int kind = argc == 5 ? kind_named(argv[3]) : -1;
    if (kind < 0) {
        fprintf(stderr, "usage: hostile-rtsp ADDRESS PORT KIND REPORT\n");
        return 2;
    }
    server.kind = (enum kind)kind;
    server.report_path = argv[4];
    if (server.kind == HUGE_HEADER && !(server.huge_header = make_huge_header())) {
        fprintf(stderr, "hostile-rtsp: no memory for the header line\n");
        return 1;
    }
    const int listener = listen_at(argv[1], argv[2]);
    if (listener < 0) {
        perror("hostile-rtsp: cannot listen");
        return 1;
    }
    (void)signal(SIGPIPE, SIG_IGN); /* a valid signal and handler; a client that went shows in send's result */
    lock_counts();
    write_report();
    unlock_counts();
    leave_standard_files();
    const time_t started = time(NULL);
    for (time_t now = started; now - started < lifetime_seconds && !finished(now); now = time(NULL)) {
        struct pollfd waiting = {.fd = listener, .events = POLLIN};
        if (poll(&waiting, 1, 200) > 0) /* else a timeout or a signal: the bounds are looked at again */
            accept_connection(listener);
    }
    return 0;
}
