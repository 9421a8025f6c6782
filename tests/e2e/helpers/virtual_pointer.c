/* Moves the pointer of a Wayland seat, clicks, and on KWin types keys too:
 * virtual_pointer STEP [STEP ...] takes each step 300 ms apart: DX,DY a relative
 * move, X,Y@W,H a move to X,Y of a desktop W x H, "click" the left button, key:CODE
 * a key press and release (a Linux input code, KWin only). Through wlroots'
 * virtual-pointer protocol, or KWin's fake input, which KWin grants when started
 * with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1. */
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct wl_seat *seat;
static struct zwlr_virtual_pointer_manager_v1 *manager;
static struct org_kde_kwin_fake_input *fake;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
  (void)data;
  if (strcmp(interface, wl_seat_interface.name) == 0 && !seat)
    seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
  else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
  else if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
    fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}

int main(int argc, char **argv) {
  struct wl_display *display = wl_display_connect(NULL);
  if (!display) return fprintf(stderr, "virtual_pointer: no Wayland display\n"), 1;
  static const struct wl_registry_listener listener = {global, global_remove};
  struct wl_registry *registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, NULL);
  wl_display_roundtrip(display);
  struct zwlr_virtual_pointer_v1 *pointer = NULL;
  if (fake)
    org_kde_kwin_fake_input_authenticate(fake, "kiru tests", "end-to-end input");
  else if (seat && manager)
    pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  else
    return fprintf(stderr, "virtual_pointer: no virtual pointers and no fake input\n"), 1;
  const struct timespec pause = {0, 300 * 1000 * 1000};
  for (int i = 1; i < argc; ++i) {
    double dx = 0, dy = 0;
    unsigned code = 0, x, y, w, h;
    nanosleep(&pause, NULL);
    if (strcmp(argv[i], "click") == 0) {
      for (int state = 1; state >= 0; --state) {
        if (fake) {
          org_kde_kwin_fake_input_button(fake, 0x110 /* BTN_LEFT */, (uint32_t)state);
        } else {
          zwlr_virtual_pointer_v1_button(pointer, (uint32_t)clock(), 0x110 /* BTN_LEFT */, (uint32_t)state);
          zwlr_virtual_pointer_v1_frame(pointer);
        }
        wl_display_roundtrip(display);
      }
      continue;
    }
    if (fake && sscanf(argv[i], "key:%u", &code) == 1) {
      org_kde_kwin_fake_input_keyboard_key(fake, code, WL_KEYBOARD_KEY_STATE_PRESSED);
      org_kde_kwin_fake_input_keyboard_key(fake, code, WL_KEYBOARD_KEY_STATE_RELEASED);
    } else if (sscanf(argv[i], "%u,%u@%u,%u", &x, &y, &w, &h) == 4) {
      if (fake) {
        org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_int((int)x), wl_fixed_from_int((int)y));
      } else {
        zwlr_virtual_pointer_v1_motion_absolute(pointer, (uint32_t)clock(), x, y, w, h);
        zwlr_virtual_pointer_v1_frame(pointer);
      }
    } else if (sscanf(argv[i], "%lf,%lf", &dx, &dy) == 2) {
      if (fake) {
        org_kde_kwin_fake_input_pointer_motion(fake, wl_fixed_from_double(dx), wl_fixed_from_double(dy));
      } else {
        zwlr_virtual_pointer_v1_motion(pointer, (uint32_t)clock(), wl_fixed_from_double(dx), wl_fixed_from_double(dy));
        zwlr_virtual_pointer_v1_frame(pointer);
      }
    } else {
      return fprintf(stderr, "virtual_pointer: %s?\n", argv[i]), 2;
    }
    wl_display_roundtrip(display);
  }
  nanosleep(&pause, NULL);
  if (pointer) zwlr_virtual_pointer_v1_destroy(pointer);
  if (manager) zwlr_virtual_pointer_manager_v1_destroy(manager);
  if (fake) org_kde_kwin_fake_input_destroy(fake);
  wl_display_roundtrip(display);
  if (seat) wl_seat_destroy(seat);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return 0;
}
