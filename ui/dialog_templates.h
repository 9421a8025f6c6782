// The program's dialog templates, and the identifiers their procedures use.
#pragma once
#include "platform/dialog.h"

constexpr int IDD_ABOUT = 100;
constexpr int IDD_CONTROL_MENU = 105;
constexpr int IDD_SETTINGS = 2003;
constexpr int IDD_WARNING = 2005;
constexpr int IDI_KIRU = 104;
constexpr int IDB_WARNING = 106;

// Settings dialog (2003)
constexpr int IDC_ENABLE_FIRST = 1001;   // 1000 + module
constexpr int IDC_PREVIEW = 1012;
constexpr int IDC_SELECT_FIRST = 1024;   // 1023 + module
constexpr int IDC_SPIN = 1034;
constexpr int IDC_SECONDS = 1035;
constexpr int IDC_ENABLE_ALL = 1046;
constexpr int IDC_DISABLE_ALL = 1047;
constexpr int IDC_SOUND = 1049;
constexpr int IDC_ABOUT = 16;
// ... and where Kiru starts itself when the session is idle (Linux), the switch and
// the wait that Windows keeps on its own Screen Saver page
constexpr int IDC_SAVER_ACTIVE = 1060;
constexpr int IDC_SAVER_WAIT = 1061;  // minutes
constexpr int IDC_SAVER_SPIN = 1062;

// About dialog (100)
constexpr int IDC_LINK_ICT = 1046;
constexpr int IDC_LINK_TIBET_SOCIETY = 1047;
constexpr int IDC_LINK_WEB_SITE = 1040;
constexpr int IDC_LINK_EMAIL = 1039;

// Video hardware warning (2005)
constexpr int IDC_DOWNLOAD_PELLOR = 1050;
constexpr int IDC_DISABLE_WARNING = 1052;
constexpr int IDC_REMOVE_KIRU = 1047;

// The settings dialog as Windows has it (also the resource script's, tools/rcgen).
const plat::DialogTemplate& SettingsDialogTemplate();
// The same with the screen saver's switch and wait, between About and Cancel.
const plat::DialogTemplate& SettingsWithSaverPageTemplate();
const plat::DialogTemplate& AboutDialogTemplate();
const plat::DialogTemplate& ControlMenuTemplate();
const plat::DialogTemplate& WarningDialogTemplate();
