#pragma once
// Writing a file's tag rows back to the file: the one write operation shared
// by the save thread, undo and the command line.

#include <filesystem>
#include <string>

#include "core/catalogue/MediaFileEntry.h"
#include "core/settings/SettingsKeys.h"
#include "core/common/SaveJournal.h"

namespace hozanki {

class IniFile;
class TagFile;
struct AppSettings;

// The "Option" settings that saving uses.
struct WriteSettings {
  int unicode = settings::option::kUnicodeDefault;         // "Unicode": 0 leave as is, 1 off, 2 on
  int unsync = settings::option::kUnsyncDefault;           // "Unsync": 0 leave as is, 1 off, 2 on
  int id3v2Version = settings::option::kID3v2VerDefault;   // "ID3v2Ver": 0 leave as is, 1 "2.2", 2 "2.3", 3 "2.4"
  bool keepTimeStamp = settings::option::kTimeStampDefault;  // "TimeStamp"
  // Where the undo journal of in-place writes goes (the settings folder);
  // empty: every file is written as a new copy.
  std::filesystem::path journalFolder;

  // The save options among the general options: the one mapping from
  // "TimeStamp", "Unicode", "Unsync" and "ID3v2Ver" to these fields.
  static WriteSettings FromOptions(const AppSettings& options);
  // The same options read from the settings file (AppSettings::ReadOptions).
  static WriteSettings FromIni(const IniFile& ini);
};

// Checks, before anything is written, that the rows can be written: the MP3
// exclusion rule (RIFF never with ID3v2 or APE), ID3v1 texts that code
// page 932 can store, and ID3v1 tracks and genres the tag can hold. False
// with `error` set otherwise.
bool CanWriteMediaFile(const MediaFileEntry& entry, std::string* error);

// Writes folder / entry.relativePath from the entry's rows.
// MP3: for each tag kind whose row carries the changed mark, the kind is
// removed (unchecked, present) or created (checked, absent), then the values
// of every marked, checked kind are set (with the ID3v2 options when the
// ID3v2 row is written) and the file saved once. A present kind whose row is
// unavailable (state 2) is removed when a conflicting kind is written.
// Other formats: checked, every value is written; unchecked, every value is
// emptied. The modification time is restored afterwards when
// `keepTimeStamp`, else set to now. False with `error` set on failure.
bool WriteMediaFile(const std::filesystem::path& folder, const MediaFileEntry& entry,
                    const WriteSettings& settings, std::string* error);

// The first half of WriteMediaFile for a batch of files: the file is
// written at once as a new copy (Written), or, when `settings.journalFolder`
// is set and the change fits in place, `edit` is filled for a SaveJournal
// that writes it with others (InPlace; nothing written yet, and nothing to
// write when edit.Unchanged()), or Failed with `error` set.
enum class PreparedWrite { Written, InPlace, Failed };
PreparedWrite PrepareMediaWrite(const std::filesystem::path& folder, const MediaFileEntry& entry,
                                const WriteSettings& settings, InPlaceEdit& edit, std::string* error);

// The write step of a format with one tag table (not MP3) on a loaded file:
// every value from its cell when the row is checked, else emptied ("TRACK"
// and "DISC" pairs split at their first "/"), then one save.
bool WriteRowToTagFile(TagFile& file, const MediaFileEntry& entry, std::string* error);

}  // namespace hozanki
