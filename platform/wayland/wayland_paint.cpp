// A dialog painted with cairo and pango, in the X11 dialogs' look: their grey,
// black text in DejaVu Sans, raised buttons, sunken fields, etched frames; and a
// caption bar, since no window manager frames it. Everything is drawn in logical
// pixels and the cairo context carries the scale, so that text is rasterised at
// the output's own resolution. Glyph metrics are not hinted: a layout is the
// same at every scale.
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/resources.h"
#include "platform/standin/bitmapfile.h"
#include "platform/wayland/wayland_dialog.h"

namespace plat::wayland {
namespace {

// As the X11 dialogs: the text is drawn at FONT_SIZE pixels, the base units are
// measured from the face one pixel larger, so that every static fits its rectangle.
constexpr int FONT_SIZE = 10, MIN_FONT_SIZE = 6;
constexpr const char* FONT_FAMILY = "DejaVu Sans";
constexpr int CHECK_SIZE = 13, CHECK_GAP = 4;
constexpr int ICON_SIZE = 32;

int g_nFontSize = FONT_SIZE;

struct Rgb {
  double r, g, b;
};
constexpr Rgb GREY{212 / 255.0, 208 / 255.0, 200 / 255.0};
constexpr Rgb WHITE{1, 1, 1};
constexpr Rgb BLACK{0, 0, 0};
constexpr Rgb SHADOW{128 / 255.0, 128 / 255.0, 128 / 255.0};
constexpr Rgb DARK{64 / 255.0, 64 / 255.0, 64 / 255.0};
constexpr Rgb CAPTION_LEFT{10 / 255.0, 36 / 255.0, 106 / 255.0};
constexpr Rgb CAPTION_RIGHT{166 / 255.0, 202 / 255.0, 240 / 255.0};

void Colour(cairo_t* cr, Rgb c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

void Fill(cairo_t* cr, Rgb c, double x, double y, double w, double h) {
  Colour(cr, c);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
}

// One-pixel edges, as filled rectangles so that they stay sharp at any scale.
void Edge(cairo_t* cr, const RECT& r, Rgb topLeft, Rgb bottomRight) {
  double w = r.right - r.left, h = r.bottom - r.top;
  Fill(cr, topLeft, r.left, r.top, w, 1);
  Fill(cr, topLeft, r.left, r.top, 1, h);
  Fill(cr, bottomRight, r.left, r.bottom - 1, w, 1);
  Fill(cr, bottomRight, r.right - 1, r.top, 1, h);
}

RECT Inset(RECT r, int by) { return RECT{r.left + by, r.top + by, r.right - by, r.bottom - by}; }

void Raised(cairo_t* cr, const RECT& r) {
  Edge(cr, r, WHITE, DARK);
  Edge(cr, Inset(r, 1), GREY, SHADOW);
}

void Sunken(cairo_t* cr, const RECT& r) {
  Edge(cr, r, SHADOW, WHITE);
  Edge(cr, Inset(r, 1), DARK, GREY);
}

void Etched(cairo_t* cr, const RECT& r) {
  Edge(cr, r, SHADOW, WHITE);
  Edge(cr, Inset(r, 1), WHITE, SHADOW);
}

cairo_font_options_t* FontOptions() {
  static cairo_font_options_t* s_pOptions = [] {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    return options;
  }();
  return s_pOptions;
}

void Unhinted(PangoContext* context) {
  pango_cairo_context_set_font_options(context, FontOptions());
  pango_context_set_round_glyph_positions(context, FALSE);
}

// Measuring needs no surface: a context of its own at scale 1.
PangoContext* MeasuringContext() {
  static PangoContext* s_pContext = [] {
    PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
    Unhinted(context);
    return context;
  }();
  return s_pContext;
}

struct LayoutDeleter {
  void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
using Layout = std::unique_ptr<PangoLayout, LayoutDeleter>;

// A text in the dialog font; wrapped at word boundaries to `width` when it is > 0.
Layout MakeLayout(PangoContext* context, const std::string& text, int size, bool bold, int width) {
  Layout layout(pango_layout_new(context));
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, FONT_FAMILY);
  pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
  pango_font_description_set_weight(font, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_layout_set_font_description(layout.get(), font);
  pango_font_description_free(font);
  if (width > 0) {
    pango_layout_set_width(layout.get(), width * PANGO_SCALE);
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD);
  }
  pango_layout_set_text(layout.get(), text.c_str(), -1);
  return layout;
}

void PixelSize(PangoLayout* layout, int* width, int* height) { pango_layout_get_pixel_size(layout, width, height); }

// The text size, and the base units measured from the face one pixel larger.
void UseFontSize(int size) {
  g_nFontSize = size;
  Layout letters = MakeLayout(MeasuringContext(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz",
                              size + 1, false, 0);
  int width = 0, height = 0;
  PixelSize(letters.get(), &width, &height);
  SetDialogBaseUnits((width / 26 + 1) / 2, height);
}

// Draws a layout with its top left corner at (x, y), clipped to `clip`.
void Show(cairo_t* cr, PangoLayout* layout, double x, double y, const RECT& clip, Rgb colour) {
  cairo_save(cr);
  cairo_rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
  cairo_clip(cr);
  Colour(cr, colour);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
}

// A text centred in a rectangle on one line (buttons, the caption's title aside).
void Centred(cairo_t* cr, PangoContext* context, const std::string& text, const RECT& r, bool bold, int shift) {
  Layout layout = MakeLayout(context, text, g_nFontSize, bold, 0);
  int w = 0, h = 0;
  PixelSize(layout.get(), &w, &h);
  double x = r.left + (r.right - r.left - w) / 2.0 + shift, y = r.top + (r.bottom - r.top - h) / 2.0 + shift;
  Show(cr, layout.get(), std::round(x), std::round(y), r, BLACK);
}

void FocusRect(cairo_t* cr, const RECT& r) {
  cairo_save(cr);
  const double dash = 1;
  cairo_set_dash(cr, &dash, 1, 0);
  cairo_set_line_width(cr, 1);
  Colour(cr, BLACK);
  cairo_rectangle(cr, r.left + 0.5, r.top + 0.5, r.right - r.left - 1, r.bottom - r.top - 1);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void PaintButton(cairo_t* cr, PangoContext* context, const dlg::Control& c, bool focused, bool pressed) {
  RECT r = c.pixels;
  bool down = pressed || (c.kind == ControlKind::AutoRadioPush && c.checked);
  bool isDefault = c.kind == ControlKind::DefPushButton;
  Fill(cr, GREY, r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (isDefault || focused) {
    Edge(cr, r, BLACK, BLACK);  // the button Enter presses
    r = Inset(r, 1);
  }
  if (down)
    Edge(cr, r, SHADOW, SHADOW);
  else
    Raised(cr, r);
  Centred(cr, context, c.text, Inset(r, 2), isDefault, down ? 1 : 0);
  if (focused) FocusRect(cr, Inset(r, 3));
}

void PaintCheckBox(cairo_t* cr, PangoContext* context, const dlg::Control& c, bool focused) {
  const RECT& r = c.pixels;
  bool textless = c.text.empty();
  int bx = textless ? r.left + (r.right - r.left - CHECK_SIZE) / 2 : r.left;
  int by = r.top + (r.bottom - r.top - CHECK_SIZE) / 2;
  Fill(cr, WHITE, bx, by, CHECK_SIZE, CHECK_SIZE);
  Sunken(cr, RECT{bx, by, bx + CHECK_SIZE, by + CHECK_SIZE});
  if (c.checked) {
    cairo_save(cr);
    Colour(cr, BLACK);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, bx + 3, by + 6);
    cairo_line_to(cr, bx + 5.5, by + 9);
    cairo_line_to(cr, bx + 10, by + 3.5);
    cairo_stroke(cr);
    cairo_restore(cr);
  }
  if (textless) {
    if (focused) FocusRect(cr, RECT{bx - 2, by - 2, bx + CHECK_SIZE + 2, by + CHECK_SIZE + 2});
    return;
  }
  Layout layout = MakeLayout(context, c.text, g_nFontSize, false, 0);
  int w = 0, h = 0;
  PixelSize(layout.get(), &w, &h);
  int tx = bx + CHECK_SIZE + CHECK_GAP, ty = r.top + (r.bottom - r.top - h) / 2;
  Show(cr, layout.get(), tx, ty, RECT{tx, r.top - 2, r.right, r.bottom + 2}, BLACK);
  if (focused) FocusRect(cr, RECT{tx - 1, ty, std::min<int>(tx + w + 1, r.right), ty + h});
}

void PaintEdit(cairo_t* cr, PangoContext* context, const dlg::Control& c, bool focused) {
  const RECT& r = c.pixels;
  Fill(cr, WHITE, r.left, r.top, r.right - r.left, r.bottom - r.top);
  Sunken(cr, r);
  Layout layout = MakeLayout(context, c.text, g_nFontSize, false, 0);
  int w = 0, h = 0;
  PixelSize(layout.get(), &w, &h);
  RECT inside = Inset(r, 2);
  int y = r.top + (r.bottom - r.top - h) / 2;
  Show(cr, layout.get(), inside.left + 1, y, inside, BLACK);
  if (focused) Fill(cr, BLACK, std::min<int>(inside.left + 2 + w, inside.right - 1), y, 1, h);  // the caret
}

void Arrow(cairo_t* cr, const RECT& r, bool up) {
  double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
  double half = std::max(1.0, std::min(r.right - r.left, r.bottom - r.top) / 4.0);
  Colour(cr, BLACK);
  cairo_move_to(cr, cx - half, cy + (up ? half / 2 : -half / 2));
  cairo_line_to(cr, cx + half, cy + (up ? half / 2 : -half / 2));
  cairo_line_to(cr, cx, cy + (up ? -half / 2 : half / 2));
  cairo_close_path(cr);
  cairo_fill(cr);
}

void PaintUpDown(cairo_t* cr, const dlg::Control& c, bool pressed, bool upPressed) {
  const RECT& r = c.pixels;
  int middle = (r.top + r.bottom) / 2;
  for (bool up : {true, false}) {
    RECT half{r.left, up ? r.top : middle, r.right, up ? middle : r.bottom};
    Fill(cr, GREY, half.left, half.top, half.right - half.left, half.bottom - half.top);
    if (pressed && up == upPressed)
      Edge(cr, half, SHADOW, SHADOW);
    else
      Raised(cr, half);
    Arrow(cr, half, up);
  }
}

// A group box: an etched frame whose caption interrupts its top edge.
void PaintGroup(cairo_t* cr, PangoContext* context, const dlg::Control& c) {
  RECT r = c.pixels;
  int half = g_nFontSize / 2;
  Etched(cr, RECT{r.left, r.top + half, r.right, r.bottom});
  if (c.text.empty()) return;
  Layout layout = MakeLayout(context, c.text, g_nFontSize, false, 0);
  int w = 0, h = 0;
  PixelSize(layout.get(), &w, &h);
  Fill(cr, GREY, r.left + 6, r.top, w + 4, h);
  Show(cr, layout.get(), r.left + 8, r.top + half - h / 2, RECT{r.left + 6, r.top, r.right, r.top + h}, BLACK);
}

cairo_surface_t* LoadIcon(int resource) {
  ResourceData data;
  if (!FindResource("ICON", static_cast<std::uint16_t>(resource), &data)) return nullptr;
  struct Reader {
    const unsigned char* at;
    std::size_t left;
  } reader{data.data, data.size};
  cairo_surface_t* png = cairo_image_surface_create_from_png_stream(
      [](void* closure, unsigned char* out, unsigned int length) {
        auto* r = static_cast<Reader*>(closure);
        if (length > r->left) return CAIRO_STATUS_READ_ERROR;
        std::memcpy(out, r->at, length);
        r->at += length;
        r->left -= length;
        return CAIRO_STATUS_SUCCESS;
      },
      &reader);
  if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(png);
    return nullptr;
  }
  return png;
}

cairo_surface_t* LoadBitmap(int resource) {
  ResourceData data;
  std::vector<unsigned char> rgb;
  int width = 0, height = 0;
  if (!FindResource("BITMAP", static_cast<std::uint16_t>(resource), &data) ||
      !dlg::DecodeBmp(data.data, data.size, &rgb, &width, &height))
    return nullptr;
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  unsigned char* pixels = cairo_image_surface_get_data(image);
  int stride = cairo_image_surface_get_stride(image);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned char* src = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      auto* dst = reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::size_t>(y) * stride) + x;
      *dst = static_cast<std::uint32_t>(src[0]) << 16 | static_cast<std::uint32_t>(src[1]) << 8 | src[2];
    }
  cairo_surface_mark_dirty(image);
  return image;
}

// Decoded once and kept for the process: the same few pictures come back.
cairo_surface_t* Picture(ControlKind kind, int resource) {
  static std::map<std::pair<ControlKind, int>, cairo_surface_t*> s_Pictures;
  auto key = std::make_pair(kind, resource);
  auto it = s_Pictures.find(key);
  if (it == s_Pictures.end())
    it = s_Pictures.emplace(key, kind == ControlKind::Icon ? LoadIcon(resource) : LoadBitmap(resource)).first;
  return it->second;
}

// Icons at their natural 32 x 32 in the top left corner; bitmaps at their own
// size in the middle of their rectangle.
void PaintPicture(cairo_t* cr, const dlg::Control& c, int resource) {
  cairo_surface_t* picture = Picture(c.kind, resource);
  if (!picture) return;
  double w = cairo_image_surface_get_width(picture), h = cairo_image_surface_get_height(picture);
  const RECT& r = c.pixels;
  cairo_save(cr);
  if (c.kind == ControlKind::Icon) {
    cairo_translate(cr, r.left, r.top);
    cairo_scale(cr, ICON_SIZE / w, ICON_SIZE / h);
  } else {
    cairo_translate(cr, std::round(r.left + (r.right - r.left - w) / 2),
                    std::round(r.top + (r.bottom - r.top - h) / 2));
  }
  cairo_set_source_surface(cr, picture, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
}

void PaintStatic(cairo_t* cr, PangoContext* context, const dlg::Control& c) {
  const RECT& r = c.pixels;
  Layout layout = MakeLayout(context, c.text, g_nFontSize, false, r.right - r.left);
  pango_layout_set_alignment(layout.get(), c.kind == ControlKind::StaticCentre ? PANGO_ALIGN_CENTER : PANGO_ALIGN_LEFT);
  Show(cr, layout.get(), r.left, r.top, r, BLACK);
}

void PaintControl(cairo_t* cr, PangoContext* context, const dlg::Dialog& d, const DialogControl& source,
                  const dlg::Control& c, const DialogLook& look, bool pressed) {
  bool focused = d.focus != 0 && c.hwnd == d.focus;
  switch (c.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::AutoRadioPush:
      PaintButton(cr, context, c, focused, pressed);
      break;
    case ControlKind::AutoCheckBox:
      PaintCheckBox(cr, context, c, focused);
      break;
    case ControlKind::EditDigits:
      PaintEdit(cr, context, c, focused);
      break;
    case ControlKind::UpDown:
      PaintUpDown(cr, c, pressed, look.upperArrow);
      break;
    case ControlKind::StaticLeft:
    case ControlKind::StaticCentre:
      PaintStatic(cr, context, c);
      break;
    case ControlKind::GroupBox:
      PaintGroup(cr, context, c);
      break;
    case ControlKind::EtchedFrame:
    case ControlKind::EtchedLine: {
      RECT r = c.pixels;
      r.right = std::max(r.right, r.left + 2);
      r.bottom = std::max(r.bottom, r.top + 2);
      Etched(cr, r);
      break;
    }
    case ControlKind::BlackRect:
      Fill(cr, BLACK, c.pixels.left, c.pixels.top, c.pixels.right - c.pixels.left, c.pixels.bottom - c.pixels.top);
      break;
    case ControlKind::Icon:
    case ControlKind::Bitmap:
      PaintPicture(cr, c, source.resource);
      break;
  }
}

void PaintCaption(cairo_t* cr, PangoContext* context, const DialogFrame& frame, const DialogLook& look) {
  int top = frame.client.y - CaptionHeight() - 1, left = frame.client.x;
  int width = frame.width - 2 * left, height = CaptionHeight();
  cairo_pattern_t* gradient = cairo_pattern_create_linear(left, 0, left + width, 0);
  cairo_pattern_add_color_stop_rgb(gradient, 0, CAPTION_LEFT.r, CAPTION_LEFT.g, CAPTION_LEFT.b);
  cairo_pattern_add_color_stop_rgb(gradient, 1, CAPTION_RIGHT.r, CAPTION_RIGHT.g, CAPTION_RIGHT.b);
  cairo_set_source(cr, gradient);
  cairo_rectangle(cr, left, top, width, height);
  cairo_fill(cr);
  cairo_pattern_destroy(gradient);

  RECT close = frame.closeBox;
  int titleRight = close.right > close.left ? close.left - 2 : left + width - 2;
  Layout title = MakeLayout(context, look.caption, g_nFontSize, true, 0);
  pango_layout_set_width(title.get(), (titleRight - left - 4) * PANGO_SCALE);
  pango_layout_set_ellipsize(title.get(), PANGO_ELLIPSIZE_END);
  int w = 0, h = 0;
  PixelSize(title.get(), &w, &h);
  Show(cr, title.get(), left + 4, top + (height - h) / 2, RECT{left, top, titleRight, top + height}, WHITE);

  if (close.right <= close.left) return;
  Fill(cr, GREY, close.left, close.top, close.right - close.left, close.bottom - close.top);
  if (look.closePressed)
    Edge(cr, close, SHADOW, SHADOW);
  else
    Raised(cr, close);
  double cx = (close.left + close.right) / 2.0 + (look.closePressed ? 1 : 0), cy = (close.top + close.bottom) / 2.0;
  double arm = (close.bottom - close.top) / 4.0;
  cairo_save(cr);
  Colour(cr, BLACK);
  cairo_set_line_width(cr, 1.5);
  cairo_move_to(cr, cx - arm, cy - arm);
  cairo_line_to(cr, cx + arm, cy + arm);
  cairo_move_to(cr, cx + arm, cy - arm);
  cairo_line_to(cr, cx - arm, cy + arm);
  cairo_stroke(cr);
  cairo_restore(cr);
}

}  // namespace

int FitDialogFont(const DialogTemplate& t, int width, int height) {
  for (int size = FONT_SIZE; size >= MIN_FONT_SIZE; --size) {
    UseFontSize(size);
    dlg::Dialog probe;
    probe.tmpl = t;
    probe.pixelWidth = DialogUnitsToPixelsX(t.width);
    probe.pixelHeight = DialogUnitsToPixelsY(t.height);
    DialogFrame frame = FrameAround(probe);
    if (frame.width <= width && frame.height <= height) break;
  }
  return g_nFontSize;
}

bool MeasureDialogText(const char* text, int width, int* textWidth, int* textHeight) {
  Layout layout = MakeLayout(MeasuringContext(), text ? text : "", g_nFontSize, false, width);
  PixelSize(layout.get(), textWidth, textHeight);
  return true;
}

int CaptionHeight() {
  Layout layout = MakeLayout(MeasuringContext(), "Ag", g_nFontSize, true, 0);
  int w = 0, h = 0;
  PixelSize(layout.get(), &w, &h);
  return h + 6;
}

void PaintDialog(cairo_t* cr, const dlg::Dialog& d, const DialogLook& look) {
  DialogFrame frame = FrameAround(d);
  PangoContext* context = pango_cairo_create_context(cr);
  Unhinted(context);
  Fill(cr, GREY, 0, 0, frame.width, frame.height);
  Raised(cr, RECT{0, 0, frame.width, frame.height});
  PaintCaption(cr, context, frame, look);
  cairo_save(cr);
  cairo_translate(cr, frame.client.x, frame.client.y);
  cairo_rectangle(cr, 0, 0, d.pixelWidth, d.pixelHeight);
  cairo_clip(cr);
  for (std::size_t i = 0; i < d.controls.size(); ++i)
    PaintControl(cr, context, d, d.tmpl.controls[i], d.controls[i], look, look.pressed == static_cast<int>(i));
  cairo_restore(cr);
  g_object_unref(context);
}

void RenderDialog(unsigned char* pixels, int width, int height, int stride, double scale, const dlg::Dialog& d,
                  const DialogLook& look) {
  cairo_surface_t* target = cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, width, height, stride);
  cairo_t* cr = cairo_create(target);
  cairo_scale(cr, scale, scale);
  PaintDialog(cr, d, look);
  cairo_destroy(cr);
  cairo_surface_flush(target);
  cairo_surface_destroy(target);
}

}  // namespace plat::wayland
