// The web service of a server, reached at "http://" + address + ":8000".
#pragma once

#include <string>

class Web_Service;

// A proxy for the server at `server_ip`, or null when the address names no
// host (service_address.h), the endpoint does not fit the 40 bytes a server
// address may take, or the proxy cannot be made.
// The caller owns the proxy.
Web_Service* make_web_service(const std::wstring& server_ip);
