// A wave-out device that records what the voices do with it. Buffers come back from a
// thread of the device's own, as the test allows: not at all (hold), all but the
// closing empty one (so a voice stays draining), or everything.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/queue.h"
#include "platform/waveout.h"

namespace soundtest {

enum class Hand { Nothing, AllButEmpty, Everything };

struct DeviceRecord {
  plat::ThreadId opener = 0;  // the voice thread
  std::vector<plat::DWORD> writes;  // lengths, in order
  std::chrono::steady_clock::time_point resetAt{}, closedAt{};
  bool reset = false, closed = false;
};

class FakeDevices {
 public:
  static FakeDevices& Get() {
    static FakeDevices instance;
    return instance;
  }
  void Clear() {
    std::lock_guard<std::mutex> guard(lock);
    records.clear();
    closeOrder.clear();
    hand = Hand::Everything;
  }
  void SetHand(Hand h) {
    std::lock_guard<std::mutex> guard(lock);
    hand = h;
  }
  size_t Count() {
    std::lock_guard<std::mutex> guard(lock);
    return records.size();
  }
  // A copy, so that tests can look at it while the device works on.
  DeviceRecord Record(size_t i) {
    std::lock_guard<std::mutex> guard(lock);
    return i < records.size() ? *records[i] : DeviceRecord{};
  }

  std::mutex lock;
  std::vector<std::shared_ptr<DeviceRecord>> records;
  std::vector<plat::ThreadId> closeOrder;
  Hand hand = Hand::Everything;
};

class FakeDevice final : public plat::WaveOut {
 public:
  FakeDevice(plat::WaveOutProc proc, void* instance, std::shared_ptr<DeviceRecord> record)
      : proc_(proc), instance_(instance), record_(std::move(record)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~FakeDevice() override { Close(); }

  static std::unique_ptr<plat::WaveOut> Open(const plat::WaveFormat& format, plat::WaveOutProc proc,
                                             void* instance) {
    if (format.bitsPerSample != 16 || format.blockAlign != 2 * format.channels) return nullptr;
    auto record = std::make_shared<DeviceRecord>();
    record->opener = plat::GetCurrentThreadId();
    FakeDevices& all = FakeDevices::Get();
    std::lock_guard<std::mutex> guard(all.lock);
    all.records.push_back(record);
    return std::make_unique<FakeDevice>(proc, instance, record);
  }

  bool PrepareHeader(plat::WaveHeader* h) override {
    h->flags |= plat::WHDR_PREPARED;
    return true;
  }
  bool UnprepareHeader(plat::WaveHeader* h) override {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto* q : queue_)
      if (q == h) return false;
    h->flags &= ~plat::WHDR_PREPARED;
    return true;
  }
  bool Write(plat::WaveHeader* h) override {
    if (!(h->flags & plat::WHDR_PREPARED)) return false;
    {
      std::lock_guard<std::mutex> guard(FakeDevices::Get().lock);
      record_->writes.push_back(h->bufferLength);
    }
    std::lock_guard<std::mutex> guard(lock_);
    queue_.push_back(h);
    cv_.notify_one();
    return true;
  }
  void Reset() override {
    std::deque<plat::WaveHeader*> all;
    {
      std::lock_guard<std::mutex> guard(lock_);
      all.swap(queue_);
    }
    for (auto* h : all) proc_(plat::WOM_DONE, instance_, h);
    std::lock_guard<std::mutex> guard(FakeDevices::Get().lock);
    record_->reset = true;
    record_->resetAt = std::chrono::steady_clock::now();
  }
  void Close() override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (closing_) return;
      closing_ = true;
      cv_.notify_one();
    }
    thread_.join();
    Reset();
    FakeDevices& all = FakeDevices::Get();
    std::lock_guard<std::mutex> guard(all.lock);
    record_->closed = true;
    record_->closedAt = std::chrono::steady_clock::now();
    all.closeOrder.push_back(record_->opener);
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lk(lock_);
    while (!closing_) {
      Hand hand;
      {
        std::lock_guard<std::mutex> guard(FakeDevices::Get().lock);
        hand = FakeDevices::Get().hand;
      }
      bool give = !queue_.empty() && (hand == Hand::Everything ||
                                      (hand == Hand::AllButEmpty && queue_.front()->bufferLength != 0));
      if (give) {
        plat::WaveHeader* h = queue_.front();
        queue_.pop_front();
        lk.unlock();
        proc_(plat::WOM_DONE, instance_, h);
        lk.lock();
      } else {
        cv_.wait_for(lk, std::chrono::milliseconds(2));
      }
    }
  }

  plat::WaveOutProc proc_;
  void* instance_;
  std::shared_ptr<DeviceRecord> record_;
  std::mutex lock_;
  std::condition_variable cv_;
  std::deque<plat::WaveHeader*> queue_;
  bool closing_ = false;
  std::thread thread_;
};

}  // namespace soundtest
