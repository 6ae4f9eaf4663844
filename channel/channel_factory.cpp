#include "channel_factory.h"

#include <new>

#include "channel_impl.h"
#include "hik_channel_impl.h"

Channel* make_channel(const Channel_Param& param, HWND control_window)
{
    Channel_Impl* impl = new (std::nothrow) Hik_Channel_Impl(param, control_window);
    Channel* channel = impl ? new (std::nothrow) Channel(impl) : nullptr;
    if (!channel)
        delete impl;
    return channel;
}
