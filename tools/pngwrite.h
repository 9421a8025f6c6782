// Writes an RGBA picture read back from GL (rows bottom first) as an opaque PNG.
#pragma once
#include <png.h>

#include <cstdio>
#include <vector>

inline bool WritePng(const char* path, int width, int height, const unsigned char* rgba) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // GL rows run bottom first; drop alpha, the picture is opaque on screen.
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
  for (int y = height - 1; y >= 0; --y) {
    const unsigned char* src = rgba + static_cast<std::size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) row[x * 3 + c] = src[x * 4 + c];
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}
