// What the Wayland desktop's files share: the connection's globals, the outputs,
// the saver window with its surface on each output, and the seat. Touched only on
// the thread that connected (the GUI thread).
#pragma once
#include <EGL/egl.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/monitors.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/win.h"
#include "fractional-scale-v1-client-protocol.h"
#include "keyboard-shortcuts-inhibit-unstable-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"
// The layer shell's C header names a parameter "namespace".
#define namespace layerNamespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

namespace plat::wayland {

struct Globals {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;
  xdg_wm_base* wmBase = nullptr;
  zxdg_output_manager_v1* outputManager = nullptr;
  wl_seat* seat = nullptr;
  wl_shm* shm = nullptr;                    // buffers drawn by the CPU: the first black one, dialogs
  wl_subcompositor* subcompositor = nullptr;  // dialogs over the saver's surfaces
  wp_viewporter* viewporter = nullptr;          // with the next: fractional scales
  wp_fractional_scale_manager_v1* fractionalScale = nullptr;
  zwp_keyboard_shortcuts_inhibit_manager_v1* shortcutsInhibit = nullptr;  // keys the compositor would take
};
extern Globals g_Globals;

// Sends what is queued and turns every event that has come into messages; ends
// the process (status 255, after the display-lost hook) when the connection broke.
void PumpEvents();
// Waits for the compositor to have answered everything asked so far.
void Roundtrip();
// Waits at most `ms` for events, a posted message or a close signal, and pumps the events.
void WaitForEvents(int ms);

// What an output tells of itself. Its place on the desktop comes from xdg-output
// (sway reports 0, 0 in wl_output.geometry for every output); without it, from
// wl_output's position and its current mode, scaled and turned as the output is.
struct OutputGeometry {
  int x = 0, y = 0;
  int modeWidth = 0, modeHeight = 0;
  int scale = 1;
  int transform = WL_OUTPUT_TRANSFORM_NORMAL;
  bool logical = false;  // xdg-output's logical position and size below are known
  int logicalX = 0, logicalY = 0, logicalWidth = 0, logicalHeight = 0;
};
// The output's rectangle in desktop coordinates (empty until its size is known).
RECT OutputRect(const OutputGeometry& geometry);
// The smallest rectangle holding every one; empty for none.
RECT BoundingRect(const std::vector<MonitorInfo>& monitors);

// Scales (wayland_scale.cpp), in 120ths. The outputs lie in the compositor's
// logical units; the saver's window, its monitors and its picture are in pixels.
// Each output is as many pixels as it shows, and lies where its logical place
// is at the desktop's scale, the largest output's: outputs that do not overlap
// still do not, and each view is drawn at its output's own pixels, laid out as
// at scale 1, only finer.
int ScaledLength(int logical, int scale120);
RECT PixelRect(const RECT& logical, int desktopScale, int ownScale);
int DesktopScale(const std::vector<int>& outputScales);  // 120 for none
// Where a picture of one size is shown in a buffer of another: as large as it
// fits with its own aspect, centred; the rest stays black.
RECT FitCentred(int width, int height, int intoWidth, int intoHeight);

struct Output {
  std::uint32_t name = 0;  // the registry's
  wl_output* output = nullptr;
  zxdg_output_v1* xdgOutput = nullptr;
  OutputGeometry geometry;
  bool done = false;  // wl_output.done has come once: the geometry is whole
  int preferredScale = 0;  // wp_fractional_scale_v1's for the surface on it, 0 until told
  int coveredAgain = 0;    // times its layer surface was closed and made anew
  RECT Rect() const { return OutputRect(geometry); }
};
void AddOutput(std::uint32_t name, std::uint32_t version);
void RemoveOutput(std::uint32_t name);
void WatchOutputsLogically();  // binds xdg-output for outputs known before its manager
// Outputs that are whole and have a size, in the compositor's order.
std::vector<Output*> ShownOutputs();
// The scale the output's surface is drawn at: the preferred one, else its own;
// a fractional one rounded up where the compositor cannot take it.
int OutputScale(const Output& output);
int DesktopScale();  // of the outputs shown
RECT PixelRect(const Output& output);  // its rectangle in the saver's pixels

// The saver window's surface on one output: a layer surface, or a fullscreen
// xdg_toplevel where the compositor has no layer shell.
struct ShmBuffer;  // wayland_shm.h
struct Surface {
  Surface();
  ~Surface();
  Output* output = nullptr;
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layer = nullptr;
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  bool configured = false;
  bool closed = false;        // the compositor took it away: made anew at the next look
  int askedToStay = 0;        // times in a row a fullscreen window sized otherwise asked for its output
  int width = 0, height = 0;  // as the compositor configured it, in logical units
  int bufferWidth = 0, bufferHeight = 0;  // its pictures, in pixels of its output's scale
  std::unique_ptr<ShmBuffer> blank;  // black, shown from the first configure until GL draws
  wp_viewport* viewport = nullptr;  // a fractional scale's
  wp_fractional_scale_v1* fractional = nullptr;
  zwp_keyboard_shortcuts_inhibitor_v1* inhibitor = nullptr;
  // GL: the EGL window surface on it, and the frame callback it waits for.
  wl_egl_window* eglWindow = nullptr;
  EGLSurface eglSurface = EGL_NO_SURFACE;
  wl_callback* frame = nullptr;
  std::uint32_t frameAsked = 0;  // tick count of the last request
  bool intervalSet = false;
};

struct SaverWindow {
  HWND hwnd = 0;
  std::string title;
  RECT rect{};  // desktop coordinates: every output it covers
  bool shown = false;
  std::vector<std::unique_ptr<Surface>> surfaces;
};
SaverWindow* FindSaver(HWND window);  // the saver window, if that is its handle
SaverWindow* TheSaver();              // nullptr while there is none
Surface* FindSurface(wl_surface* surface);
// An output came, changed or went: the saver covers what is there now.
void OutputsChanged();
// An output came or went: fullscreen windows the compositor moved off theirs go back.
void OutputAddedOrRemoved();
// Whether a fullscreen window configured at width x height asks once more to be
// fullscreen on its output: a few times in a row at most (`asked` counts them),
// again after a configure at the output's size.
bool AskAgainToStay(int& asked, int width, int height, const RECT& output);
// The surface's pictures at its output's scale: their size, and the buffer scale
// or viewport that shows them at the configured size. Applied at the next commit.
void ScaleSurface(Surface& surface);

// GL surfaces (wayland_glsurface.cpp) living on the saver's surfaces.
void AttachGL(Surface& surface);  // an EGL surface, once configured and a config is set
void DetachGL(Surface& surface);
void FitGLTargets(int width, int height);  // the window's picture changed size

// The compositor's socket as one absolute path however $WAYLAND_DISPLAY names it
// (a name in the runtime folder, or a path); the saver's lock file named after it.
std::string SocketPath(const char* display, const char* runtime);
std::string LockPath(const char* display, const char* runtime);

// The seat (wayland_input.cpp).
void BindSeat(wl_seat* seat);
bool HasPointer();  // false while the seat has none
// The cursor while the pointer is on a surface of ours, as its latest enter allows.
void SetPointerCursor(wl_surface* image, std::int32_t x, std::int32_t y);
bool PointerOverSaver();  // on one of the saver's own surfaces (not a dialog's)
void RepeatKeys();  // a held key repeats as the compositor's rate says
Surface* KeyboardFocus();  // the saver's surface that has the keyboard, if one has

}  // namespace plat::wayland
