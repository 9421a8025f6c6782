// Sound sources from outside data: the first byte chooses what the rest is.
//   even: the bytes of an embedded resource, opened through ResourceStream and decoded
//   odd:  the text after "res://" in a sound name (names of files are left alone, so
//         that the fuzzer never reads devices such as /dev/zero)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "sound/source.h"

namespace {

plat::ResourceData g_data;

bool FuzzLookup(const char*, std::uint16_t, plat::ResourceData* out) {
  *out = g_data;
  return true;
}

void DecodeSome(OggVorbis_File* vf) {
  char buffer[4096];
  int bitstream = 0;
  ov_info(vf, -1);
  for (int i = 0; i < 2000; ++i) {
    long n = ov_read(vf, buffer, sizeof buffer, 0, 2, 1, &bitstream);
    if (n == 0) break;
  }
  if (ov_seekable(vf)) ov_pcm_seek(vf, ov_pcm_total(vf, -1) / 2);
  ov_clear(vf);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  OggVorbis_File vf;
  if (data[0] & 1) {
    std::string name = RESOURCE_SCHEME;
    name.append(reinterpret_cast<const char*>(data + 1), std::min<std::size_t>(size - 1, 250));
    if (OpenSoundSource(name.c_str(), &vf)) DecodeSome(&vf);
  } else {
    g_data = plat::ResourceData{data + 1, size - 1};
    SetSoundResourceLookupForTesting(FuzzLookup);
    if (OpenSoundSource("res://FUZZ", &vf)) DecodeSome(&vf);
    SetSoundResourceLookupForTesting(nullptr);
  }
  return 0;
}
