#include "control_sound.h"

namespace {

const LONG loudest = 65535;
const int full_percent = 100;

} // namespace

LONG volume_from_percent(int percent)
{
    return static_cast<LONG>(percent) * loudest / full_percent;
}

int percent_from_volume(LONG volume)
{
    return static_cast<int>((volume * full_percent + loudest / 2) / loudest);
}

Control_Sound::Control_Sound(IDispatch* control)
{
    // Without the interface every call below answers as for no sound.
    (void)control->QueryInterface(IID_Ikelm_sound, reinterpret_cast<void**>(sound.put()));
}

int Control_Sound::sounding_pane() const
{
    LONG pane = -1;
    return sound && sound->get_sounding_pane(&pane) == S_OK ? static_cast<int>(pane) : -1;
}

int Control_Sound::volume_percent() const
{
    LONG volume = 0;
    // S_FALSE: the user lacks the sound right, and the value means nothing.
    return sound && sound->get_volume(&volume) == S_OK ? percent_from_volume(volume) : -1;
}

bool Control_Sound::set_volume_percent(int percent)
{
    return sound && sound->put_volume(volume_from_percent(percent)) == S_OK;
}
