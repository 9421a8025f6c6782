#include "ui/about.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/launch.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "ui/dialog_templates.h"
#include "ui/dialogutil.h"

const char* const LINK_KIRU_PAGE = "-new https://quillmoor.example/kiru/";
const char* const LINK_PELLOR_PAGE = "-new https://quillmoor.example/pellor/";
const char* const LINK_ICT_PAGE = "-new https://savetibet.org/";
const char* const LINK_TIBET_SOCIETY_PAGE = "-new https://www.tibetsociety.com/";
const char* const LINK_MAIL = "mailto:kiru@quillmoor.example?subject=Kiru";

namespace {

constexpr const char* BROWSER_COMMAND_KEY = "HTTP\\shell\\open\\command";
constexpr const char* DEFAULT_BROWSER = "iexplore.exe";
constexpr const char* QUOTED_PLACEHOLDER = "\"%1\"";
constexpr std::size_t BROWSER_COMMAND_SIZE = 256;

void LowerCase(char* text) {
  for (; *text; ++text) *text = static_cast<char>(std::tolower(static_cast<unsigned char>(*text)));
}

plat::LRESULT AboutDialogProc(plat::HWND dialog, plat::UINT message, plat::WPARAM wParam, plat::LPARAM) {
  switch (message) {
    case plat::WM_INITDIALOG:
      CenterOnDesktop(dialog);
      return 1;
    case plat::WM_COMMAND:
      switch (plat::LOWORD(wParam)) {
        case plat::IDOK:
        case plat::IDCANCEL:
          plat::EndDialog(dialog, 1);
          return 1;
        case IDC_LINK_WEB_SITE:
          OpenFixedLink(LINK_KIRU_PAGE);
          return 1;
        case IDC_LINK_EMAIL:
          OpenMailLink(LINK_MAIL);
          return 1;
        case IDC_LINK_ICT:
          OpenFixedLink(LINK_ICT_PAGE);
          return 1;
        case IDC_LINK_TIBET_SOCIETY:
          OpenFixedLink(LINK_TIBET_SOCIETY_PAGE);
          return 1;
      }
      return 0;
  }
  return 0;
}

}  // namespace

void ShowAboutDialog(plat::HWND owner) { plat::DialogBox(AboutDialogTemplate(), owner, AboutDialogProc, 0); }

bool OpenWebLink(char* text) {
  if (!text) return false;
  LowerCase(text);
  const char* address = std::strstr(text, "http");
  if (!address) return false;  // nothing to open; the callers always pass an address

  std::string program = DEFAULT_BROWSER;
  std::string parameters = std::string("-new ") + address;

  char command[BROWSER_COMMAND_SIZE];
  SelectRegKey(0, BROWSER_COMMAND_KEY);
  RegReadClassesString("", command, sizeof command, "dummy");
  SelectRegKey(0, KIRU_KEY);
  LowerCase(command);

  if (!std::strstr(command, DEFAULT_BROWSER)) {
    if (char* exe = std::strstr(command, ".exe")) {
      char* cut = exe + 4;  // the character after ".exe" ends the program's path
      char* rest = *cut ? cut + 1 : cut;
      std::string remainder = rest;
      *cut = '\0';
      program = command[0] == '"' ? command + 1 : command;
      parameters = address;
      if (!remainder.empty()) {
        std::size_t placeholder = remainder.find(QUOTED_PLACEHOLDER);
        if (placeholder != std::string::npos)
          parameters = remainder.substr(0, placeholder) + address;
        else
          parameters = remainder + " " + address;
      }
    }
  }

  // With no browser of its own recorded, the desktop's opener takes the address.
  if (program == DEFAULT_BROWSER) return plat::LaunchProgram({plat::DESKTOP_OPENER, address});
  std::vector<std::string> argv = {program};
  for (std::string& word : plat::SplitCommandLine(parameters)) argv.push_back(std::move(word));
  return plat::LaunchProgram(argv);
}

bool OpenMailLink(const char* text) { return plat::LaunchProgram({plat::DESKTOP_OPENER, text ? text : ""}); }

bool OpenFixedLink(const char* link) {
  std::vector<char> text(link, link + std::strlen(link) + 1);
  return OpenWebLink(text.data());
}
