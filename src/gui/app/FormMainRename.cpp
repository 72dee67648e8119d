// TFormMain: rename mode's file-name editor. The file lists arm a row and
// ask for the editor (`FileNameEditRequested`); while it is open the Copy,
// Paste and Undo shortcuts belong to it.

#include <QAction>
#include <QTabWidget>

#include "gui/app/FormMain.h"
#include "gui/catalogue/FileListView.h"
#include "gui/rename/FileNameEditor.h"

namespace hozanki {

void TFormMain::SetUpRenameMode() {
  nameEditor_ = new FileNameEditor(catalogue_, this);
  connect(this, &TFormMain::FileNameEditRequested, nameEditor_, [this](int page, int row) {
    if (!IsRenameMode() || IsBusy()) return;
    nameEditor_->Open(listViewF_[static_cast<size_t>(page)], static_cast<MediaFormat>(page), row, 1);
  });
  connect(nameEditor_, &FileNameEditor::Opened, this, [this] { TakeEditShortcuts(); });
  connect(nameEditor_, &FileNameEditor::Closed, this, [this] {
    RestoreEditShortcuts();
    for (FileListView* view : listViewF_) view->SetTag(FileListView::kIdle);
  });
  // Leaving rename mode or showing another page closes the editor, its name stored.
  for (QAction* mode : {MenuFileModeT, MenuFileModeR})
    connect(mode, &QAction::triggered, nameEditor_, [this] { nameEditor_->Finish(true); });
  connect(PageControlF, &QTabWidget::currentChanged, nameEditor_, [this] { nameEditor_->Finish(true); });
}

}  // namespace hozanki
