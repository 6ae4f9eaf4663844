// hikclient.dll, bound at run time.  kelm.dll does not import the
// streaming library: a host without it can still register and create the
// control.  The first channel looks for it beside the module that holds
// this code, then where Windows looks for DLLs.
//
// The functions below are the library's, with its names and arguments;
// the channels call them here.  While the library is missing, each answers
// as a failed call (a stream does not start, a state reads as invalid), so
// a channel fails instead of ending the host.
#pragma once

#include "hikclient.h"

// Finds and loads the library once for the process; when it is found
// nowhere, writes a log line naming it and answers false (every time).
bool streaming_library_ready();

namespace streaming {

BOOL MP4_ClientStartup(UINT message, HWND window);
BOOL MP4_ClientCleanup();
BOOL MP4_ClientSetNetPort(WORD server_port, WORD client_port);
BOOL MP4_ClientSetTTL(BYTE ttl);
LONG MP4_ClientStart(Client_Info* info, MP4_Data_Callback callback);
// MP4_ClientStart itself with a library that has no HIK_ClientStartNoWait.
LONG HIK_ClientStartNoWait(Client_Info* info);
BOOL HIK_ClientStreamEndpoint(LONG handle, char* host, DWORD size, WORD* port);
BOOL HIK_ClientStreamEnd(LONG handle, HIK_STREAM_END* end);
BOOL HIK_ClientSnapshot(LONG handle, BYTE* jpeg, DWORD size, DWORD* written);
BOOL MP4_ClientStop(LONG handle);
int MP4_ClientGetState(LONG handle);
BOOL MP4_ClientStartCaptureFile(LONG handle, char* path);
BOOL MP4_ClientStopCapture(LONG handle);
BOOL MP4_ClientAudioStart(LONG handle);
BOOL MP4_ClientAudioStop();
BOOL MP4_ClientAudioVolume(WORD volume);
BOOL HIK_ClientAudioCodec(LONG handle, char* name, DWORD size);
BOOL MP4_ClientSetVideoPara(LONG handle, DWORD reserved, int brightness, int contrast, int saturation, int hue);
BOOL MP4_ClientGetVideoPara(LONG handle, DWORD reserved, int* brightness, int* contrast, int* saturation, int* hue);

} // namespace streaming
