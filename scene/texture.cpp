#include "scene/texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <bit>
#include <cstring>
#include <vector>

#include "platform/msgbox.h"
#include "platform/resources.h"
#include "scene/tga.h"

namespace {

// Which blocks of 8 x 8 texels hold a texel with alpha above 0, kept as sums over
// blocks: sums[(y) * (columns + 1) + x] counts such blocks above and left of block
// corner (x, y), so any rectangle of blocks is answered in four lookups.
constexpr int kBlock = 8;
// The alpha bytes of two RGBA pixels read as one word.
constexpr std::uint64_t kAlphaBytes =
    std::endian::native == std::endian::little ? 0xFF000000FF000000ull : 0x000000FF000000FFull;
struct OpaqueBlocks {
  int width = 0, height = 0, columns = 0, rows = 0;
  std::vector<std::uint32_t> sums;
};
OpaqueBlocks g_OpaqueBlocks[kTextureSlotCount];

void RecordOpaqueBlocks(const TextureImage& slot, OpaqueBlocks& map) {
  map = {};
  if (slot.format != GL_RGBA) return;  // without alpha every texel is drawn
  map.width = static_cast<int>(slot.width);
  map.height = static_cast<int>(slot.height);
  map.columns = (map.width + kBlock - 1) / kBlock;
  map.rows = (map.height + kBlock - 1) / kBlock;
  std::vector<std::uint8_t> opaque(static_cast<std::size_t>(map.columns) * map.rows, 0);
  const unsigned char* pixel = slot.pixels;
  for (int y = 0; y < map.height; ++y) {
    std::uint8_t* row = &opaque[static_cast<std::size_t>(y / kBlock) * map.columns];
    int x = 0;
    // Eight RGBA pixels at a time: their alpha bytes, or-ed.
    for (; x + kBlock <= map.width; x += kBlock, pixel += 4 * kBlock) {
      std::uint64_t words[4];
      std::memcpy(words, pixel, sizeof words);
      const std::uint64_t any = (words[0] | words[1] | words[2] | words[3]) & kAlphaBytes;
      row[x / kBlock] |= any != 0;
    }
    for (; x < map.width; ++x, pixel += 4) row[x / kBlock] |= pixel[3] != 0;
  }
  const int stride = map.columns + 1;
  map.sums.assign(static_cast<std::size_t>(stride) * (map.rows + 1), 0);
  for (int y = 0; y < map.rows; ++y)
    for (int x = 0; x < map.columns; ++x)
      map.sums[(y + 1) * stride + x + 1] = map.sums[y * stride + x + 1] + map.sums[(y + 1) * stride + x] -
                                           map.sums[y * stride + x] + (opaque[y * map.columns + x] != 0);
}

// The inclusive range a..b taken round a period n, as at most two plain ranges.
int Wrap(int a, int b, int n, int (&from)[2], int (&to)[2]) {
  if (b - a + 1 >= n) {
    from[0] = 0, to[0] = n - 1;
    return 1;
  }
  a = ((a % n) + n) % n;
  b = ((b % n) + n) % n;
  if (a <= b) {
    from[0] = a, to[0] = b;
    return 1;
  }
  from[0] = a, to[0] = n - 1, from[1] = 0, to[1] = b;
  return 2;
}

bool IsPowerOfTwo(std::uint32_t n) { return n != 0 && (n & (n - 1)) == 0; }

bool Fits(GLint format, GLsizei width, GLsizei height, GLenum pixelFormat) {
  glTexImage2D(GL_PROXY_TEXTURE_2D, 0, format, width, height, 0, pixelFormat, GL_UNSIGNED_BYTE, nullptr);
  GLint taken = 0;
  glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &taken);
  return taken != 0;
}

}  // namespace

bool AnyOpaqueTexel(int slotIndex, int x0, int x1, int y0, int y1) {
  if (slotIndex < 0 || slotIndex >= kTextureSlotCount) return true;
  const OpaqueBlocks& map = g_OpaqueBlocks[slotIndex];
  if (map.sums.empty()) return true;
  int xFrom[2], xTo[2], yFrom[2], yTo[2];
  const int xs = Wrap(x0, x1, map.width, xFrom, xTo), ys = Wrap(y0, y1, map.height, yFrom, yTo);
  const int stride = map.columns + 1;
  for (int yi = 0; yi < ys; ++yi)
    for (int xi = 0; xi < xs; ++xi) {
      const int left = xFrom[xi] / kBlock, right = xTo[xi] / kBlock + 1;
      const int top = yFrom[yi] / kBlock, bottom = yTo[yi] / kBlock + 1;
      if (map.sums[bottom * stride + right] - map.sums[top * stride + right] -
              map.sums[bottom * stride + left] + map.sums[top * stride + left] != 0)
        return true;
    }
  return false;
}

bool LoadTextureResource(int id, int slotIndex) {
  if (slotIndex < 0 || slotIndex >= kTextureSlotCount) return false;
  TextureImage& slot = g_TextureSlots[slotIndex];
  plat::ResourceData res;
  if (id < 0 || id > 0xFFFF || !plat::FindResource("tga", static_cast<std::uint16_t>(id), &res) ||
      !res.data || res.size == 0) {
    plat::MessageBox(0, "Could not locate image resource", "ERROR", plat::MB_OK);
    return false;
  }
  if (!ReadTgaImage(slot, res.data, res.size)) return false;

  glGenTextures(1, &slot.texture);
  glBindTexture(GL_TEXTURE_2D, slot.texture);
  // Rows are packed: a 24-bit image of odd width would be skewed by the default
  // 4-byte row alignment.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const GLint format = static_cast<GLint>(slot.format);
  const auto width = static_cast<GLsizei>(slot.width), height = static_cast<GLsizei>(slot.height);
  // Only the base level is ever sampled (the minification filter is GL_LINEAR), so
  // the mipmaps GLU would build below it are skipped. The base level is the image
  // itself whenever GLU would not rescale it: sides that are powers of two, at a
  // size the GL takes.
  if (IsPowerOfTwo(slot.width) && IsPowerOfTwo(slot.height) && Fits(format, width, height, slot.format)) {
    glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, slot.format, GL_UNSIGNED_BYTE, slot.pixels);
  } else {
    // The format doubles as the component count GLU asks for.
    gluBuild2DMipmaps(GL_TEXTURE_2D, format, width, height, slot.format, GL_UNSIGNED_BYTE, slot.pixels);
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  RecordOpaqueBlocks(slot, g_OpaqueBlocks[slotIndex]);
  FreeTexturePixels(slot);
  return true;
}
