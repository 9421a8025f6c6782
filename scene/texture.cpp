#include "scene/texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/msgbox.h"
#include "platform/resources.h"
#include "scene/tga.h"

namespace {

bool IsPowerOfTwo(std::uint32_t n) { return n != 0 && (n & (n - 1)) == 0; }

bool Fits(GLint format, GLsizei width, GLsizei height, GLenum pixelFormat) {
  glTexImage2D(GL_PROXY_TEXTURE_2D, 0, format, width, height, 0, pixelFormat, GL_UNSIGNED_BYTE, nullptr);
  GLint taken = 0;
  glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &taken);
  return taken != 0;
}

}  // namespace

bool LoadTextureResource(int id, int slotIndex) {
  if (slotIndex < 0 || slotIndex >= TEXTURE_SLOT_COUNT) return false;
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
  FreeTexturePixels(slot);
  return true;
}
