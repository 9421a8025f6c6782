#include "tests/support/harness.h"
#include "platform/window.h"
#include "ui/keys.h"

namespace {

using harness::g_dwNow;

class Keys : public harness::Test {
 protected:
  void SetUp() override {
    harness::Test::SetUp();
    g_bSaverMode = true;
    g_bFullScreen = true;
  }
  void Press(plat::UINT key, plat::HWND window = 0x4242) { HandleKey(window, plat::WM_KEYDOWN, key); }
};

TEST_F(Keys, ZoomStepsGrowWithTruncatedDepth) {
  struct Case {
    float depth;
    plat::UINT key;
    float expected;
  };
  const Case cases[] = {
      {40.0f, plat::VK_PRIOR, 40.3f},    {50.0f, plat::VK_PRIOR, 51.0f},   {50.0f, plat::VK_NEXT, 49.0f},
      {49.0f, plat::VK_NEXT, 48.7f},     {149.5f, plat::VK_PRIOR, 151.5f}, {-60.0f, plat::VK_PRIOR, -59.7f},
      {99.99f, plat::VK_NUMPAD9, 100.99f}, {100.0f, plat::VK_NUMPAD3, 98.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.depth);
    g_fDepth = c.depth;
    Press(c.key);
    EXPECT_FLOAT_EQ(g_fDepth, c.expected);
  }
  g_fDepth = 50.0f;
  Press(plat::VK_NEXT);
  Press(plat::VK_NEXT);
  EXPECT_FLOAT_EQ(g_fDepth, 48.7f);
  EXPECT_FALSE(g_bQuit);
}

TEST_F(Keys, MovesAndTurns) {
  g_fDepth = 120.0f;
  g_fHorz = g_fVert = g_fXrot = g_fYrot = g_fZrot = 0.0f;
  Press(plat::VK_LEFT);
  EXPECT_FLOAT_EQ(g_fHorz, -2.0f);
  Press(plat::VK_NUMPAD6);
  Press(plat::VK_RIGHT);
  EXPECT_FLOAT_EQ(g_fHorz, 2.0f);
  g_fDepth = 50.0f;  // from 50 the step is 1
  Press(plat::VK_LEFT);
  EXPECT_FLOAT_EQ(g_fHorz, 1.0f);
  g_fDepth = 30.0f;
  Press(plat::VK_UP);
  EXPECT_FLOAT_EQ(g_fVert, 0.1f);
  Press(plat::VK_NUMPAD2);
  Press(plat::VK_DOWN);
  EXPECT_FLOAT_EQ(g_fVert, -0.1f);

  for (plat::UINT key : {plat::VK_F2, plat::VK_F4, plat::VK_F6}) Press(key);
  EXPECT_FLOAT_EQ(g_fXrot, -1.5f);
  EXPECT_FLOAT_EQ(g_fYrot, -1.5f);
  EXPECT_FLOAT_EQ(g_fZrot, 1.5f);
  for (plat::UINT key : {plat::VK_F3, plat::VK_F3, plat::VK_F5, plat::VK_F5, plat::VK_F7, plat::VK_F7}) Press(key);
  EXPECT_FLOAT_EQ(g_fXrot, 1.5f);
  EXPECT_FLOAT_EQ(g_fYrot, 1.5f);
  EXPECT_FLOAT_EQ(g_fZrot, -1.5f);
  EXPECT_FLOAT_EQ(g_fDepth, 30.0f);
  EXPECT_FALSE(g_bQuit);
}

TEST_F(Keys, SpeedIsClamped) {
  g_fSpeed = 9.95f;
  Press(plat::VK_F9);
  EXPECT_FLOAT_EQ(g_fSpeed, 10.0f);
  g_fSpeed = 0.1f;
  Press(plat::VK_F8);
  EXPECT_FLOAT_EQ(g_fSpeed, 0.0625f);
  Press(plat::VK_F8);
  EXPECT_FLOAT_EQ(g_fSpeed, 0.0625f);
  g_fSpeed = 0.5f;
  Press(plat::VK_F9);
  EXPECT_FLOAT_EQ(g_fSpeed, 0.625f);
}

TEST_F(Keys, KeyUpAndPreviewDoNothing) {
  g_fDepth = 40.0f;
  HandleKey(0, plat::WM_KEYUP, plat::VK_PRIOR);
  HandleKey(0, plat::WM_KEYUP, plat::VK_ESCAPE);
  EXPECT_FLOAT_EQ(g_fDepth, 40.0f);
  HandleKey(0, plat::WM_SYSKEYDOWN, plat::VK_PRIOR);
  EXPECT_FLOAT_EQ(g_fDepth, 40.3f);

  g_bFullScreen = false;  // the display-settings preview
  for (plat::UINT key : {plat::VK_PRIOR, plat::VK_RETURN, plat::VK_ESCAPE, plat::VK_F12}) Press(key);
  EXPECT_FLOAT_EQ(g_fDepth, 40.3f);
  EXPECT_EQ(g_nModule, 1);
  EXPECT_FALSE(g_bQuit);
}

TEST_F(Keys, EscAndUnmappedKeysQuitTheSaverOnly) {
  for (plat::UINT key : {plat::VK_ESCAPE, plat::VK_SHIFT, plat::UINT{'A'}, plat::VK_F12, plat::VK_F10}) {
    g_bSaverMode = true;
    g_bQuit = false;
    Press(key);
    EXPECT_TRUE(g_bQuit) << key;
    g_bSaverMode = false;  // the settings dialog
    g_bQuit = false;
    Press(key);
    EXPECT_EQ(g_bQuit, key == plat::VK_ESCAPE) << key;
  }
}

TEST_F(Keys, EnterAndBackspaceStoreThenLoadAndRestartTimerAndFade) {
  harness::SetModules({2, 5}, 5);
  g_fDepth = 77.0f;
  FrameStateForTesting().fadeState = 2;
  FrameStateForTesting().fadeAngle = 0.5f;
  g_fAnimTime = 3.0f;
  g_dwModuleStart = 1;
  Press(plat::VK_RETURN);
  EXPECT_EQ(g_nModule, 2);
  EXPECT_FLOAT_EQ(g_Modules[5].depth, 77.0f);  // the adjusted view stays in the table
  EXPECT_FLOAT_EQ(g_fDepth, g_Modules[2].depth);
  EXPECT_EQ(g_fAnimTime, 0.0f);
  EXPECT_EQ(g_dwModuleStart, g_dwNow);
  EXPECT_EQ(FrameStateForTesting().fadeState, 0);
  EXPECT_EQ(FrameStateForTesting().fadeAngle, 0.0f);

  g_fHorz = 3.0f;
  g_dwNow += 500;
  Press(plat::VK_BACK);
  EXPECT_EQ(g_nModule, 5);
  EXPECT_FLOAT_EQ(g_Modules[2].horz, 3.0f);
  EXPECT_FLOAT_EQ(g_fDepth, 77.0f);
  EXPECT_EQ(g_dwModuleStart, g_dwNow);
  Press(plat::VK_BACK);
  EXPECT_EQ(g_nModule, 2);

  harness::SetModules({4}, 4);  // a sole module switches to itself and restarts
  g_dwNow += 500;
  Press(plat::VK_RETURN);
  EXPECT_EQ(g_nModule, 4);
  EXPECT_EQ(g_dwModuleStart, g_dwNow);

  harness::SetModules({}, 4);
  Press(plat::VK_RETURN);
  EXPECT_EQ(g_nModule, 0);
  EXPECT_FALSE(g_bQuit);
}

TEST_F(Keys, HomeRestoresFactoryViewWithoutTouchingTheClocks) {
  harness::SetModules({4}, 4);
  g_ModuleDefaults[4] = ModuleParams{25.0f, 0.0f, -1.25f, 0.0f, 90.0f, 0.0f, 0.5f, true};
  g_fDepth = 3.0f, g_fHorz = 4.0f, g_fVert = 5.0f, g_fXrot = 6.0f, g_fYrot = 7.0f, g_fZrot = 8.0f, g_fSpeed = 9.0f;
  g_fAnimTime = 2.5f;
  g_dwModuleStart = 1234;
  float stored = g_Modules[4].depth;
  Press(plat::VK_HOME);
  EXPECT_FLOAT_EQ(g_fDepth, 25.0f);
  EXPECT_FLOAT_EQ(g_fHorz, 0.0f);
  EXPECT_FLOAT_EQ(g_fVert, -1.25f);
  EXPECT_FLOAT_EQ(g_fXrot, 0.0f);
  EXPECT_FLOAT_EQ(g_fYrot, 90.0f);
  EXPECT_FLOAT_EQ(g_fZrot, 0.0f);
  EXPECT_FLOAT_EQ(g_fSpeed, 0.5f);
  EXPECT_EQ(g_fAnimTime, 2.5f);
  EXPECT_EQ(g_dwModuleStart, 1234u);
  EXPECT_FLOAT_EQ(g_Modules[4].depth, stored);
}

TEST_F(Keys, F11ShowsTheParamsOverTheWindow) {
  g_fDepth = 40.0f, g_fHorz = -1.5f, g_fVert = 0.25f, g_fXrot = -90.0f, g_fYrot = 0.0f, g_fZrot = 1.5f;
  g_fSpeed = 0.5f;
  Press(plat::VK_F11, 0x777);
  ASSERT_EQ(harness::g_Boxes.size(), 1u);
  EXPECT_EQ(harness::g_Boxes[0].owner, 0x777u);
  EXPECT_EQ(harness::g_Boxes[0].caption, "Params");
  EXPECT_EQ(harness::g_Boxes[0].style, 0u);
  EXPECT_EQ(harness::g_Boxes[0].text,
            "g_fDepth 40.000000\ng_fHorz  -1.500000\ng_fVert  0.250000\ng_fXrot  -90.000000\n"
            "g_fYrot  0.000000\ng_fZrot  1.500000\ng_fSpeed 0.500000\n");
  EXPECT_FALSE(g_bQuit);
}

TEST_F(Keys, ExtremeDepthsStillStep) {
  g_fDepth = 1e12f;
  Press(plat::VK_PRIOR);
  EXPECT_GT(g_fDepth, 1e11f);
  g_fDepth = -1e12f;
  Press(plat::VK_PRIOR);
  EXPECT_LT(g_fDepth, -1e11f);
}

}  // namespace
