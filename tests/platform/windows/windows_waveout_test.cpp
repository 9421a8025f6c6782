// The winmm wave-out device: buffers come back in the order they were written, a
// buffer of no length after everything before it, and Reset and Close hand back
// what is still queued before they return. Under Wine the suite's ALSA default
// PCM is a null device, which plays in real time.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/waveout.h"

namespace {

struct Record {
  std::mutex lock;
  std::vector<const plat::WaveHeader*> done;
  int opens = 0, closes = 0;
};

void Callback(plat::UINT message, void* instance, plat::WaveHeader* header) {
  auto* r = static_cast<Record*>(instance);
  std::lock_guard<std::mutex> guard(r->lock);
  if (message == plat::WOM_DONE) r->done.push_back(header);
  if (message == plat::WOM_OPEN) ++r->opens;
  if (message == plat::WOM_CLOSE) ++r->closes;
}

std::size_t DoneCount(Record& r) {
  std::lock_guard<std::mutex> guard(r.lock);
  return r.done.size();
}

class WaveOutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    device_ = plat::OpenWaveOut(plat::WaveFormat{}, Callback, &record_);
    if (!device_) GTEST_SKIP() << "no wave-out device";
    for (auto& samples : buffers_) samples.assign(4410 * 2, 0);  // 50 ms of silence each
    for (int i = 0; i < 4; ++i) {
      headers_[i].data = buffers_[i].data();
      headers_[i].bufferLength = i == 3 ? 0 : static_cast<plat::DWORD>(buffers_[i].size());
      ASSERT_TRUE(device_->PrepareHeader(&headers_[i]));
    }
  }

  Record record_;
  std::unique_ptr<plat::WaveOut> device_;
  std::vector<char> buffers_[4];
  plat::WaveHeader headers_[4];
};

TEST_F(WaveOutTest, BuffersComeBackInOrderTheEmptyOneLast) {
  EXPECT_EQ(record_.opens, 1);
  for (auto& h : headers_) ASSERT_TRUE(device_->Write(&h));
  EXPECT_FALSE(device_->UnprepareHeader(&headers_[0])) << "still queued";
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (DoneCount(record_) < 4 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(DoneCount(record_), 4u);
  EXPECT_EQ(record_.done, (std::vector<const plat::WaveHeader*>{&headers_[0], &headers_[1], &headers_[2], &headers_[3]}));
  for (auto& h : headers_) {
    EXPECT_TRUE(h.flags & plat::WHDR_DONE);
    EXPECT_FALSE(h.flags & plat::WHDR_INQUEUE);
    EXPECT_TRUE(device_->UnprepareHeader(&h));
  }
  device_->Close();
  device_->Close();
  EXPECT_EQ(record_.closes, 1) << "closing twice closes once";
}

TEST_F(WaveOutTest, ResetHandsEverythingBackBeforeItReturns) {
  for (auto& h : headers_) ASSERT_TRUE(device_->Write(&h));
  device_->Reset();
  EXPECT_EQ(DoneCount(record_), 4u);
  for (auto& h : headers_) EXPECT_FALSE(h.flags & plat::WHDR_INQUEUE);
  // The device plays on after a reset.
  ASSERT_TRUE(device_->Write(&headers_[3]));
  EXPECT_EQ(DoneCount(record_), 5u) << "an empty buffer with nothing ahead comes back at once";
}

}  // namespace
