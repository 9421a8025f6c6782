/* Keeps a Wayland session awake as a video player does: a small window (an
 * xdg_toplevel with a grey buffer) holding a zwp_idle_inhibitor_v1, shown until
 * SIGTERM. Prints "inhibiting" once the window is mapped with its inhibitor, and
 * "released <ms since the epoch>" once the compositor has dropped it; compositors
 * honour an inhibitor only while its surface is visible. */
#define _GNU_SOURCE
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

enum { WIDTH = 64, HEIGHT = 64 };

static struct wl_compositor *compositor;
static struct wl_shm *shm;
static struct xdg_wm_base *wm_base;
static struct zwp_idle_inhibit_manager_v1 *inhibit_manager;
static int configured;
static volatile sig_atomic_t ended;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
  (void)data, (void)version;
  if (strcmp(interface, wl_compositor_interface.name) == 0)
    compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 1);
  else if (strcmp(interface, wl_shm_interface.name) == 0)
    shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
  else if (strcmp(interface, xdg_wm_base_interface.name) == 0)
    wm_base = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
  else if (strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
    inhibit_manager = wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1);
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}

static void ping(void *data, struct xdg_wm_base *base, uint32_t serial) {
  (void)data;
  xdg_wm_base_pong(base, serial);
}

static void surface_configure(void *data, struct xdg_surface *surface, uint32_t serial) {
  (void)data;
  xdg_surface_ack_configure(surface, serial);
  configured = 1;
}

static void toplevel_configure(void *data, struct xdg_toplevel *toplevel, int32_t w, int32_t h,
                               struct wl_array *states) {
  (void)data, (void)toplevel, (void)w, (void)h, (void)states;
}

static void toplevel_close(void *data, struct xdg_toplevel *toplevel) {
  (void)data, (void)toplevel;
}

static void on_term(int signal) {
  (void)signal;
  ended = 1;
}

/* A grey buffer; a compositor may scale the window to its tile, as it likes. */
static struct wl_buffer *grey_buffer(void) {
  const int stride = WIDTH * 4, size = stride * HEIGHT;
  int fd = memfd_create("idle_inhibitor", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, size) < 0) return NULL;
  void *pixels = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) return NULL;
  memset(pixels, 0x80, size);
  munmap(pixels, size);
  struct wl_shm_pool *pool = wl_shm_create_pool(shm, fd, size);
  struct wl_buffer *buffer = wl_shm_pool_create_buffer(pool, 0, WIDTH, HEIGHT, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  return buffer;
}

int main(void) {
  struct wl_display *display = wl_display_connect(NULL);
  if (!display) return fprintf(stderr, "idle_inhibitor: no Wayland display\n"), 1;
  static const struct wl_registry_listener registry_listener = {global, global_remove};
  struct wl_registry *registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, NULL);
  wl_display_roundtrip(display);
  if (!compositor || !shm || !wm_base || !inhibit_manager)
    return fprintf(stderr, "idle_inhibitor: the compositor lacks xdg-shell, shm or idle inhibitors\n"), 1;
  static const struct xdg_wm_base_listener base_listener = {ping};
  xdg_wm_base_add_listener(wm_base, &base_listener, NULL);

  struct wl_surface *surface = wl_compositor_create_surface(compositor);
  struct xdg_surface *xdg = xdg_wm_base_get_xdg_surface(wm_base, surface);
  static const struct xdg_surface_listener surface_listener = {surface_configure};
  xdg_surface_add_listener(xdg, &surface_listener, NULL);
  struct xdg_toplevel *toplevel = xdg_surface_get_toplevel(xdg);
  static const struct xdg_toplevel_listener toplevel_listener = {.configure = toplevel_configure,
                                                                  .close = toplevel_close};
  xdg_toplevel_add_listener(toplevel, &toplevel_listener, NULL);
  xdg_toplevel_set_title(toplevel, "idle inhibitor");
  struct zwp_idle_inhibitor_v1 *inhibitor = zwp_idle_inhibit_manager_v1_create_inhibitor(inhibit_manager, surface);
  wl_surface_commit(surface);
  while (!configured && wl_display_dispatch(display) >= 0) {
  }
  struct wl_buffer *buffer = grey_buffer();
  if (!buffer) return fprintf(stderr, "idle_inhibitor: no buffer\n"), 1;
  wl_surface_attach(surface, buffer, 0, 0);
  wl_surface_commit(surface);
  wl_display_roundtrip(display);
  printf("inhibiting\n");
  fflush(stdout);

  struct sigaction term = {0};
  term.sa_handler = on_term;
  sigaction(SIGTERM, &term, NULL);
  sigaction(SIGINT, &term, NULL);
  /* libwayland's own wait resumes after a signal: this one looks at the flag. */
  struct pollfd ready = {wl_display_get_fd(display), POLLIN, 0};
  while (!ended && wl_display_flush(display) >= 0) {
    if (poll(&ready, 1, 100) > 0 && wl_display_dispatch(display) < 0) break;
  }
  zwp_idle_inhibitor_v1_destroy(inhibitor);
  xdg_toplevel_destroy(toplevel);
  xdg_surface_destroy(xdg);
  wl_surface_destroy(surface);
  wl_buffer_destroy(buffer);
  wl_display_roundtrip(display);
  zwp_idle_inhibit_manager_v1_destroy(inhibit_manager);
  xdg_wm_base_destroy(wm_base);
  wl_shm_destroy(shm);
  wl_compositor_destroy(compositor);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  /* When the compositor had let go, for the caller's clock (date +%s%N). */
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  printf("released %lld\n", (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000);
  return 0;
}
