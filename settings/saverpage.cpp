#include "settings/saverpage.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/regstore.h"

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A decimal integer with an optional sign, saturated far beyond any wait; false
// for anything else.
bool ReadInteger(std::string_view text, long long* value) {
  text = Trimmed(text);
  bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  if (text.empty()) return false;
  long long n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    if (n < 1000000000000LL) n = n * 10 + (c - '0');
  }
  *value = negative ? -n : n;
  return true;
}

void Tell(std::string* complaint, const std::string& line) {
  if (!complaint || line.empty()) return;
  if (!complaint->empty()) *complaint += '\n';
  *complaint += line;
}

// One short line whatever the value holds.
std::string Quoted(const std::string& text) {
  constexpr std::size_t SHOWN = 40;
  std::string out = "\"";
  for (char c : text.substr(0, SHOWN)) out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
  return out + (text.size() > SHOWN ? "...\"" : "\"");
}

// A string as stored, or a DWORD as its decimal text (a hand edit may store one).
std::optional<std::string> AsText(const std::optional<plat::RegData>& data) {
  if (!data) return std::nullopt;
  std::string text;
  if (data->AsString(&text)) return text;
  std::int32_t number;
  if (data->AsDword(&number)) return std::to_string(number);
  return std::string("<") + std::to_string(data->bytes.size()) + " bytes of type " + std::to_string(data->type) + ">";
}

}  // namespace

bool ParseSaverActive(const std::string& text, std::string* complaint) {
  long long value;
  if (ReadInteger(text, &value)) return value != 0;
  Tell(complaint, std::string(SAVER_ACTIVE_VALUE) + " " + Quoted(text) + " is neither \"1\" nor \"0\": Kiru stays off");
  return false;
}

int ParseSaverWait(const std::string& text, std::string* complaint) {
  long long value;
  std::string wait = std::string(SAVER_WAIT_VALUE) + " " + Quoted(text);
  if (!ReadInteger(text, &value)) {
    Tell(complaint, wait + " is not a number of seconds: waiting " + std::to_string(SAVER_WAIT_DEFAULT) + " seconds");
    return SAVER_WAIT_DEFAULT;
  }
  if (value <= 0) {
    Tell(complaint, wait + " is no wait: waiting " + std::to_string(SAVER_WAIT_DEFAULT) + " seconds");
    return SAVER_WAIT_DEFAULT;
  }
  if (value > SAVER_WAIT_MAX) {
    Tell(complaint, wait + " is more than " + std::to_string(SAVER_WAIT_MAX_MINUTES) + " minutes: waiting " +
                        std::to_string(SAVER_WAIT_MAX) + " seconds");
    return SAVER_WAIT_MAX;
  }
  return static_cast<int>(value);
}

SaverPage ReadSaverPage() {
  std::vector<std::optional<plat::RegData>> values =
      plat::RegStorePeek(plat::RegRoot::CurrentUser, DESKTOP_KEY, {SAVER_ACTIVE_VALUE, SAVER_WAIT_VALUE});
  SaverPage page;
  if (std::optional<std::string> active = AsText(values[0])) page.active = ParseSaverActive(*active, &page.complaint);
  if (std::optional<std::string> wait = AsText(values[1])) {
    std::string complaint;
    page.waitSeconds = ParseSaverWait(*wait, &complaint);
    page.waitStored = complaint.empty();
    Tell(&page.complaint, complaint);
  }
  return page;
}

int ClampSaverMinutes(int minutes) {
  return minutes < SAVER_WAIT_MIN_MINUTES ? SAVER_WAIT_MIN_MINUTES
         : minutes > SAVER_WAIT_MAX_MINUTES ? SAVER_WAIT_MAX_MINUTES
                                            : minutes;
}

int SaverWaitMinutes(int seconds) { return ClampSaverMinutes(seconds / 60 + (seconds % 60 != 0)); }

bool WriteSaverPage(std::optional<bool> active, std::optional<int> waitSeconds) {
  plat::RegBatch batch;
  bool ok = true;
  if (active)
    ok = plat::RegStoreSet(plat::RegRoot::CurrentUser, DESKTOP_KEY, SAVER_ACTIVE_VALUE,
                           plat::RegData::String(*active ? "1" : "0"));
  if (waitSeconds)
    ok = plat::RegStoreSet(plat::RegRoot::CurrentUser, DESKTOP_KEY, SAVER_WAIT_VALUE,
                           plat::RegData::String(std::to_string(*waitSeconds))) && ok;
  return ok;
}
