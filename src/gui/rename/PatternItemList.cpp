#include "gui/rename/PatternItemList.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace hozanki {
namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const QString kSeparatorName = QStringLiteral("-----");

}  // namespace

int KindOfName(MediaFormat format, const QString& name) {
  const auto names = RenameItemNames(format);
  for (size_t i = 0; i < names.size(); ++i)
    if (Q(names[i]) == name) return static_cast<int>(i);
  return -1;
}

int OptionOfName(const QString& name) {
  for (size_t i = 0; i < kPatternOptionNames.size(); ++i)
    if (Q(kPatternOptionNames[i]) == name) return static_cast<int>(i);
  return kPatternNoOption;
}

// The cell editors and the rules that follow a choice of kind or option.
class PatternItemDelegate : public QStyledItemDelegate {
 public:
  explicit PatternItemDelegate(PatternItemList* list) : QStyledItemDelegate(list), list_(list) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    const QString option = index.siblingAtColumn(2).data().toString();
    QWidget* editor = nullptr;
    if (index.column() == 0) {
      auto* box = new QComboBox(parent);
      box->setObjectName(QStringLiteral("ComboBox") + Q(FormatName(list_->Format())));
      for (std::string_view name : RenameItemNames(list_->Format())) box->addItem(Q(name));
      box->setMaxVisibleItems(10);
      editor = box;
    } else if (index.column() == 1) {
      if (option == Q(kPatternOptionNames[kPatternWhole])) return nullptr;
      auto* edit = new QLineEdit(parent);
      edit->setObjectName(QStringLiteral("EditPatern"));
      editor = edit;
    } else {
      if (option.isEmpty()) return nullptr;
      auto* box = new QComboBox(parent);
      box->setObjectName(QStringLiteral("ComboBoxOption"));
      for (std::string_view name : kPatternOptionNames) box->addItem(Q(name));
      editor = box;
    }
    list_->openEditor_ = editor;
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      box->setCurrentIndex(std::max(0, box->findText(index.data().toString())));
      return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
  }

  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    QTreeWidgetItem* row = list_->topLevelItem(index.row());
    if (!row) return;
    const QStringList before = {row->text(0), row->text(1), row->text(2)};
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      const QString chosen = box->currentText();
      if (index.column() == 0) {
        int kind = KindOfName(list_->Format(), chosen);
        if (kind < 0 || chosen == kSeparatorName) kind = 0;  // a separator becomes テキスト
        row->setText(0, Q(RenameItemNames(list_->Format())[static_cast<size_t>(kind)]));
        if (kind == 0) {
          row->setText(1, QString());
          row->setText(2, QString());
        } else {
          if (row->text(2).isEmpty()) row->setText(2, Q(kPatternOptionNames[kPatternWhole]));
          if (row->text(2) == Q(kPatternOptionNames[kPatternWhole])) row->setText(1, QString());
        }
      } else {
        row->setText(2, chosen);
        switch (OptionOfName(chosen)) {
          case kPatternWhole:
            row->setText(1, QString());
            break;
          case kPatternSubstring:
            row->setText(1, QStringLiteral("0,0"));
            break;
          default:
            row->setText(1, QStringLiteral("s///"));
            break;
        }
      }
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
      row->setText(1, edit->text());
    }
    if (before != QStringList{row->text(0), row->text(1), row->text(2)}) emit list_->Edited();
  }

 private:
  PatternItemList* list_;
};

PatternItemList::PatternItemList(MediaFormat format, QWidget* parent) : QTreeWidget(parent), format_(format) {
  setObjectName(QStringLiteral("ListView") + Q(FormatName(format)));
  setColumnCount(3);
  setHeaderLabels({QStringLiteral("ｱｲﾃﾑ"), QStringLiteral("文字列 / 書式"), QStringLiteral("抽出条件")});
  header()->setStretchLastSection(false);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                  QAbstractItemView::EditKeyPressed);
  setItemDelegate(new PatternItemDelegate(this));
  // Selected items are dragged to the drop row, keeping their order.
  setDragDropMode(QAbstractItemView::InternalMove);
  setDefaultDropAction(Qt::MoveAction);
  invisibleRootItem()->setFlags(invisibleRootItem()->flags() | Qt::ItemIsDropEnabled);
  connect(model(), &QAbstractItemModel::rowsMoved, this, &PatternItemList::Edited);
}

QTreeWidgetItem* PatternItemList::MakeRow(MediaFormat format, const PatternItem& item) {
  const auto names = RenameItemNames(format);
  int kind = item.Kind();
  if (kind < 0 || kind >= static_cast<int>(names.size()) || names[static_cast<size_t>(kind)] == "-----")
    kind = 0;
  const int option = item.Option();
  auto* row = new QTreeWidgetItem;
  row->setText(0, Q(names[static_cast<size_t>(kind)]));
  row->setText(1, QString::fromStdString(item.text));
  row->setText(2, kind == 0 || option < 0
                      ? QString()
                      : Q(kPatternOptionNames[static_cast<size_t>(std::min(option, kPatternRegexp))]));
  // A row is a drag source, never a drop target (rows move between rows).
  row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled);
  return row;
}

PatternItem PatternItemList::ItemOfRow(MediaFormat format, const QTreeWidgetItem* row) {
  const int kind = std::max(0, KindOfName(format, row->text(0)));
  const int option = row->text(2).isEmpty() ? kPatternNoOption : OptionOfName(row->text(2));
  return PatternItem::Make(kind, kind == 0 ? kPatternNoOption : option, row->text(1).toStdString());
}

std::vector<PatternItem> PatternItemList::Items() const {
  std::vector<PatternItem> items;
  for (int i = 0; i < topLevelItemCount(); ++i) items.push_back(ItemOfRow(format_, topLevelItem(i)));
  return items;
}

void PatternItemList::SetItems(const std::vector<PatternItem>& items) {
  CommitEditor();
  clear();
  for (const PatternItem& item : items) addTopLevelItem(MakeRow(format_, item));
}

void PatternItemList::AddItem() {
  CommitEditor();
  addTopLevelItem(MakeRow(format_, PatternItem{}));
  setCurrentItem(topLevelItem(topLevelItemCount() - 1));
  emit Edited();
}

void PatternItemList::CopySelected() {
  CommitEditor();
  QTreeWidgetItem* row = currentItem();
  if (!row) return;
  const int at = indexOfTopLevelItem(row);
  insertTopLevelItem(at, MakeRow(format_, ItemOfRow(format_, row)));
  emit Edited();
}

void PatternItemList::DeleteSelected() {
  CommitEditor();
  QTreeWidgetItem* row = currentItem();
  if (!row) return;
  delete takeTopLevelItem(indexOfTopLevelItem(row));
  emit Edited();
}

void PatternItemList::CommitEditor() {
  if (!openEditor_) return;
  QWidget* editor = openEditor_;
  openEditor_ = nullptr;
  commitData(editor);
  closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void PatternItemList::EditCell(int row, int column) {
  CommitEditor();
  QTreeWidgetItem* item = topLevelItem(row);
  if (!item) return;
  setCurrentItem(item, column);
  edit(indexFromItem(item, column));
}

void PatternItemList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Insert) {
    CopySelected();
    return;
  }
  if (event->key() == Qt::Key_Delete) {
    DeleteSelected();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void PatternItemList::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!itemAt(event->position().toPoint())) {
    AddItem();
    return;
  }
  QTreeWidget::mouseDoubleClickEvent(event);
}

}  // namespace hozanki
