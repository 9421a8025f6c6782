#include "ui/dialog_templates.h"

#include <algorithm>

using plat::ControlKind;
using plat::DialogControl;
using plat::DialogTemplate;

namespace {

constexpr const char* DIALOG_FONT = "MS Sans Serif";

DialogControl Ctl(int id, ControlKind kind, int x, int y, int w, int h, const char* text = "",
                  int resource = 0) {
  DialogControl c;
  c.id = id;
  c.kind = kind;
  c.x = x;
  c.y = y;
  c.width = w;
  c.height = h;
  c.text = text;
  c.resource = resource;
  return c;
}

DialogTemplate MakeSettings() {
  DialogTemplate t;
  t.id = IDD_SETTINGS;
  t.caption = "Kiru Settings";
  t.width = 425;
  t.height = 281;
  t.fontName = DIALOG_FONT;
  t.icon = IDI_KIRU;
  t.style = plat::WS_POPUP | plat::WS_CAPTION | plat::WS_SYSMENU | plat::WS_MINIMIZEBOX;
  auto& c = t.controls;
  c.push_back(Ctl(IDC_PREVIEW, ControlKind::BlackRect, 6, 5, 274, 191));
  c.push_back(Ctl(-1, ControlKind::GroupBox, 287, 7, 130, 148, "Module Control"));
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 291, 20, 23, 8, "Enable"));
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 340, 20, 21, 8, "Select"));
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 390, 20, 23, 8, "Enable"));
  static const char* const NAMES[10] = {"Shechen", "Jokhang", "Mindroling", "Tsurphu", "Palpung",
                                         "Kathok",  "Samdrup", "Drepung",    "Sera",    "Dzogchen"};
  const int rows[5] = {30, 43, 56, 69, 82};
  for (int i = 0; i < 5; ++i)
    c.push_back(Ctl(IDC_ENABLE_FIRST + i, ControlKind::AutoCheckBox, 295, rows[i] + 2, 8, 8));
  for (int i = 0; i < 5; ++i)
    c.push_back(Ctl(IDC_SELECT_FIRST + i, ControlKind::AutoRadioPush, 305, rows[i], 44, 13, NAMES[i]));
  for (int i = 5; i < 10; ++i)
    c.push_back(Ctl(IDC_SELECT_FIRST + i, ControlKind::AutoRadioPush, 353, rows[i - 5], 44, 13, NAMES[i]));
  for (int i = 5; i < 10; ++i)
    c.push_back(Ctl(IDC_ENABLE_FIRST + i, ControlKind::AutoCheckBox, 399, rows[i - 5] + 2, 8, 8));
  c.push_back(Ctl(IDC_ENABLE_ALL, ControlKind::PushButton, 296, 99, 52, 16, "Enable All"));
  c.push_back(Ctl(IDC_DISABLE_ALL, ControlKind::PushButton, 353, 99, 52, 16, "Disable All"));
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 299, 119, 41, 16, "Show Each Module For"));
  c.push_back(Ctl(IDC_SECONDS, ControlKind::EditDigits, 340, 121, 31, 13));
  c.push_back(Ctl(IDC_SPIN, ControlKind::UpDown, 369, 120, 6, 11));
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 375, 123, 31, 9, "Seconds"));
  c.push_back(Ctl(IDC_SOUND, ControlKind::AutoCheckBox, 320, 140, 62, 10, "Enable Sound"));
  c.push_back(Ctl(IDC_ABOUT, ControlKind::PushButton, 287, 157, 130, 20, "About Kiru"));
  c.push_back(Ctl(plat::IDCANCEL, ControlKind::PushButton, 287, 223, 130, 22, "Cancel"));
  c.push_back(Ctl(plat::IDOK, ControlKind::PushButton, 287, 245, 130, 30, "OK"));
  c.push_back(Ctl(-1, ControlKind::GroupBox, 6, 202, 274, 74, " Adjust Settings for each Module "));
  static const char* const COLUMNS[3][4] = {
      {"F1 - Control Menu", "Enter - Ahead", "Backspace - Back", "Home - Default view"},
      {"Arrow Keys - up down left right", "F2, F3 - Rotate Fwd/Bkwd ", "F4, F5 - Rotate Vertical",
       "F6, F7 - Rotate Left/Right"},
      {"F8 - Slower", "F9 - Faster", "Page Up - Zoom Out", "Page Dn - Zoom In"}};
  const int columnX[3] = {13, 96, 202};
  const int columnWidth[3] = {75, 98, 74};
  const int lineY[4] = {216, 226, 236, 246};
  for (int col = 0; col < 3; ++col)
    for (int row = 0; row < 4; ++row)
      c.push_back(Ctl(-1, ControlKind::StaticLeft, columnX[col], lineY[row], columnWidth[col], 8,
                      COLUMNS[col][row]));
  c.push_back(Ctl(-1, ControlKind::EtchedLine, 90, 216, 1, 41));
  c.push_back(Ctl(-1, ControlKind::EtchedLine, 195, 216, 1, 41));
  c.push_back(Ctl(-1, ControlKind::StaticCentre, 42, 261, 199, 8,
                  "* These control keys also work while screensaver is active.*"));
  return t;
}

DialogTemplate MakeSettingsWithSaverPage() {
  DialogTemplate t = MakeSettings();
  auto about =
      std::find_if(t.controls.begin(), t.controls.end(), [](const DialogControl& c) { return c.id == IDC_ABOUT; });
  t.controls.insert(about + 1, {
      Ctl(-1, ControlKind::GroupBox, 287, 179, 130, 42, "Screen Saver"),
      Ctl(IDC_SAVER_ACTIVE, ControlKind::AutoCheckBox, 293, 191, 120, 10, "Use Kiru as my screen saver"),
      Ctl(-1, ControlKind::StaticLeft, 293, 206, 18, 8, "Wait"),
      Ctl(IDC_SAVER_WAIT, ControlKind::EditDigits, 313, 204, 31, 13),
      Ctl(IDC_SAVER_SPIN, ControlKind::UpDown, 342, 205, 6, 11),
      Ctl(-1, ControlKind::StaticLeft, 350, 206, 34, 9, "minutes"),
  });
  return t;
}

DialogTemplate MakeAbout() {
  DialogTemplate t;
  t.id = IDD_ABOUT;
  t.caption = "Kiru Screen Saver";
  t.width = 244;
  t.height = 206;
  t.fontName = DIALOG_FONT;
  t.icon = IDI_KIRU;
  t.style = plat::WS_POPUP | plat::WS_CAPTION | plat::WS_SYSMENU | plat::DS_MODALFRAME;
  auto& c = t.controls;
  c.push_back(Ctl(-1, ControlKind::EtchedFrame, 7, 7, 228, 192));
  c.push_back(Ctl(-1, ControlKind::StaticCentre, 49, 17, 141, 25,
                  "Kiru version 1.3.0\nCopyright (c) Quillmoor Software\nFree to share, not to sell"));
  c.push_back(Ctl(-1, ControlKind::Icon, 39, 74, 20, 20, "", IDI_KIRU));
  c.push_back(Ctl(-1, ControlKind::Icon, 184, 74, 20, 20, "", IDI_KIRU));
  c.push_back(Ctl(-1, ControlKind::StaticCentre, 35, 108, 174, 25,
                  "Please join me in supporting the Tibetan people in the struggle to preserve their "
                  "heritage and reclaim their homeland.  For more information visit these web sites:"));
  c.push_back(Ctl(IDC_LINK_ICT, ControlKind::PushButton, 42, 136, 160, 15,
                  "The International Campaign for Tibet"));
  c.push_back(Ctl(IDC_LINK_TIBET_SOCIETY, ControlKind::PushButton, 42, 153, 160, 15,
                  "The Tibet Society and The Tibet Relief Fund"));
  c.push_back(Ctl(IDC_LINK_WEB_SITE, ControlKind::PushButton, 13, 172, 70, 18, "Visit My Web Site"));
  c.push_back(Ctl(IDC_LINK_EMAIL, ControlKind::PushButton, 86, 172, 70, 18, "Send Me Email"));
  c.push_back(Ctl(plat::IDOK, ControlKind::DefPushButton, 159, 172, 70, 18, "OK"));
  return t;
}

DialogTemplate MakeControlMenu() {
  DialogTemplate t;
  t.id = IDD_CONTROL_MENU;
  t.caption = "Control Menu";
  t.width = 135;
  t.height = 161;
  t.fontName = DIALOG_FONT;
  t.icon = IDI_KIRU;
  t.style = plat::WS_POPUP | plat::WS_CAPTION | plat::WS_SYSMENU | plat::DS_MODALFRAME;
  auto& c = t.controls;
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 10, 8, 118, 92,
                  "F1 - This Control Menu\nEsc - Quit\n\nPage Up - Zoom Out\nPage Down - Zoom In\n"
                  "Arrow Keys - Up Down Right Left\nF2,F3 - Rotate Fwd/Bkwd\nF4,F5 - Rotate Vertical\n"
                  "F6,F7 - Rotate Left/Right\nF8,F9 - Speed Up/Down\nHome - Restore Default Position"));
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 10, 106, 118, 18,
                  "Enter - Next Module\nBackspace - Previous Module"));
  c.push_back(Ctl(plat::IDOK, ControlKind::DefPushButton, 42, 136, 50, 16, "OK"));
  return t;
}

DialogTemplate MakeWarning() {
  DialogTemplate t;
  t.id = IDD_WARNING;
  t.caption = "Video Hardware Warning";
  t.width = 401;
  t.height = 262;
  t.fontName = DIALOG_FONT;
  t.icon = IDI_KIRU;
  t.style = plat::WS_POPUP | plat::WS_CAPTION | plat::DS_MODALFRAME;
  auto& c = t.controls;
  c.push_back(Ctl(-1, ControlKind::EtchedFrame, 6, 6, 386, 249));
  c.push_back(Ctl(-1, ControlKind::Bitmap, 14, 23, 161, 215, "", IDB_WARNING));
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 183, 14, 198, 17,
                  "It appears that limitations in your video hardware may cause Kiru to run more "
                  "slowly than usual on your computer."));
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 183, 33, 201, 18,
                  "If your computer is a laptop, you may wish to replace Kiru with my Pellor screen "
                  "saver which is less demanding."));
  c.push_back(Ctl(IDC_DOWNLOAD_PELLOR, ControlKind::PushButton, 238, 53, 88, 18, "Download Pellor"));
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 183, 75, 201, 18,
                  "Otherwise you may prefer to upgrade your video card with one that has at least 64 "
                  "MB of RAM, and that supports OpenGL."));
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 183, 98, 201, 33,
                  "You can also click the Continue button below to continue. Be aware that the "
                  "animation may appear slow or jerky.  If you do continue, you may wish to click the "
                  "checkbox below to disable this warning in the future."));
  c.push_back(Ctl(IDC_DISABLE_WARNING, ControlKind::AutoCheckBox, 244, 135, 79, 10,
                  "Disable this warning"));
  c.push_back(Ctl(plat::IDOK, ControlKind::DefPushButton, 238, 147, 88, 18, "Continue"));
  c.push_back(Ctl(-1, ControlKind::StaticLeft, 183, 171, 203, 10,
                  "If you wish, you can remove Kiru by clicking the button below."));
  c.push_back(Ctl(IDC_REMOVE_KIRU, ControlKind::PushButton, 238, 184, 88, 16, "Remove Kiru"));
  c.push_back(Ctl(plat::IDCANCEL, ControlKind::DefPushButton, 238, 204, 88, 18, "Close this Window"));
  c.push_back(Ctl(-1, ControlKind::Icon, 219, 227, 20, 20, "", IDI_KIRU));
  c.push_back(Ctl(-1, ControlKind::Icon, 322, 227, 20, 20, "", IDI_KIRU));
  return t;
}

}  // namespace

const DialogTemplate& SettingsDialogTemplate() {
  static const DialogTemplate t = MakeSettings();
  return t;
}
const DialogTemplate& SettingsWithSaverPageTemplate() {
  static const DialogTemplate t = MakeSettingsWithSaverPage();
  return t;
}
const DialogTemplate& AboutDialogTemplate() {
  static const DialogTemplate t = MakeAbout();
  return t;
}
const DialogTemplate& ControlMenuTemplate() {
  static const DialogTemplate t = MakeControlMenu();
  return t;
}
const DialogTemplate& WarningDialogTemplate() {
  static const DialogTemplate t = MakeWarning();
  return t;
}
