#pragma once
// The folder tree of the upper-left panel (`DirectoryTreeView`): a root node
// "/", one chain node per folder component down to the current folder (each
// the only child of the one before; image 0), and under the current node one
// node per subfolder (image 1), sorted by `DirectoryTreeViewCompare`. The
// view shows it fully expanded and the user cannot fold it
// (QTreeView::setItemsExpandable(false) after expandAll()).

#include <QModelIndex>
#include <QString>
#include <filesystem>

class QStandardItemModel;
class QStandardItem;

namespace hozanki {

// Item data roles of the tree's nodes.
inline constexpr int kFolderPathRole = Qt::UserRole + 1;   // QByteArray, the node's full path (raw bytes)
inline constexpr int kFolderImageRole = Qt::UserRole + 2;  // int, 0 chain node, 1 subfolder

// Clears the model and builds the tree around `folder` (absolute). Returns
// the current node's index. A folder that cannot be read gets no children.
QModelIndex BuildFolderTree(QStandardItemModel& model, const std::filesystem::path& folder);

// The folder a node stands for (what a double click opens).
std::filesystem::path FolderOfNode(const QModelIndex& index);

// Orders two nodes: the decimal image index followed by the node text,
// compared case-insensitively in the user's locale. Negative, 0 or positive.
int DirectoryTreeViewCompare(int imageA, const QString& textA, int imageB, const QString& textB);

}  // namespace hozanki
