// The dialogs the Wayland saver draws itself: their size on small and scaled
// outputs, where they go, what a click hits, and their pixels at scale 2.
#include "platform/wayland/wayland_dialog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/dialog_templates.h"

namespace {

namespace wl = plat::wayland;
using plat::ControlKind;
using plat::POINT;

std::unique_ptr<plat::dlg::Dialog> Laid(const plat::DialogTemplate& t) {
  return plat::dlg::NewDialog(t, 0, nullptr, 0);
}

int IndexOf(const plat::dlg::Dialog& d, int id) {
  for (std::size_t i = 0; i < d.controls.size(); ++i)
    if (d.controls[i].id == id) return static_cast<int>(i);
  return -1;
}

POINT Middle(const plat::RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// A scale-2 output of 1280 x 720 pixels is 640 x 360 logical pixels, where the
// warning's 262 dialog units of height no longer fit at the usual text size.
TEST(WaylandDialog, FitsItsOutputWithTwiceThePixelsAtScaleTwo) {
  const plat::DialogTemplate& warning = WarningDialogTemplate();
  EXPECT_EQ(wl::FitDialogFont(warning, 1280, 720), 10);
  wl::DialogFrame large = wl::FrameAround(*Laid(warning));
  EXPECT_LE(large.width, 1280);
  EXPECT_LE(large.height, 720);
  EXPECT_GT(large.height, 360);

  wl::OutputGeometry scaled;
  scaled.modeWidth = 1280, scaled.modeHeight = 720, scaled.scale = 2;
  plat::RECT logical = wl::OutputRect(scaled);
  int size = wl::FitDialogFont(warning, logical.right, logical.bottom);
  EXPECT_LT(size, 10);
  wl::DialogFrame small = wl::FrameAround(*Laid(warning));
  EXPECT_LE(small.width, 640);
  EXPECT_LE(small.height, 360);
  double scale = wl::DialogScale(240);
  EXPECT_EQ(wl::BufferExtent(small.width, scale), 2 * small.width);
  EXPECT_EQ(wl::BufferExtent(small.height, scale), 2 * small.height);
  EXPECT_EQ(wl::BufferExtent(small.width, wl::DialogScale(120)), small.width);
  EXPECT_EQ(wl::DialogScale(180), 1.5);
  EXPECT_EQ(wl::BufferExtent(101, 1.5), 152);  // a fractional scale covers the last logical pixel
}

// Every static text of the dialogs shown over the saver fits its rectangle at
// the text size the dialog takes, on a large output and on a small one.
TEST(WaylandDialog, EveryStaticFitsItsRectangle) {
  for (int height : {720, 360}) {
    for (const plat::DialogTemplate* t : {&ControlMenuTemplate(), &WarningDialogTemplate()}) {
      wl::FitDialogFont(*t, 1280, height);
      auto d = Laid(*t);
      for (const plat::dlg::Control& c : d->controls) {
        if (c.kind != ControlKind::StaticLeft && c.kind != ControlKind::StaticCentre) continue;
        int width = c.pixels.right - c.pixels.left, w = 0, h = 0;
        ASSERT_TRUE(wl::MeasureDialogText(c.text.c_str(), width, &w, &h));
        EXPECT_LE(w, width) << t->caption << " at " << height << ": " << c.text;
        EXPECT_LE(h, c.pixels.bottom - c.pixels.top) << t->caption << " at " << height << ": " << c.text;
      }
    }
  }
}

TEST(WaylandDialog, CentredOnItsOutputWithItsCaptionOnIt) {
  POINT p = wl::PlaceOnOutput(1024, 768, 300, 200);
  EXPECT_EQ(p.x, 362);
  EXPECT_EQ(p.y, 284);
  p = wl::PlaceOnOutput(640, 360, 700, 200);  // wider than the output: its left end shows
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 80);
  p = wl::PlaceOnOutput(640, 360, 300, 400);  // taller: its caption shows
  EXPECT_EQ(p.x, 170);
  EXPECT_EQ(p.y, 0);
}

// The warning has no system menu, so no close button; the Control Menu has one,
// in its caption bar above the client area.
TEST(WaylandDialog, CloseButtonOnlyWithASystemMenu) {
  wl::FitDialogFont(ControlMenuTemplate(), 1280, 720);
  wl::DialogFrame warning = wl::FrameAround(*Laid(WarningDialogTemplate()));
  EXPECT_EQ(warning.closeBox.right - warning.closeBox.left, 0);
  wl::DialogFrame menu = wl::FrameAround(*Laid(ControlMenuTemplate()));
  EXPECT_GT(menu.closeBox.right, menu.closeBox.left);
  EXPECT_GE(menu.closeBox.top, 0);
  EXPECT_LE(menu.closeBox.bottom, menu.client.y);
  EXPECT_LE(menu.closeBox.right, menu.width);
  EXPECT_GT(menu.closeBox.left, menu.width / 2);
}

TEST(WaylandDialog, AClickWorksTheControlUnderIt) {
  plat::SetDialogBaseUnits(6, 13);
  auto warning = Laid(WarningDialogTemplate());
  int cont = IndexOf(*warning, plat::IDOK), disable = IndexOf(*warning, IDC_DISABLE_WARNING);
  EXPECT_EQ(wl::ControlAt(*warning, Middle(warning->controls[static_cast<std::size_t>(cont)].pixels)), cont);
  EXPECT_EQ(wl::ControlAt(*warning, Middle(warning->controls[static_cast<std::size_t>(disable)].pixels)), disable);
  // Texts, pictures and frames take no clicks, though the frame lies around them all.
  EXPECT_EQ(wl::ControlAt(*warning, POINT{14 * 6 / 4 + 20, 23 * 13 / 8 + 20}), -1);  // the bitmap
  EXPECT_EQ(wl::ControlAt(*warning, POINT{183 * 6 / 4 + 5, 14 * 13 / 8 + 5}), -1);    // the first text
  EXPECT_EQ(wl::ControlAt(*warning, POINT{-1, 0}), -1);

  // The settings' text-less check boxes are 12 x 13 pixels; an 18-pixel square is hit.
  auto settings = Laid(SettingsDialogTemplate());
  int enable = IndexOf(*settings, IDC_ENABLE_FIRST);
  const plat::RECT& box = settings->controls[static_cast<std::size_t>(enable)].pixels;
  EXPECT_EQ(wl::ControlAt(*settings, POINT{box.left - 2, box.top - 2}), enable);
  EXPECT_EQ(wl::ControlAt(*settings, POINT{box.left - 8, box.top}), -1);
  // The spin arrows lie over the right end of their field, and split it in two.
  int spin = IndexOf(*settings, IDC_SPIN), field = IndexOf(*settings, IDC_SECONDS);
  const plat::dlg::Control& arrows = settings->controls[static_cast<std::size_t>(spin)];
  POINT upper{arrows.pixels.left + 2, arrows.pixels.top + 2}, lower{arrows.pixels.left + 2, arrows.pixels.bottom - 2};
  EXPECT_EQ(wl::ControlAt(*settings, upper), spin);
  EXPECT_EQ(wl::ControlAt(*settings, POINT{arrows.pixels.left - 2, upper.y}), field);
  EXPECT_TRUE(wl::UpperArrow(arrows, upper));
  EXPECT_FALSE(wl::UpperArrow(arrows, lower));
}

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF; }
};

Picture Render(const plat::dlg::Dialog& d, double scale) {
  wl::DialogFrame frame = wl::FrameAround(d);
  Picture p;
  p.width = wl::BufferExtent(frame.width, scale);
  p.height = wl::BufferExtent(frame.height, scale);
  p.pixels.resize(static_cast<std::size_t>(p.width) * p.height);
  wl::RenderDialog(reinterpret_cast<unsigned char*>(p.pixels.data()), p.width, p.height, p.width * 4, scale, d,
                   wl::DialogLook{"Control Menu"});
  return p;
}

constexpr std::uint32_t GREY = 212 << 16 | 208 << 8 | 200;
bool Dark(std::uint32_t rgb) { return ((rgb >> 16) & 0xFF) < 100 && ((rgb >> 8) & 0xFF) < 100 && (rgb & 0xFF) < 100; }

// The dialogs' grey around black text, and at scale 2 the text drawn at the
// output's own pixels: a picture drawn at scale 1 and doubled would make every
// 2 x 2 block of the text one colour.
TEST(WaylandDialog, DrawnInTheDialogsGreyAndSharpAtScaleTwo) {
  wl::FitDialogFont(ControlMenuTemplate(), 1280, 720);
  auto menu = Laid(ControlMenuTemplate());
  Picture one = Render(*menu, 1);
  std::size_t grey = 0;
  for (std::uint32_t px : one.pixels) grey += (px & 0xFFFFFF) == GREY;
  EXPECT_GT(grey, one.pixels.size() * 6 / 10);

  Picture two = Render(*menu, 2);
  ASSERT_EQ(two.width, 2 * one.width);
  wl::DialogFrame frame = wl::FrameAround(*menu);
  const plat::RECT& keys = menu->controls[0].pixels;  // "F1 - This Control Menu ..."
  int texty = 0, uniform = 0;
  for (int y = 2 * (frame.client.y + keys.top); y < 2 * (frame.client.y + keys.bottom); y += 2)
    for (int x = 2 * (frame.client.x + keys.left); x < 2 * (frame.client.x + keys.right); x += 2) {
      std::uint32_t a = two.At(x, y), b = two.At(x + 1, y), c = two.At(x, y + 1), e = two.At(x + 1, y + 1);
      if (!Dark(a) && !Dark(b) && !Dark(c) && !Dark(e)) continue;
      ++texty;
      uniform += a == b && a == c && a == e;
    }
  EXPECT_GT(texty, 500);  // eleven lines of text
  EXPECT_LT(uniform * 10, texty * 9);
}

}  // namespace
