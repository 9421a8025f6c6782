// BITMAP resources, which are BMP files: decoded for the desktops that draw them
// themselves.
#pragma once
#include <cstddef>
#include <vector>

namespace plat::dlg {

// A bottom-up or top-down 24- or 32-bit uncompressed BMP as top-down RGB rows
// (three bytes a pixel); false for anything else, or a file cut short.
bool DecodeBmp(const unsigned char* data, std::size_t size, std::vector<unsigned char>* rgb, int* width,
               int* height);

}  // namespace plat::dlg
