#include "gui/catalogue/DriveBox.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "core/catalogue/DriveList.h"

namespace hozanki {

namespace {

std::vector<Drive> DrivesOf(const QComboBox& box) {
  std::vector<Drive> drives;
  for (int i = 0; i < box.count(); ++i)
    drives.push_back(Drive{box.itemData(i, kDriveMountPointRole).toByteArray().toStdString(), "", ""});
  return drives;
}

}  // namespace

void FillDriveBox(QComboBox& box, const std::filesystem::path& currentFolder) {
  QSignalBlocker blocker(box);
  box.clear();
  for (const Drive& drive : ListDrives()) {
    box.addItem(QString::fromStdString(DriveCaption(drive)));
    box.setItemData(box.count() - 1, QByteArray::fromStdString(drive.mountPoint.native()),
                    kDriveMountPointRole);
  }
  SelectDriveOf(box, currentFolder);
}

void SelectDriveOf(QComboBox& box, const std::filesystem::path& folder) {
  QSignalBlocker blocker(box);
  std::optional<size_t> index = DriveOfFolder(DrivesOf(box), folder);
  box.setCurrentIndex(index ? static_cast<int>(*index) : -1);
}

std::optional<std::filesystem::path> DriveToOpen(const QComboBox& box, int index,
                                                 const std::filesystem::path& currentFolder) {
  if (index < 0 || index >= box.count()) return std::nullopt;
  std::vector<Drive> drives = DrivesOf(box);
  std::optional<size_t> current = DriveOfFolder(drives, currentFolder);
  if (current && static_cast<int>(*current) == index) return std::nullopt;
  return drives[static_cast<size_t>(index)].mountPoint;
}

}  // namespace hozanki
