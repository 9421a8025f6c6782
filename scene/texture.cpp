#include "scene/texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/msgbox.h"
#include "platform/resources.h"
#include "scene/tga.h"

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
  // The format doubles as the component count GLU asks for.
  gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(slot.format), static_cast<GLsizei>(slot.width),
                    static_cast<GLsizei>(slot.height), slot.format, GL_UNSIGNED_BYTE, slot.pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  // Mipmaps are built, but only the base level is sampled.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  FreeTexturePixels(slot);
  return true;
}
