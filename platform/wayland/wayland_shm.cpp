#include "platform/wayland/wayland_shm.h"

#include <unistd.h>

namespace plat::wayland {
namespace {

const wl_buffer_listener BUFFER{[](void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy = false; }};

}  // namespace

ShmBuffer::~ShmBuffer() {
  if (buffer) wl_buffer_destroy(buffer);
  if (data != MAP_FAILED) munmap(data, size);
}

std::unique_ptr<ShmBuffer> MakeShmBuffer(int width, int height) {
  auto b = std::make_unique<ShmBuffer>();
  b->width = width;
  b->height = height;
  b->stride = width * 4;
  b->size = static_cast<std::size_t>(b->stride) * static_cast<std::size_t>(height);
  int fd = memfd_create("kiru-shm", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  if (ftruncate(fd, static_cast<off_t>(b->size)) == 0)
    b->data = mmap(nullptr, b->size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (b->data == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  wl_shm_pool* pool = wl_shm_create_pool(g_Globals.shm, fd, static_cast<std::int32_t>(b->size));
  b->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, b->stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  wl_buffer_add_listener(b->buffer, &BUFFER, b.get());
  return b;
}

}  // namespace plat::wayland
