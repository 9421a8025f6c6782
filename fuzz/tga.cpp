// libFuzzer target: the TGA decoder over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "platform/msgbox.h"
#include "scene/tga.h"

namespace {
int Silent(plat::HWND, const char*, const char*, plat::UINT) { return plat::IDOK; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plat::SetMessageBoxHandler(&Silent);
  TextureImage slot;
  if (ReadTgaImage(slot, data, size)) {
    // Touch every decoded byte so a short buffer shows up under the sanitizers.
    const std::size_t n = std::size_t{slot.width} * slot.height * (slot.bits / 8);
    volatile unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum = sum + slot.pixels[i];
  }
  FreeTexturePixels(slot);
  return 0;
}
