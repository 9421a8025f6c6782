// Placeholder until the TGA decoder lands.
#include "scene/texture.h"

bool LoadTextureResource(int, int) { return true; }
