// The dialogs bound by the resource script are the dialog tables, control for
// control: class, identifier, text and place. The script is generated from the
// tables, so this is what keeps the two from drifting apart.
#include <gtest/gtest.h>

#include <string>

#include "platform/dialog.h"
#include "ui/dialog_templates.h"
#include "platform/windows/windows_winapi.h"

#include <commctrl.h>

namespace {

const plat::DialogTemplate* g_pTemplate = nullptr;
int g_nChecked = 0;

const char* ClassOf(plat::ControlKind kind) {
  switch (kind) {
    case plat::ControlKind::PushButton:
    case plat::ControlKind::DefPushButton:
    case plat::ControlKind::AutoCheckBox:
    case plat::ControlKind::AutoRadioPush:
    case plat::ControlKind::GroupBox:
      return "Button";
    case plat::ControlKind::EditDigits:
      return "Edit";
    case plat::ControlKind::UpDown:
      return "msctls_updown32";
    default:
      return "Static";
  }
}

// An up-down moves itself onto its buddy's right end, taking that end from the
// field; a picture takes the size of its image and an etched line its own width.
bool KeepsItsSize(plat::ControlKind kind) {
  switch (kind) {
    case plat::ControlKind::UpDown:
    case plat::ControlKind::EditDigits:
    case plat::ControlKind::Icon:
    case plat::ControlKind::Bitmap:
    case plat::ControlKind::EtchedLine:
      return false;
    default:
      return true;
  }
}

void CompareWithTemplate(::HWND dialog) {
  const plat::DialogTemplate& t = *g_pTemplate;
  char text[512];
  ::GetWindowTextA(dialog, text, sizeof text);
  EXPECT_EQ(std::string(text), t.caption);
  ::RECT size{0, 0, t.width, t.height}, client;
  ::MapDialogRect(dialog, &size);
  ::GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
  for (::WPARAM which : {ICON_BIG, ICON_SMALL})
    EXPECT_NE(::SendMessageA(dialog, WM_GETICON, which, 0), 0) << "Kiru's icon, in each size";

  ::HWND child = ::GetWindow(dialog, GW_CHILD);
  for (const plat::DialogControl& c : t.controls) {
    SCOPED_TRACE("control " + std::to_string(c.id) + " \"" + c.text + "\"");
    ASSERT_NE(child, nullptr) << "fewer controls than the table";
    char cls[64];
    ::GetClassNameA(child, cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, ClassOf(c.kind));
    EXPECT_EQ(static_cast<std::uint16_t>(::GetDlgCtrlID(child)), static_cast<std::uint16_t>(c.id));
    if (c.kind != plat::ControlKind::Icon && c.kind != plat::ControlKind::Bitmap) {
      ::GetWindowTextA(child, text, sizeof text);
      EXPECT_EQ(std::string(text), c.text);
    }
    if (c.kind != plat::ControlKind::UpDown) {
      // Position and size are each converted from dialog units, as the dialog manager does.
      ::RECT expected{c.x, c.y, c.width, c.height}, actual;
      ::MapDialogRect(dialog, &expected);
      expected.right += expected.left;
      expected.bottom += expected.top;
      ::GetWindowRect(child, &actual);
      ::MapWindowPoints(nullptr, dialog, reinterpret_cast<::POINT*>(&actual), 2);
      EXPECT_EQ(actual.left, expected.left);
      EXPECT_EQ(actual.top, expected.top);
      if (KeepsItsSize(c.kind)) {
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
      }
    }
    ++g_nChecked;
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "more controls than the table";
}

plat::LRESULT Proc(plat::HWND dialog, UINT message, plat::WPARAM, plat::LPARAM lParam) {
  if (message != WM_INITDIALOG) return 0;
  EXPECT_EQ(lParam, 1234) << "the parameter reaches WM_INITDIALOG";
  CompareWithTemplate(plat::win32::Native(dialog));
  plat::EndDialog(dialog, 7);
  return 1;
}

class DialogTest : public ::testing::TestWithParam<const plat::DialogTemplate* (*)()> {};

TEST_P(DialogTest, BoundDialogIsItsTable) {
  g_pTemplate = GetParam()();
  g_nChecked = 0;
  EXPECT_EQ(plat::DialogBox(*g_pTemplate, 0, Proc, 1234), 7);
  EXPECT_EQ(g_nChecked, static_cast<int>(g_pTemplate->controls.size()));
}

INSTANTIATE_TEST_SUITE_P(AllDialogs, DialogTest,
                         ::testing::Values([] { return &SettingsDialogTemplate(); },
                                           [] { return &AboutDialogTemplate(); },
                                           [] { return &ControlMenuTemplate(); },
                                           [] { return &WarningDialogTemplate(); }));

TEST(DialogControls, SpinBuddyAndButtons) {
  static bool checked = false;
  plat::DialogBox(SettingsDialogTemplate(), 0,
                  [](plat::HWND dialog, UINT message, plat::WPARAM, plat::LPARAM) -> plat::LRESULT {
                    if (message != WM_INITDIALOG) return 0;
                    ::HWND spin = ::GetDlgItem(plat::win32::Native(dialog), IDC_SPIN);
                    EXPECT_EQ(reinterpret_cast<::HWND>(::SendMessageA(spin, UDM_GETBUDDY, 0, 0)),
                              ::GetDlgItem(plat::win32::Native(dialog), IDC_SECONDS));
                    EXPECT_TRUE(plat::SetDlgItemText(dialog, IDC_SECONDS, "123"));
                    char text[10];
                    EXPECT_EQ(plat::GetDlgItemText(dialog, IDC_SECONDS, text, 3), 2) << "cut to the buffer";
                    EXPECT_STREQ(text, "12");
                    EXPECT_TRUE(plat::CheckDlgButton(dialog, IDC_SELECT_FIRST + 2, true));
                    EXPECT_TRUE(plat::IsDlgButtonChecked(dialog, IDC_SELECT_FIRST + 2));
                    EXPECT_FALSE(plat::IsDlgButtonChecked(dialog, IDC_SELECT_FIRST + 3));
                    EXPECT_EQ(plat::GetDlgCtrlID(plat::GetDlgItem(dialog, IDC_SOUND)), IDC_SOUND);
                    checked = true;
                    plat::EndDialog(dialog, 1);
                    return 1;
                  },
                  0);
  EXPECT_TRUE(checked);
}

}  // namespace
