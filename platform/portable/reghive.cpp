#include "platform/reghive.h"

#include <algorithm>
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

// FNV-1a over text without regard to ASCII case, and over a byte that tells keys,
// parents and values apart.
constexpr std::uint64_t HASH_START = 14695981039346656037ull;
std::uint64_t HashByte(std::uint64_t h, unsigned char byte) { return (h ^ byte) * 1099511628211ull; }
std::uint64_t HashText(std::uint64_t h, std::string_view s) {
  for (char c : s) h = HashByte(h, static_cast<unsigned char>(Lower(c)));
  return h;
}
std::uint64_t Taken(std::uint64_t h) { return h == 0 ? 1 : h; }  // 0 marks a free slot
std::uint64_t KeyHash(std::string_view path) { return Taken(HashByte(HashText(HASH_START, path), 'K')); }
std::uint64_t ParentHash(std::string_view path) { return Taken(HashByte(HashText(HASH_START, path), 'P')); }
std::uint64_t ValueSeed(std::string_view path) { return HashByte(HashText(HASH_START, path), 'V'); }
std::uint64_t ValueHash(std::uint64_t seed, std::string_view name) { return Taken(HashText(seed, name)); }

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

}  // namespace

// The physical lines of a text, terminators kept, one after the other.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Done() const { return at_ >= text_.size(); }
  std::string_view Next() {
    std::size_t nl = text_.find('\n', at_);
    std::size_t end = nl == std::string_view::npos ? text_.size() : nl + 1;
    std::string_view line = text_.substr(at_, end - at_);
    at_ = end;
    return line;
  }
  const char* Here() const { return text_.data() + at_; }
  // Lines from here to the next key's header.
  std::size_t LinesOfSection() const {
    LineReader ahead = *this;
    std::size_t count = 0;
    while (!ahead.Done() && !TrimBlanks(Content(ahead.Next())).starts_with('[')) ++count;
    return count;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

namespace {

// The key path of a `[...]` header; empty when it is malformed or a deletion (`[-...]`).
std::string_view HeaderPath(std::string_view body) {
  std::size_t close = body.rfind(']');
  if (close == std::string_view::npos || body.size() <= 1 || body[1] == '-') return {};
  std::string_view path = TrimBlanks(body.substr(1, close - 1));
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

// A `"name"=data` or `@=data` line: its name, and its data with the lines that hex
// data continues over (each ending in a backslash), read on from `more`. False, with
// nothing read, for anything else (an unterminated name among it: which value it
// was cannot be told).
bool SplitValue(std::string_view line, LineReader* more, std::string* name, std::string* data) {
  std::string_view body = TrimBlanks(Content(line));
  if (body.empty() || (body.front() != '"' && body.front() != '@')) return false;
  std::size_t pos = 1;
  name->clear();
  if (body.front() == '"' && (pos = ParseQuoted(body, name)) == 0) return false;
  while (pos < body.size() && IsBlank(body[pos])) ++pos;
  if (pos >= body.size() || body[pos] != '=') return false;
  data->assign(body.substr(pos + 1));
  if (!StartsWithText(TrimBlanks(*data), "hex")) return true;
  std::string_view piece = body;
  while (piece.ends_with('\\') && !more->Done()) {
    data->pop_back();
    piece = TrimBlanks(Content(more->Next()));
    *data += piece;
  }
  if (piece.ends_with('\\')) data->pop_back();  // cut short at the end of the file
  return true;
}

// The data of a value's text; false when it is malformed or a deletion.
bool ReadValue(std::string_view raw, RegData* data) {
  LineReader lines(raw);
  std::string name, text;
  return SplitValue(lines.Next(), &lines, &name, &text) && ParseData(text, data);
}

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
  hive.Decode(file);
  LineReader lines(hive.source_);
  if (std::string_view first = LineReader(hive.source_).Next(); !Terminator(first).empty())
    hive.eol_ = Terminator(first);
  hive.ReserveSlots(static_cast<std::size_t>(std::count(hive.source_.begin(), hive.source_.end(), '\n')) + 1);
  while (!lines.Done()) hive.ParseLine(&lines);
  hive.IndexValues();
  return hive;
}

// The text to parse: the file, past a UTF-8 mark, or a Unicode file's text in UTF-8.
void RegHive::Decode(std::string_view file) {
  if (file.starts_with(UTF16_BOM)) {
    std::size_t even = (file.size() - UTF16_BOM.size()) & ~std::size_t{1};
    source_ = Utf16LeToUtf8(file.substr(UTF16_BOM.size(), even));
    utf16_ = true;
    oddByte_ = file.substr(UTF16_BOM.size() + even);
    eol_ = "\r\n";  // regedit's, for a file without a line yet
    return;
  }
  if (file.starts_with(UTF8_BOM)) {
    preamble_ = UTF8_BOM;
    file.remove_prefix(UTF8_BOM.size());
  }
  source_ = file;
}

// The next line (and the lines a value continues over): a key's header, a value, or
// a line kept as it is, which is what every line that is neither becomes.
void RegHive::ParseLine(LineReader* lines) {
  std::string_view line = lines->Next();
  std::string_view body = TrimBlanks(Content(line));
  if (!body.empty() && body.front() == '[') {
    AddSection(std::string(line), std::string(HeaderPath(body)));
    sections_.back().items.reserve(lines->LinesOfSection() + 128);  // and room for values set
    return;
  }
  if (sections_.empty()) {
    preamble_ += line;
    return;
  }
  Item item;
  std::string data;
  item.isValue = SplitValue(line, lines, &item.name, &data);
  item.begin = static_cast<std::size_t>(line.data() - source_.data());
  item.size = static_cast<std::uint32_t>(lines->Here() - line.data());
  sections_.back().items.push_back(std::move(item));
}

void RegHive::AddSection(std::string header, std::string path) {
  std::uint64_t seed = ValueSeed(path);
  sections_.push_back(Section{std::move(header), std::move(path), {}, seed});
  IndexKey(sections_.size() - 1);
}

// Every value parsed, in file order, so that a later line of the same name takes
// the slot. The table is far larger than any cache: each value's slot is fetched
// some values ahead of its turn.
void RegHive::IndexValues() {
  struct Pending {
    std::uint64_t hash;
    std::uint32_t section, item;
  };
  constexpr std::size_t AHEAD = 16;
  ReserveSlots(1);
  Pending ring[AHEAD];
  std::size_t next = 0, held = 0;
  auto take = [&](const Pending& p) {
    const Section& s = sections_[p.section];
    Index(p.hash, s.path, s.items[p.item].name, p.section, p.item);
  };
  for (std::size_t section = 0; section < sections_.size(); ++section) {
    const Section& s = sections_[section];
    if (s.path.empty()) continue;
    for (std::size_t item = 0; item < s.items.size(); ++item) {
      if (!s.items[item].isValue) continue;
      Pending p{ValueHash(s.valueSeed, s.items[item].name), static_cast<std::uint32_t>(section),
                static_cast<std::uint32_t>(item)};
      __builtin_prefetch(&slots_[p.hash & (slots_.size() - 1)]);
      if (held == AHEAD) take(ring[next]);
      else ++held;
      ring[next] = p;
      next = (next + 1) % AHEAD;
    }
  }
  for (std::size_t k = 0; k < held; ++k) take(ring[(next + AHEAD - held + k) % AHEAD]);
}

std::size_t RegHive::Probe(std::uint64_t hash, std::string_view keyPath, std::string_view name,
                           std::uint32_t kind) const {
  if (slots_.empty()) return 0;
  const auto kindOf = [](std::uint32_t item) { return item < PARENT_SLOT ? 0 : item == KEY_SLOT ? 1 : 2; };
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.hash == 0) return at;
    if (slot.hash != hash || kindOf(slot.item) != kindOf(kind)) continue;
    std::string_view path = sections_[slot.section].path;
    if (kind == PARENT_SLOT) {
      if (path.size() > keyPath.size() && path[keyPath.size()] == '\\' && SameText(path.substr(0, keyPath.size()), keyPath))
        return at;
    } else if (SameText(path, keyPath) &&
               (kind == KEY_SLOT || SameText(sections_[slot.section].items[slot.item].name, name))) {
      return at;
    }
  }
}

// A new entry takes a free slot; a key's or value's again takes its old one, for
// the last section or line decides. Kept at most three quarters full.
void RegHive::Index(std::uint64_t hash, std::string_view keyPath, std::string_view name, std::uint32_t section,
                    std::uint32_t item) {
  ReserveSlots(usedSlots_ + 1);
  Slot& slot = slots_[Probe(hash, keyPath, name, item)];
  if (slot.hash == 0) ++usedSlots_;
  else if (item == PARENT_SLOT) return;
  slot = Slot{hash, section, item};
}

void RegHive::ReserveSlots(std::size_t entries) {
  if (entries * 4 <= slots_.size() * 3) return;
  std::size_t size = std::max<std::size_t>(64, slots_.size());
  while (entries * 4 > size * 3) size *= 2;
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(size, Slot{});
  for (const Slot& moved : old) {
    if (moved.hash == 0) continue;
    std::size_t at = moved.hash & (size - 1);
    while (slots_[at].hash != 0) at = (at + 1) & (size - 1);
    slots_[at] = moved;
  }
}

// A section's key, and every key above it, which exists through it.
void RegHive::IndexKey(std::size_t section) {
  std::string_view path = sections_[section].path;
  if (path.empty()) return;
  const auto at = static_cast<std::uint32_t>(section);
  Index(KeyHash(path), path, {}, at, KEY_SLOT);
  for (std::size_t cut = path.find('\\'); cut != std::string_view::npos; cut = path.find('\\', cut + 1))
    Index(ParentHash(path.substr(0, cut)), path.substr(0, cut), {}, at, PARENT_SLOT);
}

void RegHive::IndexValue(std::size_t section, std::size_t item) {
  std::string_view path = sections_[section].path;
  const Item& value = sections_[section].items[item];
  if (value.isValue && !path.empty())
    Index(ValueHash(sections_[section].valueSeed, value.name), path, value.name, static_cast<std::uint32_t>(section),
          static_cast<std::uint32_t>(item));
}

long RegHive::LastSection(std::string_view keyPath) const {
  std::size_t at = Probe(KeyHash(keyPath), keyPath, {}, KEY_SLOT);
  return at < slots_.size() && slots_[at].hash != 0 ? static_cast<long>(slots_[at].section) : -1;
}

std::string RegHive::Text() const {
  if (!utf16_) return Body();
  return std::string(UTF16_BOM) + Utf8ToUtf16Le(Body()) + oddByte_;
}

std::string RegHive::Body() const {
  std::string out;
  out.reserve(source_.size() + source_.size() / 16);
  out += preamble_;
  for (const Section& s : sections_) {
    out += s.header;
    for (const Item& item : s.items) out += Raw(item);
  }
  return out;
}

std::string_view RegHive::Raw(const Item& item) const {
  return item.edited ? std::string_view(edited_[item.begin]) : std::string_view(source_).substr(item.begin, item.size);
}

std::string& RegHive::Edit(Item& item) {
  if (!item.edited) {
    edited_.emplace_back(Raw(item));
    item.begin = edited_.size() - 1;
    item.edited = true;
  }
  return edited_[item.begin];
}

bool RegHive::HasKey(std::string_view keyPath) const {
  if (keyPath.find('\\') == std::string_view::npos) return true;  // a root always exists
  if (LastSection(keyPath) >= 0) return true;
  std::size_t at = Probe(ParentHash(keyPath), keyPath, {}, PARENT_SLOT);
  return at < slots_.size() && slots_[at].hash != 0;
}

// The text ends its last line, so that a line can follow.
void RegHive::EndWithEol() {
  if (!sections_.empty() && !sections_.back().items.empty()) {
    Item& item = sections_.back().items.back();
    std::string_view text = Raw(item);
    if (!text.empty() && text.back() != '\n') Edit(item) += eol_;
    return;
  }
  std::string& last = sections_.empty() ? preamble_ : sections_.back().header;
  if (!last.empty() && last.back() != '\n') last += eol_;
}

bool RegHive::AddKey(std::string_view keyPath) {
  if (HasKey(keyPath)) return false;
  if (sections_.empty() && (preamble_.empty() || preamble_ == UTF8_BOM))
    preamble_ += (utf16_ ? "Windows Registry Editor Version 5.00" : "REGEDIT4") + eol_;
  EndWithEol();
  AddSection((EndsWithBlankLine() ? "" : eol_) + "[" + std::string(keyPath) + "]" + eol_, std::string(keyPath));
  return true;
}

// Whether the text ends in two line endings, read from its last pieces only.
bool RegHive::EndsWithBlankLine() const {
  const std::string wanted = eol_ + eol_;
  std::string tail;
  auto take = [&](std::string_view piece) {
    tail.insert(0, piece.substr(piece.size() - std::min(piece.size(), wanted.size() - tail.size())));
    return tail.size() == wanted.size();
  };
  for (auto s = sections_.rbegin(); s != sections_.rend(); ++s) {
    for (auto it = s->items.rbegin(); it != s->items.rend(); ++it)
      if (take(Raw(*it))) return tail == wanted;
    if (take(s->header)) return tail == wanted;
  }
  take(preamble_);
  return tail == wanted;
}

// The last line that names the value decides, as an import of the file would.
const RegHive::Item* RegHive::Find(std::string_view keyPath, std::string_view name) const {
  std::size_t at = Probe(ValueHash(ValueSeed(keyPath), name), keyPath, name, 0);
  if (at >= slots_.size() || slots_[at].hash == 0) return nullptr;
  return &sections_[slots_[at].section].items[slots_[at].item];
}

RegHive::Item* RegHive::Find(std::string_view keyPath, std::string_view name) {
  return const_cast<Item*>(static_cast<const RegHive*>(this)->Find(keyPath, name));
}

bool RegHive::Get(std::string_view keyPath, std::string_view name, RegData* data) const {
  const Item* item = Find(keyPath, name);
  return item && ReadValue(Raw(*item), data);
}

void RegHive::Set(std::string_view keyPath, std::string_view name, const RegData& data) {
  std::string line = FormatRegValueLine(name, data);
  if (Item* item = Find(keyPath, name)) {
    std::string term(Terminator(Raw(*item)));
    Edit(*item) = line + term;
    return;
  }
  long last = LastSection(keyPath);
  if (last < 0) {
    // A key known only through its subkeys gets its own section too.
    if (!AddKey(keyPath)) {
      EndWithEol();
      AddSection(eol_ + "[" + std::string(keyPath) + "]" + eol_, std::string(keyPath));
    }
    last = static_cast<long>(sections_.size() - 1);
  }
  const auto sectionIndex = static_cast<std::size_t>(last);
  Section* section = &sections_[sectionIndex];
  // New values go after the key's last value, ahead of any blank lines that part it
  // from the next key.
  std::size_t at = section->items.size();
  while (at > 0 && !section->items[at - 1].isValue) --at;
  // hex data cut short with a trailing backslash would run on into the new line;
  // a blank line ends it.
  Item* previous = at == 0 ? nullptr : &section->items[at - 1];
  std::string_view before = previous ? Raw(*previous) : std::string_view(section->header);
  bool unended = !before.empty() && before.back() != '\n';
  bool runsOn = previous && TrimBlanks(Content(before)).ends_with('\\');
  if (unended || runsOn) {
    std::string& text = previous ? Edit(*previous) : section->header;
    if (unended) text += eol_;
    if (runsOn) text += eol_;
  }
  edited_.push_back(line + eol_);
  Item item;
  item.begin = edited_.size() - 1;
  item.edited = true;
  item.isValue = true;
  item.name = name;
  section->items.insert(section->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
  IndexValue(sectionIndex, at);
}

std::vector<RegHive::Entry> RegHive::Values() const {
  std::vector<Entry> out;
  for (const Section& s : sections_) {
    if (s.path.empty()) continue;
    for (const Item& item : s.items) {
      RegData data;
      if (item.isValue && ReadValue(Raw(item), &data)) out.push_back({s.path, item.name, std::move(data)});
    }
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
