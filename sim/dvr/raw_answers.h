/*
 * raw_answers.h: answers the simulator writes byte by byte instead of
 * through the generated server code: HTTP errors, HTML pages, broken
 * envelopes, and array answers that declare more items than they hold.
 */
#ifndef KELM_SIM_RAW_ANSWERS_H
#define KELM_SIM_RAW_ANSWERS_H

#include "behaviour.h"

#include <string>
#include <vector>

/* A complete HTTP response. */
std::string http_answer(int status, const char *content_type, const std::string &body);

/* The rqweb envelope around the given body content. */
std::string envelope(const std::string &body_content);

/* Whether the operation answers "out" (a record or array) or "r". */
bool answers_out(const std::string &operation);

/* The full HTTP answer of a behaviour that needs no result of the operation
   (everything but normal, oversize, hang and trickle). */
std::string generic_answer(const std::string &operation, const Behaviour &behaviour);

/* The answer of a snapshot of this picture, byte for byte what the
   generated server code writes (headers included), made directly: the
   generated code writes a mebibyte's million items twice (once to count
   them), which takes the simulator more than half a second. */
std::string snapshot_answer(const std::string &picture);

/* An array answer of bytes or texts declaring `declared` items. */
std::string byte_array_answer(const std::string &operation, const std::string &bytes, long declared);
std::string text_array_answer(const std::string &operation, const std::vector<std::string> &texts,
                              long declared);

/* Sends all bytes on the socket; false when the peer went away. */
bool send_all(int fd, const std::string &bytes);

#endif
