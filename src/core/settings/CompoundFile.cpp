#include "core/settings/CompoundFile.h"

#include <algorithm>
#include <cctype>

#include "core/settings/DataFileRecovery.h"
#include "core/settings/IniFile.h"
#include "core/text/TextWidth.h"

namespace hozanki {

namespace {

constexpr const char* kTotalSection = "Total";
constexpr const char* kCountKey = "Count";
constexpr const char* kTitleKey = "Title";

std::string SectionName(int index) {
  return "Cnv" + std::to_string(index);
}
std::string ItemKey(int step) {
  return "Item" + std::to_string(step);
}
std::string SecondKey(int step) {
  return "Item" + std::to_string(step) + "-";
}

// The text without its first `head` characters and its last character.
std::string StripCharacters(std::string_view value, size_t head) {
  size_t pos = 0;
  for (size_t i = 0; i < head && pos < value.size(); ++i) {
    char32_t cp;
    pos += DecodeUtf8Char(value, pos, cp);
  }
  if (pos >= value.size()) return {};
  size_t end = value.size() - 1;
  while (end > pos && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
  return std::string(value.substr(pos, end - pos));
}

bool IsCompoundSection(std::string_view name) {
  if (name.size() < 4 || !(name[0] == 'C' || name[0] == 'c') || !(name[1] == 'n' || name[1] == 'N') ||
      !(name[2] == 'v' || name[2] == 'V'))
    return false;
  for (char c : name.substr(3))
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// One more than the highest N of the names PREFIX + N (+ suffix), 0 when
// there is none: a count beyond it would only add empty entries, and a
// damaged count of millions must not make millions of them.
int IndexLimit(const std::vector<std::string>& names, std::string_view prefix) {
  int limit = 0;
  for (const std::string& name : names) {
    if (name.size() <= prefix.size()) continue;
    bool match = true;
    for (size_t i = 0; i < prefix.size() && match; ++i)
      match = std::tolower(static_cast<unsigned char>(name[i])) ==
              std::tolower(static_cast<unsigned char>(prefix[i]));
    if (!match) continue;
    int value = 0;
    size_t i = prefix.size();
    for (; i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])) && value < 100000000; ++i)
      value = value * 10 + (name[i] - '0');
    if (i == prefix.size() || (i < name.size() && name.substr(i) != "-")) continue;
    if (value + 1 > limit) limit = value + 1;
  }
  return limit;
}

}  // namespace

std::vector<CompoundEdit> ReadCompoundFile(const std::filesystem::path& dataFile, std::string* readError) {
  const IniFile ini = IniFile::Load(dataFile);
  if (readError) *readError = ini.ReadError();
  std::vector<CompoundEdit> edits;
  const int count = std::min(ini.ReadInteger(kTotalSection, kCountKey, 0), IndexLimit(ini.Sections(), "Cnv"));
  for (int i = 0; i < count; ++i) {
    const std::string section = SectionName(i);
    CompoundEdit edit;
    edit.title = ini.ReadString(section, kTitleKey);
    const int steps = std::min(ini.ReadInteger(section, kCountKey, 0), IndexLimit(ini.Keys(section), "Item"));
    for (int s = 0; s < steps; ++s) {
      const std::string value = ini.ReadString(section, ItemKey(s));
      CompoundStep step;
      step.kind = !value.empty() && std::isdigit(static_cast<unsigned char>(value[0])) ? value[0] - '0' : 0;
      step.first = StripCharacters(value, 2);
      if (CompoundKindHasSecondText(step.kind))
        step.second = StripCharacters(ini.ReadString(section, SecondKey(s)), 1);
      edit.steps.push_back(std::move(step));
    }
    edits.push_back(std::move(edit));
  }
  return edits;
}

std::vector<CompoundEdit> LoadCompoundStore(const std::filesystem::path& dataFile, std::string* readError) {
  RecoverDataFile(dataFile);
  return ReadCompoundFile(dataFile, readError);
}

bool WriteCompoundFile(const std::filesystem::path& dataFile, const std::vector<CompoundEdit>& edits,
                       int previousCount, std::string* error) {
  IniFile ini = IniFile::Load(dataFile);
  for (int i = 0; i < previousCount; ++i) ini.EraseSection(SectionName(i));
  for (const std::string& name : ini.Sections())
    if (IsCompoundSection(name)) ini.EraseSection(name);
  ini.WriteInteger(kTotalSection, kCountKey, static_cast<int>(edits.size()));
  for (size_t i = 0; i < edits.size(); ++i) {
    const std::string section = SectionName(static_cast<int>(i));
    const CompoundEdit& edit = edits[i];
    ini.WriteString(section, kTitleKey, edit.title);
    ini.WriteInteger(section, kCountKey, static_cast<int>(edit.steps.size()));
    for (size_t s = 0; s < edit.steps.size(); ++s) {
      const CompoundStep& step = edit.steps[s];
      const char digit = step.kind >= 0 && step.kind <= 9 ? static_cast<char>('0' + step.kind) : '0';
      ini.WriteString(section, ItemKey(static_cast<int>(s)), std::string(1, digit) + "," + step.first + "/");
      if (CompoundKindHasSecondText(step.kind))
        ini.WriteString(section, SecondKey(static_cast<int>(s)), "," + step.second + "/");
    }
  }
  return ini.Save(dataFile, error, RecoveryCopyOf(dataFile));
}

}  // namespace hozanki
