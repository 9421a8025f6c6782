#include "sound/source.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

bool FindRawResource(const char* name, std::uint16_t id, plat::ResourceData* out) {
  return name ? plat::FindResource("RCDATA", name, out) : plat::FindResource("RCDATA", id, out);
}

std::atomic<SoundResourceLookup> g_pResourceLookup{FindRawResource};

bool OpenFileSource(const char* path, OggVorbis_File* decoder) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  if (ov_open(file, decoder, nullptr, 0) < 0) {
    std::fclose(file);  // a failed ov_open leaves the file to us
    return false;
  }
  return true;
}

// "#<number>" (%i: decimal, 0x hex, 0 octal, signed) names a resource by its low
// 16 bits; anything else names it by the text itself.
bool LookUpResource(const char* ref, plat::ResourceData* out) {
  SoundResourceLookup lookup = g_pResourceLookup.load();
  if (ref[0] == '#') {
    long number = 0;
    // %li rather than %i: glibc clamps an over-long number instead of overflowing an int.
    if (std::sscanf(ref + 1, "%li", &number) != 1) return false;
    return lookup(nullptr, static_cast<std::uint16_t>(static_cast<unsigned long>(number)), out);
  }
  return lookup(ref, 0, out);
}

}  // namespace

std::size_t ResourceStreamRead(void* dest, std::size_t itemSize, std::size_t itemCount, void* stream) {
  auto* s = static_cast<ResourceStream*>(stream);
  if (!s || s->position >= s->size || itemSize == 0 || itemCount == 0) return 0;
  std::size_t left = s->size - s->position;
  std::size_t bytes = itemCount <= left / itemSize ? itemSize * itemCount : left;
  std::memcpy(dest, s->data + s->position, bytes);
  s->position += static_cast<std::uint32_t>(bytes);
  return bytes;
}

int ResourceStreamSeek(void* stream, ogg_int64_t offset, int origin) {
  auto* s = static_cast<ResourceStream*>(stream);
  if (!s) return -1;
  // Only the low 32 bits count; a position past the end just makes reads return 0.
  auto low = static_cast<std::uint32_t>(static_cast<std::uint64_t>(offset));
  switch (origin) {
    case SEEK_SET: s->position = low; break;
    case SEEK_CUR: s->position += low; break;
    case SEEK_END: s->position = s->size + low; break;
    default: return -1;
  }
  return 0;
}

int ResourceStreamClose(void* stream) {
  auto* s = static_cast<ResourceStream*>(stream);
  if (!s) return -1;
  delete s;
  return 0;
}

long ResourceStreamTell(void* stream) {
  auto* s = static_cast<ResourceStream*>(stream);
  if (!s) return -1;
  return static_cast<long>(s->position);
}

const ov_callbacks g_ResourceStreamCallbacks = {ResourceStreamRead, ResourceStreamSeek,
                                                ResourceStreamClose, ResourceStreamTell};

bool OpenSoundSource(const char* name, OggVorbis_File* decoder) {
  if (!name || !decoder) return false;
  std::size_t prefix = std::strlen(RESOURCE_SCHEME);
  if (std::strncmp(name, RESOURCE_SCHEME, prefix) != 0) return OpenFileSource(name, decoder);

  plat::ResourceData res;
  if (!LookUpResource(name + prefix, &res)) return false;
  if (!res.data || res.size == 0 || res.size > UINT32_MAX) return false;

  auto* stream = new (std::nothrow) ResourceStream{0, static_cast<std::uint32_t>(res.size), res.data};
  if (!stream) return false;
  if (ov_open_callbacks(stream, decoder, nullptr, 0, g_ResourceStreamCallbacks) < 0) {
    delete stream;  // a failed open never takes the stream
    return false;
  }
  return true;
}

void SetSoundResourceLookupForTesting(SoundResourceLookup lookup) {
  g_pResourceLookup.store(lookup ? lookup : FindRawResource);
}
