// The full-screen saver window: one surface per output on the layer shell's
// overlay layer, anchored to every edge, over the panels (exclusive zone -1) and
// holding the keyboard; a fullscreen xdg_toplevel per output where the
// compositor has no layer shell. The window's rectangle is every output's, in
// pixels of the desktop's scale.
#include <algorithm>

#include "platform/queue.h"
#include "platform/startuptrace.h"
#include "platform/wayland/wayland_dialog.h"
#include "platform/wayland/wayland_records.h"
#include "platform/wayland/wayland_shm.h"

namespace plat::wayland {
namespace {

std::unique_ptr<SaverWindow> g_pSaver;
HWND g_hDesktop = 0;
bool g_bDestroying = false;
// A compositor that keeps closing the layer surface of an output is not followed further.
constexpr int MAX_COVERED_AGAIN = 3;
// mutter took three requests in a row to keep a window on its output.
constexpr int MAX_ASKED_TO_STAY = 6;

constexpr std::uint32_t ALL_EDGES =
    ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

Surface& Of(void* data) { return *static_cast<Surface*>(data); }

bool OwnsWindow(HWND window) { return window && (FindSaver(window) || window == g_hDesktop); }

// Black at the configured size, from the first configure until GL draws: sway
// gives a layer surface the keyboard only once it shows something, and the
// settings and GL take a while to load. Keys typed meanwhile are Kiru's, and
// wait in the queue for the first frame, as on X. The buffer is never written:
// a new memory file reads as zeros, black in XRGB.
void ShowBlack(Surface& s) {
  if (!g_Globals.shm || s.width <= 0 || s.height <= 0) return;
  auto black = MakeShmBuffer(s.width, s.height);
  if (!black) return;
  if (wl_surface_get_version(s.surface) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
    wl_surface_set_buffer_scale(s.surface, 1);
  if (s.viewport) wp_viewport_set_destination(s.viewport, -1, -1);
  wl_surface_attach(s.surface, black->buffer, 0, 0);
  wl_surface_damage(s.surface, 0, 0, s.width, s.height);
  wl_surface_commit(s.surface);
  s.blank = std::move(black);  // one replaced was never written: its picture stays whole
}

// A size of 0 leaves it to the client: the output's own.
void Configured(Surface& s, int width, int height) {
  RECT r = s.output->Rect();
  s.width = width > 0 ? width : r.right - r.left;
  s.height = height > 0 ? height : r.bottom - r.top;
  s.configured = true;
  if (s.eglWindow) {
    ScaleSurface(s);
  } else {
    ShowBlack(s);
    AttachGL(s);
  }
}

void OnLayerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                      std::uint32_t height) {
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  Configured(Of(data), static_cast<int>(width), static_cast<int>(height));
}

// The compositor took the surface away: it is dropped, and the output, if it is
// still there, covered anew, once the events that came with this one are seen.
void OnLayerClosed(void* data, zwlr_layer_surface_v1*) {
  Of(data).closed = true;
  if (g_pSaver) PostMessage(g_pSaver->hwnd, WM_DISPLAYCHANGE, 0, 0);
}

const zwlr_layer_surface_v1_listener LAYER{OnLayerConfigure, OnLayerClosed};

// xdg_toplevel's size comes first and takes effect with xdg_surface's configure.
void OnToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
  Of(data).width = width;
  Of(data).height = height;
}

void OnToplevelClose(void*, xdg_toplevel*) {
  if (g_pSaver) PostMessage(g_pSaver->hwnd, WM_CLOSE, 0, 0);
}

// Bounds and capabilities (versions 4 and 5) change nothing for a fullscreen surface.
const xdg_toplevel_listener TOPLEVEL{OnToplevelConfigure, OnToplevelClose,
                                     [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
                                     [](void*, xdg_toplevel*, wl_array*) {}};

// mutter, whenever an output comes or goes, moves every fullscreen window to the
// output that had the pointer when the window was made, whatever output it asked
// for, and its configures after that (the focus moving) may still carry that
// output's size and place. Asked again, a window goes back: at once
// (OutputAddedOrRemoved), for a move that kept its size; and once it has
// committed a size unlike its output's, which mutter applies at the commit,
// undoing a request that came before it.
void StayOnOutput(Surface& s) { xdg_toplevel_set_fullscreen(s.toplevel, s.output->output); }

void OnXdgConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
  Surface& s = Of(data);
  xdg_surface_ack_configure(surface, serial);
  bool drawn = s.eglWindow != nullptr;  // else Configured shows black
  Configured(s, s.width, s.height);
  if (!AskAgainToStay(s.askedToStay, s.width, s.height, s.output->Rect())) return;
  if (drawn) {
    ShowBlack(s);     // the size it was given, committed
    ScaleSurface(s);  // GL's next picture at the output's scale again
  }
  StayOnOutput(s);
}

const xdg_surface_listener XDG_SURFACE{OnXdgConfigure};


void OnPreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
  Output& output = *Of(data).output;
  if (scale == 0 || static_cast<int>(scale) == output.preferredScale) return;
  output.preferredScale = static_cast<int>(scale);
  OutputsChanged();
}

const wp_fractional_scale_v1_listener FRACTIONAL{OnPreferredScale};

std::unique_ptr<Surface> MakeSurface(Output& output, const std::string& title) {
  auto s = std::make_unique<Surface>();
  s->output = &output;
  s->surface = wl_compositor_create_surface(g_Globals.compositor);
  if (g_Globals.viewporter && g_Globals.fractionalScale) {
    s->viewport = wp_viewporter_get_viewport(g_Globals.viewporter, s->surface);
    s->fractional = wp_fractional_scale_manager_v1_get_fractional_scale(g_Globals.fractionalScale, s->surface);
    wp_fractional_scale_v1_add_listener(s->fractional, &FRACTIONAL, s.get());
  }
  // Keys the compositor keeps for itself (GNOME's Super) reach the saver and end it.
  if (g_Globals.shortcutsInhibit && g_Globals.seat)
    s->inhibitor = zwp_keyboard_shortcuts_inhibit_manager_v1_inhibit_shortcuts(g_Globals.shortcutsInhibit,
                                                                                s->surface, g_Globals.seat);
  if (g_Globals.layerShell) {
    s->layer = zwlr_layer_shell_v1_get_layer_surface(g_Globals.layerShell, s->surface, output.output,
                                                     ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "kiru");
    zwlr_layer_surface_v1_set_anchor(s->layer, ALL_EDGES);
    zwlr_layer_surface_v1_set_exclusive_zone(s->layer, -1);  // over panels, moving nothing
    zwlr_layer_surface_v1_set_size(s->layer, 0, 0);
    zwlr_layer_surface_v1_set_keyboard_interactivity(s->layer, 1);  // exclusive: the saver's dialogs too
    zwlr_layer_surface_v1_add_listener(s->layer, &LAYER, s.get());
  } else {
    s->xdgSurface = xdg_wm_base_get_xdg_surface(g_Globals.wmBase, s->surface);
    xdg_surface_add_listener(s->xdgSurface, &XDG_SURFACE, s.get());
    s->toplevel = xdg_surface_get_toplevel(s->xdgSurface);
    xdg_toplevel_add_listener(s->toplevel, &TOPLEVEL, s.get());
    xdg_toplevel_set_title(s->toplevel, title.c_str());
    xdg_toplevel_set_app_id(s->toplevel, "kiru");
    StayOnOutput(*s);
  }
  wl_surface_commit(s->surface);  // no buffer yet: asks for the first configure
  return s;
}

void DropSurface(Surface& s) {
  DialogHostGone(s);
  DetachGL(s);
  if (s.inhibitor) zwp_keyboard_shortcuts_inhibitor_v1_destroy(s.inhibitor);
  if (s.fractional) wp_fractional_scale_v1_destroy(s.fractional);
  if (s.viewport) wp_viewport_destroy(s.viewport);
  if (s.layer) zwlr_layer_surface_v1_destroy(s.layer);
  if (s.toplevel) xdg_toplevel_destroy(s.toplevel);
  if (s.xdgSurface) xdg_surface_destroy(s.xdgSurface);
  wl_surface_destroy(s.surface);
  s.blank.reset();
}

// One surface per output that is there: new ones covered, gone and closed ones
// dropped, the others at their output's scale.
void CoverOutputs(SaverWindow& w) {
  std::vector<Output*> outputs = ShownOutputs();
  std::erase_if(w.surfaces, [&](const std::unique_ptr<Surface>& s) {
    bool shown = std::find(outputs.begin(), outputs.end(), s->output) != outputs.end();
    if (shown && !s->closed) return false;
    if (shown) ++s->output->coveredAgain;
    DropSurface(*s);
    return true;
  });
  for (auto& s : w.surfaces)
    if (s->eglWindow) ScaleSurface(*s);
  for (Output* output : outputs)
    if (output->coveredAgain <= MAX_COVERED_AGAIN &&
        std::none_of(w.surfaces.begin(), w.surfaces.end(), [&](const auto& s) { return s->output == output; }))
      w.surfaces.push_back(MakeSurface(*output, w.title));
}

}  // namespace

Surface::Surface() = default;
Surface::~Surface() = default;

SaverWindow* TheSaver() { return g_pSaver.get(); }
SaverWindow* FindSaver(HWND window) { return g_pSaver && window && g_pSaver->hwnd == window ? g_pSaver.get() : nullptr; }

Surface* FindSurface(wl_surface* surface) {
  if (!g_pSaver || !surface) return nullptr;
  for (auto& s : g_pSaver->surfaces)
    if (s->surface == surface) return s.get();
  return nullptr;
}

void OutputsChanged() {
  if (!g_pSaver || !g_pSaver->shown) return;
  CoverOutputs(*g_pSaver);
  PostMessage(g_pSaver->hwnd, WM_DISPLAYCHANGE, 0, 0);
}

// A compositor that keeps sizing a window otherwise (cage: to the whole layout)
// is not asked without end; what is left unlike its output, Present shows centred.
bool AskAgainToStay(int& asked, int width, int height, const RECT& output) {
  if (width == output.right - output.left && height == output.bottom - output.top) {
    asked = 0;
    return false;
  }
  if (asked >= MAX_ASKED_TO_STAY) return false;
  ++asked;
  return true;
}

void OutputAddedOrRemoved() {
  if (!g_pSaver) return;
  for (auto& s : g_pSaver->surfaces)
    if (s->toplevel) {
      s->askedToStay = 0;
      StayOnOutput(*s);
    }
}

// Whole scales by the buffer scale; fractional ones by a viewport at the
// configured size over a buffer of the scaled size.
void ScaleSurface(Surface& s) {
  int scale = OutputScale(*s.output);
  bool fractional = scale % 120 != 0 && s.viewport;
  bool scalable = wl_surface_get_version(s.surface) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION;
  s.bufferWidth = ScaledLength(s.width, scale);
  s.bufferHeight = ScaledLength(s.height, scale);
  if (s.viewport) wp_viewport_set_destination(s.viewport, fractional ? s.width : -1, fractional ? s.height : -1);
  if (scalable) wl_surface_set_buffer_scale(s.surface, fractional ? 1 : scale / 120);
  if (s.eglWindow) wl_egl_window_resize(s.eglWindow, s.bufferWidth, s.bufferHeight, 0, 0);
}

HWND CreateWindow(const WindowSpec& desc) {
  if (desc.kind != WindowKind::FullScreen || !desc.proc || !g_Globals.display || g_pSaver) return 0;
  g_pSaver = std::make_unique<SaverWindow>();
  g_pSaver->hwnd = AllocWindowHandle();
  g_pSaver->title = desc.title ? desc.title : "";
  g_pSaver->rect = BoundingRect(GetMonitors());
  g_pSaver->shown = true;
  CoverOutputs(*g_pSaver);
  Roundtrip();  // configured, so that the GL surfaces can be made in WM_CREATE
  wl_display_flush(g_Globals.display);  // the black pictures of the first configures
  TraceStartup("surfaces shown");
  HWND hwnd = g_pSaver->hwnd;
  BindWindow(hwnd, GetCurrentThreadId(), desc.proc, DESKTOP_TAG);
  if (SendMessage(hwnd, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(hwnd);
    return 0;
  }
  if (!FindSaver(hwnd)) return 0;  // destroyed while being created
  SendMessage(hwnd, WM_SHOWWINDOW, 1, 0);
  return hwnd;
}

void DestroyWindow(HWND window) {
  if (!FindSaver(window) || g_bDestroying) return;
  g_bDestroying = true;
  SendMessage(window, WM_DESTROY, 0, 0);
  for (auto& s : g_pSaver->surfaces) DropSurface(*s);
  UnbindWindow(window);
  g_pSaver.reset();
  g_bDestroying = false;
  wl_display_flush(g_Globals.display);
}

bool IsWindow(HWND window) {
  if (IsDialogWindow(window)) return true;
  return FindSaver(window) ? IsWindowBound(window) : window && window == g_hDesktop;
}

bool GetWindowRect(HWND window, RECT* rect) {
  if (IsDialogWindow(window)) return GetDialogRect(window, rect);
  if (!rect || !OwnsWindow(window)) return false;
  *rect = FindSaver(window) ? g_pSaver->rect : BoundingRect(GetMonitors());
  return true;
}

bool GetClientRect(HWND window, RECT* rect) {
  RECT frame;
  if (!rect || !wayland::GetWindowRect(window, &frame)) return false;
  *rect = RECT{0, 0, frame.right - frame.left, frame.bottom - frame.top};
  return true;
}

HWND GetDesktopWindow() {
  if (!g_Globals.display) return 0;
  if (!g_hDesktop) {
    g_hDesktop = AllocWindowHandle();
    BindWindow(g_hDesktop, GetCurrentThreadId(), nullptr, DESKTOP_TAG);  // a record, for the switch
  }
  return g_hDesktop;
}

HWND GetForegroundWindow() { return g_pSaver && g_pSaver->shown ? g_pSaver->hwnd : 0; }

bool SetWindowText(HWND window, const char* text) {
  if (IsDialogWindow(window)) return SetDialogCaption(window, text);
  if (!FindSaver(window) || !text) return false;
  g_pSaver->title = text;
  for (auto& s : g_pSaver->surfaces)
    if (s->toplevel) xdg_toplevel_set_title(s->toplevel, text);
  return true;
}

int GetWindowText(HWND window, char* buffer, int size) {
  if (IsDialogWindow(window)) return GetDialogCaption(window, buffer, size);
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (!FindSaver(window)) return 0;
  int n = std::min(static_cast<int>(g_pSaver->title.size()), size - 1);
  g_pSaver->title.copy(buffer, static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

// Hidden, the surfaces go, and the keyboard and pointer with them.
bool ShowWindow(HWND window, bool show) {
  if (IsDialogWindow(window)) return true;  // shown while it runs
  SaverWindow* w = FindSaver(window);
  if (!w) return false;
  if (show == w->shown) return true;
  w->shown = show;
  if (show) {
    CoverOutputs(*w);
    Roundtrip();
  } else {
    for (auto& s : w->surfaces) DropSurface(*s);
    w->surfaces.clear();
    wl_display_flush(g_Globals.display);
  }
  return true;
}

bool IsIconic(HWND window) { return FindSaver(window) && !g_pSaver->shown; }

// The window covers every output there is now; its WM_SIZE follows a new size.
bool CoverScreen(HWND window) {
  SaverWindow* w = FindSaver(window);
  if (!w) return false;
  if (w->shown) CoverOutputs(*w);  // a surface the compositor closed
  RECT now = BoundingRect(GetMonitors());
  RECT was = w->rect;
  w->rect = now;
  int width = now.right - now.left, height = now.bottom - now.top;
  if (width != was.right - was.left || height != was.bottom - was.top) {
    FitGLTargets(width, height);
    PostMessage(window, WM_SIZE, 0, static_cast<LPARAM>((height << 16) | (width & 0xFFFF)));
  }
  return true;
}

}  // namespace plat::wayland
