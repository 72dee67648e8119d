#pragma once
// An INI file as the program stores its settings and data files: sections of
// "key=value" lines, code page 932 with CR LF (the whole file as UTF-8 with a
// byte-order mark only when some text does not fit code page 932). Section
// and key names compare without regard to ASCII case. Integers are decimal;
// booleans are written 0/1 and any non-zero integer reads as true; a missing
// key or a non-numeric integer gives the default. Reading never fails: a
// missing, empty, binary or half-written file reads as what it holds.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki {

class IniFile {
 public:
  IniFile() = default;

  // Reads the file at `path` (an unreadable file gives an empty IniFile).
  static IniFile Load(const std::filesystem::path& path);
  // Parses file bytes.
  static IniFile Parse(std::string_view bytes);

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback = {}) const;
  int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  bool HasSection(std::string_view section) const;
  bool HasKey(std::string_view section, std::string_view key) const;
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);
  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(std::string_view section) const;

  // Sections are separated by a blank line unless this is switched off (the
  // data files keep their sections back to back).
  void SetBlankLineBetweenSections(bool on) { blankLineBetweenSections_ = on; }

  // The file's bytes as they would be written.
  std::string Serialize() const;
  // Writes atomically through `temporary` (a name in the target's folder;
  // a fresh temporary name when empty).
  bool Save(const std::filesystem::path& path, std::string* error = nullptr,
            const std::filesystem::path& temporary = {}) const;

  // Decimal integer text as the settings store it; also accepts "$hex" and
  // "0xhex". False for anything else or out of 32-bit range.
  static bool ParseInteger(std::string_view text, int& value);

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  const Entry* FindEntry(std::string_view section, std::string_view key) const;

  std::vector<Section> sections_;
  bool blankLineBetweenSections_ = true;
};

}  // namespace hozanki
