// Buffers drawn by the CPU, in shared memory: the dialogs' pictures, and a black
// one for a surface that has shown nothing yet.
#pragma once
#include <sys/mman.h>

#include <cstddef>
#include <memory>

#include "platform/wayland/wayland_records.h"

namespace plat::wayland {

struct ShmBuffer {
  wl_buffer* buffer = nullptr;
  void* data = MAP_FAILED;
  std::size_t size = 0;
  int width = 0, height = 0, stride = 0;  // XRGB rows, as cairo's RGB24 lays them out
  bool busy = false;  // attached, and not yet released by the compositor
  ShmBuffer() = default;
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;
  ~ShmBuffer();
};

// A black XRGB buffer of width x height pixels; nullptr when none can be made.
std::unique_ptr<ShmBuffer> MakeShmBuffer(int width, int height);

}  // namespace plat::wayland
