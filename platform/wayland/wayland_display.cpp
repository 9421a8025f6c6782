// The connection to the compositor: its globals, and its events turned into
// messages on the thread that connected.
#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/queue.h"
#include "platform/wayland/wayland_dialog.h"
#include "platform/wayland/wayland_records.h"

namespace plat::wayland {

Globals g_Globals;

namespace {

DisplayLostHook g_pDisplayLost = nullptr;

void OnGlobal(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  auto bind = [&](const wl_interface* wanted, std::uint32_t upTo) {
    return wl_registry_bind(registry, name, wanted, version < upTo ? version : upTo);
  };
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    g_Globals.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
    g_Globals.layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 4));
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
    g_Globals.wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 2));
    static const xdg_wm_base_listener pong{[](void*, xdg_wm_base* base, std::uint32_t serial) {
      xdg_wm_base_pong(base, serial);
    }};
    xdg_wm_base_add_listener(g_Globals.wmBase, &pong, nullptr);
  } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
    g_Globals.outputManager =
        static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, 3));
    WatchOutputsLogically();
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g_Globals.seat) {
    g_Globals.seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
    BindSeat(g_Globals.seat);
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    g_Globals.shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  } else if (std::strcmp(interface, wl_subcompositor_interface.name) == 0) {
    g_Globals.subcompositor = static_cast<wl_subcompositor*>(bind(&wl_subcompositor_interface, 1));
  } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
    g_Globals.viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
  } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0) {
    g_Globals.fractionalScale =
        static_cast<wp_fractional_scale_manager_v1*>(bind(&wp_fractional_scale_manager_v1_interface, 1));
  } else if (std::strcmp(interface, zwp_keyboard_shortcuts_inhibit_manager_v1_interface.name) == 0) {
    g_Globals.shortcutsInhibit = static_cast<zwp_keyboard_shortcuts_inhibit_manager_v1*>(
        bind(&zwp_keyboard_shortcuts_inhibit_manager_v1_interface, 1));
  } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
    AddOutput(name, version);
  }
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t name) { RemoveOutput(name); }

const wl_registry_listener REGISTRY{OnGlobal, OnGlobalRemove};

void PumpForThread(void*) { PumpEvents(); }

// As on X: what must outlive the connection is saved by the hook, and the process
// ends with the status of every unexpected failure.
[[noreturn]] void EndOnDisplayLost() {
  if (DisplayLostHook hook = g_pDisplayLost) {
    g_pDisplayLost = nullptr;
    hook();
  }
  std::_Exit(255);
}

}  // namespace

bool Connect(bool verbose) {
  static int s_nConnected = -1;
  if (s_nConnected >= 0) return s_nConnected != 0;
  s_nConnected = 0;
  const char* why = nullptr;
  g_Globals.display = wl_display_connect(nullptr);
  if (!g_Globals.display) {
    why = "cannot connect to the Wayland display";
  } else {
    g_Globals.registry = wl_display_get_registry(g_Globals.display);
    wl_registry_add_listener(g_Globals.registry, &REGISTRY, nullptr);
    Roundtrip();  // the globals
    Roundtrip();  // what the outputs and the seat tell of themselves
    if (!g_Globals.compositor)
      why = "the Wayland display has no compositor";
    else if (!g_Globals.layerShell && !g_Globals.wmBase)
      why = "the Wayland compositor offers neither the layer shell nor xdg-shell";
  }
  if (why) {
    if (verbose) std::fprintf(stderr, "kiru: %s\n", why);
    if (g_Globals.display) wl_display_disconnect(g_Globals.display);
    g_Globals = Globals{};
    return false;
  }
  SetThreadEventSource(wl_display_get_fd(g_Globals.display), PumpForThread, nullptr);
  InstallMessageBox();
  s_nConnected = 1;
  return true;
}

void PumpEvents() {
  wl_display* display = g_Globals.display;
  if (!display) return;
  while (wl_display_prepare_read(display) != 0)
    if (wl_display_dispatch_pending(display) < 0) EndOnDisplayLost();
  wl_display_flush(display);
  pollfd ready{wl_display_get_fd(display), POLLIN, 0};
  if (poll(&ready, 1, 0) > 0) {
    if (wl_display_read_events(display) < 0) EndOnDisplayLost();
  } else {
    wl_display_cancel_read(display);
  }
  if (wl_display_dispatch_pending(display) < 0 || wl_display_get_error(display)) EndOnDisplayLost();
  RepeatKeys();
}

// The thread's wait for messages: it also wakes on posted messages and on a close signal.
void WaitForEvents(int ms) {
  wl_display* display = g_Globals.display;
  if (!display) return;
  wl_display_flush(display);
  WaitMessage(static_cast<DWORD>(ms));  // what came is read by the pump
  PumpEvents();
}

void Roundtrip() {
  if (g_Globals.display && wl_display_roundtrip(g_Globals.display) < 0) EndOnDisplayLost();
}

void SetDisplayLostHook(DisplayLostHook hook) { g_pDisplayLost = hook; }

}  // namespace plat::wayland
