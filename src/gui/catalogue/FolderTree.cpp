#include "gui/catalogue/FolderTree.h"

#include <QCollator>
#include <QStandardItemModel>
#include <algorithm>
#include <vector>

#include "core/catalogue/FolderScan.h"

namespace hozanki {

namespace {

QStandardItem* MakeNode(const QString& text, const std::filesystem::path& path, int image) {
  auto* item = new QStandardItem(text);
  item->setEditable(false);
  item->setData(QByteArray::fromStdString(path.native()), kFolderPathRole);
  item->setData(image, kFolderImageRole);
  return item;
}

QString Text(const std::filesystem::path& name) {
  return QString::fromStdString(DisplayName(name));
}

}  // namespace

int DirectoryTreeViewCompare(int imageA, const QString& textA, int imageB, const QString& textB) {
  static thread_local QCollator collator = [] {
    QCollator c;
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator.compare(QString::number(imageA) + textA, QString::number(imageB) + textB);
}

QModelIndex BuildFolderTree(QStandardItemModel& model, const std::filesystem::path& folder) {
  model.clear();
  std::filesystem::path normal = folder.lexically_normal();
  std::filesystem::path path = "/";
  QStandardItem* current = MakeNode(QStringLiteral("/"), path, 0);
  model.appendRow(current);
  for (const std::filesystem::path& part : normal.relative_path()) {
    if (part.empty()) continue;  // a trailing separator
    path /= part;
    QStandardItem* child = MakeNode(Text(part), path, 0);
    current->appendRow(child);
    current = child;
  }
  struct Node {
    QString text;
    std::filesystem::path name;
  };
  std::vector<Node> nodes;
  for (std::filesystem::path& name : ListSubfolders(path)) nodes.push_back({Text(name), std::move(name)});
  std::stable_sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) {
    return DirectoryTreeViewCompare(1, a.text, 1, b.text) < 0;
  });
  for (const Node& n : nodes) current->appendRow(MakeNode(n.text, path / n.name, 1));
  return current->index();
}

std::filesystem::path FolderOfNode(const QModelIndex& index) {
  return std::filesystem::path(index.data(kFolderPathRole).toByteArray().toStdString());
}

}  // namespace hozanki
