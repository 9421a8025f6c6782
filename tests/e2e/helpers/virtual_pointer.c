/* Moves the pointer of a Wayland seat through the virtual-pointer protocol:
 * virtual_pointer STEP [STEP ...] takes each step 300 ms apart: DX,DY a relative
 * move, X,Y@W,H a move to X,Y of a desktop W x H, "click" the left button. */
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct wl_seat *seat;
static struct zwlr_virtual_pointer_manager_v1 *manager;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
  (void)data, (void)version;
  if (strcmp(interface, wl_seat_interface.name) == 0 && !seat)
    seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
  else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
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
  if (!seat || !manager) return fprintf(stderr, "virtual_pointer: no seat or no virtual pointers\n"), 1;
  struct zwlr_virtual_pointer_v1 *pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  const struct timespec pause = {0, 300 * 1000 * 1000};
  for (int i = 1; i < argc; ++i) {
    double dx = 0, dy = 0;
    unsigned x, y, w, h;
    nanosleep(&pause, NULL);
    if (strcmp(argv[i], "click") == 0) {
      for (int state = 1; state >= 0; --state) {
        zwlr_virtual_pointer_v1_button(pointer, (uint32_t)clock(), 0x110 /* BTN_LEFT */, (uint32_t)state);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
      }
      continue;
    }
    if (sscanf(argv[i], "%u,%u@%u,%u", &x, &y, &w, &h) == 4)
      zwlr_virtual_pointer_v1_motion_absolute(pointer, (uint32_t)clock(), x, y, w, h);
    else if (sscanf(argv[i], "%lf,%lf", &dx, &dy) == 2)
      zwlr_virtual_pointer_v1_motion(pointer, (uint32_t)clock(), wl_fixed_from_double(dx), wl_fixed_from_double(dy));
    else
      return fprintf(stderr, "virtual_pointer: %s?\n", argv[i]), 2;
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
  }
  nanosleep(&pause, NULL);
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  zwlr_virtual_pointer_manager_v1_destroy(manager);
  wl_seat_destroy(seat);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return 0;
}
