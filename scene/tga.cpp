#include "scene/tga.h"

#include <cstring>
#include <new>

#include "platform/msgbox.h"

TextureImage g_TextureSlots[TEXTURE_SLOT_COUNT];

namespace {

constexpr unsigned char RAW_SIGNATURE[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr unsigned char RLE_SIGNATURE[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr std::size_t SIGNATURE_SIZE = sizeof RLE_SIGNATURE;
constexpr std::size_t PIXEL_FORMAT_SIZE = 6;

bool Fail(const char* text) {
  plat::MessageBox(0, text, "ERROR", plat::MB_OK);
  return false;
}

// A file cut short would otherwise be read past its end.
bool FailEndsEarly(TextureImage& slot) {
  FreeTexturePixels(slot);
  return Fail("Image data ends early");
}

// Reads the six pixel-format bytes into the slot and checks them. Returns the
// bytes per pixel, or 0 after telling the user.
unsigned ReadPixelFormat(TextureImage& slot, const unsigned char* data, std::size_t size) {
  FreeTexturePixels(slot);
  if (size < PIXEL_FORMAT_SIZE) {
    Fail("Image data ends early");
    return 0;
  }
  slot.width = data[0] + 256u * data[1];
  slot.height = data[2] + 256u * data[3];
  slot.bits = data[4];
  if (slot.width == 0 || slot.height == 0 || (slot.bits != 24 && slot.bits != 32)) {
    Fail("Invalid texture information");
    return 0;
  }
  slot.format = slot.bits == 24 ? GL_RGB : GL_RGBA;
  return slot.bits / 8;
}

bool AllocatePixels(TextureImage& slot, unsigned bpp) {
  std::size_t bytes = std::size_t{bpp} * slot.width * slot.height;
  slot.pixels = new (std::nothrow) unsigned char[bytes];
  if (!slot.pixels) return Fail("Could not allocate memory for image");
  return true;
}

// TGA stores blue, green, red (, alpha); GL wants red first.
inline void StorePixel(unsigned char* out, const unsigned char* in, unsigned bpp) {
  out[0] = in[2];
  out[1] = in[1];
  out[2] = in[0];
  if (bpp == 4) out[3] = in[3];
}

}  // namespace

void FreeTexturePixels(TextureImage& slot) {
  delete[] slot.pixels;
  slot.pixels = nullptr;
}

bool ReadTgaImage(TextureImage& slot, const unsigned char* data, std::size_t size) {
  if (!data || size == 0) return Fail("Could not load image resource");
  std::size_t compared = size < SIGNATURE_SIZE ? size : SIGNATURE_SIZE;
  bool rle = std::memcmp(data, RLE_SIGNATURE, compared) == 0;
  bool raw = std::memcmp(data, RAW_SIGNATURE, compared) == 0;
  if (!rle && !raw) {
    plat::MessageBox(0, "TGA file be type 2 or type 10 ", "Invalid Image", plat::MB_OK);
    return false;
  }
  if (size < SIGNATURE_SIZE) {
    FreeTexturePixels(slot);
    return Fail("Image data ends early");
  }
  if (rle) return DecodeRleTga(slot, data + SIGNATURE_SIZE, size - SIGNATURE_SIZE);
  return DecodeRawTga(slot, data + SIGNATURE_SIZE, size - SIGNATURE_SIZE);
}

bool DecodeRleTga(TextureImage& slot, const unsigned char* data, std::size_t size) {
  unsigned bpp = ReadPixelFormat(slot, data, size);
  if (bpp == 0) return false;
  const std::size_t total = std::size_t{slot.width} * slot.height;
  // A packet of 1 + bpp bytes yields at most 128 pixels; data that cannot reach
  // the pixel count is refused before the buffer is allocated.
  const std::size_t packets = (size - PIXEL_FORMAT_SIZE) / (1 + bpp);
  if (packets < (total + 127) / 128) return FailEndsEarly(slot);
  if (!AllocatePixels(slot, bpp)) return false;

  unsigned char* out = slot.pixels;
  std::size_t pos = PIXEL_FORMAT_SIZE;
  std::size_t produced = 0;
  while (produced < total) {
    if (pos >= size) return FailEndsEarly(slot);
    const unsigned h = data[pos++];
    const std::size_t count = h < 128 ? h + 1 : h - 127;
    if (count > total - produced) {
      FreeTexturePixels(slot);
      return Fail("Too many pixels read");
    }
    if (h < 128) {
      if (size - pos < count * bpp) return FailEndsEarly(slot);
      for (std::size_t i = 0; i < count; ++i, pos += bpp, out += bpp) StorePixel(out, data + pos, bpp);
    } else {
      if (size - pos < bpp) return FailEndsEarly(slot);
      for (std::size_t i = 0; i < count; ++i, out += bpp) StorePixel(out, data + pos, bpp);
      pos += bpp;
    }
    produced += count;
  }
  return true;
}

bool DecodeRawTga(TextureImage& slot, const unsigned char* data, std::size_t size) {
  unsigned bpp = ReadPixelFormat(slot, data, size);
  if (bpp == 0) return false;
  const std::size_t total = std::size_t{slot.width} * slot.height;
  if ((size - PIXEL_FORMAT_SIZE) / bpp < total) return FailEndsEarly(slot);
  if (!AllocatePixels(slot, bpp)) return false;
  const unsigned char* in = data + PIXEL_FORMAT_SIZE;
  unsigned char* out = slot.pixels;
  for (std::size_t i = 0; i < total; ++i, in += bpp, out += bpp) StorePixel(out, in, bpp);
  return true;
}
