// TFormMain: rename mode's name editing. The file lists arm a row and ask for
// the editor (`FileNameEditRequested`); `EditListView` opens there with no
// length limit and stores the name as typed.

#include <QAction>
#include <QLineEdit>
#include <QTabWidget>
#include <limits>

#include "core/tagedit/EditTarget.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/app/FormMain.h"
#include "gui/catalogue/FileListView.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableController.h"

namespace hozanki {

void TFormMain::SetUpRenameMode() {
  connect(this, &TFormMain::FileNameEditRequested, this, [this](int page, int row) {
    if (IsRenameMode() && !IsBusy()) OpenFileNameEditor(page, row);
  });
  // Leaving rename mode or showing another page closes the editor, its name stored.
  for (QAction* mode : {MenuFileModeT, MenuFileModeR})
    connect(mode, &QAction::triggered, this, [this] { Tables().Editors().CloseOpen(); });
  connect(PageControlF, &QTabWidget::currentChanged, this, [this] { Tables().Editors().CloseOpen(); });
}

void TFormMain::OpenFileNameEditor(int page, int row) {
  const auto format = static_cast<MediaFormat>(page);
  const EditTarget target = EditTarget::FileNames(format);
  if (row < 0 || row >= catalogue_.RowCount(format)) return;
  if (!IsRowOpenToEditing(catalogue_.Entries(format)[static_cast<size_t>(row)], target)) return;
  Catalogue* catalogue = &catalogue_;
  EditSession session;
  session.view = listViewF_[static_cast<size_t>(page)];
  session.row = row;
  session.column = 1;
  session.store = [catalogue, target](int r, const QString& text) {
    return CommitCellEdit(*catalogue, target, r, text.toStdString());
  };
  session.rowOpen = [catalogue, target](int r) {
    const auto& rows = catalogue->Entries(target.format);
    return r >= 0 && r < static_cast<int>(rows.size()) &&
           IsRowOpenToEditing(rows[static_cast<size_t>(r)], target);
  };
  // No length limit for names.
  EditListView->setMaxLength(std::numeric_limits<int>::max());
  Tables().Editors().Open(EditorKind::Edit, std::move(session), 0);
}

}  // namespace hozanki
