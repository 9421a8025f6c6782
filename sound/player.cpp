// The four operations of the sound player and the voice table, all on the UI thread.
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

VoiceSlot g_Voices[VOICE_COUNT];

// A new thread can't take messages before it has made its queue; wait for that, but
// not for a thread that ended first.
constexpr auto kWakeTimeout = std::chrono::seconds(2);

// Posts under the voice's lock so that the post can't land in a queue being dropped.
bool PostToVoice(const VoiceSlot& slot, plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (!slot.life) return false;
  std::lock_guard<std::mutex> guard(slot.life->lock);
  if (slot.life->ended || slot.life->threadId == 0) return false;
  return plat::PostThreadMessage(slot.life->threadId, msg, wParam, lParam);
}

// Repeats the post until the voice has made its queue and takes it, or has ended;
// a wake gives up at its deadline, a quit does not (the join that follows would wait
// on a voice that never heard it).
bool PostUntilTaken(const VoiceSlot& slot, plat::UINT msg, bool withDeadline) {
  auto deadline = std::chrono::steady_clock::now() + kWakeTimeout;
  while (!PostToVoice(slot, msg, 0, 0)) {
    {
      std::lock_guard<std::mutex> guard(slot.life->lock);
      if (slot.life->ended) return false;
    }
    if (withDeadline && std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
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
    PostUntilTaken(slot, WM_VOICE_WAKE, true);
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
  for (VoiceSlot& slot : g_Voices) {
    if (!slot.thread.joinable()) continue;
    PostUntilTaken(slot, WM_VOICE_QUIT, false);
    slot.thread.join();
    slot.life.reset();
    slot.threadId = 0;
  }
}

plat::ThreadId SoundVoiceThreadId(int voice) {
  if (voice < 0 || voice >= VOICE_COUNT) return 0;
  return g_Voices[voice].threadId;
}
