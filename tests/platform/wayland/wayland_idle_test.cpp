// The idle watcher's view of the compositor, against a compositor played here on
// a thread of its own: which protocol it takes, the wait it asks for, the state
// the compositor's events make, and a compositor that goes away.
#include <gtest/gtest.h>
#include <wayland-server.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ext-idle-notify-v1-server-protocol.h"
#include "idle-server-protocol.h"
#include "platform/wayland/wayland_desktop.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

namespace {

struct Offer {
  bool ext = false, kde = false, seat = true;
};

// The compositor's globals and the notifications asked of it; touched only on its thread.
class FakeCompositor {
 public:
  explicit FakeCompositor(Offer offer) {
    display_ = wl_display_create();
    const char* socket = wl_display_add_socket_auto(display_);
    if (socket) kiru_test::SetEnv("WAYLAND_DISPLAY", socket);
    if (offer.seat) wl_global_create(display_, &wl_seat_interface, 1, this, BindSeat);
    if (offer.ext) wl_global_create(display_, &ext_idle_notifier_v1_interface, 1, this, BindExt);
    if (offer.kde) wl_global_create(display_, &org_kde_kwin_idle_interface, 1, this, BindKde);
    thread_ = std::thread([this] { Run(); });
  }
  ~FakeCompositor() {
    stop_ = true;
    thread_.join();
    wl_display_destroy_clients(display_);
    wl_display_destroy(display_);
  }

  // Runs `task` on the compositor's thread and waits for it.
  void Do(const std::function<void()>& task) {
    std::unique_lock<std::mutex> lock(mutex_);
    tasks_.push_back(task);
    done_.wait(lock, [&] { return tasks_.empty(); });
  }
  // The notifications asked for, in order ("<interface> <wait>"), and how many live now.
  std::vector<std::string> Made() {
    std::vector<std::string> made;
    Do([&] { made = made_; });
    return made;
  }
  int Live() {
    int live = 0;
    Do([&] { live = static_cast<int>(live_.size()); });
    return live;
  }
  // The newest notification turns idle (true) or active again (false).
  void Send(bool idle) {
    Do([&] {
      wl_resource* newest = live_.back();
      if (wl_resource_instance_of(newest, &ext_idle_notification_v1_interface, nullptr)) {
        idle ? ext_idle_notification_v1_send_idled(newest) : ext_idle_notification_v1_send_resumed(newest);
      } else {
        idle ? org_kde_kwin_idle_timeout_send_idle(newest) : org_kde_kwin_idle_timeout_send_resumed(newest);
      }
    });
  }
  void DropClients() { Do([&] { wl_display_destroy_clients(display_); }); }

 private:
  void Run() {
    wl_event_loop* loop = wl_display_get_event_loop(display_);
    while (!stop_) {
      wl_event_loop_dispatch(loop, 5);
      std::lock_guard<std::mutex> lock(mutex_);
      for (auto& task : tasks_) task();
      tasks_.clear();
      done_.notify_all();
      wl_display_flush_clients(display_);
    }
  }

  static FakeCompositor* Of(wl_resource* resource) {
    return static_cast<FakeCompositor*>(wl_resource_get_user_data(resource));
  }
  static void DestroyRequest(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
  // A notification's resource, counted while it lives.
  void Notification(wl_client* client, const wl_interface* interface, const void* implementation,
                    std::uint32_t id, std::uint32_t wait) {
    wl_resource* resource = wl_resource_create(client, interface, 1, id);
    wl_resource_set_implementation(resource, implementation, this, [](wl_resource* gone) {
      auto& live = Of(gone)->live_;
      std::erase(live, gone);
    });
    live_.push_back(resource);
    made_.push_back(std::string(interface->name) + " " + std::to_string(wait));
  }

  static void BindSeat(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
    wl_resource_set_implementation(wl_resource_create(client, &wl_seat_interface, version, id), nullptr,
                                   nullptr, nullptr);
  }
  static void GetExt(wl_client* client, wl_resource* notifier, std::uint32_t id, std::uint32_t wait, wl_resource*) {
    static const struct ext_idle_notification_v1_interface NOTIFICATION{DestroyRequest};
    Of(notifier)->Notification(client, &ext_idle_notification_v1_interface, &NOTIFICATION, id, wait);
  }
  static void BindExt(wl_client* client, void* self, std::uint32_t, std::uint32_t id) {
    static const struct ext_idle_notifier_v1_interface NOTIFIER{DestroyRequest, GetExt};
    wl_resource_set_implementation(wl_resource_create(client, &ext_idle_notifier_v1_interface, 1, id), &NOTIFIER,
                                   self, nullptr);
  }
  static void GetKde(wl_client* client, wl_resource* idle, std::uint32_t id, wl_resource*, std::uint32_t wait) {
    static const struct org_kde_kwin_idle_timeout_interface TIMEOUT{DestroyRequest, [](wl_client*, wl_resource*) {}};
    Of(idle)->Notification(client, &org_kde_kwin_idle_timeout_interface, &TIMEOUT, id, wait);
  }
  static void BindKde(wl_client* client, void* self, std::uint32_t, std::uint32_t id) {
    static const struct org_kde_kwin_idle_interface IDLE{GetKde};
    wl_resource_set_implementation(wl_resource_create(client, &org_kde_kwin_idle_interface, 1, id), &IDLE, self,
                                   nullptr);
  }

  wl_display* display_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable done_;
  std::vector<std::function<void()>> tasks_;
  std::vector<wl_resource*> live_;
  std::vector<std::string> made_;
};

class IdleWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kiru_test::SetEnv("XDG_RUNTIME_DIR", runtime_.Path().c_str());
    kiru_test::UnsetEnv("WAYLAND_SOCKET");
  }
  // The state once it is `want`, or whatever it is after two seconds.
  static int Await(int want) {
    int state = -2;
    for (int i = 0; i < 40 && state != want; ++i) state = plat::wayland::WaitIdleWatch(50);
    return state;
  }
  kiru_test::TempDir runtime_{"kiru-idle"};
};

TEST_F(IdleWatchTest, ExtIdleNotifyIsPreferredAndANewWaitMakesAFreshNotification) {
  FakeCompositor compositor({.ext = true, .kde = true});
  EXPECT_STREQ(plat::wayland::OpenIdleWatch(300000), "ext_idle_notifier_v1");
  EXPECT_EQ(Await(0), 0);
  EXPECT_EQ(compositor.Made(), std::vector<std::string>{"ext_idle_notification_v1 300000"});
  compositor.Send(true);
  EXPECT_EQ(Await(1), 1);
  compositor.Send(false);
  EXPECT_EQ(Await(0), 0);
  compositor.Send(true);
  EXPECT_EQ(Await(1), 1);
  // The old notification goes, and the fresh one starts active.
  plat::wayland::SetIdleWatchWait(60000);
  EXPECT_EQ(plat::wayland::WaitIdleWatch(0), 0);
  EXPECT_TRUE(kiru_test::WaitUntil([&] { return compositor.Made().size() == 2; }, 2000));
  EXPECT_EQ(compositor.Made(),
            (std::vector<std::string>{"ext_idle_notification_v1 300000", "ext_idle_notification_v1 60000"}));
  EXPECT_TRUE(kiru_test::WaitUntil([&] { return compositor.Live() == 1; }, 2000));
  compositor.Send(true);
  EXPECT_EQ(Await(1), 1);
}

TEST_F(IdleWatchTest, KdeIdleServesWhereItIsAllThereIs) {
  FakeCompositor compositor({.kde = true});
  EXPECT_STREQ(plat::wayland::OpenIdleWatch(5000), "org_kde_kwin_idle");
  EXPECT_EQ(Await(0), 0);
  EXPECT_EQ(compositor.Made(), std::vector<std::string>{"org_kde_kwin_idle_timeout 5000"});
  compositor.Send(true);
  EXPECT_EQ(Await(1), 1);
  compositor.Send(false);
  EXPECT_EQ(Await(0), 0);
  plat::wayland::SetIdleWatchWait(7000);
  EXPECT_TRUE(kiru_test::WaitUntil([&] { return compositor.Live() == 1 && compositor.Made().size() == 2; }, 2000));
  EXPECT_EQ(compositor.Made().back(), "org_kde_kwin_idle_timeout 7000");
}

TEST_F(IdleWatchTest, NoIdleProtocolNoSeatOrNoCompositorIsNoWatch) {
  {
    FakeCompositor compositor({});
    EXPECT_EQ(plat::wayland::OpenIdleWatch(1000), nullptr);
    EXPECT_EQ(plat::wayland::WaitIdleWatch(0), -1);
  }
  {
    FakeCompositor compositor({.ext = true, .seat = false});
    EXPECT_EQ(plat::wayland::OpenIdleWatch(1000), nullptr);
  }
  kiru_test::SetEnv("WAYLAND_DISPLAY", "wayland-none");
  EXPECT_EQ(plat::wayland::OpenIdleWatch(1000), nullptr);
  EXPECT_EQ(plat::wayland::WaitIdleWatch(0), -1);
}

TEST_F(IdleWatchTest, ACompositorThatGoesAwayBreaksTheWatchForGood) {
  FakeCompositor compositor({.ext = true});
  ASSERT_NE(plat::wayland::OpenIdleWatch(1000), nullptr);
  EXPECT_EQ(Await(0), 0);
  compositor.DropClients();
  EXPECT_EQ(Await(-1), -1);
  plat::wayland::SetIdleWatchWait(2000);
  EXPECT_EQ(plat::wayland::WaitIdleWatch(0), -1);
}

}  // namespace
