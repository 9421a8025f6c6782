// TGA decoding into texture slots: true-colour images, uncompressed (type 2) or
// run-length encoded (type 10), 24 or 32 bits. No GL calls here, so the decoder
// can be tested and fuzzed without a context.
#pragma once
#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

struct TextureImage {
  unsigned char* pixels = nullptr;  // RGB or RGBA, rows in file order; only while a load runs
  std::uint32_t bits = 0;           // 24 or 32
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  GLuint texture = 0;               // from glGenTextures
  GLenum format = 0;                // GL_RGB or GL_RGBA
};

constexpr int TEXTURE_SLOT_COUNT = 4;
extern TextureImage g_TextureSlots[TEXTURE_SLOT_COUNT];

// Checks the 12-byte signature and decodes. On true the slot holds pixels, size,
// bits and format; on false the user has been told why and no pixels are left.
bool ReadTgaImage(TextureImage& slot, const unsigned char* data, std::size_t size);

// `data` starts at the six pixel-format bytes (file byte 12); `size` counts from there.
bool DecodeRleTga(TextureImage& slot, const unsigned char* data, std::size_t size);
bool DecodeRawTga(TextureImage& slot, const unsigned char* data, std::size_t size);

void FreeTexturePixels(TextureImage& slot);
