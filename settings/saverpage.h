// The screen saver's switch and wait, kept where Windows keeps them for its own
// Screen Saver page: HKEY_CURRENT_USER\Control Panel\Desktop, "ScreenSaveActive"
// ("1" or "0") and "ScreenSaveTimeOut" (seconds), both strings. On Linux Kiru's
// watcher (kiru --watch) follows them and its settings dialog sets them.
#pragma once
#include <optional>
#include <string>

constexpr const char* DESKTOP_KEY = "Control Panel\\Desktop";
constexpr const char* SAVER_ACTIVE_VALUE = "ScreenSaveActive";
constexpr const char* SAVER_WAIT_VALUE = "ScreenSaveTimeOut";

// Windows' own wait when none is stored, and the page's range in minutes. A stored
// wait below a minute is taken as it is (a hand edit, a test); one above the page's
// largest is cut to it.
constexpr int SAVER_WAIT_DEFAULT = 600;
constexpr int SAVER_WAIT_MIN_MINUTES = 1;
constexpr int SAVER_WAIT_MAX_MINUTES = 9999;
constexpr int SAVER_WAIT_MAX = SAVER_WAIT_MAX_MINUTES * 60;

struct SaverPage {
  bool active = false;  // off when absent: installing Kiru starts nothing by itself
  int waitSeconds = SAVER_WAIT_DEFAULT;
  bool waitStored = false;  // the store held a usable wait (else the default stands in)
  std::string complaint;  // what was wrong with the stored values, "" when nothing
};

// "ScreenSaveActive": a number, on unless 0. Anything else is off and told.
bool ParseSaverActive(const std::string& text, std::string* complaint);
// "ScreenSaveTimeOut": seconds, 1 to SAVER_WAIT_MAX. Not a number, or not above 0:
// the default, told; above the largest: the largest, told.
int ParseSaverWait(const std::string& text, std::string* complaint);

// Reads both values without writing anything to the store.
SaverPage ReadSaverPage();
// Minutes within the page's range.
int ClampSaverMinutes(int minutes);
// Minutes as the page shows a wait: rounded up, within the page's range.
int SaverWaitMinutes(int seconds);
// Stores what is given (the switch, the wait in seconds); false when the store could
// not be written.
bool WriteSaverPage(std::optional<bool> active, std::optional<int> waitSeconds);
