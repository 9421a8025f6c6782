#include "platform/standin/bitmapfile.h"

#include <cstdint>

namespace plat::dlg {

bool DecodeBmp(const unsigned char* data, std::size_t size, std::vector<unsigned char>* rgb, int* width,
               int* height) {
  auto u16 = [&](std::size_t at) { return static_cast<unsigned>(data[at] | data[at + 1] << 8); };
  auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(data[at] | data[at + 1] << 8 | data[at + 2] << 16 |
                                      static_cast<std::uint32_t>(data[at + 3]) << 24);
  };
  if (size < 54 || data[0] != 'B' || data[1] != 'M') return false;
  std::uint32_t offset = u32(10);
  int w = static_cast<std::int32_t>(u32(18));
  int h = static_cast<std::int32_t>(u32(22));
  unsigned bits = u16(28);
  if (u32(30) != 0 || (bits != 24 && bits != 32) || w <= 0 || w > 4096 || h == 0 || h > 4096 || h < -4096)
    return false;
  bool bottomUp = h > 0;
  int rows = bottomUp ? h : -h;
  std::size_t stride = (static_cast<std::size_t>(w) * (bits / 8) + 3) & ~std::size_t{3};
  if (offset > size || stride * static_cast<std::size_t>(rows) > size - offset) return false;
  rgb->resize(static_cast<std::size_t>(w) * rows * 3);
  for (int y = 0; y < rows; ++y) {
    const unsigned char* src = data + offset + stride * static_cast<std::size_t>(bottomUp ? rows - 1 - y : y);
    unsigned char* dst = rgb->data() + static_cast<std::size_t>(y) * w * 3;
    for (int x = 0; x < w; ++x, src += bits / 8) {
      dst[x * 3] = src[2];
      dst[x * 3 + 1] = src[1];
      dst[x * 3 + 2] = src[0];
    }
  }
  *width = w;
  *height = rows;
  return true;
}

}  // namespace plat::dlg
