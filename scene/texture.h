// Texture images: the embedded TGA decoded into a texture slot.
#pragma once
#include <cstddef>
#include <cstdint>

// Loads texture resource `id` (type "TGA") into `slot`; shows its own message box
// on failure. Needs the rendering context current.
bool LoadTextureResource(int id, int slot);
