#include "sound_controls.h"

#include <commctrl.h>

#include <utility>

#include "console_line.h"
#include "resource.h"
#include "texts.h"

namespace {

// The privilege bit that the control's sound members require.
const long sound_right = 0x200;

} // namespace

Sound_Controls::Sound_Controls(HWND panel, Session& session, IDispatch* control, Tell tell)
    : panel(panel), session(session), sound(control), tell(std::move(tell))
{
    (void)SendMessageW(GetDlgItem(panel, IDC_VOLUME), TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    show_volume();
}

void Sound_Controls::toggle()
{
    const int pane = session.active_pane();
    if (pane >= 0 && pane == sound.sounding_pane())
        stop(pane);
    else
        (void)start();  // a refusal is told there
    show_heard(pane);
}

bool Sound_Controls::start()
{
    if (session.set_sound(true))
        return true;
    tell(no_sound_reason(session.active_pane()));
    return false;
}

void Sound_Controls::stop(int pane)
{
    if (!session.set_sound(false))
        tell(format_text(IDS_SOUND_NOT_STOPPED, pane));
}

// The control answers a refused start alike for every cause; the viewer
// tells them apart by what it knows of the user and the pane.
std::wstring Sound_Controls::no_sound_reason(int pane) const
{
    if (!(session.privilege() & sound_right))
        return load_text(IDS_NO_SOUND_RIGHT);
    const Pane_Status status = session.status(pane);
    if (status.state == Pane_State::closed)
        return format_text(IDS_NO_SOUND_CLOSED, pane);
    if (status.state == Pane_State::lost)
        return format_text(IDS_NO_SOUND_LOST, pane);
    return format_text(IDS_NO_SOUND_TRACK, pane, status.channel, status.server.c_str());
}

void Sound_Controls::show_heard(int active_pane)
{
    const int now = sound.sounding_pane();
    (void)CheckDlgButton(panel, ID_SOUND, now >= 0 && now == active_pane ? BST_CHECKED : BST_UNCHECKED);
    if (now == heard)
        return;
    heard = now;
    const std::wstring text = now < 0 ? load_text(IDS_SOUND_OFF) : format_text(IDS_SOUND_PANE, now);
    (void)SetDlgItemTextW(panel, IDC_SOUND_TEXT, text.c_str());  // the printed line says it too
    print_line(text);
}

void Sound_Controls::show_volume()
{
    HWND slider = GetDlgItem(panel, IDC_VOLUME);
    const int percent = sound.volume_percent();
    if (percent >= 0)
        (void)SendMessageW(slider, TBM_SETPOS, TRUE, percent);
    (void)EnableWindow(slider, percent >= 0);  // answers the earlier state, not a failure
}

void Sound_Controls::on_volume_moved()
{
    const int percent = static_cast<int>(SendMessageW(GetDlgItem(panel, IDC_VOLUME), TBM_GETPOS, 0, 0));
    if (!sound.set_volume_percent(percent))
        tell(load_text(IDS_VOLUME_REFUSED));
}
