#pragma once
// The drive box (`DriveComboBox`): one entry per mounted file system
// (DriveList), the drive of the current folder selected. Choosing an entry
// opens its root; choosing the current one does nothing (DriveToOpen).

#include <QByteArray>
#include <filesystem>
#include <optional>

class QComboBox;

namespace hozanki {

inline constexpr int kDriveMountPointRole = Qt::UserRole + 1;  // QByteArray, raw mount point

// Refills the box from the mount table and selects the drive holding
// `currentFolder`; signals of the box are blocked meanwhile, so no load starts.
void FillDriveBox(QComboBox& box, const std::filesystem::path& currentFolder);

// Selects the drive holding `folder` without emitting signals.
void SelectDriveOf(QComboBox& box, const std::filesystem::path& folder);

// `DriveComboBoxChange`: the folder to open for the entry at `index`, or
// nothing when it is the drive of `currentFolder` already.
std::optional<std::filesystem::path> DriveToOpen(const QComboBox& box, int index,
                                                 const std::filesystem::path& currentFolder);

}  // namespace hozanki
