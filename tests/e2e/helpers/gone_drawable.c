/* Preloaded into kiru by tests/e2e/preview_host.sh: notes every time the GL
 * library asks the size of a drawable that no longer exists, one line each in
 * $KIRU_GONE_DRAWABLE_LOG. Mesa's software renderer reads its answer unchecked, so
 * such a question leaves it with a garbage size, and a crash only when the garbage
 * happens to be small: the note makes the hazard visible every time. */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef Status (*GetGeometryFn)(Display*, Drawable, Window*, int*, int*, unsigned*, unsigned*,
                                unsigned*, unsigned*);

Status XGetGeometry(Display* dpy, Drawable drawable, Window* root, int* x, int* y, unsigned* width,
                    unsigned* height, unsigned* border, unsigned* depth) {
  static GetGeometryFn s_real;
  if (!s_real) s_real = (GetGeometryFn)dlsym(RTLD_NEXT, "XGetGeometry");
  Status status = s_real(dpy, drawable, root, x, y, width, height, border, depth);
  Dl_info caller;
  const char* log = getenv("KIRU_GONE_DRAWABLE_LOG");
  if (!status && log && dladdr(__builtin_return_address(0), &caller) && caller.dli_fname &&
      strstr(caller.dli_fname, "libGL")) {
    FILE* out = fopen(log, "a");
    if (out) {
      fprintf(out, "0x%lx asked by %s\n", (unsigned long)drawable, caller.dli_fname);
      fclose(out);
    }
  }
  return status;
}
