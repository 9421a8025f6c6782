// The compositor's idle notification for the idle watcher, on a connection of
// its own: the watcher is not the saver, and never shares its process.
#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstring>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "platform/wayland/wayland_desktop.h"

namespace plat::wayland {

namespace {

wl_display* g_pIdleDisplay = nullptr;
wl_registry* g_pIdleRegistry = nullptr;
wl_seat* g_pIdleSeat = nullptr;
ext_idle_notifier_v1* g_pNotifier = nullptr;     // ext-idle-notify-v1
org_kde_kwin_idle* g_pKdeIdle = nullptr;         // the older one, where it is all there is
ext_idle_notification_v1* g_pNotification = nullptr;
org_kde_kwin_idle_timeout* g_pKdeTimeout = nullptr;
int g_nIdleState = 0;  // 1 idle, 0 active, -1 the connection broke

void OnIdleGlobal(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
  auto bind = [&](const wl_interface& wanted) { return wl_registry_bind(registry, name, &wanted, 1); };
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g_pIdleSeat)
    g_pIdleSeat = static_cast<wl_seat*>(bind(wl_seat_interface));
  else if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0)
    g_pNotifier = static_cast<ext_idle_notifier_v1*>(bind(ext_idle_notifier_v1_interface));
  else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0)
    g_pKdeIdle = static_cast<org_kde_kwin_idle*>(bind(org_kde_kwin_idle_interface));
}

void OnIdleGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener IDLE_REGISTRY{OnIdleGlobal, OnIdleGlobalRemove};

void SetIdle(void*, ext_idle_notification_v1*) { g_nIdleState = 1; }
void SetActive(void*, ext_idle_notification_v1*) { g_nIdleState = 0; }
const ext_idle_notification_v1_listener NOTIFICATION{SetIdle, SetActive};

void SetKdeIdle(void*, org_kde_kwin_idle_timeout*) { g_nIdleState = 1; }
void SetKdeActive(void*, org_kde_kwin_idle_timeout*) { g_nIdleState = 0; }
const org_kde_kwin_idle_timeout_listener KDE_TIMEOUT{SetKdeIdle, SetKdeActive};

void DropNotification() {
  if (g_pNotification) ext_idle_notification_v1_destroy(g_pNotification);
  if (g_pKdeTimeout) org_kde_kwin_idle_timeout_release(g_pKdeTimeout);
  g_pNotification = nullptr;
  g_pKdeTimeout = nullptr;
}

// The compositor counts the wait from the moment the notification is made.
void MakeNotification(DWORD waitMs) {
  DropNotification();
  if (g_pNotifier) {
    g_pNotification = ext_idle_notifier_v1_get_idle_notification(g_pNotifier, waitMs, g_pIdleSeat);
    ext_idle_notification_v1_add_listener(g_pNotification, &NOTIFICATION, nullptr);
  } else {
    g_pKdeTimeout = org_kde_kwin_idle_get_idle_timeout(g_pKdeIdle, g_pIdleSeat, waitMs);
    org_kde_kwin_idle_timeout_add_listener(g_pKdeTimeout, &KDE_TIMEOUT, nullptr);
  }
  g_nIdleState = 0;
  wl_display_flush(g_pIdleDisplay);
}

void Disconnect() {
  DropNotification();
  if (g_pNotifier) ext_idle_notifier_v1_destroy(g_pNotifier);
  if (g_pKdeIdle) org_kde_kwin_idle_destroy(g_pKdeIdle);
  if (g_pIdleSeat) wl_seat_destroy(g_pIdleSeat);
  if (g_pIdleRegistry) wl_registry_destroy(g_pIdleRegistry);
  if (g_pIdleDisplay) wl_display_disconnect(g_pIdleDisplay);
  g_pIdleDisplay = nullptr, g_pIdleRegistry = nullptr, g_pIdleSeat = nullptr;
  g_pNotifier = nullptr, g_pKdeIdle = nullptr;
}

}  // namespace

const char* OpenIdleWatch(DWORD waitMs) {
  Disconnect();
  g_nIdleState = -1;
  g_pIdleDisplay = wl_display_connect(nullptr);
  if (!g_pIdleDisplay) return nullptr;
  g_pIdleRegistry = wl_display_get_registry(g_pIdleDisplay);
  wl_registry_add_listener(g_pIdleRegistry, &IDLE_REGISTRY, nullptr);
  if (wl_display_roundtrip(g_pIdleDisplay) < 0 || !g_pIdleSeat || (!g_pNotifier && !g_pKdeIdle)) {
    Disconnect();
    return nullptr;
  }
  MakeNotification(waitMs);
  return g_pNotifier ? ext_idle_notifier_v1_interface.name : org_kde_kwin_idle_interface.name;
}

void SetIdleWatchWait(DWORD waitMs) {
  if (g_pIdleDisplay && g_nIdleState >= 0) MakeNotification(waitMs);
}

int WaitIdleWatch(DWORD ms) {
  wl_display* display = g_pIdleDisplay;
  if (!display || g_nIdleState < 0) return -1;
  while (wl_display_prepare_read(display) != 0) {
    if (wl_display_dispatch_pending(display) < 0) return g_nIdleState = -1;
  }
  if (wl_display_flush(display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display);
    return g_nIdleState = -1;
  }
  pollfd ready{wl_display_get_fd(display), POLLIN, 0};
  if (poll(&ready, 1, static_cast<int>(ms > 0x7fffffff ? 0x7fffffff : ms)) > 0)
    wl_display_read_events(display);  // a failure stays on the display for the dispatch
  else
    wl_display_cancel_read(display);
  if (wl_display_dispatch_pending(display) < 0) return g_nIdleState = -1;
  return g_nIdleState;
}

int IdleWatchFd() { return g_pIdleDisplay ? wl_display_get_fd(g_pIdleDisplay) : -1; }

}  // namespace plat::wayland
