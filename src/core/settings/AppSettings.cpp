#include "core/settings/AppSettings.h"

#include "core/settings/SettingsKeys.h"

namespace hozanki {

namespace option = settings::option;
namespace tool = settings::tool;

namespace {
std::string Numbered(std::string_view prefix, int n) {
  return std::string(prefix) + std::to_string(n);
}
}  // namespace

void AppSettings::ReadOptions(const IniFile& ini) {
  const auto s = option::kSection;
  editor = ini.ReadString(s, option::kEditor, option::kEditorDefault);
  extOmit = ini.ReadBool(s, option::kExtOmit, option::kExtOmitDefault);
  extProtect = ini.ReadBool(s, option::kExtProtect, option::kExtProtectDefault);
  for (int n = 1; n <= kFormatCount; ++n) {
    player[static_cast<size_t>(n - 1)] = ini.ReadString(s, Numbered(option::kPlayer, n));
    playerPrm[static_cast<size_t>(n - 1)] = ini.ReadString(s, Numbered(option::kPlayerPrm, n));
  }
  colorNC = ini.ReadInteger(s, option::kColorNC, option::kColorNCDefault);
  colorNB = ini.ReadInteger(s, option::kColorNB, option::kColorNBDefault);
  colorSC = ini.ReadInteger(s, option::kColorSC, option::kColorSCDefault);
  colorSB = ini.ReadInteger(s, option::kColorSB, option::kColorSBDefault);
  memoSize = ini.ReadInteger(s, option::kMemoSize, option::kMemoSizeDefault);
  fontName = ini.ReadString(s, option::kFontName, option::kFontNameDefault);
  unicode = ini.ReadInteger(s, option::kUnicode, option::kUnicodeDefault);
  unsync = ini.ReadInteger(s, option::kUnsync, option::kUnsyncDefault);
  id3v2Ver = ini.ReadInteger(s, option::kID3v2Ver, option::kID3v2VerDefault);
  timeStamp = ini.ReadBool(s, option::kTimeStamp, option::kTimeStampDefault);
  clmMode = ini.ReadInteger(s, option::kClmMode, option::kClmModeDefault);
}

void AppSettings::ReadTools(const IniFile& ini) {
  tools.clear();
  const int count = ini.ReadInteger(tool::kSection, tool::kCount, 0);
  // A damaged count must not make us loop for billions of keys.
  for (int i = 0; i < count && i < 1000; ++i) {
    tools.push_back({ini.ReadString(tool::kSection, Numbered(tool::kName, i)),
                     ini.ReadString(tool::kSection, Numbered(tool::kExec, i)),
                     ini.ReadString(tool::kSection, Numbered(tool::kParm, i))});
  }
}

void AppSettings::WriteOptions(IniFile& ini) const {
  const auto s = option::kSection;
  ini.WriteString(s, option::kEditor, editor);
  ini.WriteBool(s, option::kExtOmit, extOmit);
  ini.WriteBool(s, option::kExtProtect, extProtect);
  for (int n = 1; n <= kFormatCount; ++n) {
    ini.WriteString(s, Numbered(option::kPlayer, n), player[static_cast<size_t>(n - 1)]);
    ini.WriteString(s, Numbered(option::kPlayerPrm, n), playerPrm[static_cast<size_t>(n - 1)]);
  }
  ini.WriteInteger(s, option::kColorNC, colorNC);
  ini.WriteInteger(s, option::kColorNB, colorNB);
  ini.WriteInteger(s, option::kColorSC, colorSC);
  ini.WriteInteger(s, option::kColorSB, colorSB);
  ini.WriteInteger(s, option::kMemoSize, memoSize);
  ini.WriteString(s, option::kFontName, fontName);
  ini.WriteInteger(s, option::kUnicode, unicode);
  ini.WriteInteger(s, option::kUnsync, unsync);
  ini.WriteInteger(s, option::kID3v2Ver, id3v2Ver);
  ini.WriteBool(s, option::kTimeStamp, timeStamp);
  ini.WriteInteger(s, option::kClmMode, clmMode);
}

void AppSettings::WriteTools(IniFile& ini) const {
  ini.WriteInteger(tool::kSection, tool::kCount, static_cast<int>(tools.size()));
  for (size_t i = 0; i < tools.size(); ++i) {
    const int n = static_cast<int>(i);
    ini.WriteString(tool::kSection, Numbered(tool::kName, n), tools[i].name);
    ini.WriteString(tool::kSection, Numbered(tool::kExec, n), tools[i].exec);
    ini.WriteString(tool::kSection, Numbered(tool::kParm, n), tools[i].parm);
  }
}

AppSettings& AppSettings::Current() {
  static AppSettings settings;
  return settings;
}

}  // namespace hozanki
