#include "scene/opaquetexels.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct OpaqueTexels {
  int width = 0, height = 0, words = 0;  // words: 64-bit words a row
  bool repeatS = true, repeatT = true;
  std::vector<std::uint64_t> bits;       // row by row, bit x % 64 of word x / 64
  std::vector<int> rowFirst, rowLast;    // a row's first and last set bit; last < first: none
  unsigned record = 0;
};

OpaqueTexels g_Opaque[TEXTURE_SLOT_COUNT];

// The alpha bytes of two RGBA pixels read as one word.
constexpr std::uint64_t ALPHA_BYTES =
    std::endian::native == std::endian::little ? 0xFF000000FF000000ull : 0x000000FF000000FFull;

// The inclusive range a..b taken round or clamped into 0..n-1, as at most two
// plain ranges; returns how many.
int Fold(int a, int b, int n, bool repeat, int (&from)[2], int (&to)[2]) {
  if (!repeat) {
    from[0] = std::clamp(a, 0, n - 1), to[0] = std::clamp(b, 0, n - 1);
    return 1;
  }
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

bool AnyInRow(const std::uint64_t* row, int a, int b) {
  const int first = a / 64, last = b / 64;
  for (int w = first; w <= last; ++w) {
    std::uint64_t mask = ~std::uint64_t{0};
    if (w == first) mask &= ~std::uint64_t{0} << (a % 64);
    if (w == last && b % 64 != 63) mask &= (std::uint64_t{1} << (b % 64 + 1)) - 1;
    if (row[w] & mask) return true;
  }
  return false;
}

}  // namespace

void RecordOpaqueTexels(int slot, const TextureImage& image, GLint wrapS, GLint wrapT) {
  if (slot < 0 || slot >= TEXTURE_SLOT_COUNT) return;
  OpaqueTexels& map = g_Opaque[slot];
  const unsigned record = map.record + 1;
  map = {};
  map.record = record;
  // Without alpha, or without pixels, every texel counts as shown.
  if (image.format != GL_RGBA || !image.pixels || image.width == 0 || image.height == 0) return;
  map.width = static_cast<int>(image.width);
  map.height = static_cast<int>(image.height);
  map.words = (map.width + 63) / 64;
  map.repeatS = wrapS == GL_REPEAT;
  map.repeatT = wrapT == GL_REPEAT;
  map.bits.assign(static_cast<std::size_t>(map.words) * map.height, 0);
  map.rowFirst.assign(static_cast<std::size_t>(map.height), 0);
  map.rowLast.assign(static_cast<std::size_t>(map.height), -1);
  const std::size_t rowBytes = static_cast<std::size_t>(map.width) * 4;
  for (int y = 0; y < map.height; ++y) {
    const unsigned char* pixel = image.pixels + static_cast<std::size_t>(y) * rowBytes;
    // Most rows of an image of glyphs are wholly transparent: or-ing the row two
    // pixels at a time and keeping the alpha bytes tells so without a look at
    // each texel.
    std::uint64_t any = rowBytes % 8 ? pixel[rowBytes - 1] : 0;
    for (std::size_t b = 0; b + 8 <= rowBytes; b += 8) {
      std::uint64_t word;
      std::memcpy(&word, pixel + b, sizeof word);
      any |= word & ALPHA_BYTES;
    }
    if (any == 0) continue;
    std::uint64_t* row = &map.bits[static_cast<std::size_t>(y) * map.words];
    for (int x = 0; x < map.width; ++x)
      if (pixel[static_cast<std::size_t>(x) * 4 + 3] != 0) {
        row[x / 64] |= std::uint64_t{1} << (x % 64);
        if (map.rowLast[y] < 0) map.rowFirst[y] = x;
        map.rowLast[y] = x;
      }
  }
}

bool AnyOpaqueTexel(int slot, int x0, int x1, int y0, int y1) {
  if (slot < 0 || slot >= TEXTURE_SLOT_COUNT) return true;
  const OpaqueTexels& map = g_Opaque[slot];
  if (map.bits.empty()) return true;
  if (x1 < x0 || y1 < y0) return false;
  int xFrom[2], xTo[2], yFrom[2], yTo[2];
  const int xs = Fold(x0, x1, map.width, map.repeatS, xFrom, xTo);
  const int ys = Fold(y0, y1, map.height, map.repeatT, yFrom, yTo);
  for (int yi = 0; yi < ys; ++yi)
    for (int y = yFrom[yi]; y <= yTo[yi]; ++y) {
      const std::uint64_t* row = &map.bits[static_cast<std::size_t>(y) * map.words];
      for (int xi = 0; xi < xs; ++xi) {
        const int a = std::max(xFrom[xi], map.rowFirst[y]), b = std::min(xTo[xi], map.rowLast[y]);
        if (a <= b && AnyInRow(row, a, b)) return true;
      }
    }
  return false;
}

void OpaqueTexelsSize(int slot, int* width, int* height) {
  const bool known = slot >= 0 && slot < TEXTURE_SLOT_COUNT;
  *width = known ? g_Opaque[slot].width : 0;
  *height = known ? g_Opaque[slot].height : 0;
}

unsigned OpaqueTexelsRecord(int slot) { return slot >= 0 && slot < TEXTURE_SLOT_COUNT ? g_Opaque[slot].record : 0; }
