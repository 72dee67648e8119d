#pragma once
// The history of a combo box as "NR284.ini" keeps it: a count key and one
// key per entry, prefix + n with n from 1, entry 1 the most recent.

#include <filesystem>
#include <functional>
#include <string_view>

class QComboBox;

namespace hozanki {

class IniFile;

// Fills `box` (emptied first) with at most 20 entries; empty ones are skipped.
void ReadHistory(const IniFile& ini, std::string_view section, std::string_view countKey,
                 std::string_view prefix, QComboBox* box);
// Writes the count and the entries; keys beyond the count are left as they are.
void WriteHistory(IniFile& ini, std::string_view section, std::string_view countKey, std::string_view prefix,
                  const QComboBox* box);

// "NR284.ini" of `folder` (empty when `folder` is empty or the file is missing).
IniFile ReadSettingsFile(const std::filesystem::path& folder);
// Loads "NR284.ini" of `folder`, lets `write` change it and saves it
// atomically (a failure is reported with qWarning). Nothing when `folder` is
// empty.
void UpdateSettingsFile(const std::filesystem::path& folder, const std::function<void(IniFile&)>& write);

}  // namespace hozanki
