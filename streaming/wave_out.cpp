#include "wave_out.h"

#include <new>

bool Wave_Out::open(const Pcm_Format& format)
{
    close();
    WAVEFORMATEX wave = {};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = static_cast<WORD>(format.channels);
    wave.nSamplesPerSec = static_cast<DWORD>(format.rate);
    wave.wBitsPerSample = 16;
    wave.nBlockAlign = static_cast<WORD>(format.channels * 2);
    wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
    if (waveOutOpen(&device, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(played), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        device = nullptr;
        return false;
    }
    open_format = format;
    return true;
}

void Wave_Out::close()
{
    if (!device)
        return;
    // A reset marks every queued block played, so each can be unprepared
    // and freed, and the close finds nothing still playing.
    (void)waveOutReset(device);  // a device that fails it is closed all the same
    reap();
    if (waveOutClose(device) != MMSYSERR_NOERROR) {
        // Blocks the device still holds must outlive it: they are left to
        // the process rather than freed under the device.
        for (auto& block : queued)
            (void)block.release();
    }
    queued.clear();
    queued_frames = 0;
    device = nullptr;
    open_format = Pcm_Format();
}

bool Wave_Out::write(std::vector<int16_t>&& samples)
{
    if (!device || samples.empty())
        return false;
    std::unique_ptr<Queued> block(new (std::nothrow) Queued);
    if (!block)
        return false;
    block->samples = std::move(samples);
    block->header.lpData = reinterpret_cast<LPSTR>(block->samples.data());
    block->header.dwBufferLength = static_cast<DWORD>(block->samples.size() * sizeof(int16_t));
    if (waveOutPrepareHeader(device, &block->header, sizeof block->header) != MMSYSERR_NOERROR)
        return false;
    if (waveOutWrite(device, &block->header, sizeof block->header) != MMSYSERR_NOERROR) {
        (void)waveOutUnprepareHeader(device, &block->header, sizeof block->header);  // never queued
        return false;
    }
    queued_frames += static_cast<int64_t>(block->samples.size()) / open_format.channels;
    queued.push_back(std::move(block));
    return true;
}

void Wave_Out::reap()
{
    while (!queued.empty() && (queued.front()->header.dwFlags & WHDR_DONE)) {
        Queued& block = *queued.front();
        if (waveOutUnprepareHeader(device, &block.header, sizeof block.header) != MMSYSERR_NOERROR)
            return;  // still the device's; tried again at the next reap
        queued_frames -= static_cast<int64_t>(block.samples.size()) / open_format.channels;
        queued.pop_front();
    }
}

int64_t Wave_Out::queued_ms() const
{
    return open_format.rate > 0 ? queued_frames * 1000 / open_format.rate : 0;
}
