// Dispatch members that act on the active pane's channel: open, close,
// record and capture.  Without a window there is no active pane and they
// answer S_FALSE.
#include "kelm_ctrl.h"

#include <cstdlib>
#include <cwchar>

#include "bstr_text.h"
#include "error_codes.h"
#include "logger.h"
#include "screen.h"
#include "service_address.h"

void kelm_ctrl::reset_pane_record(int index)
{
    pane_channel[index] = -1;
    pane_address[index].clear();
}

// A server's address names a host (service_address.h) and fits the
// server records (19 units and the zero); a stream URL is played as it
// stands.
bool kelm_ctrl::is_openable_address(const wchar_t* address)
{
    return is_stream_url(address) || (is_service_address(address) && wcslen(address) < server_address_units);
}

// The handle comes from the runtime's generator, seeded when the window was
// made; it is stored nowhere (every member acts on the active pane).
HRESULT kelm_ctrl::open_channel(BSTR svr_ip, LONG channel_index)
{
    if (!allowed(Gated_Member::open_channel))
        return S_FALSE;
    const wchar_t* address = bstr_text(svr_ip);
    if (is_secure_stream_url(address)) {
        // Refused in words, as a failed open: this build has no TLS.
        Logger::instance().write(log_status, "rtsps:// is not played: this build has no TLS\n");
        error_code = error_server_login;
        return S_FALSE;
    }
    if (!active_screen || !is_openable_address(address))
        return S_FALSE;
    const int handle = rand();
    const int result = active_screen->open_channel(address, channel_index);
    if (result == -1) {
        // The pane shows nothing now (a lost stream it waited on is given up).
        reset_pane_record(active_index);
        error_code = error_server_login;
        return S_FALSE;
    }
    // An open pane (1) keeps its stream, and its record keeps naming it.
    if (result == 0) {
        pane_channel[active_index] = static_cast<short>(channel_index);
        pane_address[active_index] = address;
    }
    return handle;
}

HRESULT kelm_ctrl::close_channel(LONG)
{
    if (!allowed(Gated_Member::close_channel) || !active_screen)
        return S_FALSE;
    if (active_screen->close_channel() == -1)
        return S_FALSE;
    reset_pane_record(active_index);
    (void)InvalidateRect(hwnd, nullptr, TRUE);
    return S_OK;
}

// A recording or capture that fails answers S_FALSE and leaves its code in
// the pane, which the host reads through error_msg.
HRESULT kelm_ctrl::start_recorde(LONG)
{
    if (!allowed(Gated_Member::start_recorde) || !active_screen)
        return S_FALSE;
    return active_screen->start_recorde(save_filepath.c_str()) == -1 ? S_FALSE : S_OK;
}

HRESULT kelm_ctrl::stop_recorde(LONG)
{
    if (!allowed(Gated_Member::stop_recorde) || !active_screen)
        return S_FALSE;
    (void)active_screen->stop_recorde();
    return S_OK;
}

HRESULT kelm_ctrl::capture()
{
    if (!allowed(Gated_Member::capture) || !active_screen)
        return S_FALSE;
    return active_screen->snapshot(save_filepath.c_str()) == -1 ? S_FALSE : S_OK;
}
