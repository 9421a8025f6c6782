// Outputs: where each lies on the desktop (xdg-output's logical rectangle), and
// the monitor list the views are laid out from, in the saver's pixels. Wayland
// marks no output primary; the one at the desktop's origin takes the dialogs, as
// PrimaryMonitor rules.
#include <algorithm>

#include "platform/wayland/wayland_records.h"

namespace plat::wayland {
namespace {

std::vector<std::unique_ptr<Output>> g_Outputs;

Output* Of(void* data) { return static_cast<Output*>(data); }

void OnGeometry(void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t, std::int32_t,
                const char*, const char*, std::int32_t transform) {
  Of(data)->geometry.x = x;
  Of(data)->geometry.y = y;
  Of(data)->geometry.transform = transform;
}

void OnMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  Of(data)->geometry.modeWidth = width;
  Of(data)->geometry.modeHeight = height;
}

// Every change ends with done; the first makes the output whole.
void OnDone(void* data, wl_output*) {
  Of(data)->done = true;
  OutputsChanged();
}

void OnScale(void* data, wl_output*, std::int32_t factor) { Of(data)->geometry.scale = factor > 0 ? factor : 1; }

void OnText(void*, wl_output*, const char*) {}  // name and description (version 4)

const wl_output_listener OUTPUT{OnGeometry, OnMode, OnDone, OnScale, OnText, OnText};

void OnLogicalPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
  Of(data)->geometry.logical = true;
  Of(data)->geometry.logicalX = x;
  Of(data)->geometry.logicalY = y;
}

void OnLogicalSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
  Of(data)->geometry.logical = true;
  Of(data)->geometry.logicalWidth = width;
  Of(data)->geometry.logicalHeight = height;
}

// From version 3 on, wl_output.done closes xdg-output's changes; before, this does.
void OnLogicalDone(void* data, zxdg_output_v1*) {
  if (Of(data)->done) OutputsChanged();
}
void OnName(void*, zxdg_output_v1*, const char*) {}
void OnDescription(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener LOGICAL{OnLogicalPosition, OnLogicalSize, OnLogicalDone, OnName, OnDescription};

void WatchLogically(Output& output) {
  if (!g_Globals.outputManager || output.xdgOutput) return;
  output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(g_Globals.outputManager, output.output);
  zxdg_output_v1_add_listener(output.xdgOutput, &LOGICAL, &output);
}

}  // namespace

RECT OutputRect(const OutputGeometry& g) {
  if (g.logical && g.logicalWidth > 0 && g.logicalHeight > 0)
    return RECT{g.logicalX, g.logicalY, g.logicalX + g.logicalWidth, g.logicalY + g.logicalHeight};
  // Turned a quarter, the mode's width runs down the desktop.
  bool quarter = g.transform == WL_OUTPUT_TRANSFORM_90 || g.transform == WL_OUTPUT_TRANSFORM_270 ||
                 g.transform == WL_OUTPUT_TRANSFORM_FLIPPED_90 || g.transform == WL_OUTPUT_TRANSFORM_FLIPPED_270;
  int scale = g.scale > 0 ? g.scale : 1;
  int width = (quarter ? g.modeHeight : g.modeWidth) / scale;
  int height = (quarter ? g.modeWidth : g.modeHeight) / scale;
  return RECT{g.x, g.y, g.x + width, g.y + height};
}

RECT BoundingRect(const std::vector<MonitorInfo>& monitors) {
  if (monitors.empty()) return RECT{};
  RECT box = monitors.front().rect;
  for (const MonitorInfo& m : monitors) {
    box.left = std::min(box.left, m.rect.left);
    box.top = std::min(box.top, m.rect.top);
    box.right = std::max(box.right, m.rect.right);
    box.bottom = std::max(box.bottom, m.rect.bottom);
  }
  return box;
}

void AddOutput(std::uint32_t name, std::uint32_t version) {
  auto output = std::make_unique<Output>();
  output->name = name;
  output->output = static_cast<wl_output*>(
      wl_registry_bind(g_Globals.registry, name, &wl_output_interface, version < 3 ? version : 3));
  wl_output_add_listener(output->output, &OUTPUT, output.get());
  WatchLogically(*output);
  g_Outputs.push_back(std::move(output));
  OutputAddedOrRemoved();
}

void RemoveOutput(std::uint32_t name) {
  auto it = std::find_if(g_Outputs.begin(), g_Outputs.end(), [name](const auto& o) { return o->name == name; });
  if (it == g_Outputs.end()) return;
  std::unique_ptr<Output> gone = std::move(*it);
  g_Outputs.erase(it);
  OutputsChanged();  // its surface goes before the output does
  OutputAddedOrRemoved();
  if (gone->xdgOutput) zxdg_output_v1_destroy(gone->xdgOutput);
  if (wl_output_get_version(gone->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
    wl_output_release(gone->output);
  else
    wl_output_destroy(gone->output);
}

void WatchOutputsLogically() {
  for (auto& output : g_Outputs) WatchLogically(*output);
}

std::vector<Output*> ShownOutputs() {
  std::vector<Output*> out;
  for (auto& output : g_Outputs) {
    RECT r = output->Rect();
    if (output->done && r.right > r.left && r.bottom > r.top) out.push_back(output.get());
  }
  return out;
}

int OutputScale(const Output& output) {
  int scale = output.preferredScale > 0 ? output.preferredScale : 120 * output.geometry.scale;
  bool viewports = g_Globals.viewporter && g_Globals.fractionalScale;
  if (scale % 120 != 0 && !viewports) scale = (scale + 119) / 120 * 120;
  bool bufferScale = wl_compositor_get_version(g_Globals.compositor) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION;
  return bufferScale || scale % 120 != 0 ? scale : 120;
}

int DesktopScale() {
  std::vector<int> scales;
  for (Output* output : ShownOutputs()) scales.push_back(OutputScale(*output));
  return DesktopScale(scales);
}

RECT PixelRect(const Output& output) { return PixelRect(output.Rect(), DesktopScale(), OutputScale(output)); }

std::vector<MonitorInfo> GetMonitors() {
  std::vector<MonitorInfo> out;
  for (Output* output : ShownOutputs()) {
    MonitorInfo monitor;
    monitor.rect = monitor.work = PixelRect(*output);
    out.push_back(monitor);
  }
  return out;
}

}  // namespace plat::wayland
