#pragma once
// The general options of section "Option" and the user tools of section
// "Tool", held process-wide after start-up. The options dialog changes them
// together with the file.

#include <array>
#include <string>
#include <vector>

#include "core/common/FormatRegistry.h"
#include "core/settings/IniFile.h"

namespace hozanki {

// One user tool: menu caption, program and parameter text.
struct ToolEntry {
  std::string name;
  std::string exec;
  std::string parm;
};

struct AppSettings {
  std::string editor;
  bool extOmit = false;
  bool extProtect = false;
  std::array<std::string, kFormatCount> player;     // keys "Player1".."Player8"
  std::array<std::string, kFormatCount> playerPrm;  // keys "PlayerPrm1".."PlayerPrm8"
  // Colours in the stored encoding: top byte 0x80 names a system colour by
  // its index, anything else is 0x00BBGGRR.
  int colorNC = 0;
  int colorNB = 0;
  int colorSC = 0;
  int colorSB = 0;
  int memoSize = 0;
  std::string fontName;
  int unicode = 0;   // 0 leave as is, 1 off, 2 on
  int unsync = 0;    // 0 leave as is, 1 off, 2 on
  int id3v2Ver = 0;  // 0 leave as is, 1 = 2.2, 2 = 2.3, 3 = 2.4
  bool timeStamp = true;
  int clmMode = 0;  // 0 leave the mode, 1 show the menu
  std::vector<ToolEntry> tools;

  AppSettings();  // every default

  // Reads "Option" keys and the "Tool" list (a missing key keeps its default).
  void ReadOptions(const IniFile& ini);
  void ReadTools(const IniFile& ini);
  void WriteOptions(IniFile& ini) const;
  void WriteTools(IniFile& ini) const;

  // The process-wide instance.
  static AppSettings& Current();
};

}  // namespace hozanki
