#include "core/rename/RenamePattern.h"

#include <algorithm>

#include "core/common/IntegerText.h"
#include "core/settings/DataFileRecovery.h"
#include "core/settings/IniFile.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

using namespace std::string_view_literals;

// Items of every format before its tag values: the file's, its video format
// when it has one, then the separator.
constexpr std::array kFileItems = {"テキスト"sv,       "-----"sv,    "ファイル名"sv,
                                   "拡張子"sv,         "ファイルサイズ"sv, "タイムスタンプ"sv,
                                   "再生時間"sv,       "再生時間（秒）"sv, "音声形式"sv};
constexpr std::string_view kVideoItem = "映像形式"sv;
constexpr std::string_view kSeparatorItem = "-----"sv;

bool HasVideoKind(MediaFormat format) { return Describe(format).hasVideo; }

constexpr std::string_view kCount = "Count";
constexpr std::string_view kTitle = "Title";
constexpr std::string_view kItem = "Item";

// "110,text/": code from the first three characters (900 when they are not a
// number), the text without its first four and its last character.
PatternItem ParseItemValue(std::string_view value) {
  PatternItem item;
  const std::string_view code = value.substr(0, ByteOffsetOfWidth(value, 3));
  int number = 0;
  if (code.size() == 3 && code.find_first_not_of("0123456789") == std::string_view::npos &&
      ParseInteger(code, number))
    item.code = number;
  std::string_view text = value.substr(ByteOffsetOfWidth(value, 4));
  if (!text.empty()) {
    size_t last = text.size() - 1;
    while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80) --last;
    text = text.substr(0, last);
  }
  item.text = text;
  return item;
}

}  // namespace

PatternItem PatternItem::Make(int kind, int option, std::string text) {
  if (kind == 0) return {kPatternTextCode, std::move(text)};
  if (option < 0) return {kPatternTextCode + kind, std::move(text)};
  return {kind + 100 * (option + 1), std::move(text)};
}

std::span<const std::string_view> RenameItemNames(MediaFormat format) {
  static const auto lists = [] {
    std::array<std::vector<std::string_view>, kFormatCount> out;
    for (const FormatDescription& d : AllFormats()) {
      auto& items = out[static_cast<size_t>(d.format)];
      items.assign(kFileItems.begin(), kFileItems.end());
      if (d.hasVideo) items.push_back(kVideoItem);
      items.push_back(kSeparatorItem);
      items.insert(items.end(), d.renameTagItems.begin(), d.renameTagItems.end());
    }
    return out;
  }();
  return lists[static_cast<size_t>(format)];
}

PatternFieldOf FieldOfKind(MediaFormat format, int kind) {
  constexpr std::array fileFields = {
      PatternField::Text,      PatternField::Separator, PatternField::Name,
      PatternField::Extension, PatternField::Size,      PatternField::TimeStamp,
      PatternField::PlayTime,  PatternField::Seconds,   PatternField::AudioFormat};
  if (kind < 0 || kind >= static_cast<int>(RenameItemNames(format).size())) return {};
  if (kind < static_cast<int>(fileFields.size())) return {fileFields[kind], 0};
  const int separator = HasVideoKind(format) ? 10 : 9;
  if (kind < separator) return {PatternField::VideoFormat, 0};
  if (kind == separator) return {};
  return {PatternField::Tag, kind - separator};
}

RenamePatternStore LoadRenamePatterns(const std::filesystem::path& path, std::string* readError) {
  RecoverDataFile(path);
  const IniFile ini = IniFile::Load(path);
  if (readError) *readError = ini.ReadError();
  RenamePatternStore store;
  for (int f = 0; f < kFormatCount; ++f) {
    const std::string_view section = FormatName(static_cast<MediaFormat>(f));
    // A damaged count never reaches past what the section could hold.
    const int keys = static_cast<int>(ini.Keys(section).size());
    const int count = std::min(ini.ReadInteger(section, kCount, 0), keys);
    for (int i = 0; i < count; ++i) {
      RenamePattern pattern;
      const std::string n = std::to_string(i);
      pattern.title = ini.ReadString(section, std::string(kTitle) + n);
      const int items = std::min(ini.ReadInteger(section, std::string(kCount) + n, 0), keys);
      for (int j = 0; j < items; ++j)
        pattern.items.push_back(
            ParseItemValue(ini.ReadString(section, std::string(kItem) + n + "-" + std::to_string(j))));
      store[f].push_back(std::move(pattern));
    }
  }
  return store;
}

bool SaveRenamePatterns(const std::filesystem::path& path, const RenamePatternStore& store,
                        std::string* error) {
  IniFile ini = IniFile::Load(path);
  ini.SetBlankLineBetweenSections(false);
  for (int f = 0; f < kFormatCount; ++f) ini.EraseSection(FormatName(static_cast<MediaFormat>(f)));
  for (int f = 0; f < kFormatCount; ++f) {
    const std::string_view section = FormatName(static_cast<MediaFormat>(f));
    const std::vector<RenamePattern>& patterns = store[f];
    ini.WriteInteger(section, kCount, static_cast<int>(patterns.size()));
    for (size_t i = 0; i < patterns.size(); ++i) {
      const std::string n = std::to_string(i);
      ini.WriteString(section, std::string(kTitle) + n, patterns[i].title);
      ini.WriteInteger(section, std::string(kCount) + n, static_cast<int>(patterns[i].items.size()));
      for (size_t j = 0; j < patterns[i].items.size(); ++j) {
        const PatternItem& item = patterns[i].items[j];
        ini.WriteString(section, std::string(kItem) + n + "-" + std::to_string(j),
                        std::to_string(item.code) + "," + item.text + "/");
      }
    }
  }
  return ini.Save(path, error, RecoveryCopyOf(path));
}

}  // namespace hozanki
