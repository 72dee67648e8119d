#pragma once
// The item list of a fixed-form rename pattern in the pattern window
// (`ListViewMP3` …): one row per item with its kind name ("ｱｲﾃﾑ"), its text
// ("文字列 / 書式") and its option name ("抽出条件", empty for none). Cells
// are edited in place: the kind in a drop-down of the format's kinds, the
// text in `EditPatern` (not for "全体参照"), the option in `ComboBoxOption`
// (not for an item without one).

#include <QPointer>
#include <QTreeWidget>
#include <vector>

#include "core/rename/RenamePattern.h"

namespace hozanki {

class PatternItemList : public QTreeWidget {
  Q_OBJECT

 public:
  PatternItemList(MediaFormat format, QWidget* parent = nullptr);

  MediaFormat Format() const { return format_; }
  // The rows as pattern items (kind = position of the kind name in the
  // format's list; no option gives code 900 + kind).
  std::vector<PatternItem> Items() const;
  void SetItems(const std::vector<PatternItem>& items);

  // "[追加]": appends テキスト with empty text and option.
  void AddItem();
  // "[複製]": a copy of the selected item just above it.
  void CopySelected();
  // "[削除]": deletes the selected item.
  void DeleteSelected();
  // Stores and closes an open cell editor.
  void CommitEditor();
  // Opens the editor of a cell (as a click on it does once the row is armed).
  void EditCell(int row, int column);
  // The open cell editor, or null.
  QWidget* OpenEditor() const { return openEditor_; }

  // A row from its three cells and back.
  static QTreeWidgetItem* MakeRow(MediaFormat format, const PatternItem& item);
  static PatternItem ItemOfRow(MediaFormat format, const QTreeWidgetItem* row);

 signals:
  void Edited();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  friend class PatternItemDelegate;
  MediaFormat format_;
  QPointer<QWidget> openEditor_;
};

// The kind of a kind name in the format's list (-1 unknown) and the option
// of an option name (kPatternNoOption for empty or unknown).
int KindOfName(MediaFormat format, const QString& name);
int OptionOfName(const QString& name);

}  // namespace hozanki
