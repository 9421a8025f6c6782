// Texture images: the embedded TGA decoded into a texture slot.
#pragma once
#include <cstddef>
#include <cstdint>

// Loads texture resource `id` (type "TGA") into `slot`; shows its own message box
// on failure. Needs the rendering context current.
bool LoadTextureResource(int id, int slot);

// Whether any texel of the slot's image in columns x0..x1 and rows y0..y1 (inclusive,
// wrapping around the edges as GL_REPEAT does) may have an alpha above 0, as recorded
// when the image was loaded, in blocks of 8 x 8 texels: a block with one such texel
// counts whole. True when the slot recorded nothing (no image, or one without
// alpha): then every texel counts as seen.
bool AnyOpaqueTexel(int slot, int x0, int x1, int y0, int y1);
