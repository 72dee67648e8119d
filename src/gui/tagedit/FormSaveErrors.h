#pragma once
// The list of files a save could not handle, each with its reason: shown
// after a save with failures, beside the count in the status bar. Modeless,
// so the window can be used (and the files looked at) while it is open;
// "コピー(&C)" puts the list on the clipboard as "path<TAB>reason" lines.

#include <QDialog>
#include <vector>

#include "core/tagedit/SaveEngine.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace hozanki {

inline constexpr const char* kSaveErrorsTitle = "保存できなかったファイル";

class TFormSaveErrors : public QDialog {
  Q_OBJECT

 public:
  explicit TFormSaveErrors(QWidget* parent = nullptr);

  // Shows `failures` under the heading `summary` (the status-bar count),
  // replacing what an earlier save put there.
  void SetFailures(const QString& summary, const std::vector<SaveFailure>& failures);

  QLabel* LabelSummary = nullptr;
  QTreeWidget* ListFailures = nullptr;  // columns "ファイル" and "理由"
  QPushButton* ButtonCopy = nullptr;
  QPushButton* ButtonClose = nullptr;

 public slots:
  void CopyClick();
};

// Lists `failures` under `summary` in the window's one failure list (made
// on first use, modeless), replacing what an earlier save put there.
TFormSaveErrors* ShowSaveErrors(QWidget* window, const QString& summary, const std::vector<SaveFailure>& failures);

}  // namespace hozanki
