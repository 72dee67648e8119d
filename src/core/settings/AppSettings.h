#pragma once
// The general options of section "Option" and the user tools of section
// "Tool", held process-wide after start-up. The options dialog changes them
// together with the file.

#include <array>
#include <string>
#include <vector>

#include "core/common/FormatRegistry.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsKeys.h"

namespace hozanki {

// One user tool: menu caption, program and parameter text.
struct ToolEntry {
  std::string name;
  std::string exec;
  std::string parm;
};

// Every member starts at its default from SettingsKeys.h, the one place the
// defaults are written.
struct AppSettings {
  std::string editor{settings::option::kEditorDefault};
  bool extOmit = settings::option::kExtOmitDefault;
  bool extProtect = settings::option::kExtProtectDefault;
  std::array<std::string, kFormatCount> player;     // keys "Player1".."Player11"
  std::array<std::string, kFormatCount> playerPrm;  // keys "PlayerPrm1".."PlayerPrm11"
  // Colours in the stored encoding: top byte 0x80 names a system colour by
  // its index, anything else is 0x00BBGGRR.
  int colorNC = settings::option::kColorNCDefault;
  int colorNB = settings::option::kColorNBDefault;
  int colorSC = settings::option::kColorSCDefault;
  int colorSB = settings::option::kColorSBDefault;
  int memoSize = settings::option::kMemoSizeDefault;
  std::string fontName{settings::option::kFontNameDefault};
  int unicode = settings::option::kUnicodeDefault;    // 0 leave as is, 1 off, 2 on
  int unsync = settings::option::kUnsyncDefault;      // 0 leave as is, 1 off, 2 on
  int id3v2Ver = settings::option::kID3v2VerDefault;  // 0 leave as is, 1 = 2.2, 2 = 2.3, 3 = 2.4
  bool timeStamp = settings::option::kTimeStampDefault;
  int clmMode = settings::option::kClmModeDefault;  // 0 leave the mode, 1 show the menu
  std::vector<ToolEntry> tools;

  // Reads "Option" keys and the "Tool" list (a missing key keeps its default).
  void ReadOptions(const IniFile& ini);
  void ReadTools(const IniFile& ini);
  void WriteOptions(IniFile& ini) const;
  void WriteTools(IniFile& ini) const;

  // The process-wide instance, for the window. Core code never reads it: its
  // callers hand it the settings, or the one value, it needs.
  static AppSettings& Current();
};

}  // namespace hozanki
