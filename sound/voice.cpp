// The voice threads: each takes play requests from its thread queue and plays each
// one through a wave-out device of its own, decoding just ahead of the device.
#include <vorbis/vorbisfile.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "platform/priority.h"
#include "platform/queue.h"
#include "sound/sound.h"
#include "sound/source.h"
#include "sound/voice.h"

char* AllocSoundName(const char* name) {
  auto* buffer = static_cast<char*>(std::malloc(SOUND_NAME_CAPACITY));
  if (!buffer) return nullptr;
  std::strncpy(buffer, name ? name : "", SOUND_NAME_CAPACITY - 1);
  buffer[SOUND_NAME_CAPACITY - 1] = '\0';
  return buffer;
}

void AutoResetEvent::Set() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    set_ = true;
  }
  cv_.notify_one();
}

bool AutoResetEvent::Wait(int ms) {
  std::unique_lock<std::mutex> lk(lock_);
  if (!cv_.wait_for(lk, std::chrono::milliseconds(ms), [this] { return set_; })) return false;
  set_ = false;
  return true;
}

void SoundOutputCallback(plat::UINT message, void* instance, plat::WaveHeader*) {
  if (message != plat::WOM_DONE) return;
  auto* counter = static_cast<BufferCounter*>(instance);
  {
    std::lock_guard<std::mutex> guard(counter->lock);
    counter->held -= 1;
  }
  counter->returned.Set();
}

namespace {

constexpr plat::UINT FIRST_VOICE_MESSAGE = WM_VOICE_WAKE;
constexpr plat::UINT LAST_VOICE_MESSAGE = WM_VOICE_QUIT;

class Decoder;
class WaveBuffers;

class Voice {
 public:
  void Run();

 private:
  void AppendRequest(const plat::MSG& msg);
  void PumpOne();
  bool WaitForEvent(BufferCounter& counter);
  bool WaitForFreeBuffer(BufferCounter& counter);
  void Drain(BufferCounter& counter);
  bool Play(const PlayRequest& request);
  void Stream(Decoder& decoder, plat::WaveOut& device, WaveBuffers& buffers, BufferCounter& counter);
  bool Interrupted() const { return stop_ || quit_; }

  std::deque<PlayRequest> requests_;
  bool stop_ = false;
  bool quit_ = false;
};

void Voice::AppendRequest(const plat::MSG& msg) {
  auto* buffer = reinterpret_cast<char*>(msg.lParam);
  if (!buffer) return;  // nothing to play
  requests_.push_back(PlayRequest{std::string(buffer, strnlen(buffer, SOUND_NAME_CAPACITY)),
                                  static_cast<plat::HWND>(msg.wParam)});
  std::free(buffer);
}

// During a playback: at most one waiting message.
void Voice::PumpOne() {
  plat::MSG msg;
  if (!plat::PeekMessage(&msg, 0, FIRST_VOICE_MESSAGE, LAST_VOICE_MESSAGE, plat::PM_REMOVE)) return;
  switch (msg.message) {
    case WM_VOICE_STOP:
      if (msg.wParam == 0) requests_.clear();
      stop_ = true;
      break;
    case WM_VOICE_QUIT:
      quit_ = true;
      break;
    case WM_VOICE_PLAY:
      AppendRequest(msg);
      break;
    default:  // WM_VOICE_WAKE
      break;
  }
}

// Waits for the device to hand a buffer back, looking at the queue every slice.
// False when a stop or quit arrived meanwhile.
bool Voice::WaitForEvent(BufferCounter& counter) {
  while (!counter.returned.Wait(WAIT_SLICE_MS)) {
    PumpOne();
    if (Interrupted()) return false;
  }
  return true;
}

bool Voice::WaitForFreeBuffer(BufferCounter& counter) {
  for (;;) {
    bool granted = false;
    {
      std::lock_guard<std::mutex> guard(counter.lock);
      if (counter.held < WAVE_BUFFER_COUNT) {
        counter.held += 1;
        granted = true;
      }
    }
    PumpOne();
    if (Interrupted()) return false;
    if (granted) return true;
    if (!WaitForEvent(counter)) return false;
  }
}

void Voice::Drain(BufferCounter& counter) {
  for (;;) {
    bool allBack;
    {
      std::lock_guard<std::mutex> guard(counter.lock);
      allBack = counter.held <= 0;
    }
    PumpOne();
    if (allBack || Interrupted()) return;
    if (!WaitForEvent(counter)) return;
  }
}

// The decoder of one playback; cleared with it, whichever way the playback ends.
class Decoder {
 public:
  ~Decoder() {
    if (open_) ov_clear(&file_);
  }
  // The source opened and seekable, with at least one channel: its stream info.
  const vorbis_info* Open(const std::string& name) {
    open_ = OpenSoundSource(name.c_str(), &file_);
    if (!open_ || !ov_seekable(&file_)) return nullptr;
    const vorbis_info* info = ov_info(&file_, -1);
    return info && info->channels >= 1 ? info : nullptr;
  }
  // Fills up to `size` bytes; fewer at the end of the data or at a decoder error or gap.
  plat::DWORD Read(char* data, std::size_t size) {
    plat::DWORD length = 0;
    while (length < size) {
      long n = ov_read(&file_, data + length, static_cast<int>(size - length), 0, 2, 1, &bitstream_);
      if (n <= 0) break;
      length += static_cast<plat::DWORD>(n);
    }
    return length;
  }

 private:
  OggVorbis_File file_;
  bool open_ = false;
  int bitstream_ = 0;
};

// 16-bit PCM at the stream's own rate and channels.
plat::WaveFormat PcmFormat(const vorbis_info& info) {
  plat::WaveFormat format;
  format.formatTag = plat::WAVE_FORMAT_PCM;
  format.channels = static_cast<unsigned short>(info.channels);
  format.samplesPerSec = static_cast<plat::DWORD>(info.rate);
  format.bitsPerSample = 16;
  format.blockAlign = static_cast<unsigned short>(16 / 8 * format.channels);
  format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
  return format;
}

// The ring of buffers a playback writes in turn, prepared on its device until released.
class WaveBuffers {
 public:
  explicit WaveBuffers(plat::WaveOut& device) : device_(device) {
    for (plat::WaveHeader& h : headers_) {
      h.data = static_cast<char*>(std::malloc(WAVE_BUFFER_BYTES));
      h.bufferLength = h.data ? WAVE_BUFFER_BYTES : 0;
      device_.PrepareHeader(&h);
    }
  }
  ~WaveBuffers() { Release(); }
  plat::WaveHeader& Next() {
    plat::WaveHeader& h = headers_[ring_];
    ring_ = (ring_ + 1) % WAVE_BUFFER_COUNT;
    return h;
  }
  // After the device's reset, which hands every buffer back.
  void Release() {
    if (released_) return;
    released_ = true;
    for (plat::WaveHeader& h : headers_) {
      device_.UnprepareHeader(&h);
      std::free(h.data);
    }
  }

 private:
  plat::WaveOut& device_;
  plat::WaveHeader headers_[WAVE_BUFFER_COUNT] = {};
  int ring_ = 0;
  bool released_ = false;
};

// Decodes just ahead of the device until the data ends (then waits for the device to
// play it out) or the voice is told to stop or quit.
void Voice::Stream(Decoder& decoder, plat::WaveOut& device, WaveBuffers& buffers, BufferCounter& counter) {
  while (!Interrupted()) {
    if (!WaitForFreeBuffer(counter)) return;
    plat::WaveHeader& h = buffers.Next();
    h.bufferLength = h.data ? decoder.Read(h.data, WAVE_BUFFER_BYTES) : 0;
    device.Write(&h);
    if (h.bufferLength == 0) {
      Drain(counter);
      return;
    }
  }
}

// One playback, from opening the source to closing the device. False when it could
// not be set up: the voice then ends.
bool Voice::Play(const PlayRequest& request) {
  Decoder decoder;
  const vorbis_info* info = decoder.Open(request.name);
  if (!info) return false;
  // Created before the device and destroyed after it, so its callbacks always find it.
  auto counter = std::make_unique<BufferCounter>();
  std::unique_ptr<plat::WaveOut> device = plat::OpenWaveOut(PcmFormat(*info), SoundOutputCallback, counter.get());
  if (!device) return false;
  WaveBuffers buffers(*device);
  Stream(decoder, *device, buffers, *counter);
  if (!Interrupted() && request.window != 0) plat::PostMessage(request.window, WM_SOUND_DONE, 0, 0);
  device->Reset();
  buffers.Release();
  device->Close();
  return true;
}

void Voice::Run() {
  for (;;) {
    plat::MSG msg;
    bool got;
    if (!requests_.empty()) {
      got = plat::PeekMessage(&msg, 0, FIRST_VOICE_MESSAGE, LAST_VOICE_MESSAGE, plat::PM_REMOVE);
    } else {
      plat::GetMessage(&msg, 0, FIRST_VOICE_MESSAGE, LAST_VOICE_MESSAGE);
      got = true;
    }
    if (got) {
      if (msg.message == WM_VOICE_QUIT) return;
      if (msg.message == WM_VOICE_WAKE) continue;
      if (msg.message == WM_VOICE_STOP) {
        if (msg.wParam == 0) requests_.clear();
        continue;
      }
      AppendRequest(msg);  // WM_VOICE_PLAY
      if (requests_.empty()) continue;
    }

    stop_ = false;
    PlayRequest request = std::move(requests_.front());
    requests_.pop_front();
    if (!Play(request) || quit_) return;
  }
}

}  // namespace

void VoiceThread(std::shared_ptr<VoiceLife> life) {
  plat::RaiseThreadPriority();
  plat::EnsureMessageQueue();
  {
    std::lock_guard<std::mutex> guard(life->lock);
    life->threadId = plat::GetCurrentThreadId();
  }

  Voice().Run();

  // From here on posts to this voice fail and SoundPlay keeps its name buffer; the
  // name buffers still queued are ours to free.
  std::lock_guard<std::mutex> guard(life->lock);
  life->ended = true;
  plat::MSG msg;
  while (plat::PeekMessage(&msg, 0, FIRST_VOICE_MESSAGE, LAST_VOICE_MESSAGE, plat::PM_REMOVE)) {
    if (msg.message == WM_VOICE_PLAY) std::free(reinterpret_cast<char*>(msg.lParam));
  }
  plat::DestroyMessageQueue();
  life->endedSignal.notify_all();
}
