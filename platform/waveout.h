// The wave-out device: plays 16-bit PCM from buffers handed over in order and gives
// each one back through a callback, on a thread of the device's own, once it has
// sounded. On Linux it is an ALSA PCM, on Windows winmm's wave-out; tests put
// their own device in place.
#pragma once
#include <memory>

#include "platform/win.h"

namespace plat {

// Callback messages
constexpr UINT WOM_OPEN = 0x3BB;
constexpr UINT WOM_CLOSE = 0x3BC;
constexpr UINT WOM_DONE = 0x3BD;

// WaveHeader::flags
constexpr DWORD WHDR_DONE = 0x01;
constexpr DWORD WHDR_PREPARED = 0x02;
constexpr DWORD WHDR_INQUEUE = 0x10;

constexpr unsigned short WAVE_FORMAT_PCM = 1;

struct WaveFormat {
  unsigned short formatTag = WAVE_FORMAT_PCM;
  unsigned short channels = 1;
  DWORD samplesPerSec = 44100;
  DWORD avgBytesPerSec = 88200;
  unsigned short blockAlign = 2;
  unsigned short bitsPerSample = 16;  // only 16-bit signed little-endian is played
};

// A buffer lent to the device from Write until its WOM_DONE (or Reset/Close).
// The owner sets data and length; the device owns flags while the header is queued.
struct WaveHeader {
  char* data = nullptr;
  DWORD bufferLength = 0;
  DWORD flags = 0;
};

// Called on the device's thread (WOM_DONE) or inside Open/Reset/Close; `header`
// is null for WOM_OPEN and WOM_CLOSE. It must not call back into the device.
using WaveOutProc = void (*)(UINT message, void* instance, WaveHeader* header);

class WaveOut {
 public:
  virtual ~WaveOut() = default;  // implementations close on destruction
  virtual bool PrepareHeader(WaveHeader* header) = 0;
  virtual bool UnprepareHeader(WaveHeader* header) = 0;  // false while it is queued
  // Queues a prepared buffer behind those already written; a length of 0 is allowed
  // and comes back, in order, once everything before it has sounded.
  virtual bool Write(WaveHeader* header) = 0;
  // Stops the sound at once and hands back every queued buffer, calling back for
  // each before it returns.
  virtual void Reset() = 0;
  // Hands back what is still queued, then releases the device. Idempotent.
  virtual void Close() = 0;
};

// Opens the output for the format; nullptr when there is no device or it refuses.
std::unique_ptr<WaveOut> OpenWaveOut(const WaveFormat& format, WaveOutProc proc, void* instance);

// Linux only: the ALSA device behind OpenWaveOut, on the given PCM name.
std::unique_ptr<WaveOut> OpenAlsaWaveOut(const char* pcmName, const WaveFormat& format,
                                         WaveOutProc proc, void* instance);

// The PCM that OpenWaveOut uses: the name set here, else $KIRU_PCM, else "default".
// nullptr clears a name set before.
void SetWaveOutPcmName(const char* name);

// Replaces the device OpenWaveOut opens (tests record what the voices do); nullptr
// restores the ALSA device.
using WaveOutOpener = std::unique_ptr<WaveOut> (*)(const WaveFormat& format, WaveOutProc proc,
                                                   void* instance);
void SetWaveOutOpenerForTesting(WaveOutOpener opener);

}  // namespace plat
