// The wave-out device on winmm: waveOutOpen with a callback function, which gives
// each buffer back in the order it was written. A buffer of no length never reaches
// the device: it comes back once everything written before it has sounded.
#include "platform/waveout.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "platform/windows/windows_winapi.h"

#include <mmsystem.h>

namespace plat {
namespace {

constexpr auto RESET_LIMIT = std::chrono::seconds(2);  // a driver that never answers
std::atomic<WaveOutOpener> g_pOpener{nullptr};

class WinWaveOut final : public WaveOut {
 public:
  WinWaveOut(WaveOutProc proc, void* instance) : proc_(proc), instance_(instance) {}
  ~WinWaveOut() override { Close(); }

  bool Open(const WaveFormat& format) {
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = format.formatTag;
    wfx.nChannels = format.channels;
    wfx.nSamplesPerSec = format.samplesPerSec;
    wfx.nAvgBytesPerSec = format.avgBytesPerSec;
    wfx.nBlockAlign = format.blockAlign;
    wfx.wBitsPerSample = format.bitsPerSample;
    return ::waveOutOpen(&device_, WAVE_MAPPER, &wfx, reinterpret_cast<DWORD_PTR>(&Callback),
                         reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) == MMSYSERR_NOERROR;
  }

  bool PrepareHeader(WaveHeader* header) override {
    if (!header) return false;
    std::lock_guard<std::mutex> guard(lock_);
    if (!device_ || (header->flags & WHDR_INQUEUE)) return false;
    auto& native = native_[header];
    if (!native) native = std::make_unique<WAVEHDR>();
    if (!PrepareNative(*native, header)) return false;
    header->flags |= WHDR_PREPARED;
    return true;
  }

  bool UnprepareHeader(WaveHeader* header) override {
    if (!header) return false;
    std::lock_guard<std::mutex> guard(lock_);
    if (header->flags & WHDR_INQUEUE) return false;
    auto it = native_.find(header);
    if (it != native_.end()) {
      if (device_ && (it->second->dwFlags & WHDR_PREPARED))
        ::waveOutUnprepareHeader(device_, it->second.get(), sizeof(WAVEHDR));
      native_.erase(it);
    }
    header->flags &= ~WHDR_PREPARED;
    return true;
  }

  bool Write(WaveHeader* header) override {
    if (!header) return false;
    std::vector<WaveHeader*> done;
    {
      std::lock_guard<std::mutex> guard(lock_);
      auto it = native_.find(header);
      if (!device_ || it == native_.end() || !(header->flags & WHDR_PREPARED) || (header->flags & WHDR_INQUEUE))
        return false;
      header->flags = (header->flags & ~WHDR_DONE) | WHDR_INQUEUE;
      order_.push_back(header);
      if (header->bufferLength == 0) {
        if (order_.size() == 1) TakeFinished(&done);  // nothing ahead of it
      } else {
        WAVEHDR& native = *it->second;
        if (native.lpData != header->data || native.dwBufferLength != header->bufferLength)
          PrepareNative(native, header);  // the owner filled a different length
        if (::waveOutWrite(device_, &native, sizeof native) != MMSYSERR_NOERROR) {
          order_.pop_back();
          header->flags &= ~WHDR_INQUEUE;
          return false;
        }
      }
    }
    Report(done);
    return true;
  }

  void Reset() override {
    HWAVEOUT device;
    {
      std::lock_guard<std::mutex> guard(lock_);
      device = device_;
    }
    if (!device) return;
    // The driver hands each queued buffer back through the callback; not holding
    // the lock lets it do so on this thread or its own.
    ::waveOutReset(device);
    std::unique_lock<std::mutex> lk(lock_);
    returned_.wait_for(lk, RESET_LIMIT, [this] { return OnlyMarkersLeft(); });
    std::vector<WaveHeader*> done(order_.begin(), order_.end());  // markers, or a driver that failed us
    order_.clear();
    for (WaveHeader* h : done) h->flags = (h->flags & ~WHDR_INQUEUE) | WHDR_DONE;
    lk.unlock();
    Report(done);
  }

  void Close() override {
    Reset();
    HWAVEOUT device;
    {
      std::lock_guard<std::mutex> guard(lock_);
      device = device_;
      device_ = nullptr;
      for (auto& [header, native] : native_) {
        if (device && (native->dwFlags & WHDR_PREPARED)) ::waveOutUnprepareHeader(device, native.get(), sizeof(WAVEHDR));
        header->flags &= ~WHDR_PREPARED;
      }
      native_.clear();
    }
    if (!device) return;
    ::waveOutClose(device);
    proc_(WOM_CLOSE, instance_, nullptr);
  }

 private:
  static void CALLBACK Callback(HWAVEOUT, UINT message, DWORD_PTR self, DWORD_PTR param, DWORD_PTR) {
    if (message != MM_WOM_DONE) return;
    auto* native = reinterpret_cast<WAVEHDR*>(param);
    reinterpret_cast<WinWaveOut*>(self)->Finished(reinterpret_cast<WaveHeader*>(native->dwUser));
  }

  bool PrepareNative(WAVEHDR& native, WaveHeader* header) {
    if (native.dwFlags & WHDR_PREPARED) ::waveOutUnprepareHeader(device_, &native, sizeof native);
    native = WAVEHDR{};
    native.lpData = header->data;
    native.dwBufferLength = header->bufferLength;
    native.dwUser = reinterpret_cast<DWORD_PTR>(header);
    return ::waveOutPrepareHeader(device_, &native, sizeof native) == MMSYSERR_NOERROR;
  }

  // The driver's thread: this buffer has sounded, and with it every marker behind it.
  void Finished(WaveHeader* header) {
    std::vector<WaveHeader*> done;
    {
      std::lock_guard<std::mutex> guard(lock_);
      for (auto it = order_.begin(); it != order_.end(); ++it)
        if (*it == header) {
          order_.erase(it);
          header->flags = (header->flags & ~WHDR_INQUEUE) | WHDR_DONE;
          done.push_back(header);
          break;
        }
      TakeFinished(&done);
    }
    Report(done);
    returned_.notify_all();
  }

  // Markers at the front have nothing left ahead of them. Caller holds the lock.
  void TakeFinished(std::vector<WaveHeader*>* done) {
    while (!order_.empty() && order_.front()->bufferLength == 0) {
      WaveHeader* h = order_.front();
      order_.pop_front();
      h->flags = (h->flags & ~WHDR_INQUEUE) | WHDR_DONE;
      done->push_back(h);
    }
  }

  bool OnlyMarkersLeft() const {
    for (const WaveHeader* h : order_)
      if (h->bufferLength != 0) return false;
    return true;
  }

  void Report(const std::vector<WaveHeader*>& done) {
    for (WaveHeader* h : done) proc_(WOM_DONE, instance_, h);
  }

  WaveOutProc proc_;
  void* instance_;
  std::mutex lock_;
  std::condition_variable returned_;
  HWAVEOUT device_ = nullptr;
  std::map<WaveHeader*, std::unique_ptr<WAVEHDR>> native_;  // fixed addresses while queued
  std::deque<WaveHeader*> order_;  // written and not yet given back, oldest first
};

}  // namespace

std::unique_ptr<WaveOut> OpenWaveOut(const WaveFormat& format, WaveOutProc proc, void* instance) {
  if (WaveOutOpener opener = g_pOpener.load()) return opener(format, proc, instance);
  if (!proc || format.formatTag != WAVE_FORMAT_PCM || format.bitsPerSample != 16) return nullptr;
  auto device = std::make_unique<WinWaveOut>(proc, instance);
  if (!device->Open(format)) return nullptr;
  proc(WOM_OPEN, instance, nullptr);
  return device;
}

void SetWaveOutOpenerForTesting(WaveOutOpener opener) { g_pOpener.store(opener); }

}  // namespace plat
