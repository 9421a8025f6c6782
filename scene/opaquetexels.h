// Which texels of a slot's image the alpha test can pass (alpha above 0), kept as
// one bit a texel after the pixels themselves are gone, so that geometry built
// later can tell what of the image it may show.
#pragma once
#include <GL/gl.h>

#include "scene/tga.h"

// Records the slot's decoded pixels with the wrap modes its texture samples with.
void RecordOpaqueTexels(int slot, const TextureImage& image, GLint wrapS, GLint wrapT);
// Whether any texel in columns x0..x1 and rows y0..y1 (inclusive; outside the
// image they repeat or clamp as the texture's wrap modes do) has an alpha above 0.
// True when nothing is recorded for the slot (no image, or one without alpha).
bool AnyOpaqueTexel(int slot, int x0, int x1, int y0, int y1);
// The recorded image's size; 0 x 0 when none.
void OpaqueTexelsSize(int slot, int* width, int* height);
// Counts the slot's records: it changes whenever what AnyOpaqueTexel answers may.
unsigned OpaqueTexelsRecord(int slot);
