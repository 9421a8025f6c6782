#include "platform/waveout.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace plat {
namespace {

using Clock = std::chrono::steady_clock;

// Longest a writer waits before looking at its device again: bounds how late a
// buffer is handed back and how long Reset and Close wait.
constexpr int POLL_MS = 10;
constexpr snd_pcm_uframes_t LATENCY_US = 200000;

std::mutex g_alsaLock;  // alsa-lib's global configuration is built on open and freed on close
std::mutex g_nameLock;
std::string g_pcmName;  // set by SetWaveOutPcmName; empty = not set
std::atomic<WaveOutOpener> g_pOpener{nullptr};

// Sound failures are silent: alsa-lib would otherwise print its errors to stderr.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

class AlsaWaveOut final : public WaveOut {
 public:
  AlsaWaveOut(snd_pcm_t* pcm, const WaveFormat& format, WaveOutProc proc, void* instance)
      : pcm_(pcm), rate_(format.samplesPerSec), frameBytes_(format.blockAlign), proc_(proc),
        instance_(instance) {
    writer_ = std::thread(&AlsaWaveOut::Run, this);
  }
  ~AlsaWaveOut() override { Close(); }

  bool PrepareHeader(WaveHeader* header) override {
    if (!header) return false;
    std::lock_guard<std::mutex> guard(lock_);
    header->flags |= WHDR_PREPARED;
    return true;
  }

  bool UnprepareHeader(WaveHeader* header) override {
    if (!header) return false;
    std::lock_guard<std::mutex> guard(lock_);
    if (header->flags & WHDR_INQUEUE) return false;
    header->flags &= ~WHDR_PREPARED;
    return true;
  }

  bool Write(WaveHeader* header) override {
    if (!header) return false;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (closing_ || !(header->flags & WHDR_PREPARED) || (header->flags & WHDR_INQUEUE)) return false;
      header->flags = (header->flags & ~WHDR_DONE) | WHDR_INQUEUE;
      queue_.push_back(Entry{header, 0, false});
    }
    wake_.notify_one();
    return true;
  }

  void Reset() override {
    std::unique_lock<std::mutex> lk(lock_);
    if (closing_) return;
    std::uint64_t seq = ++resetSeq_;
    wake_.notify_one();
    // The writer hands everything back within one poll interval.
    done_.wait(lk, [&] { return resetAck_ >= seq; });
  }

  void Close() override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (closing_) return;
      closing_ = true;
    }
    wake_.notify_one();
    writer_.join();
    {
      std::lock_guard<std::mutex> guard(g_alsaLock);
      snd_pcm_close(pcm_);
    }
    pcm_ = nullptr;
    proc_(WOM_CLOSE, instance_, nullptr);
  }

 private:
  struct Entry {
    WaveHeader* header;
    std::uint64_t endFrame;  // frames written to the PCM once this buffer is in
    bool written;
  };

  // Hands back every queued buffer (Reset and Close); the lock is held on entry and exit.
  void HandBackAll(std::unique_lock<std::mutex>& lk) {
    std::deque<Entry> handed;
    handed.swap(queue_);
    offset_ = 0;
    for (Entry& e : handed) e.header->flags = (e.header->flags & ~WHDR_INQUEUE) | WHDR_DONE;
    bool closing = closing_;
    std::uint64_t seq = resetSeq_;
    lk.unlock();
    snd_pcm_drop(pcm_);
    if (!closing) snd_pcm_prepare(pcm_);
    framesWritten_ = 0;
    clockFrames_ = 0;
    for (Entry& e : handed) proc_(WOM_DONE, instance_, e.header);
    lk.lock();
    resetAck_ = seq;
    done_.notify_all();
  }

  // Writes what the PCM takes without blocking; false when it took nothing.
  bool WriteSome(std::unique_lock<std::mutex>& lk) {
    auto it = std::find_if(queue_.begin(), queue_.end(), [](const Entry& e) { return !e.written; });
    if (it == queue_.end()) return false;
    WaveHeader* header = it->header;
    std::size_t offset = offset_;
    std::uint64_t seq = resetSeq_;
    lk.unlock();
    snd_pcm_uframes_t frames = (header->bufferLength - offset) / frameBytes_;
    snd_pcm_sframes_t n = 0;
    if (frames > 0) {
      n = snd_pcm_writei(pcm_, header->data + offset, frames);
      if (n == -EAGAIN) {
        n = 0;
      } else if (n < 0 && snd_pcm_recover(pcm_, static_cast<int>(n), 1) == 0) {
        n = 0;  // underrun mended: try again
      } else if (n < 0) {
        n = static_cast<snd_pcm_sframes_t>(frames);  // a device that fails for good: skip the data
      }
    }
    lk.lock();
    if (resetSeq_ != seq || closing_) return true;  // the queue was emptied meanwhile
    // The buffer is still the first unwritten one: only the writer marks buffers written.
    framesWritten_ += static_cast<std::uint64_t>(n);
    offset_ += static_cast<std::size_t>(n) * frameBytes_;
    if (static_cast<snd_pcm_uframes_t>(n) == frames) {
      it = std::find_if(queue_.begin(), queue_.end(), [](const Entry& e) { return !e.written; });
      it->written = true;
      it->endFrame = framesWritten_;
      offset_ = 0;
      return true;
    }
    return n > 0;
  }

  // Frames that have sounded: the audio clock, never ahead of the device. A PCM that
  // swallows data at once (null, file) is thus paced as a sound card would be.
  std::uint64_t PlayedFrames(Clock::time_point now) {
    double dt = std::chrono::duration<double>(now - lastTick_).count();
    lastTick_ = now;
    clockFrames_ = std::min(static_cast<double>(framesWritten_), clockFrames_ + dt * rate_);
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_delay(pcm_, &delay) < 0 || delay < 0) delay = 0;
    auto device = framesWritten_ - std::min<std::uint64_t>(framesWritten_, static_cast<std::uint64_t>(delay));
    return std::min(static_cast<std::uint64_t>(clockFrames_), device);
  }

  void Run() {
    std::unique_lock<std::mutex> lk(lock_);
    lastTick_ = Clock::now();
    int stalls = 0;
    for (;;) {
      if (resetSeq_ != resetAck_ || closing_) {
        HandBackAll(lk);
        if (closing_) return;
        continue;
      }
      bool wrote = WriteSome(lk);
      if (resetSeq_ != resetAck_ || closing_) continue;

      bool allWritten = std::all_of(queue_.begin(), queue_.end(), [](const Entry& e) { return e.written; });
      lk.unlock();
      // A PCM starts by itself only once its start threshold is reached; the tail of a
      // short sound would otherwise never play.
      if (allWritten && snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED && framesWritten_ > 0) snd_pcm_start(pcm_);
      std::uint64_t played = PlayedFrames(Clock::now());
      lk.lock();

      std::deque<WaveHeader*> finished;
      while (!queue_.empty() && queue_.front().written && queue_.front().endFrame <= played &&
             resetSeq_ == resetAck_ && !closing_) {
        WaveHeader* h = queue_.front().header;
        h->flags = (h->flags & ~WHDR_INQUEUE) | WHDR_DONE;
        finished.push_back(h);
        queue_.pop_front();
      }
      if (!finished.empty()) {
        lk.unlock();
        for (WaveHeader* h : finished) proc_(WOM_DONE, instance_, h);
        lk.lock();
        continue;
      }
      if (resetSeq_ != resetAck_ || closing_) continue;

      if (!allWritten) {
        if (wrote) {
          stalls = 0;
          continue;
        }
        // The PCM is full: wait for room, but never spin on a device that says it has some.
        lk.unlock();
        if (++stalls > 3) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        snd_pcm_wait(pcm_, POLL_MS);
        lk.lock();
      } else if (!queue_.empty()) {
        // Everything is in the PCM: sleep until the first buffer should have sounded.
        double left = (static_cast<double>(queue_.front().endFrame) - static_cast<double>(played)) / rate_;
        auto wait = std::chrono::duration<double>(std::clamp(left, 0.001, POLL_MS / 1000.0));
        wake_.wait_for(lk, wait);
      } else {
        wake_.wait_for(lk, std::chrono::milliseconds(100));
      }
    }
  }

  snd_pcm_t* pcm_;
  const double rate_;
  const std::size_t frameBytes_;
  const WaveOutProc proc_;
  void* const instance_;

  std::mutex lock_;
  std::condition_variable wake_;  // the writer waits here
  std::condition_variable done_;  // Reset waits here
  std::deque<Entry> queue_;       // written by the owner, not yet handed back, in order
  std::size_t offset_ = 0;        // bytes of the first unwritten buffer already in the PCM
  std::uint64_t resetSeq_ = 0, resetAck_ = 0;
  bool closing_ = false;
  std::thread writer_;

  // Writer thread only.
  std::uint64_t framesWritten_ = 0;
  double clockFrames_ = 0;
  Clock::time_point lastTick_;
};

std::string PcmName() {
  std::lock_guard<std::mutex> guard(g_nameLock);
  if (!g_pcmName.empty()) return g_pcmName;
  const char* env = std::getenv("KIRU_PCM");
  return env && *env ? env : "default";
}

}  // namespace

std::unique_ptr<WaveOut> OpenAlsaWaveOut(const char* pcmName, const WaveFormat& format,
                                         WaveOutProc proc, void* instance) {
  if (!pcmName || !proc) return nullptr;
  if (format.formatTag != WAVE_FORMAT_PCM || format.bitsPerSample != 16 || format.channels < 1 ||
      format.channels > 8 || format.samplesPerSec == 0 || format.blockAlign != 2 * format.channels)
    return nullptr;

  snd_pcm_t* pcm = nullptr;
  {
    std::lock_guard<std::mutex> guard(g_alsaLock);
    static std::once_flag quiet;
    std::call_once(quiet, [] {
      snd_lib_error_set_handler(QuietAlsaErrors);
      // An output may be a pipe (a file PCM on a FIFO, or "| command"): a reader
      // that goes away must end the sound as a failed write, not the process.
      std::signal(SIGPIPE, SIG_IGN);
    });
    // Non-blocking, so that no call can hold the writer beyond its poll interval.
    if (snd_pcm_open(&pcm, pcmName, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return nullptr;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, format.channels,
                           format.samplesPerSec, 1, LATENCY_US) < 0) {
      snd_pcm_close(pcm);
      return nullptr;
    }
  }
  std::unique_ptr<WaveOut> device;
  try {
    device = std::make_unique<AlsaWaveOut>(pcm, format, proc, instance);
  } catch (...) {  // no writer thread to be had
    std::lock_guard<std::mutex> guard(g_alsaLock);
    snd_pcm_close(pcm);
    return nullptr;
  }
  proc(WOM_OPEN, instance, nullptr);
  return device;
}

std::unique_ptr<WaveOut> OpenWaveOut(const WaveFormat& format, WaveOutProc proc, void* instance) {
  if (WaveOutOpener opener = g_pOpener.load()) return opener(format, proc, instance);
  return OpenAlsaWaveOut(PcmName().c_str(), format, proc, instance);
}

void SetWaveOutPcmName(const char* name) {
  std::lock_guard<std::mutex> guard(g_nameLock);
  g_pcmName = name ? name : "";
}

void SetWaveOutOpenerForTesting(WaveOutOpener opener) { g_pOpener.store(opener); }

}  // namespace plat
