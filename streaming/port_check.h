// Whether anything listens at the host and port of a stream's URL, asked
// with a plain TCP connect before libavformat opens the session: Wine's
// poll() does not report a refused connect, so libavformat would wait out
// its whole timeout for a server that is down.
#pragma once

#include <atomic>
#include <string>

#include <windows.h>

// True when a TCP connect to the URL's host and port (554 when it names
// none) completes within `bound_ms`; false when it is refused, fails, the
// name does not resolve, the bound passes or `stopping` is set.
bool url_port_answers(const std::string& url, DWORD bound_ms, const std::atomic<bool>& stopping);
