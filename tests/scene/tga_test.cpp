#include "scene/tga.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/resources.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Header(unsigned char type, unsigned width, unsigned height, unsigned char bits,
             unsigned char descriptor = 0x08) {
  return {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0,
          static_cast<unsigned char>(width & 0xFF), static_cast<unsigned char>(width >> 8),
          static_cast<unsigned char>(height & 0xFF), static_cast<unsigned char>(height >> 8),
          bits, descriptor};
}

void Append(Bytes& out, std::initializer_list<unsigned char> bytes) { out.insert(out.end(), bytes); }

class TgaTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeTexturePixels(slot_); }

  // Decodes from an exactly sized heap copy, so a sanitizer sees any read past the end.
  bool Read(const Bytes& file) {
    auto copy = std::make_unique<unsigned char[]>(file.size());
    std::copy(file.begin(), file.end(), copy.get());
    return ReadTgaImage(slot_, copy.get(), file.size());
  }
  Bytes Pixels() const {
    const std::size_t n = std::size_t{slot_.width} * slot_.height * slot_.bits / 8;
    return Bytes(slot_.pixels, slot_.pixels + n);
  }
  void ExpectOneBox(const char* text, const char* caption) {
    ASSERT_EQ(recorder_.Boxes().size(), 1u) << "expected exactly \"" << text << "\"";
    const kiru_test::RecordedMessageBox& box = recorder_.Boxes()[0];
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.owner, 0u);
    EXPECT_EQ(box.style, plat::MB_OK);
    EXPECT_EQ(slot_.pixels, nullptr);
    recorder_.Clear();
  }

  kiru_test::MessageBoxRecorder recorder_;
  TextureImage slot_;
};

TEST_F(TgaTest, MissingOrEmptyDataCannotBeLoaded) {
  EXPECT_FALSE(ReadTgaImage(slot_, nullptr, 100));
  ExpectOneBox("Could not load image resource", "ERROR");
  const unsigned char byte = 0;
  EXPECT_FALSE(ReadTgaImage(slot_, &byte, 0));
  ExpectOneBox("Could not load image resource", "ERROR");
}

// Image ID, colour map, colour-map fields, origin, or any other image type.
TEST_F(TgaTest, HeaderFieldsOutsideTheSignatureAreRefused) {
  for (std::size_t i = 0; i < 12; ++i) {
    Bytes file = Header(10, 1, 1, 32);
    Append(file, {0x80, 1, 2, 3, 4});
    file[i] = i == 2 ? 3 : 1;
    SCOPED_TRACE(i);
    EXPECT_FALSE(Read(file));
    ExpectOneBox("TGA file be type 2 or type 10 ", "Invalid Image");
  }
}

TEST_F(TgaTest, OnlyTrueColourWithASizeIsAccepted) {
  for (unsigned char type : {2, 10}) {
    for (auto [w, h, bits] : {std::tuple{4u, 4u, 8}, {4u, 4u, 16}, {4u, 4u, 0}, {4u, 4u, 33},
                              {0u, 4u, 32}, {4u, 0u, 24}}) {
      SCOPED_TRACE(testing::Message() << int(type) << ": " << w << "x" << h << "x" << bits);
      Bytes file = Header(type, w, h, static_cast<unsigned char>(bits));
      file.resize(file.size() + 4 * 4 * 4 * 2, 0x7F);
      EXPECT_FALSE(Read(file));
      ExpectOneBox("Invalid texture information", "ERROR");
    }
  }
}

TEST_F(TgaTest, TwentyFourBitsBecomeRgb) {
  Bytes file = Header(10, 3, 1, 24);
  Append(file, {0x00, 10, 20, 30, 0x81, 1, 2, 3});
  ASSERT_TRUE(Read(file));
  EXPECT_TRUE(recorder_.Boxes().empty());
  EXPECT_EQ(slot_.format, static_cast<GLenum>(GL_RGB));
  EXPECT_EQ(slot_.bits, 24u);
  EXPECT_THAT(Pixels(), testing::ElementsAre(30, 20, 10, 3, 2, 1, 3, 2, 1));
}

TEST_F(TgaTest, ThirtyTwoBitsBecomeRgbaWithAlphaIntact) {
  Bytes file = Header(10, 2, 2, 32);
  Append(file, {0x01, 10, 20, 30, 0, 40, 50, 60, 7, 0x81, 1, 2, 3, 255});
  ASSERT_TRUE(Read(file));
  EXPECT_EQ(slot_.format, static_cast<GLenum>(GL_RGBA));
  EXPECT_EQ(slot_.width, 2u);
  EXPECT_EQ(slot_.height, 2u);
  EXPECT_THAT(Pixels(), testing::ElementsAre(30, 20, 10, 0, 60, 50, 40, 7, 3, 2, 1, 255, 3, 2, 1, 255));
}

// Packets cross rows freely, rows stay in file order whatever the descriptor says,
// and bytes after the last pixel are ignored.
TEST_F(TgaTest, PacketsCrossRowsAndRowsKeepFileOrder) {
  Bytes expected;
  for (unsigned char descriptor : {0x08, 0x28, 0x00}) {
    Bytes file = Header(10, 3, 2, 24, descriptor);
    Append(file, {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9, 0xFF, 0xFF});
    ASSERT_TRUE(Read(file));
    EXPECT_THAT(Pixels(), testing::ElementsAre(3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 6, 5, 4, 9, 8, 7));
  }
  EXPECT_TRUE(recorder_.Boxes().empty());
}

TEST_F(TgaTest, RunEndingOnTheLastPixelSucceedsOneMoreFails) {
  Bytes exact = Header(10, 2, 2, 32);
  Append(exact, {0x83, 1, 2, 3, 4});
  EXPECT_TRUE(Read(exact));
  EXPECT_TRUE(recorder_.Boxes().empty());

  Bytes run = Header(10, 2, 2, 32);
  Append(run, {0x80, 9, 9, 9, 9, 0x83, 1, 2, 3, 4});
  EXPECT_FALSE(Read(run));
  ExpectOneBox("Too many pixels read", "ERROR");

  Bytes raw = Header(10, 2, 2, 24);
  Append(raw, {0x81, 9, 9, 9, 0x02, 1, 1, 1, 2, 2, 2, 3, 3, 3});
  EXPECT_FALSE(Read(raw));
  ExpectOneBox("Too many pixels read", "ERROR");
}

// Every cut of a valid file fails with one message, reading nothing past its end.
TEST_F(TgaTest, TruncatedDataFailsCleanly) {
  Bytes rle = Header(10, 4, 3, 32);
  Append(rle, {0x85, 1, 2, 3, 4, 0x02, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7, 0x82, 8, 8, 8, 8});
  Bytes raw = Header(2, 3, 2, 24);
  for (unsigned char i = 0; i < 18; ++i) raw.push_back(i);
  for (const Bytes& file : {rle, raw}) {
    ASSERT_TRUE(Read(file));
    for (std::size_t size = 1; size < file.size(); ++size) {
      SCOPED_TRACE(size);
      EXPECT_FALSE(Read(Bytes(file.begin(), file.begin() + size)));
      ExpectOneBox("Image data ends early", "ERROR");
    }
  }
}

TEST_F(TgaTest, UncompressedDecodesLikeRunLengthEncoded) {
  for (unsigned char bits : {24, 32}) {
    const unsigned bpp = bits / 8;
    Bytes raw = Header(2, 5, 3, bits);
    Bytes rle = Header(10, 5, 3, bits);
    Bytes literal;
    for (unsigned i = 0; i < 15; ++i) {
      for (unsigned c = 0; c < bpp; ++c) {
        auto v = static_cast<unsigned char>(i < 6 ? 200 + c : 17 * i + 3 * c);
        raw.push_back(v);
        if (i >= 6) literal.push_back(v);
      }
    }
    rle.push_back(0x85);
    rle.insert(rle.end(), raw.begin() + 18, raw.begin() + 18 + bpp);
    rle.push_back(0x08);
    rle.insert(rle.end(), literal.begin(), literal.end());

    ASSERT_TRUE(Read(rle));
    Bytes fromRle = Pixels();
    GLenum format = slot_.format;
    ASSERT_TRUE(Read(raw));
    EXPECT_EQ(Pixels(), fromRle);
    EXPECT_EQ(slot_.format, format);
    EXPECT_EQ(slot_.bits, bits);
    EXPECT_EQ(slot_.width, 5u);
    EXPECT_EQ(slot_.height, 3u);
  }
  EXPECT_TRUE(recorder_.Boxes().empty());
}

// --- Files written by another program -------------------------------------

const char* const CONVERT = "/usr/bin/convert";

Bytes ReadFile(const std::string& path) {
  std::string data = kiru_test::ReadFile(path);
  return Bytes(data.begin(), data.end());
}

class ImageMagickTgaTest : public TgaTest {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "ImageMagick is run on Linux";
#endif
    if (!std::filesystem::exists(CONVERT)) GTEST_SKIP() << CONVERT << " missing";
    ASSERT_FALSE(dir_.Path().empty());
    // Flat runs, a gradient and noise, with alpha taking many values.
    Bytes rgba;
    for (unsigned y = 0; y < HEIGHT; ++y) {
      for (unsigned x = 0; x < WIDTH; ++x) {
        bool flat = y < 5 || (x > 20 && x < 60);
        unsigned noise = (x * 7919u + y * 104729u) % 251u;
        rgba.push_back(static_cast<unsigned char>(flat ? 40 : x * 3));
        rgba.push_back(static_cast<unsigned char>(flat ? 90 : y * 5));
        rgba.push_back(static_cast<unsigned char>(flat ? 200 : noise));
        rgba.push_back(static_cast<unsigned char>(flat ? 255 : (noise * 3) & 0xFF));
      }
    }
    std::ofstream(dir_.File("source.rgba"), std::ios::binary)
        .write(reinterpret_cast<const char*>(rgba.data()), static_cast<std::streamsize>(rgba.size()));
  }
  int Run(const std::string& args) {
    std::string command = std::string(CONVERT) + " " + args + " 2>/dev/null";
    return std::system(command.c_str());
  }

  // Writes the source with `options`, then checks our pixels against ImageMagick's own reading.
  void CheckRoundTrip(const std::string& options, unsigned bits, unsigned char type) {
    SCOPED_TRACE(options);
    const std::string size = std::to_string(WIDTH) + "x" + std::to_string(HEIGHT);
    const std::string tga = dir_.File("image.tga");
    const std::string back = dir_.File("back.rgb");
    ASSERT_EQ(Run("-size " + size + " -depth 8 rgba:" + dir_.File("source.rgba") + " " +
                  options + " -strip " + tga),
              0);
    const std::string map = bits == 32 ? "rgba:" : "rgb:";
    ASSERT_EQ(Run(tga + " -depth 8 " + map + back), 0);
    Bytes file = ReadFile(tga);
    ASSERT_GE(file.size(), 18u);
    ASSERT_EQ(file[2], type);
    ASSERT_EQ(file[16], bits);
    ASSERT_TRUE(Read(file));
    EXPECT_EQ(slot_.width, WIDTH);
    EXPECT_EQ(slot_.height, HEIGHT);
    EXPECT_EQ(slot_.bits, bits);
    EXPECT_TRUE(Pixels() == ReadFile(back));
    EXPECT_TRUE(recorder_.Boxes().empty());
  }

  static constexpr unsigned WIDTH = 97;
  static constexpr unsigned HEIGHT = 41;
  kiru_test::TempDir dir_{"kiru-tga"};
};

TEST_F(ImageMagickTgaTest, RunLengthEncodedThirtyTwoBits) {
  CheckRoundTrip("-alpha on -type TrueColorAlpha -compress RLE", 32, 10);
}
TEST_F(ImageMagickTgaTest, RunLengthEncodedTwentyFourBits) {
  CheckRoundTrip("-alpha off -type TrueColor -compress RLE", 24, 10);
}
TEST_F(ImageMagickTgaTest, UncompressedBothDepths) {
  CheckRoundTrip("-alpha on -type TrueColorAlpha -compress None", 32, 2);
  CheckRoundTrip("-alpha off -type TrueColor -compress None", 24, 2);
}

// --- The embedded texture ---------------------------------------------------

TEST_F(TgaTest, EmbeddedTextureIsSixColouredGlyphsOnClearGround) {
  plat::ResourceData res;
  ASSERT_TRUE(plat::FindResource("TGA", 107, &res));
  // The packet stream ends exactly at the end: without its last byte the image is short.
  ASSERT_FALSE(ReadTgaImage(slot_, res.data, res.size - 1));
  ExpectOneBox("Image data ends early", "ERROR");
  ASSERT_TRUE(ReadTgaImage(slot_, res.data, res.size));
  ASSERT_EQ(slot_.width, 1024u);
  ASSERT_EQ(slot_.height, 1024u);
  ASSERT_EQ(slot_.format, static_cast<GLenum>(GL_RGBA));

  std::set<std::uint32_t> colours[6];
  std::size_t opaque[6] = {};
  std::size_t clear = 0;
  for (unsigned y = 0; y < 1024; ++y) {
    for (unsigned x = 0; x < 1024; ++x) {
      const unsigned char* p = slot_.pixels + 4 * (y * 1024 + x);
      ASSERT_TRUE(p[3] == 0 || p[3] == 255) << x << "," << y << ": alpha " << int(p[3]);
      if (p[3] == 0) {
        ++clear;
        continue;
      }
      unsigned column = x * 6 / 1024;
      colours[column].insert(p[0] << 16 | p[1] << 8 | p[2]);
      ++opaque[column];
    }
  }
  EXPECT_GT(clear, 1024u * 1024u / 2);
  std::set<std::uint32_t> all;
  for (int c = 0; c < 6; ++c) {
    SCOPED_TRACE(c);
    EXPECT_GT(opaque[c], 1024u * 1024u / 6 / 50) << "a glyph fills part of its column";
    ASSERT_EQ(colours[c].size(), 1u) << "one colour per glyph";
    std::uint32_t rgb = *colours[c].begin();
    unsigned brightest = std::max({rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF});
    EXPECT_GE(brightest, 200u);
    all.insert(rgb);
  }
  EXPECT_EQ(all.size(), 6u);
}

}  // namespace
