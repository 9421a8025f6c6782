// The four operations of the sound player and the voice table, all on the UI thread.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "platform/queue.h"
#include "sound/sound.h"
#include "sound/voice.h"

namespace {

struct VoiceSlot {
  std::thread thread;  // not joinable while the voice isn't running
  std::shared_ptr<VoiceLife> life;
  plat::ThreadId threadId = 0;
};

using Clock = std::chrono::steady_clock;

VoiceSlot g_Voices[VOICE_COUNT];
bool g_bVoiceAbandoned = false;

// A new thread can't take messages before it has made its queue; wait for that, but
// not for a thread that ended first.
constexpr auto WAKE_TIMEOUT = std::chrono::seconds(2);
// All voices together get this long to end after their quit. A voice answers within
// a wait slice unless its output blocks (a file PCM on a FIFO nobody reads blocks
// inside the device's set-up); such a voice is left behind, so that sound never
// holds the exit.
constexpr auto QUIT_TIMEOUT = std::chrono::seconds(1);
// A voice told to quit after a blocked one used up that second still gets two wait
// slices: it answers in one, and is not left behind for another's sake.
constexpr auto LATE_QUIT_GRACE = std::chrono::milliseconds(100);

// Posts under the voice's lock so that the post can't land in a queue being dropped.
bool PostToVoice(const VoiceSlot& slot, plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (!slot.life) return false;
  std::lock_guard<std::mutex> guard(slot.life->lock);
  if (slot.life->ended || slot.life->threadId == 0) return false;
  return plat::PostThreadMessage(slot.life->threadId, msg, wParam, lParam);
}

// Repeats the post until the voice has made its queue and takes it, has ended, or
// the deadline has passed.
bool PostUntilTaken(const VoiceSlot& slot, plat::UINT msg, Clock::time_point deadline) {
  while (!PostToVoice(slot, msg, 0, 0)) {
    {
      std::lock_guard<std::mutex> guard(slot.life->lock);
      if (slot.life->ended) return false;
    }
    if (Clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

bool WaitForEnd(VoiceLife& life, Clock::time_point deadline) {
  std::unique_lock<std::mutex> lk(life.lock);
  return life.endedSignal.wait_until(lk, deadline, [&life] { return life.ended; });
}

}  // namespace

void SoundStart() {
  for (VoiceSlot& slot : g_Voices) {
    if (slot.thread.joinable()) continue;  // a second start leaves running voices alone
    auto life = std::make_shared<VoiceLife>();
    try {
      slot.thread = std::thread(VoiceThread, life);
    } catch (const std::system_error&) {
      continue;  // no thread: this voice stays silent
    }
    slot.life = life;
    PostUntilTaken(slot, WM_VOICE_WAKE, Clock::now() + WAKE_TIMEOUT);
    std::lock_guard<std::mutex> guard(life->lock);
    slot.threadId = life->threadId;
  }
}

void SoundPlay(plat::HWND window, int voice) {
  if (voice < 0 || voice >= VOICE_COUNT) return;
  char* name = AllocSoundName(SOUND_TRACK_NAME);
  if (!name) return;
  if (!PostToVoice(g_Voices[voice], WM_VOICE_PLAY, static_cast<plat::WPARAM>(window),
                   reinterpret_cast<plat::LPARAM>(name)))
    std::free(name);  // the voice isn't running: the request is dropped
}

void SoundStop() {
  for (const VoiceSlot& slot : g_Voices) {
    if (slot.thread.joinable()) PostToVoice(slot, WM_VOICE_STOP, 0, 0);
  }
}

void SoundShutdown() {
  auto deadline = Clock::now() + QUIT_TIMEOUT;
  for (VoiceSlot& slot : g_Voices) {
    if (!slot.thread.joinable()) continue;
    auto until = std::max(deadline, Clock::now() + LATE_QUIT_GRACE);
    PostUntilTaken(slot, WM_VOICE_QUIT, until);
    if (WaitForEnd(*slot.life, until)) {
      slot.thread.join();  // it has ended but for its return
    } else {
      slot.thread.detach();  // its own reference keeps its VoiceLife alive
      g_bVoiceAbandoned = true;
    }
    slot.life.reset();
    slot.threadId = 0;
  }
}

bool SoundVoicesAbandoned() { return g_bVoiceAbandoned; }

plat::ThreadId SoundVoiceThreadId(int voice) {
  if (voice < 0 || voice >= VOICE_COUNT) return 0;
  return g_Voices[voice].threadId;
}
