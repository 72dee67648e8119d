#pragma once
// The tree of registered patterns of one format in the pattern window
// (`TreeViewMP3` …): each root is a pattern, named by its title; its children
// hold the items (kind name as text, item text and option name as data) and
// are never expanded. A root dragged onto another goes before it when it came
// from below, otherwise after it.

#include <QTreeWidget>
#include <vector>

#include "core/rename/RenamePattern.h"

namespace hozanki {

class PatternTree : public QTreeWidget {
  Q_OBJECT

 public:
  PatternTree(MediaFormat format, QWidget* parent = nullptr);

  MediaFormat Format() const { return format_; }
  std::vector<RenamePattern> Patterns() const;
  void SetPatterns(const std::vector<RenamePattern>& patterns);
  // A root for `title` with one child per item.
  QTreeWidgetItem* MakeRoot(const QString& title, const std::vector<PatternItem>& items) const;
  // Renames `root` and replaces its children.
  void Fill(QTreeWidgetItem* root, const QString& title, const std::vector<PatternItem>& items) const;
  RenamePattern PatternOf(const QTreeWidgetItem* root) const;
  // The pattern (root) the current item belongs to, or null.
  QTreeWidgetItem* SelectedRoot() const;
  // Moves root `from` as a drop on root `onto` does.
  void MoveRoot(int from, int onto);

 signals:
  void Moved();

 protected:
  void dropEvent(QDropEvent* event) override;

 private:
  MediaFormat format_;
};

}  // namespace hozanki
