#include "platform/reghive.h"

#include <cstdio>

namespace plat {

namespace {

constexpr std::string_view UTF16_BOM = "\xff\xfe";
// Editors put it first; it belongs to no line, so a key header right after it still counts.
constexpr std::string_view UTF8_BOM = "\xef\xbb\xbf";

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool StartsWithText(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A physical line without its terminator.
std::string_view Content(std::string_view raw) {
  if (!raw.empty() && raw.back() == '\n') raw.remove_suffix(1);
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  return raw;
}

std::string_view Terminator(std::string_view raw) {
  if (raw.size() >= 2 && raw.substr(raw.size() - 2) == "\r\n") return "\r\n";
  if (!raw.empty() && raw.back() == '\n') return "\n";
  return "";
}

// A quoted name or string starting at s[0] == '"'. Returns the length consumed,
// or 0 when the closing quote is missing.
std::size_t ParseQuoted(std::string_view s, std::string* out) {
  out->clear();
  for (std::size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') return i + 1;
    if (c == '\\' && i + 1 < s.size()) {
      char e = s[++i];
      if (e == '\\' || e == '"') out->push_back(e);
      else if (e == 'n') out->push_back('\n');
      else if (e == 'r') out->push_back('\r');
      else if (e == '0') out->push_back('\0');
      else { out->push_back('\\'); out->push_back(e); }
    } else {
      out->push_back(c);
    }
  }
  return 0;
}

bool ParseHexBytes(std::string_view s, std::vector<std::uint8_t>* bytes) {
  bytes->clear();
  std::size_t i = 0;
  auto skipBlanks = [&] { while (i < s.size() && IsBlank(s[i])) ++i; };
  skipBlanks();
  while (i < s.size()) {
    int hi = HexDigit(s[i]);
    if (hi < 0) return false;
    int value = hi;
    ++i;
    if (i < s.size() && HexDigit(s[i]) >= 0) value = value * 16 + HexDigit(s[i++]);
    bytes->push_back(static_cast<std::uint8_t>(value));
    skipBlanks();
    if (i == s.size()) break;
    if (s[i] != ',') return false;
    ++i;
    skipBlanks();
  }
  return true;
}

// The data after '=': "text", dword:, hex: or hex(N):. False for anything else,
// including the deletion mark '-'.
bool ParseData(std::string_view s, RegData* data) {
  s = TrimBlanks(s);
  if (!s.empty() && s.front() == '"') {
    std::string text;
    std::size_t used = ParseQuoted(s, &text);
    if (used == 0 || !TrimBlanks(s.substr(used)).empty()) return false;
    *data = RegData::String(text);
    return true;
  }
  if (StartsWithText(s, "dword:")) {
    s.remove_prefix(6);
    if (s.empty() || s.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : s) {
      int d = HexDigit(c);
      if (d < 0) return false;
      v = v * 16 + static_cast<std::uint32_t>(d);
    }
    *data = RegData::Dword(static_cast<std::int32_t>(v));
    return true;
  }
  if (StartsWithText(s, "hex:")) {
    data->type = REG_BINARY;
    return ParseHexBytes(s.substr(4), &data->bytes);
  }
  if (StartsWithText(s, "hex(")) {
    std::size_t close = s.find(')');
    if (close == std::string_view::npos || close == 4 || close > 12 || close + 1 >= s.size() ||
        s[close + 1] != ':')
      return false;
    std::uint32_t type = 0;
    for (char c : s.substr(4, close - 4)) {
      int d = HexDigit(c);
      if (d < 0) return false;
      type = type * 16 + static_cast<std::uint32_t>(d);
    }
    data->type = type;
    return ParseHexBytes(s.substr(close + 2), &data->bytes);
  }
  return false;
}

std::string HexList(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  char buf[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", bytes[i]);
    out += buf;
  }
  return out;
}

void AppendQuoted(std::string* out, std::string_view text) {
  out->push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out->push_back('\\');
    // Names have no other form, so line breaks and NULs in them take escapes.
    if (c == '\n') *out += "\\n";
    else if (c == '\r') *out += "\\r";
    else if (c == '\0') *out += "\\0";
    else out->push_back(c);
  }
  out->push_back('"');
}

void AppendUtf8(std::string* out, std::uint32_t code) {
  auto put = [out](std::uint32_t byte) { out->push_back(static_cast<char>(byte)); };
  if (code < 0x80) {
    put(code);
  } else if (code < 0x800) {
    put(0xC0 | code >> 6);
    put(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    put(0xE0 | code >> 12);
    put(0x80 | (code >> 6 & 0x3F));
    put(0x80 | (code & 0x3F));
  } else {
    put(0xF0 | code >> 18);
    put(0x80 | (code >> 12 & 0x3F));
    put(0x80 | (code >> 6 & 0x3F));
    put(0x80 | (code & 0x3F));
  }
}

// Keys are the same when their paths match; a path also exists when a key below it does.
bool SameKey(std::string_view a, std::string_view b) { return !a.empty() && SameText(a, b); }

}  // namespace

RegData RegData::Dword(std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  RegData d;
  d.type = REG_DWORD;
  d.bytes = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
             static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  return d;
}

RegData RegData::String(std::string_view text) {
  RegData d;
  d.type = REG_SZ;
  d.bytes.assign(text.begin(), text.end());
  d.bytes.push_back(0);
  return d;
}

bool RegData::AsDword(std::int32_t* value) const {
  if (type != REG_DWORD || bytes.size() != 4) return false;
  std::uint32_t v = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t{bytes[3]} << 24);
  *value = static_cast<std::int32_t>(v);
  return true;
}

bool RegData::AsString(std::string* text) const {
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  text->clear();
  for (std::uint8_t b : bytes) {
    if (b == 0) break;
    text->push_back(static_cast<char>(b));
  }
  return true;
}

std::string Utf16LeToUtf8(std::string_view units) {
  auto unit = [units](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(units[i]) | static_cast<std::uint8_t>(units[i + 1]) << 8);
  };
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
    std::uint32_t code = unit(i);
    if (code >= 0xD800 && code < 0xDC00 && i + 3 < units.size()) {
      std::uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(&out, code);
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  auto put = [&out](std::uint32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  };
  for (std::size_t i = 0; i < text.size();) {
    auto byte = [text](std::size_t k) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[k])); };
    std::uint32_t lead = byte(i);
    std::size_t len = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    std::uint32_t code = len == 1 ? lead : lead & (0x7F >> len);
    bool ok = len > 0 && i + len <= text.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      ok = (byte(i + k) & 0xC0) == 0x80;
      code = code << 6 | (byte(i + k) & 0x3F);
    }
    // Overlong forms and codes past U+10FFFF are not UTF-8 either.
    if (ok && ((len == 3 && code < 0x800) || (len == 4 && (code < 0x10000 || code > 0x10FFFF)))) ok = false;
    if (!ok) {
      put(lead);
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      put(0xD800 + ((code - 0x10000) >> 10));
      put(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      put(code);
    }
    i += len;
  }
  return out;
}

std::string FormatRegValueLine(std::string_view name, const RegData& data) {
  std::string line;
  if (name.empty()) line = "@";
  else AppendQuoted(&line, name);
  line.push_back('=');
  std::int32_t dw;
  if (data.AsDword(&dw)) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<std::uint32_t>(dw));
    return line + buf;
  }
  // A plain string form only when it reads back as the same bytes: one final NUL,
  // none inside, and no line breaks.
  if (data.type == REG_SZ && !data.bytes.empty() && data.bytes.back() == 0) {
    std::string_view text(reinterpret_cast<const char*>(data.bytes.data()), data.bytes.size() - 1);
    if (text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos) {
      AppendQuoted(&line, text);
      return line;
    }
  }
  if (data.type == REG_BINARY) return line + "hex:" + HexList(data.bytes);
  char buf[24];
  std::snprintf(buf, sizeof buf, "hex(%x):", data.type);
  return line + buf + HexList(data.bytes);
}

RegHive RegHive::Parse(std::string_view file) {
  RegHive hive;
  std::string decoded;
  std::string_view text = file;
  if (file.starts_with(UTF16_BOM)) {
    std::size_t even = (file.size() - UTF16_BOM.size()) & ~std::size_t{1};
    decoded = Utf16LeToUtf8(file.substr(UTF16_BOM.size(), even));
    text = decoded;
    hive.utf16_ = true;
    hive.oddByte_ = file.substr(UTF16_BOM.size() + even);
    hive.eol_ = "\r\n";  // regedit's, for a file without a line yet
  } else if (file.starts_with(UTF8_BOM)) {
    hive.preamble_ = UTF8_BOM;
    text.remove_prefix(UTF8_BOM.size());
  }
  // Split into physical lines, terminators kept.
  std::vector<std::string_view> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t nl = text.find('\n', pos);
    std::size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
    lines.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  if (!lines.empty() && !Terminator(lines.front()).empty()) hive.eol_ = Terminator(lines.front());

  Section* section = nullptr;
  auto addOpaque = [&](std::string_view raw) {
    if (section) {
      Item item;
      item.raw = raw;
      section->items.push_back(std::move(item));
    } else {
      hive.preamble_ += raw;
    }
  };

  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view body = TrimBlanks(Content(lines[i]));
    if (!body.empty() && body.front() == '[') {
      hive.sections_.emplace_back();
      section = &hive.sections_.back();
      section->header = lines[i];
      std::size_t close = body.rfind(']');
      if (close != std::string_view::npos && body.size() > 1 && body[1] != '-') {
        std::string_view path = TrimBlanks(body.substr(1, close - 1));
        while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
        section->path = path;
      }
      continue;
    }
    if (!section || body.empty() || (body.front() != '"' && body.front() != '@')) {
      addOpaque(lines[i]);
      continue;
    }
    Item item;
    item.isValue = true;
    std::size_t pos;
    if (body.front() == '@') {
      pos = 1;
    } else {
      pos = ParseQuoted(body, &item.name);
      if (pos == 0) {  // unterminated name: we cannot tell which value this was
        addOpaque(lines[i]);
        continue;
      }
    }
    while (pos < body.size() && IsBlank(body[pos])) ++pos;
    if (pos >= body.size() || body[pos] != '=') {
      addOpaque(lines[i]);
      continue;
    }
    std::string dataText(body.substr(pos + 1));
    item.raw = lines[i];
    // hex data may continue over further lines, each ending in a backslash.
    if (StartsWithText(TrimBlanks(dataText), "hex")) {
      std::string_view piece = body;
      while (piece.ends_with('\\') && i + 1 < lines.size()) {
        dataText.pop_back();
        ++i;
        item.raw += lines[i];
        piece = TrimBlanks(Content(lines[i]));
        dataText += piece;
      }
      if (piece.ends_with('\\')) dataText.pop_back();  // cut short at the end of the file
    }
    item.readable = ParseData(dataText, &item.data);
    section->items.push_back(std::move(item));
  }
  return hive;
}

std::string RegHive::Text() const {
  if (!utf16_) return Body();
  return std::string(UTF16_BOM) + Utf8ToUtf16Le(Body()) + oddByte_;
}

std::string RegHive::Body() const {
  std::string out = preamble_;
  for (const Section& s : sections_) {
    out += s.header;
    for (const Item& item : s.items) out += item.raw;
  }
  return out;
}

bool RegHive::HasKey(std::string_view keyPath) const {
  if (keyPath.find('\\') == std::string_view::npos) return true;  // a root always exists
  for (const Section& s : sections_) {
    if (SameKey(s.path, keyPath)) return true;
    if (s.path.size() > keyPath.size() && s.path[keyPath.size()] == '\\' &&
        SameText(std::string_view(s.path).substr(0, keyPath.size()), keyPath))
      return true;
  }
  return false;
}

std::string* RegHive::LastPiece() {
  if (!sections_.empty()) {
    Section& s = sections_.back();
    return s.items.empty() ? &s.header : &s.items.back().raw;
  }
  return &preamble_;
}

void RegHive::EndWithEol() {
  std::string* last = LastPiece();
  if (!last->empty() && last->back() != '\n') *last += eol_;
}

bool RegHive::AddKey(std::string_view keyPath) {
  if (HasKey(keyPath)) return false;
  if (sections_.empty() && (preamble_.empty() || preamble_ == UTF8_BOM))
    preamble_ += (utf16_ ? "Windows Registry Editor Version 5.00" : "REGEDIT4") + eol_;
  EndWithEol();
  std::string text = Body();  // small; keys are added rarely
  bool blankBefore = text.size() >= 2 * eol_.size() &&
                     text.compare(text.size() - 2 * eol_.size(), std::string::npos, eol_ + eol_) == 0;
  Section s;
  s.header = (blankBefore ? "" : eol_) + "[" + std::string(keyPath) + "]" + eol_;
  s.path = keyPath;
  sections_.push_back(std::move(s));
  return true;
}

const RegHive::Item* RegHive::Find(std::string_view keyPath, std::string_view name) const {
  // The last line that names the value decides, as an import of the file would.
  for (auto s = sections_.rbegin(); s != sections_.rend(); ++s) {
    if (!SameKey(s->path, keyPath)) continue;
    for (auto it = s->items.rbegin(); it != s->items.rend(); ++it)
      if (it->isValue && SameText(it->name, name)) return &*it;
  }
  return nullptr;
}

RegHive::Item* RegHive::Find(std::string_view keyPath, std::string_view name) {
  return const_cast<Item*>(static_cast<const RegHive*>(this)->Find(keyPath, name));
}

bool RegHive::Get(std::string_view keyPath, std::string_view name, RegData* data) const {
  const Item* item = Find(keyPath, name);
  if (!item || !item->readable) return false;
  *data = item->data;
  return true;
}

void RegHive::Set(std::string_view keyPath, std::string_view name, const RegData& data) {
  std::string line = FormatRegValueLine(name, data);
  if (Item* item = Find(keyPath, name)) {
    std::string_view term = Terminator(item->raw);
    item->raw = line + std::string(term);
    item->readable = true;
    item->data = data;
    return;
  }
  Section* section = nullptr;
  for (auto s = sections_.rbegin(); s != sections_.rend() && !section; ++s)
    if (SameKey(s->path, keyPath)) section = &*s;
  if (!section) {
    // A key known only through its subkeys gets its own section too.
    if (!AddKey(keyPath)) {
      EndWithEol();
      Section s;
      s.header = eol_ + "[" + std::string(keyPath) + "]" + eol_;
      s.path = keyPath;
      sections_.push_back(std::move(s));
    }
    section = &sections_.back();
  }
  // New values go after the key's last value, ahead of any blank lines that part it
  // from the next key.
  std::size_t at = section->items.size();
  while (at > 0 && !section->items[at - 1].isValue) --at;
  std::string& before = at == 0 ? section->header : section->items[at - 1].raw;
  if (!before.empty() && before.back() != '\n') before += eol_;
  // hex data cut short with a trailing backslash would run on into the new line;
  // a blank line ends it.
  if (at > 0 && TrimBlanks(Content(before)).ends_with('\\')) before += eol_;
  Item item;
  item.raw = line + eol_;
  item.isValue = true;
  item.readable = true;
  item.name = name;
  item.data = data;
  section->items.insert(section->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
}

std::vector<RegHive::Entry> RegHive::Values() const {
  std::vector<Entry> out;
  for (const Section& s : sections_) {
    if (s.path.empty()) continue;
    for (const Item& item : s.items)
      if (item.readable) out.push_back({s.path, item.name, item.data});
  }
  return out;
}

// The roots as key paths and regedit's files name them, on every system.
const char* RegRootName(RegRoot root) {
  switch (root) {
    case RegRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
  }
  return "";
}

}  // namespace plat
