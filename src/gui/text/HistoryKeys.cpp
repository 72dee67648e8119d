#include "gui/text/HistoryKeys.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QtGlobal>
#include <string>

#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "gui/tagedit/HistoryCombo.h"

namespace hozanki {
namespace {

std::string Key(std::string_view prefix, int n) {
  return std::string(prefix) + std::to_string(n);
}

}  // namespace

void ReadHistory(const IniFile& ini, std::string_view section, std::string_view countKey,
                 std::string_view prefix, QComboBox* box) {
  const QSignalBlocker blocker(box);
  box->clear();
  const int count = std::min(ini.ReadInteger(section, countKey, 0), kHistoryMaxEntries);
  for (int n = 1; n <= count; ++n) {
    const QString text = QString::fromStdString(ini.ReadString(section, Key(prefix, n)));
    if (!text.isEmpty()) box->addItem(text);
  }
  box->setCurrentIndex(-1);
  if (box->isEditable()) box->setEditText(QString());
}

void WriteHistory(IniFile& ini, std::string_view section, std::string_view countKey, std::string_view prefix,
                  const QComboBox* box) {
  const int count = std::min(box->count(), kHistoryMaxEntries);
  ini.WriteInteger(section, countKey, count);
  for (int n = 1; n <= count; ++n)
    ini.WriteString(section, Key(prefix, n), box->itemText(n - 1).toStdString());
}

IniFile ReadSettingsFile(const std::filesystem::path& folder) {
  if (folder.empty()) return {};
  return IniFile::Load(folder / kSettingsFileName);
}

void UpdateSettingsFile(const std::filesystem::path& folder, const std::function<void(IniFile&)>& write) {
  if (folder.empty()) return;
  const std::filesystem::path path = folder / kSettingsFileName;
  IniFile ini = IniFile::Load(path);
  write(ini);
  std::string error;
  if (!ini.Save(path, &error)) qWarning("Hozanki: cannot write %s: %s", path.c_str(), error.c_str());
}

}  // namespace hozanki
