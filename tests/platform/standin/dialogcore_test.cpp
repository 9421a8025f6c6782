#include <algorithm>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "platform/standin/bitmapfile.h"
#include "platform/standin/dialogcore.h"
#include "platform/headless/headless_dialog.h"
#include "platform/headless/headless.h"
#include "platform/queue.h"
#include "platform/resources.h"
#include "platform/window.h"
#include "render/runstate.h"
#include "shell/saverloop.h"
#include "ui/controlmenu.h"
#include "ui/dialog_templates.h"
#include "ui/dialogutil.h"

namespace hl = plat::headless;

namespace {

std::vector<plat::MSG> g_seen;

plat::LRESULT Recorder(plat::HWND dialog, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (message != plat::WM_INITDIALOG) g_seen.push_back({dialog, message, wParam, lParam, 0});
  if (message == plat::WM_COMMAND && plat::LOWORD(wParam) == plat::IDCANCEL) plat::EndDialog(dialog, 7);
  return message == plat::WM_INITDIALOG ? 1 : 0;
}

TEST(DialogLayer, ControlsSitWhereTheirDialogUnitsSay) {
  auto d = plat::dlg::NewDialog(SettingsDialogTemplate(), 0, Recorder, 0);
  EXPECT_EQ(d->pixelWidth, 425 * 6 / 4);
  EXPECT_EQ(d->pixelHeight, 281 * 13 / 8);
  plat::dlg::Control* preview = plat::dlg::FindControl(*d, IDC_PREVIEW);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->pixels.left, 9);
  EXPECT_EQ(preview->pixels.right - preview->pixels.left, 274 * 6 / 4);
  // The spin arrows take the right end of their field.
  plat::dlg::Control* field = plat::dlg::FindControl(*d, IDC_SECONDS);
  plat::dlg::Control* spin = plat::dlg::FindControl(*d, IDC_SPIN);
  EXPECT_EQ(field->pixels.right, spin->pixels.left);
  EXPECT_EQ(spin->pixels.right, (340 + 31) * 6 / 4);
}

TEST(DialogLayer, RadioButtonsAreExclusiveAndCommandsArrive) {
  hl::ResetForTesting();
  g_seen.clear();
  plat::HWND dialog = hl::CreateDialogForTesting(SettingsDialogTemplate(), 0, Recorder, 0);
  hl::ClickForTesting(dialog, 1025);
  hl::ClickForTesting(dialog, 1030);
  hl::ClickForTesting(dialog, 1001);
  hl::DispatchForTesting(100);
  EXPECT_FALSE(plat::IsDlgButtonChecked(dialog, 1025));
  EXPECT_TRUE(plat::IsDlgButtonChecked(dialog, 1030));
  EXPECT_TRUE(plat::IsDlgButtonChecked(dialog, 1001));
  ASSERT_EQ(g_seen.size(), 3u);
  EXPECT_EQ(g_seen[1].message, plat::WM_COMMAND);
  EXPECT_EQ(g_seen[1].wParam, plat::MAKEWPARAM(1030, plat::BN_CLICKED));
  EXPECT_EQ(static_cast<plat::HWND>(g_seen[1].lParam), plat::GetDlgItem(dialog, 1030));
  EXPECT_EQ(plat::GetDlgCtrlID(plat::GetDlgItem(dialog, 1030)), 1030);

  char small[4];
  plat::SetDlgItemText(dialog, IDC_SECONDS, "123456");
  EXPECT_EQ(plat::GetDlgItemText(dialog, IDC_SECONDS, small, sizeof small), 3);
  EXPECT_STREQ(small, "123");

  // Esc in a dialog loop is Cancel; the close button too.
  plat::PostMessage(dialog, plat::WM_KEYDOWN, plat::VK_ESCAPE, 0);
  hl::DispatchForTesting(100);
  int result = 0;
  EXPECT_TRUE(hl::DialogEndedForTesting(dialog, &result));
  EXPECT_EQ(result, 7);
  hl::DestroyDialogForTesting(dialog);
  EXPECT_EQ(plat::GetDlgItem(dialog, 1030), 0u);
}

// Tab and Shift+Tab walk the focusable controls in template order, round and
// round; Space works the focused control; Enter presses the focused push button,
// or else the (first) default button.
TEST(DialogLayer, KeyboardWalksTheControlsInTemplateOrder) {
  hl::ResetForTesting();
  g_seen.clear();
  plat::HWND dialog = hl::CreateDialogForTesting(WarningDialogTemplate(), 0, Recorder, 0);
  auto focusId = [&] { return plat::GetDlgCtrlID(hl::FocusedControlForTesting(dialog)); };
  EXPECT_EQ(focusId(), IDC_DOWNLOAD_PELLOR);
  const int order[] = {IDC_DISABLE_WARNING, plat::IDOK, IDC_REMOVE_KIRU, plat::IDCANCEL, IDC_DOWNLOAD_PELLOR};
  for (int id : order) {
    EXPECT_TRUE(hl::KeyForTesting(dialog, plat::VK_TAB, false));
    EXPECT_EQ(focusId(), id);
  }
  EXPECT_TRUE(hl::KeyForTesting(dialog, plat::VK_TAB, true));
  EXPECT_EQ(focusId(), plat::IDCANCEL);
  for (int i = 0; i < 3; ++i) hl::KeyForTesting(dialog, plat::VK_TAB, true);
  EXPECT_EQ(focusId(), IDC_DISABLE_WARNING);

  EXPECT_TRUE(hl::KeyForTesting(dialog, plat::VK_SPACE, false));
  EXPECT_TRUE(plat::IsDlgButtonChecked(dialog, IDC_DISABLE_WARNING));
  plat::PostMessage(dialog, plat::WM_KEYDOWN, plat::VK_RETURN, 0);  // on a check box: the default button
  hl::DispatchForTesting(100);
  hl::KeyForTesting(dialog, plat::VK_TAB, false);
  hl::KeyForTesting(dialog, plat::VK_TAB, false);
  plat::PostMessage(dialog, plat::WM_KEYDOWN, plat::VK_RETURN, 0);  // on a push button: that button
  hl::DispatchForTesting(100);
  std::vector<unsigned> commands;
  for (const plat::MSG& m : g_seen)
    if (m.message == plat::WM_COMMAND) commands.push_back(plat::LOWORD(m.wParam));
  EXPECT_EQ(commands, (std::vector<unsigned>{IDC_DISABLE_WARNING, plat::IDOK, IDC_REMOVE_KIRU}));
  EXPECT_FALSE(hl::KeyForTesting(dialog, 'A', false));
  hl::DestroyDialogForTesting(dialog);
}

// With nobody left to answer (a close signal, a host gone) a dialog is not shown,
// and one that is open ends as if cancelled, by force if it will not.
TEST(DialogLayer, AbandonedDialogsEnd) {
  hl::ResetForTesting();
  static bool s_bAbandoned;
  s_bAbandoned = true;
  plat::SetDialogAbandonCheck([] { return s_bAbandoned; });
  size_t opened = hl::OpenedDialogsForTesting().size();
  EXPECT_EQ(plat::DialogBox(AboutDialogTemplate(), 0, Recorder, 0), plat::IDCANCEL);
  EXPECT_EQ(hl::OpenedDialogsForTesting().size(), opened);

  s_bAbandoned = false;
  hl::SetModalHookForTesting([](plat::HWND, int) { s_bAbandoned = true; });
  EXPECT_EQ(plat::DialogBox(AboutDialogTemplate(), 0, Recorder, 0), 7);  // its own Cancel
  s_bAbandoned = false;
  auto stubborn = [](plat::HWND, plat::UINT message, plat::WPARAM, plat::LPARAM) -> plat::LRESULT {
    return message == plat::WM_INITDIALOG || message == plat::WM_CLOSE;
  };
  EXPECT_EQ(plat::DialogBox(AboutDialogTemplate(), 0, stubborn, 0), plat::IDCANCEL);
  hl::SetModalHookForTesting(nullptr);
  plat::SetDialogAbandonCheck(nullptr);
}

TEST(DialogLayer, ModalDialogWithNobodyToAnswerEnds) {
  hl::ResetForTesting();
  EXPECT_EQ(plat::DialogBox(AboutDialogTemplate(), 0, Recorder, 0), -1);
}

// A font 6 pixels a character and 13 a line, whatever the text.
bool FixedMeasure(const char* text, int width, int* textWidth, int* textHeight) {
  int longest = 0, line = 0, lines = 1;
  for (const char* c = text; *c; ++c) {
    if (*c == '\n') {
      ++lines, line = 0;
      continue;
    }
    if (width > 0 && (line + 1) * 6 > width) ++lines, line = 0;
    longest = std::max(longest, ++line);
  }
  *textWidth = longest * 6;
  *textHeight = lines * 13;
  return true;
}

// At base units 6 x 13 a dialog unit is 1.5 pixels across and 1.625 down: the
// text keeps its pixels (rounded up), a margin of 10 units goes round it, and OK
// (50 x 14 units) sits centred 8 units below it.
TEST(MessageBoxTemplate, TextAboveACentredOkWrappedAtTheGivenWidth) {
  plat::SetDialogBaseUnits(6, 13);
  plat::DialogTemplate t = plat::dlg::MessageBoxTemplate("Two\nlines", "Caption", FixedMeasure, 600);
  EXPECT_EQ(t.caption, "Caption");
  ASSERT_EQ(t.controls.size(), 2u);
  const plat::DialogControl& text = t.controls[0];
  const plat::DialogControl& ok = t.controls[1];
  EXPECT_EQ(text.width, 80);  // its 30 pixels are 20 units: the narrowest text is wider
  EXPECT_EQ(text.height, 16);  // 26 pixels
  EXPECT_EQ(t.width, 100);
  EXPECT_EQ(ok.id, plat::IDOK);
  EXPECT_EQ(ok.kind, plat::ControlKind::DefPushButton);
  EXPECT_EQ(ok.x, 25);
  EXPECT_EQ(ok.y, 10 + 16 + 8);
  EXPECT_EQ(t.height, ok.y + 14 + 10);

  std::string line(150, 'x');  // 900 pixels: wrapped at 300 into three lines
  plat::DialogTemplate wide = plat::dlg::MessageBoxTemplate(line.c_str(), "", FixedMeasure, 300);
  EXPECT_EQ(wide.controls[0].width, 200);
  EXPECT_EQ(wide.controls[0].height, 24);  // 39 pixels, 24 units
}

// Rows of 2 pixels take 6 bytes, padded to 8; bottom-up files keep the last row first.
TEST(BitmapFile, RowsComeOutTopDownInRgb) {
  std::vector<unsigned char> bmp(54 + 16, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  bmp[0] = 'B', bmp[1] = 'M';
  put32(10, 54);
  put32(18, 2);
  put32(22, 2);  // bottom-up
  bmp[28] = 24;
  const unsigned char bottom[] = {1, 2, 3, 4, 5, 6}, top[] = {7, 8, 9, 10, 11, 12};  // blue, green, red
  std::copy(bottom, bottom + 6, bmp.begin() + 54);
  std::copy(top, top + 6, bmp.begin() + 62);
  std::vector<unsigned char> rgb;
  int w = 0, h = 0;
  ASSERT_TRUE(plat::dlg::DecodeBmp(bmp.data(), bmp.size(), &rgb, &w, &h));
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(rgb, (std::vector<unsigned char>{9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));

  put32(22, static_cast<std::uint32_t>(-2));  // top-down
  ASSERT_TRUE(plat::dlg::DecodeBmp(bmp.data(), bmp.size(), &rgb, &w, &h));
  EXPECT_EQ(rgb, (std::vector<unsigned char>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
  EXPECT_FALSE(plat::dlg::DecodeBmp(bmp.data(), bmp.size() - 1, &rgb, &w, &h));  // cut short
  bmp[30] = 1;  // run-length encoded
  EXPECT_FALSE(plat::dlg::DecodeBmp(bmp.data(), bmp.size(), &rgb, &w, &h));

#ifndef _WIN32  // Windows' resource section holds the bitmap without its file header
  plat::ResourceData warning;
  ASSERT_TRUE(plat::FindResource("BITMAP", IDB_WARNING, &warning));
  ASSERT_TRUE(plat::dlg::DecodeBmp(warning.data, warning.size, &rgb, &w, &h));
  EXPECT_EQ(w, 243);
  EXPECT_EQ(h, 350);
#endif
}

TEST(DialogHelpers, CheckSelectButtonMarksOneOrNone) {
  hl::ResetForTesting();
  plat::HWND dialog = hl::CreateDialogForTesting(SettingsDialogTemplate(), 0, Recorder, 0);
  CheckSelectButton(dialog, 4);
  for (int n = 1; n <= 10; ++n) EXPECT_EQ(plat::IsDlgButtonChecked(dialog, 1023 + n), n == 4);
  CheckSelectButton(dialog, 0);
  for (int n = 1; n <= 10; ++n) EXPECT_FALSE(plat::IsDlgButtonChecked(dialog, 1023 + n));
  hl::DestroyDialogForTesting(dialog);
}

TEST(DialogHelpers, CenterOnDesktopCentresAndShows) {
  hl::ResetForTesting();
  hl::SetDesktopSizeForTesting(1001, 801);
  plat::HWND dialog = hl::CreateDialogForTesting(AboutDialogTemplate(), 0, Recorder, 0);
  CenterOnDesktop(dialog);
  plat::RECT r;
  ASSERT_TRUE(plat::GetWindowRect(dialog, &r));
  int w = 244 * 6 / 4, h = 206 * 13 / 8;
  EXPECT_EQ(r.left, (1001 - w) / 2);
  EXPECT_EQ(r.top, (801 - h) / 2);
  EXPECT_EQ(r.right - r.left, w);
  hl::DestroyDialogForTesting(dialog);
  hl::ResetForTesting();
}

TEST(ControlMenu, OneAtATimeWithTheCursorFreedInTheSaver) {
  hl::ResetForTesting();
  g_bSaverMode = true;
  bool shownWhileOpen = false, clippedWhileOpen = false;
  hl::SetModalHookForTesting([&](plat::HWND dialog, int id) {
    EXPECT_EQ(id, IDD_CONTROL_MENU);
    shownWhileOpen = hl::CursorShown();
    clippedWhileOpen = hl::CursorClipped();
    ShowControlMenu(0);  // a second request while open returns at once
    EXPECT_EQ(hl::FocusedControlForTesting(dialog), plat::GetDlgItem(dialog, plat::IDOK));
    hl::ClickForTesting(dialog, plat::IDOK);
  });
  size_t opened = hl::OpenedDialogsForTesting().size();
  ShowControlMenu(0);
  hl::SetModalHookForTesting(nullptr);
  EXPECT_EQ(hl::OpenedDialogsForTesting().size(), opened + 1);
  EXPECT_TRUE(shownWhileOpen);
  EXPECT_TRUE(clippedWhileOpen);
  EXPECT_FALSE(hl::CursorShown());
  EXPECT_FALSE(hl::CursorClipped());
  g_bSaverMode = false;
}

}  // namespace
