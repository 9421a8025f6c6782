// A registry hive held as the text of a `.reg` file: REGEDIT4 in 8-bit text, or the
// UTF-16 little-endian form with a byte-order mark that regedit's "Version 5.00"
// exports use. A Unicode file is worked on as UTF-8 and written back in UTF-16.
//
// The document keeps every byte it was parsed from: lines it does not understand,
// comments, keys and values it is never asked about and the file's line endings
// all come back unchanged from Text(). Only the values that are set are rewritten,
// each in place, and new keys are appended at the end.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

enum class RegRoot { CurrentUser, LocalMachine, ClassesRoot };

// The root's name as a key path starts with it, "HKEY_CURRENT_USER".
const char* RegRootName(RegRoot root);

// Registry value types, numbered as regedit's hex(N) writes them.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;

struct RegData {
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> bytes;  // as the registry holds them: DWORDs little-endian, strings with their NUL

  static RegData Dword(std::int32_t value);
  static RegData String(std::string_view text);
  // The value as a DWORD when it is one of exactly four bytes.
  bool AsDword(std::int32_t* value) const;
  // The value as text when it is a string type; the text ends at the first NUL.
  bool AsString(std::string* text) const;
};

class LineReader;  // reghive.cpp's: a text's lines one after the other

class RegHive {
 public:
  RegHive() = default;
  // Never fails: what cannot be understood is kept as opaque text.
  static RegHive Parse(std::string_view text);

  // The file's bytes, in the encoding it was parsed from.
  std::string Text() const;
  bool Utf16() const { return utf16_; }

  // keyPath is the full path with its root, "HKEY_CURRENT_USER\\Software\\...".
  // Key paths and value names compare without regard to ASCII case; "" is the
  // key's default value (written `@`).
  bool HasKey(std::string_view keyPath) const;
  // Adds an empty key; false when it was already there.
  bool AddKey(std::string_view keyPath);
  // The value's data when the key holds a readable value of that name.
  bool Get(std::string_view keyPath, std::string_view name, RegData* data) const;
  // Creates the key if needed and replaces (or appends) the value's line.
  void Set(std::string_view keyPath, std::string_view name, const RegData& data);

  // Every readable value, in file order, for tests and the fuzz target.
  struct Entry {
    std::string keyPath;
    std::string name;
    RegData data;
  };
  std::vector<Entry> Values() const;

 private:
  // A line, or a value's line with the lines it continues over, verbatim with its
  // line endings: a piece of the text parsed, or once rewritten, a text of its own.
  // A value's data is read from it when asked for.
  struct Item {
    std::size_t begin = 0;     // in source_, or once edited, which of edited_
    std::uint32_t size = 0;
    bool edited = false;
    bool isValue = false;      // a `"name"=` or `@=` line, readable or not
    std::string name;
  };
  struct Section {
    std::string header;       // verbatim `[...]` line
    std::string path;         // key path; empty when the header is malformed or a deletion
    std::vector<Item> items;
    std::uint64_t valueSeed = 0;  // where the hashes of its values' names start
  };
  // Every key, key with subkeys and value, by a hash of its lower-case path (and
  // name), in one open-addressed table: a hive of millions of values is indexed
  // without an allocation each, and every lookup takes the same time. A value's
  // slot names its last line; a key's, its last section; a parent's, a section
  // below it. Values are only ever added after their key's last value, ahead of
  // lines that are none, so a slot stays right once taken.
  struct Slot {
    std::uint64_t hash = 0;  // 0: free
    std::uint32_t section = 0;
    std::uint32_t item = 0;  // the value's line, or KEY_SLOT or PARENT_SLOT
  };
  static constexpr std::uint32_t KEY_SLOT = 0xFFFFFFFF, PARENT_SLOT = 0xFFFFFFFE;

  // Parsing, one step each.
  void Decode(std::string_view file);
  void ParseLine(LineReader* lines);
  void AddSection(std::string header, std::string path);
  void IndexValues();

  std::string_view Raw(const Item& item) const;
  // The item's text as its own, to be changed.
  std::string& Edit(Item& item);

  // The slot of the entry, or the free one where it would go; slots_.size() when
  // there is no table yet.
  std::size_t Probe(std::uint64_t hash, std::string_view keyPath, std::string_view name, std::uint32_t kind) const;
  void Index(std::uint64_t hash, std::string_view keyPath, std::string_view name, std::uint32_t section,
             std::uint32_t item);
  // Room for this many entries without growing.
  void ReserveSlots(std::size_t entries);
  void IndexKey(std::size_t section);
  void IndexValue(std::size_t section, std::size_t item);
  // A key's last section; -1 when it has none of its own.
  long LastSection(std::string_view keyPath) const;

  const Item* Find(std::string_view keyPath, std::string_view name) const;
  Item* Find(std::string_view keyPath, std::string_view name);
  void EndWithEol();
  bool EndsWithBlankLine() const;

  // The text as worked on: the file itself, or a Unicode file's text in UTF-8.
  std::string Body() const;

  bool utf16_ = false;
  std::string oddByte_;   // a Unicode file's stray last byte, kept where it was
  std::string eol_ = "\n";  // the file's own line ending, used for lines we add
  std::string source_;    // the text parsed, in UTF-8 for a Unicode file
  std::vector<std::string> edited_;  // the lines rewritten or added
  std::string preamble_;  // the REGEDIT4 line and whatever precedes the first key
  std::vector<Section> sections_;
  std::vector<Slot> slots_;
  std::size_t usedSlots_ = 0;
};

// UTF-16LE code units to UTF-8 and back. A surrogate without its partner takes the
// three-byte form of its own code, so any even number of bytes converts back
// unchanged; bytes that are not UTF-8 become the characters U+0080 to U+00FF.
std::string Utf16LeToUtf8(std::string_view units);
std::string Utf8ToUtf16Le(std::string_view text);

// The `"name"=data` line regedit writes for a value, without its line ending.
std::string FormatRegValueLine(std::string_view name, const RegData& data);

}  // namespace plat
