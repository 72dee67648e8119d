// TFormMain: rename mode's pieces in the file lists: the name editor opened by
// a double click or Enter, Escape leaving the mode, the edit colours of the
// file-name column, and the items of `PopupR` that this mode provides.

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>

#include "gui/app/FormMain.h"
#include "gui/rename/EditColumnColours.h"
#include "gui/rename/FileNameEditor.h"

namespace hozanki {
namespace {

constexpr int kNameColumn = 1;  // column 0 is the mark column

// Enter on a file list in rename mode opens the name editor on the focused row.
class EnterKeyFilter : public QObject {
 public:
  EnterKeyFilter(std::function<bool()> onEnter, QObject* parent) : QObject(parent), onEnter_(std::move(onEnter)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if ((key == Qt::Key_Return || key == Qt::Key_Enter) && onEnter_()) return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<bool()> onEnter_;
};

}  // namespace

void TFormMain::SetUpRenameMode() {
  nameEditor_ = new FileNameEditor(catalogue_, this);
  for (int f = 0; f < kFormatCount; ++f) {
    QTableView* list = listViewF_[static_cast<size_t>(f)];
    const auto format = static_cast<MediaFormat>(f);
    list->setItemDelegateForColumn(kNameColumn, new EditColumnDelegate([this] { return IsRenameMode(); }, list));
    connect(list, &QAbstractItemView::doubleClicked, this, [this, list, format](const QModelIndex& index) {
      if (index.column() != kNameColumn || IsWorkerRunning()) return;
      // In tag edit mode a double click on a name enters rename mode instead.
      if (!IsRenameMode()) {
        SwitchMode(MenuFileModeR);
        return;
      }
      nameEditor_->Open(list, format, index.row(), kNameColumn);
    });
    list->installEventFilter(new EnterKeyFilter(
        [this, list, format] {
          if (!IsRenameMode() || IsWorkerRunning()) return false;
          const int row = list->selectionModel()->currentIndex().row();
          if (row >= 0) nameEditor_->Open(list, format, row, kNameColumn);
          return true;
        },
        list));
    // Escape is the shortcut of "モード解除(&X)".
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
      if (IsRenameMode() && !IsWorkerRunning()) SwitchMode(MenuFileModeT);
    });
  }
  // Leaving rename mode or starting a save closes the editor with its name stored.
  for (QAction* mode : {MenuFileModeT, MenuFileModeR})
    connect(mode, &QAction::triggered, nameEditor_, [this] { nameEditor_->Finish(true); });
  connect(PageControlF, &QTabWidget::currentChanged, nameEditor_, [this] { nameEditor_->Finish(true); });
}

}  // namespace hozanki
