// Sound sources: a sound name is a file path or "res://" + an embedded raw-data
// resource ("res://NAME" by name, "res://#<number>" by 16-bit number). Embedded data
// reaches the decoder through ResourceStream, a read-only memory stream.
#pragma once
#include <vorbis/vorbisfile.h>

#include <cstddef>
#include <cstdint>

#include "platform/resources.h"

constexpr const char* RESOURCE_SCHEME = "res://";

// One per open; the decoder owns it from a successful open until ov_clear.
// It never owns the data: embedded resources live as long as the process.
struct ResourceStream {
  std::uint32_t position = 0;
  std::uint32_t size = 0;
  const unsigned char* data = nullptr;
};

// The ov_callbacks of a ResourceStream, in the record's order.
std::size_t ResourceStreamRead(void* dest, std::size_t itemSize, std::size_t itemCount, void* stream);
int ResourceStreamSeek(void* stream, ogg_int64_t offset, int origin);
int ResourceStreamClose(void* stream);
long ResourceStreamTell(void* stream);
extern const ov_callbacks g_ResourceStreamCallbacks;

// On success the decoder is open and owns its source (ov_clear releases both);
// on failure nothing is left open and the handle needs no ov_clear.
bool OpenSoundSource(const char* name, OggVorbis_File* decoder);

// Where "res://" names are looked up: by name when `name` is not null, else by id.
// The default searches the program's RCDATA resources; nullptr restores it.
using SoundResourceLookup = bool (*)(const char* name, std::uint16_t id, plat::ResourceData* out);
void SetSoundResourceLookupForTesting(SoundResourceLookup lookup);
