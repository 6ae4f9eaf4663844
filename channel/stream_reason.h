// The streaming library's record of why a stream ended, in the channel's
// terms: its kind and one English sentence for logs and people.
#pragma once

#include "hikclient.h"
#include "stream_state.h"

Stream_Reason stream_reason_of(const HIK_STREAM_END& end);
