#include <gtest/gtest.h>

#include <cmath>

#include "platform/headless/headless_dialog.h"
#include "platform/headless/headless.h"
#include "platform/queue.h"
#include "render/runstate.h"
#include "shell/saverloop.h"
#include "render/glcontext.h"
#include "platform/regstore.h"
#include "settings/registry.h"
#include "settings/saverpage.h"
#include "settings/settings.h"
#include "sound/voice.h"
#include "tests/ui/dialog_env.h"
#include "ui/dialog_templates.h"
#include "ui/settingsdlg.h"

namespace hl = plat::headless;

namespace {

class SettingsDialog : public testing::Test {
 protected:
  kiru_test::TempHome home;
  plat::HWND dialog = 0;
  std::string hiveAtStart;
  const plat::DialogTemplate* layout = &SettingsDialogTemplate();

  void SetUp() override { Open(); }
  void Open() {
    hl::ResetForTesting();
    ResetRunStateForTesting();
    ResetSettingsDialogForTesting();
    dialog =
        hl::CreateDialogForTesting(*layout, 0, SettingsDialogProc, reinterpret_cast<plat::LPARAM>(&RunDialogFramePump));
    ASSERT_NE(dialog, 0u);
    hiveAtStart = kiru_test::ReadFile(home.UserHive());
    Pump();
  }
  void TearDown() override {
    if (!Ended()) plat::SendMessage(dialog, plat::WM_CLOSE, 0, 0);
    hl::DestroyDialogForTesting(dialog);
    hl::ResetForTesting();
  }

  // Dispatches what is queued, with at most `frames` passes of the pump (a pass
  // first drains the dialog's messages, so one is enough for what was posted).
  void Pump(int frames = 1) {
    for (int guard = 0; guard < 200 && !Ended(); ++guard) {
      plat::MSG m;
      if (!plat::PeekMessage(&m, 0, 0, 0, plat::PM_NOREMOVE)) break;
      if (m.message == FramePump && frames-- <= 0) break;
      hl::DispatchForTesting(1);
    }
  }
  bool Ended() { return hl::DialogEndedForTesting(dialog, nullptr); }
  void Key(plat::UINT vk) {
    plat::PostMessage(dialog, plat::WM_KEYDOWN, vk, 0);
    plat::PostMessage(dialog, plat::WM_KEYUP, vk, 0);
    Pump();
  }
  std::string Field() {
    char text[32];
    plat::GetDlgItemText(dialog, IDC_SECONDS, text, sizeof text);
    return text;
  }
  void TypeSecondsAndLeave(const char* text) {
    hl::TypeForTesting(dialog, IDC_SECONDS, text);
    Pump();
    hl::FocusForTesting(dialog, -1);
    Pump();
  }
  std::int32_t Saved(const std::string& name) {
    SelectRegKey(0, KIRU_KEY);
    return RegReadDword(name.c_str(), -99999);
  }
};

TEST_F(SettingsDialog, StartUpShowsTheSettingsAndRunsThePreview) {
  EXPECT_FALSE(g_bSaverMode);
  EXPECT_NE(g_hRC, 0u);
  EXPECT_EQ(Field(), std::to_string(g_nCycleSeconds));
  EXPECT_EQ(plat::IsDlgButtonChecked(dialog, IDC_SOUND), g_bSoundOn);
  for (int n = 1; n <= MODULE_COUNT; ++n)
    EXPECT_EQ(plat::IsDlgButtonChecked(dialog, 1000 + n), g_Modules[n].active) << n;
  ASSERT_GE(g_nModule, 1);
  EXPECT_TRUE(plat::IsDlgButtonChecked(dialog, 1023 + g_nModule));
  EXPECT_GT(hl::PresentedFrames(), 0);
  // The voices run with the sound off too, so that the switch can turn it on.
  EXPECT_FALSE(g_bSoundOn);
  EXPECT_NE(SoundVoiceThreadId(0), 0u);
}

TEST_F(SettingsDialog, SelectStoresTheViewThenLoadsTheNewModule) {
  int before = g_nModule;
  g_fDepth = 77.5f;
  hl::ClickForTesting(dialog, 1023 + 3);
  Pump();
  EXPECT_FLOAT_EQ(g_Modules[before].depth, 77.5f);
  EXPECT_EQ(g_nModule, 3);
  EXPECT_FLOAT_EQ(g_fDepth, g_Modules[3].depth);
  for (int n = 1; n <= MODULE_COUNT; ++n) EXPECT_EQ(plat::IsDlgButtonChecked(dialog, 1023 + n), n == 3);
}

TEST_F(SettingsDialog, EnableBoxesAndEnableDisableAll) {
  hl::ClickForTesting(dialog, IDC_DISABLE_ALL);
  Pump();
  for (int n = 1; n <= MODULE_COUNT; ++n) {
    EXPECT_FALSE(g_Modules[n].active);
    EXPECT_FALSE(plat::IsDlgButtonChecked(dialog, 1000 + n));
  }
  hl::ClickForTesting(dialog, 1000 + 4);
  Pump();
  EXPECT_TRUE(g_Modules[4].active);
  hl::ClickForTesting(dialog, IDC_ENABLE_ALL);
  Pump();
  for (int n = 1; n <= MODULE_COUNT; ++n) {
    EXPECT_TRUE(g_Modules[n].active);
    EXPECT_TRUE(plat::IsDlgButtonChecked(dialog, 1000 + n));
  }
}

TEST_F(SettingsDialog, SecondsFieldIsReadAndClampedWhenLeft) {
  struct Case {
    const char* typed;
    const char* shown;
  } cases[] = {{"0", "1"}, {"12345", "9999"}, {"", "1"}, {"abc", "1"}, {"42", "42"},
               {"0000000012", "1"}};  // only nine characters are read
  for (const Case& c : cases) {
    TypeSecondsAndLeave(c.typed);
    EXPECT_EQ(Field(), c.shown) << c.typed;
    EXPECT_EQ(g_nCycleSeconds, std::atoi(c.shown)) << c.typed;
    EXPECT_FALSE(g_bEditFocus);
  }
}

TEST_F(SettingsDialog, AStoredNumberLongerThanTheFieldIsShownAndStoredAsItsLargest) {
  TearDown();
  SelectRegKey(0, KIRU_KEY);
  RegWriteDword("cycle time", 2147483647);
  Open();
  EXPECT_EQ(Field(), "999999999");
  hl::ClickForTesting(dialog, plat::IDOK);
  Pump();
  EXPECT_EQ(Saved("cycle time"), 999999999);
}

TEST_F(SettingsDialog, SpinStepsFromTheTypedValueAndJumpsToTheEnds) {
  plat::SetDlgItemText(dialog, IDC_SECONDS, "20");
  hl::SpinForTesting(dialog, IDC_SPIN, true);
  Pump();
  EXPECT_EQ(Field(), "21");
  hl::SpinForTesting(dialog, IDC_SPIN, false);
  hl::SpinForTesting(dialog, IDC_SPIN, false);
  Pump();
  EXPECT_EQ(Field(), "19");
  plat::SendMessage(dialog, plat::WM_VSCROLL, plat::MAKEWPARAM(plat::SB_TOP, 0), 0);
  EXPECT_EQ(Field(), "9999");
  EXPECT_EQ(g_nCycleSeconds, 9999);
  plat::SendMessage(dialog, plat::WM_VSCROLL, plat::MAKEWPARAM(plat::SB_BOTTOM, 0), 0);
  EXPECT_EQ(Field(), "1");
  plat::SendMessage(dialog, plat::WM_VSCROLL, plat::MAKEWPARAM(plat::SB_THUMBTRACK, 50), 0);
  EXPECT_EQ(Field(), "1");
}

TEST_F(SettingsDialog, KeysGoToTheFieldWhileItIsEdited) {
  hl::FocusForTesting(dialog, IDC_SECONDS);
  plat::SetDlgItemText(dialog, IDC_SECONDS, "1");
  Pump();
  ASSERT_TRUE(g_bEditFocus);
  float depth = g_fDepth;
  int module = g_nModule;
  Key('5');
  Key(plat::VK_PRIOR);
  Key(plat::VK_RETURN);
  EXPECT_EQ(Field(), "15");
  EXPECT_FLOAT_EQ(g_fDepth, depth);
  EXPECT_EQ(g_nModule, module);
  hl::FocusForTesting(dialog, -1);
  Pump();
  Key(plat::VK_PRIOR);
  EXPECT_NE(g_fDepth, depth);  // the preview steers again
}

TEST_F(SettingsDialog, DialogKeysComeBeforeTheViewKeys) {
  // From the first Enable box, Tab three times reaches module 4's; Space unticks it,
  // Enter is still "Ahead", and Space on OK saves, while Page Up zooms the preview.
  ASSERT_EQ(g_nModule, 1);
  Key(plat::VK_PRIOR);  // module 1's depth 50 grows by 50 / 50
  for (int i = 0; i < 3; ++i) Key(plat::VK_TAB);
  Key(plat::VK_SPACE);
  EXPECT_FALSE(g_Modules[4].active);
  EXPECT_TRUE(g_Modules[3].active);
  Key(plat::VK_RETURN);
  EXPECT_EQ(g_nModule, 2);
  ASSERT_FALSE(Ended());
  hl::FocusForTesting(dialog, plat::IDOK);
  Key(plat::VK_SPACE);
  ASSERT_TRUE(Ended());
  EXPECT_EQ(Saved("mod4 active"), 0);
  EXPECT_EQ(Saved("mod1 depth"), 5100);
}

TEST_F(SettingsDialog, OkSavesEveryAdjustedView) {
  hl::ClickForTesting(dialog, 1023 + 3);
  Pump();
  Key(plat::VK_PRIOR);
  float depth3 = g_fDepth;
  hl::ClickForTesting(dialog, 1023 + 6);
  Pump();
  Key(plat::VK_NEXT);
  Key(plat::VK_NEXT);
  float depth6 = g_fDepth;
  plat::SetDlgItemText(dialog, IDC_SECONDS, "33");
  hl::ClickForTesting(dialog, plat::IDOK);
  Pump();
  int result = 0;
  ASSERT_TRUE(hl::DialogEndedForTesting(dialog, &result));
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(g_bClosed);
  EXPECT_EQ(Saved("mod3 depth"), std::lround(depth3 * 100));
  EXPECT_EQ(Saved("mod6 depth"), std::lround(depth6 * 100));
  EXPECT_EQ(Saved("cycle time"), 33);
}

class SettingsDialogClosing : public SettingsDialog, public testing::WithParamInterface<int> {};

TEST_P(SettingsDialogClosing, SavesNothing) {
  Key(plat::VK_PRIOR);
  hl::ClickForTesting(dialog, IDC_DISABLE_ALL);
  TypeSecondsAndLeave("77");
  switch (GetParam()) {
    case 0:
      hl::ClickForTesting(dialog, plat::IDCANCEL);
      break;
    case 1:
      plat::PostMessage(dialog, plat::WM_KEYDOWN, plat::VK_ESCAPE, 0);
      break;
    case 2:
      plat::PostMessage(dialog, plat::WM_CLOSE, 0, 0);  // the title bar's close button
      break;
    case 3:  // Esc from inside the seconds field, which keeps every other key
      hl::FocusForTesting(dialog, IDC_SECONDS);
      Pump();
      ASSERT_TRUE(g_bEditFocus);
      plat::PostMessage(dialog, plat::WM_KEYDOWN, plat::VK_ESCAPE, 0);
      break;
  }
  Pump();
  EXPECT_TRUE(Ended());
  EXPECT_EQ(kiru_test::ReadFile(home.UserHive()), hiveAtStart);
}

INSTANTIATE_TEST_SUITE_P(CancelEscClose, SettingsDialogClosing, testing::Values(0, 1, 2, 3));

TEST_F(SettingsDialog, OkOutsideAPassOfThePumpStillCloses) {
  plat::SendMessage(dialog, plat::WM_COMMAND, plat::MAKEWPARAM(plat::IDOK, plat::BN_CLICKED), 0);
  EXPECT_FALSE(g_bInPump);
  Pump();
  EXPECT_TRUE(Ended());
  EXPECT_NE(Saved("cycle time"), -99999);
}

TEST(SettingsDialogStart, WithoutAPreviewTheDialogClosesAtOnce) {
  kiru_test::TempHome home;
  hl::ResetForTesting();
  ResetRunStateForTesting();
  hl::GLFailures failures;
  failures.createRC = true;
  hl::SetGLFailuresForTesting(failures);
  plat::HWND dialog = hl::CreateDialogForTesting(SettingsDialogTemplate(), 0, SettingsDialogProc, reinterpret_cast<plat::LPARAM>(&RunDialogFramePump));
  for (int i = 0; i < 10 && !hl::DialogEndedForTesting(dialog, nullptr); ++i) hl::DispatchForTesting(1);
  EXPECT_TRUE(hl::DialogEndedForTesting(dialog, nullptr));
  EXPECT_FALSE(home.Boxes().empty());
  hl::DestroyDialogForTesting(dialog);
  hl::ResetForTesting();
}

}  // namespace

// Where Kiru starts itself (Linux), the dialog also holds the screen saver's switch
// and wait, stored as Windows' own Screen Saver page stores them.
class SettingsDialogWithSaverPage : public SettingsDialog {
 protected:
  void SetUp() override {
    layout = &SettingsWithSaverPageTemplate();
    Open();
  }
  void Reopen(const char* active, const char* wait) {
    TearDown();
    if (active) Store(SAVER_ACTIVE_VALUE, active);
    if (wait) Store(SAVER_WAIT_VALUE, wait);
    Open();
  }
  static void Store(const char* name, const char* text) {
    plat::RegStoreSet(plat::RegRoot::CurrentUser, DESKTOP_KEY, name, plat::RegData::String(text));
  }
  static std::string Page(const char* name) {
    plat::RegData data;
    std::string text;
    if (!plat::RegStoreGet(plat::RegRoot::CurrentUser, DESKTOP_KEY, name, &data)) return "<missing>";
    return data.AsString(&text) ? text : "<not a string>";
  }
  std::string Minutes() {
    char text[32];
    plat::GetDlgItemText(dialog, IDC_SAVER_WAIT, text, sizeof text);
    return text;
  }
  void Ok() {
    hl::ClickForTesting(dialog, plat::IDOK);
    Pump();
    ASSERT_TRUE(Ended());
  }
};

TEST_F(SettingsDialogWithSaverPage, ShowsTheStoredSwitchAndTheWaitInMinutes) {
  EXPECT_FALSE(plat::IsDlgButtonChecked(dialog, IDC_SAVER_ACTIVE));  // off when absent
  EXPECT_EQ(Minutes(), "10");
  Reopen("1", "90");
  EXPECT_TRUE(plat::IsDlgButtonChecked(dialog, IDC_SAVER_ACTIVE));
  EXPECT_EQ(Minutes(), "2");
}

TEST_F(SettingsDialogWithSaverPage, OkStoresOnlyWhatTheUserChanged) {
  Ok();  // the page untouched: it stays absent, so off
  EXPECT_EQ(Page(SAVER_ACTIVE_VALUE), "<missing>");
  EXPECT_EQ(Page(SAVER_WAIT_VALUE), "<missing>");
  Reopen("1", "5");  // seconds from a hand edit: shown as 1 minute
  EXPECT_EQ(Minutes(), "1");
  Ok();
  EXPECT_EQ(Page(SAVER_WAIT_VALUE), "5");
  Reopen(nullptr, nullptr);
  hl::ClickForTesting(dialog, IDC_SAVER_ACTIVE);
  Ok();
  EXPECT_EQ(Page(SAVER_ACTIVE_VALUE), "0");
  EXPECT_EQ(Page(SAVER_WAIT_VALUE), "5");
  Reopen(nullptr, nullptr);
  hl::ClickForTesting(dialog, IDC_SAVER_ACTIVE);
  hl::TypeForTesting(dialog, IDC_SAVER_WAIT, "3");
  Ok();
  EXPECT_EQ(Page(SAVER_ACTIVE_VALUE), "1");
  EXPECT_EQ(Page(SAVER_WAIT_VALUE), "180");
}

TEST_F(SettingsDialogWithSaverPage, SwitchedOnOverNoUsableWaitStoresTheWaitShown) {
  hl::ClickForTesting(dialog, IDC_SAVER_ACTIVE);
  Ok();
  EXPECT_EQ(Page(SAVER_ACTIVE_VALUE), "1");
  EXPECT_EQ(Page(SAVER_WAIT_VALUE), "600");
  Reopen(nullptr, "-3");
  Ok();
  EXPECT_EQ(Page(SAVER_WAIT_VALUE), "600") << "a damaged wait is put right once the switch is on";
}

TEST_F(SettingsDialogWithSaverPage, TheWaitIsClampedWhenLeftAndSpunApartFromTheSeconds) {
  std::string seconds = Field();
  hl::TypeForTesting(dialog, IDC_SAVER_WAIT, "0");
  Pump();
  EXPECT_TRUE(g_bEditFocus) << "keys go to the field while it is edited";
  hl::FocusForTesting(dialog, -1);
  Pump();
  EXPECT_EQ(Minutes(), "1");
  hl::TypeForTesting(dialog, IDC_SAVER_WAIT, "12345");
  hl::FocusForTesting(dialog, -1);
  Pump();
  EXPECT_EQ(Minutes(), "9999");
  plat::SetDlgItemText(dialog, IDC_SAVER_WAIT, "9");
  hl::SpinForTesting(dialog, IDC_SAVER_SPIN, true);
  Pump();
  EXPECT_EQ(Minutes(), "10");
  hl::SpinForTesting(dialog, IDC_SAVER_SPIN, false);
  hl::SpinForTesting(dialog, IDC_SAVER_SPIN, false);
  Pump();
  EXPECT_EQ(Minutes(), "8");
  plat::HWND spin = plat::GetDlgItem(dialog, IDC_SAVER_SPIN);
  plat::SendMessage(dialog, plat::WM_VSCROLL, plat::MAKEWPARAM(plat::SB_BOTTOM, 0),
                    static_cast<plat::LPARAM>(spin));
  EXPECT_EQ(Minutes(), "1");
  EXPECT_EQ(Field(), seconds);
  EXPECT_EQ(std::to_string(g_nCycleSeconds), seconds);
  Ok();
  EXPECT_EQ(Page(SAVER_WAIT_VALUE), "60");
}

TEST_F(SettingsDialogWithSaverPage, CancelStoresNothingOfThePage) {
  hl::ClickForTesting(dialog, IDC_SAVER_ACTIVE);
  hl::TypeForTesting(dialog, IDC_SAVER_WAIT, "4");
  hl::ClickForTesting(dialog, plat::IDCANCEL);
  Pump();
  EXPECT_TRUE(Ended());
  EXPECT_EQ(kiru_test::ReadFile(home.UserHive()), hiveAtStart);
  EXPECT_EQ(Page(SAVER_ACTIVE_VALUE), "<missing>");
}
