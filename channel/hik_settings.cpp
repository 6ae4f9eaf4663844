// Hik_Channel_Impl's settings side: camera moves, PTZ line, encoder and
// on-screen settings on the server, picture adjustment, user change.  Not
// built yet: every operation fails, so no caller mistakes it for done.
#include "hik_channel_impl.h"

int Hik_Channel_Impl::ptz_op(int, int, int) { return -1; }
int Hik_Channel_Impl::set_ptz(int, int, int, int) { return -1; }
int Hik_Channel_Impl::get_ptz(Ptz_Para*, int) { return -1; }
int Hik_Channel_Impl::set_video_para(Video_Para, int) { return -1; }
int Hik_Channel_Impl::get_video_para(Video_Para*, int) { return -1; }
int Hik_Channel_Impl::get_video_effect(Video_Effect*, int) { return -1; }
int Hik_Channel_Impl::set_video_effect(Video_Effect, int) { return -1; }
int Hik_Channel_Impl::set_caption(Osd_Logo, int) { return -1; }
int Hik_Channel_Impl::get_osdlogo(Osd_Logo*, int) { return -1; }
int Hik_Channel_Impl::set_usr(const char*, const char*, const char*) { return -1; }
