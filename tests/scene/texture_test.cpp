#include "scene/texture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless_offscreen.h"
#include "platform/resources.h"
#include "scene/opaquetexels.h"
#include "scene/tga.h"
#include "tests/support/msgbox_recorder.h"

namespace {

class TextureTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plat::headless::MakeOffscreenContext(16, 16)); }
  void TearDown() override { plat::headless::DestroyOffscreenContext(); }
  kiru_test::MessageBoxRecorder recorder_;
};

TEST_F(TextureTest, EmbeddedImageBecomesTheBoundTexture) {
  ASSERT_TRUE(LoadTextureResource(107, 0));
  EXPECT_TRUE(recorder_.Boxes().empty());
  const TextureImage& slot = g_TextureSlots[0];
  EXPECT_EQ(slot.pixels, nullptr) << "pixels are released once uploaded";
  EXPECT_NE(slot.texture, 0u);
  GLint bound = 0, width = 0, height = 0, internal = 0, minFilter = 0, magFilter = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), slot.texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  EXPECT_EQ(width, 1024);
  EXPECT_EQ(height, 1024);
  EXPECT_EQ(internal, GL_RGBA);
  EXPECT_EQ(minFilter, GL_LINEAR);
  EXPECT_EQ(magFilter, GL_LINEAR);

  // The uploaded base level holds the decoded pixels, rows in file order.
  std::vector<unsigned char> uploaded(1024 * 1024 * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, uploaded.data());
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  plat::ResourceData res;
  ASSERT_TRUE(plat::FindResource("tga", 107, &res));
  TextureImage decoded;
  ASSERT_TRUE(ReadTgaImage(decoded, res.data, res.size));
  EXPECT_TRUE(std::equal(uploaded.begin(), uploaded.end(), decoded.pixels));
  FreeTexturePixels(decoded);
}

TEST_F(TextureTest, MissingResourceIsReported) {
  EXPECT_FALSE(LoadTextureResource(9999, 1));
  ASSERT_EQ(recorder_.Boxes().size(), 1u);
  EXPECT_EQ(recorder_.Boxes()[0].text, "Could not locate image resource");
  EXPECT_EQ(recorder_.Boxes()[0].caption, "ERROR");
  EXPECT_EQ(recorder_.Boxes()[0].owner, 0u);
  EXPECT_EQ(recorder_.Boxes()[0].style, plat::MB_OK);
  EXPECT_EQ(g_TextureSlots[1].texture, 0u);
}

}  // namespace

// A 70 x 3 image, transparent but for texels (0, 0) and (64, 2): ranges that wrap
// round either side, cross a 64-texel word, or stop one texel short.
TEST(OpaqueTexels, RangesRepeatOrClampAsTheWrapModesSay) {
  constexpr int W = 70, HEIGHT_TEXELS = 3;
  std::vector<unsigned char> pixels(W * HEIGHT_TEXELS * 4, 0xFF);
  for (std::size_t p = 3; p < pixels.size(); p += 4) pixels[p] = 0;
  pixels[3] = 1;
  pixels[(2 * W + 64) * 4 + 3] = 255;
  TextureImage image;
  image.pixels = pixels.data(), image.width = W, image.height = HEIGHT_TEXELS, image.bits = 32, image.format = GL_RGBA;
  RecordOpaqueTexels(2, image, GL_REPEAT, GL_REPEAT);
  const struct {
    int x0, x1, y0, y1;
    bool repeat, clamp;
  } cases[] = {
      {1, 63, 0, 2, false, false},  {1, 64, 0, 2, true, true},     {65, 69, 0, 2, false, false},
      {65, 70, 0, 0, true, false},  {-1, -1, 0, 0, false, true},   {-6, -6, -1, -1, true, true},
      {63, 200, 1, 1, false, false}, {0, 0, 1, 4, true, false},    {64, 64, -1, -1, true, false},
      {5, 4, 0, 2, false, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AnyOpaqueTexel(2, c.x0, c.x1, c.y0, c.y1), c.repeat)
        << c.x0 << ".." << c.x1 << " x " << c.y0 << ".." << c.y1 << " repeating";
  RecordOpaqueTexels(2, image, GL_CLAMP, GL_CLAMP);
  for (const auto& c : cases)
    EXPECT_EQ(AnyOpaqueTexel(2, c.x0, c.x1, c.y0, c.y1), c.clamp)
        << c.x0 << ".." << c.x1 << " x " << c.y0 << ".." << c.y1 << " clamped";
  image.format = GL_RGB;  // no alpha: every texel shows
  RecordOpaqueTexels(2, image, GL_REPEAT, GL_REPEAT);
  EXPECT_TRUE(AnyOpaqueTexel(2, 1, 63, 1, 1));
  RecordOpaqueTexels(2, TextureImage{}, GL_REPEAT, GL_REPEAT);
}
