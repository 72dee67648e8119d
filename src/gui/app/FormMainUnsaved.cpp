// TFormMain: staged edits are never dropped without a question. Closing the
// window, opening another folder (tree, drive box, a path list handed over or
// dropped) and "リロード" ask first; 保存 runs the normal save and goes on
// only when it wrote everything.

#include <QCloseEvent>

#include "core/tagedit/SaveEngine.h"
#include "gui/app/FormMain.h"
#include "gui/app/UnsavedChangesQuestion.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableController.h"

namespace hozanki {

bool TFormMain::HasStagedEdits() const {
  return HasStagedChanges(catalogue_);
}

void TFormMain::AfterStagedEdits(std::function<void()> then) {
  // Text typed into an open in-place editor is a staged edit too.
  Tables().Editors().CloseOpen();
  if (!HasStagedEdits()) {
    then();
    return;
  }
  switch (AskUnsavedChanges(this)) {
    case UnsavedAnswer::Discard:
      then();
      break;
    case UnsavedAnswer::Save:
      SaveThen(std::move(then));
      break;
    case UnsavedAnswer::Cancel:
      break;
  }
}

void TFormMain::SaveThen(std::function<void()> then) {
  afterSave_ = std::move(then);
  MenuFileSaveClick();
  // A save that could not start leaves nothing to wait for.
  if (!IsBusy()) afterSave_ = nullptr;
}

void TFormMain::ContinueAfterSave() {
  std::function<void()> then = std::move(afterSave_);
  afterSave_ = nullptr;
  // A failed, cancelled or partial save keeps the question's target waiting:
  // the user sees what was not saved first.
  if (then && !lastSaveFailed_ && !HasStagedEdits()) then();
}

bool TFormMain::CloseQueryStagedEdits(QCloseEvent* event) {
  if (closeConfirmed_) return true;
  Tables().Editors().CloseOpen();
  if (!HasStagedEdits()) return true;
  switch (AskUnsavedChanges(this)) {
    case UnsavedAnswer::Discard:
      return true;
    case UnsavedAnswer::Save:
      event->ignore();
      SaveThen([this] {
        closeConfirmed_ = true;
        close();
      });
      return false;
    case UnsavedAnswer::Cancel:
      break;
  }
  event->ignore();
  return false;
}

}  // namespace hozanki
