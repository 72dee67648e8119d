#include "core/settings/IniFile.h"

#include <algorithm>

#include "core/common/AtomicFile.h"
#include "core/text/Cp932.h"

namespace hozanki {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

IniFile IniFile::Load(const std::filesystem::path& path) {
  std::string bytes;
  std::string error;
  if (!ReadWholeFile(path, bytes, &error)) {
    IniFile empty;
    if (IsMissingFile(path)) {
      empty.state_ = StoredFileState::Missing;
    } else {
      empty.state_ = StoredFileState::Unreadable;
      empty.readError_ = error.empty() ? "読み込めません (" + path.string() + ")" : error;
    }
    return empty;
  }
  return Parse(bytes);
}

std::string UnreadableStoreText(const std::string& readError) {
  return "読み込めないファイルには、内容を失わないよう書き込みません: " + readError;
}

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile ini;
  std::string text = DecodeLegacy(bytes);
  std::string_view rest = text;
  Section* current = nullptr;
  while (!rest.empty()) {
    size_t eol = rest.find('\n');
    std::string_view line = rest.substr(0, eol);
    rest = eol == std::string_view::npos ? std::string_view() : rest.substr(eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';') continue;
    if (t.front() == '[') {
      size_t close = t.find(']');
      if (close == std::string_view::npos) continue;
      std::string_view name = Trim(t.substr(1, close - 1));
      current = ini.FindSection(name);
      if (!current) {
        ini.sections_.push_back({std::string(name), {}});
        current = &ini.sections_.back();
      }
      continue;
    }
    size_t eq = t.find('=');
    if (eq == std::string_view::npos || !current) continue;
    std::string_view key = Trim(t.substr(0, eq));
    std::string_view value = Trim(t.substr(eq + 1));
    if (key.empty()) continue;
    // Like the Windows profile functions: one pair of enclosing quotes is dropped.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    auto it = std::find_if(current->entries.begin(), current->entries.end(),
                           [&](const Entry& e) { return EqualsNoCase(e.key, key); });
    if (it == current->entries.end()) current->entries.push_back({std::string(key), std::string(value)});
    // The first of duplicate keys wins, as it does for the Windows functions.
  }
  return ini;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  for (const Section& s : sections_)
    if (EqualsNoCase(s.name, name)) return &s;
  return nullptr;
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  for (Section& s : sections_)
    if (EqualsNoCase(s.name, name)) return &s;
  return nullptr;
}

const IniFile::Entry* IniFile::FindEntry(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return nullptr;
  for (const Entry& e : s->entries)
    if (EqualsNoCase(e.key, key)) return &e;
  return nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  const Entry* e = FindEntry(section, key);
  return e ? e->value : std::string(fallback);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
  const Entry* e = FindEntry(section, key);
  int v;
  if (!e || !ParseInteger(e->value, v)) return fallback;
  return v;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section* s = FindSection(section);
  if (!s) {
    sections_.push_back({std::string(section), {}});
    s = &sections_.back();
  }
  for (Entry& e : s->entries) {
    if (EqualsNoCase(e.key, key)) {
      e.value = value;
      return;
    }
  }
  s->entries.push_back({std::string(key), std::string(value)});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool IniFile::HasSection(std::string_view section) const { return FindSection(section) != nullptr; }

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
  return FindEntry(section, key) != nullptr;
}

void IniFile::EraseSection(std::string_view section) {
  std::erase_if(sections_, [&](const Section& s) { return EqualsNoCase(s.name, section); });
}

std::vector<std::string> IniFile::Sections() const {
  std::vector<std::string> names;
  for (const Section& s : sections_) names.push_back(s.name);
  return names;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* s = FindSection(section))
    for (const Entry& e : s->entries) keys.push_back(e.key);
  return keys;
}

std::string IniFile::Serialize() const {
  std::string text;
  for (size_t i = 0; i < sections_.size(); ++i) {
    if (i > 0 && blankLineBetweenSections_) text += "\r\n";
    text += "[" + sections_[i].name + "]\r\n";
    for (const Entry& e : sections_[i].entries) text += e.key + "=" + e.value + "\r\n";
  }
  if (auto bytes = EncodeCp932(text)) return *bytes;
  return std::string(kUtf8Bom) + text;
}

bool IniFile::Save(const std::filesystem::path& path, std::string* error,
                   const std::filesystem::path& temporary) const {
  if (Unreadable()) {
    if (error) *error = UnreadableStoreText(readError_);
    return false;
  }
  ReplaceOptions options;
  options.temporaryName = temporary.empty() ? std::string() : temporary.filename().string();
  options.keepIdentity = false;
  return WriteFileAtomic(path, Serialize(), error, options);
}

}  // namespace hozanki
