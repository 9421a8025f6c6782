// A tiny built-in bitmap font for text drawn into the GL picture (the frame-rate
// readout): 5 x 7 glyphs in a 6 x 9 cell, drawn with glBitmap at the raster
// position, so no window-system font is needed.
#pragma once
#include <cstdint>

constexpr int FONT_GLYPH_WIDTH = 5;
constexpr int FONT_GLYPH_HEIGHT = 7;
constexpr int FONT_ADVANCE = 6;  // per character, before scaling

// Rows of a glyph, top first; bit 4 is the leftmost column. Characters the font
// lacks come out as a hollow box.
const std::uint8_t* FontGlyph(char c);
// Width and height in pixels that DrawBitmapText covers for `text` at `scale`.
int BitmapTextWidth(const char* text, int scale);
int BitmapTextHeight(int scale);
// Draws at the current raster position (bottom-left of the first cell), each pixel
// as a scale x scale block, in the raster colour. Needs the unpack alignment 1.
void DrawBitmapText(const char* text, int scale);
