#include "core/listout/TemplateLibrary.h"

#include <algorithm>

#include "core/common/IntegerText.h"
#include "core/settings/DataFileRecovery.h"
#include "core/settings/IniFile.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

constexpr std::string_view kTotal = "Total";
constexpr std::string_view kVersion = "Version";
constexpr std::string_view kCount = "Count";
constexpr std::string_view kTitle = "Title";
constexpr std::string_view kItemKey = "Item-";

std::string SectionName(int k) {
  return "Lst" + std::to_string(k);
}

LibraryWarning Check(std::string_view name, const std::vector<TemplateRow>& rows) {
  if (name.empty()) return LibraryWarning::NoName;
  if (rows.empty()) return LibraryWarning::NoRows;
  return LibraryWarning::None;
}

// "1100,#EXTM3U/": the code from the first four characters (1900 when they
// are not a number), the text after the fifth up to the last character.
TemplateRow ParseRowValue(std::string_view value, int version) {
  const size_t codeEnd = ByteOffsetOfWidth(value, 4);
  int code = 1900;
  if (!ParseInteger(value.substr(0, codeEnd), code) ||
      value.substr(0, codeEnd).find_first_of("$xX") != std::string_view::npos)
    code = 1900;
  std::string_view text = value.substr(ByteOffsetOfWidth(value, 5));
  if (!text.empty()) {
    size_t last = text.size() - 1;
    while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80) --last;
    text = text.substr(0, last);
  }
  return DecodeRowCode(code, std::string(text), version);
}

}  // namespace

std::string_view LibraryWarningText(LibraryWarning warning) {
  switch (warning) {
    case LibraryWarning::NoName:
      return "登録名が入力されていません";
    case LibraryWarning::NoRows:
      return "リスト情報が未入力です";
    case LibraryWarning::NoSelection:
      return "更新する登録名を選択してください";
    case LibraryWarning::None:
      break;
  }
  return {};
}

LibraryWarning TemplateLibrary::Register(std::string_view name, std::string_view extension,
                                         const std::vector<TemplateRow>& rows) {
  if (LibraryWarning w = Check(name, rows); w != LibraryWarning::None) return w;
  templates_.push_back({MakeTemplateTitle(name, extension), rows});
  dirty_ = true;
  return LibraryWarning::None;
}

LibraryWarning TemplateLibrary::Update(int index, std::string_view name, std::string_view extension,
                                       const std::vector<TemplateRow>& rows) {
  if (LibraryWarning w = Check(name, rows); w != LibraryWarning::None) return w;
  if (index < 0 || index >= static_cast<int>(templates_.size())) return LibraryWarning::NoSelection;
  templates_[index] = {MakeTemplateTitle(name, extension), rows};
  dirty_ = true;
  return LibraryWarning::None;
}

void TemplateLibrary::Delete(int index) {
  if (index < 0 || index >= static_cast<int>(templates_.size())) return;
  templates_.erase(templates_.begin() + index);
  dirty_ = true;
}

void TemplateLibrary::Move(int from, int to) {
  const int count = static_cast<int>(templates_.size());
  if (from < 0 || from >= count || to < 0 || to >= count || from == to) return;
  ListTemplate moved = std::move(templates_[from]);
  templates_.erase(templates_.begin() + from);
  // Above: before the target, which kept its index. Below: after the target,
  // whose index dropped by one when the dragged entry was taken out.
  templates_.insert(templates_.begin() + to, std::move(moved));
  dirty_ = true;
}

void TemplateLibrary::Offer(const std::vector<ListTemplate>& templates) {
  templates_.insert(templates_.end(), templates.begin(), templates.end());
}

int TemplateLibrary::Find(std::string_view title) const {
  for (size_t i = 0; i < templates_.size(); ++i)
    if (templates_[i].title == title) return static_cast<int>(i);
  return -1;
}

void TemplateLibrary::Load(const std::filesystem::path& path) {
  RecoverDataFile(path);
  const IniFile ini = IniFile::Load(path);
  readError_ = ini.ReadError();
  templates_.clear();
  const int version = ini.ReadInteger(kTotal, kVersion, 0);
  // Damaged counts never reach past what the file could hold.
  const int count = std::min(ini.ReadInteger(kTotal, kCount, 0), static_cast<int>(ini.Sections().size()));
  for (int k = 0; k < count; ++k) {
    const std::string section = SectionName(k);
    ListTemplate t;
    t.title = ini.ReadString(section, kTitle);
    const int rows =
        std::min(ini.ReadInteger(section, kCount, 0), static_cast<int>(ini.Keys(section).size()));
    for (int n = 0; n < rows; ++n)
      t.rows.push_back(
          ParseRowValue(ini.ReadString(section, std::string(kItemKey) + std::to_string(n)), version));
    templates_.push_back(std::move(t));
  }
  dirty_ = version < kTemplateFileVersion && count > 0;
}

bool TemplateLibrary::Save(const std::filesystem::path& path, std::string* error) {
  if (!readError_.empty()) {
    if (error) *error = UnreadableStoreText(readError_);
    return false;
  }
  IniFile ini = IniFile::Load(path);
  ini.SetBlankLineBetweenSections(false);
  const int oldCount = ini.ReadInteger(kTotal, kCount, 0);
  // "Lst0" ... "Lst" + (count - 1), looked up among the sections present.
  for (const std::string& name : ini.Sections()) {
    int k = 0;
    if (name.size() > 3 && ParseInteger(name.substr(3), k) && k >= 0 && k < oldCount) {
      // Section names compare without regard to case: "lst1" is "Lst1".
      std::string lower = name;
      for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      if (lower == "lst" + std::to_string(k)) ini.EraseSection(name);
    }
  }
  // A new file starts with its "Total" section.
  if (!ini.HasSection(kTotal)) ini.WriteInteger(kTotal, kVersion, kTemplateFileVersion);
  for (size_t k = 0; k < templates_.size(); ++k) {
    const ListTemplate& t = templates_[k];
    const std::string section = SectionName(static_cast<int>(k));
    ini.WriteString(section, kTitle, t.title);
    ini.WriteInteger(section, kCount, static_cast<int>(t.rows.size()));
    for (size_t n = 0; n < t.rows.size(); ++n)
      ini.WriteString(section, std::string(kItemKey) + std::to_string(n),
                      std::to_string(EncodeRowCode(t.rows[n])) + "," + t.rows[n].Text + "/");
  }
  ini.WriteInteger(kTotal, kVersion, kTemplateFileVersion);
  ini.WriteInteger(kTotal, kCount, static_cast<int>(templates_.size()));
  if (!ini.Save(path, error, RecoveryCopyOf(path))) return false;
  dirty_ = false;
  return true;
}

}  // namespace hozanki
