#pragma once
// An INI file as the program stores its settings and data files: sections of
// "key=value" lines, code page 932 with CR LF (the whole file as UTF-8 with a
// byte-order mark only when some text does not fit code page 932). Section
// and key names compare without regard to ASCII case. Integers are decimal;
// booleans are written 0/1 and any non-zero integer reads as true; a missing
// key or a non-numeric integer gives the default. Reading never fails: a
// missing, empty, binary or half-written file reads as what it holds.
//
// A file that exists but cannot be read (no permission, a folder, FIFO or
// device in its place, an I/O error) also reads as empty, but the IniFile
// remembers it: saving it would replace entries that were never seen, so
// Save refuses. Only regular files are ever opened for reading, and never in
// a way that could block.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/IntegerText.h"

namespace hozanki {

// What reading a stored file found.
enum class StoredFileState {
  Read,       // read (or made in memory)
  Missing,    // nothing by that name: start empty
  Unreadable  // something is there that cannot be read: never overwrite it
};

class IniFile {
 public:
  IniFile() = default;

  // Reads the file at `path` (a missing or unreadable file gives an empty
  // IniFile; State() tells which).
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
  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(std::string_view section) const;

  // Sections are separated by a blank line unless this is switched off (the
  // data files keep their sections back to back).
  void SetBlankLineBetweenSections(bool on) { blankLineBetweenSections_ = on; }

  StoredFileState State() const { return state_; }
  bool Unreadable() const { return state_ == StoredFileState::Unreadable; }
  // Why the file could not be read ("" unless Unreadable()).
  const std::string& ReadError() const { return readError_; }

  // The file's bytes as they would be written.
  std::string Serialize() const;
  // Writes atomically through `temporary` (a name in the target's folder;
  // a fresh temporary name when empty). Refused (false, nothing written) when
  // this IniFile was loaded from a file that could not be read.
  bool Save(const std::filesystem::path& path, std::string* error = nullptr,
            const std::filesystem::path& temporary = {}) const;

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
  StoredFileState state_ = StoredFileState::Read;
  std::string readError_;
};

// The refusal to write a stored file that could not be read, with the reason
// it could not ("... (path)").
std::string UnreadableStoreText(const std::string& readError);

}  // namespace hozanki
