// Inside the sound player: the voice threads' messages, the play request, the
// per-playback buffer counter, and the voice routine. sound/sound.h is the outside.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "platform/waveout.h"
#include "platform/win.h"

// Thread messages of a voice; a voice takes nothing outside this range.
constexpr plat::UINT WM_VOICE_WAKE = plat::WM_USER + 1;
constexpr plat::UINT WM_VOICE_PLAY = plat::WM_USER + 2;  // wParam window, lParam name buffer
constexpr plat::UINT WM_VOICE_STOP = plat::WM_USER + 3;  // wParam 0: also drop pending requests
constexpr plat::UINT WM_VOICE_QUIT = plat::WM_USER + 4;

constexpr int WAVE_BUFFER_COUNT = 5;
constexpr std::size_t WAVE_BUFFER_BYTES = 4096;
constexpr int WAIT_SLICE_MS = 50;
constexpr std::size_t SOUND_NAME_CAPACITY = 260;
constexpr const char* SOUND_TRACK_NAME = "res://TESTOGG";

// The name buffer of a WM_VOICE_PLAY: SOUND_NAME_CAPACITY bytes from malloc, owned by
// the message; whoever takes the message frees it. nullptr when memory runs out.
char* AllocSoundName(const char* name);

struct PlayRequest {
  std::string name;
  plat::HWND window = 0;  // 0: nobody to tell
};

class AutoResetEvent {
 public:
  void Set();
  // True when the event was set (and is now clear again), false after `ms`.
  bool Wait(int ms);

 private:
  std::mutex lock_;
  std::condition_variable cv_;
  bool set_ = false;
};

// How many of a playback's buffers the device holds. The device's thread lowers the
// number as buffers come back and sets the event; the voice raises it per buffer.
struct BufferCounter {
  int held = 0;
  std::mutex lock;  // guards `held` only; never held across a wait or a call out
  AutoResetEvent returned;
};

// The device callback: WOM_DONE gives one buffer back; other messages are ignored.
void SoundOutputCallback(plat::UINT message, void* counter, plat::WaveHeader* header);

// What a voice thread and the UI thread share besides its message queue: whether the
// voice has ended. Posting a play request and the voice's ending are serialised by
// the lock, so that no name buffer is posted into a queue that is being thrown away.
struct VoiceLife {
  std::mutex lock;
  std::condition_variable endedSignal;
  bool ended = false;
  plat::ThreadId threadId = 0;  // set under the lock once the queue exists
};

// The routine of a voice thread; returns when told to quit or when a playback can't
// be set up (its source or device fails to open).
void VoiceThread(std::shared_ptr<VoiceLife> life);

// For tests: the thread of a running voice, 0 when it isn't running.
plat::ThreadId SoundVoiceThreadId(int voice);
