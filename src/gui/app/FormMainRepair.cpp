// TFormMain: "文字コード修復…" in the Edit menu and the popups of the file
// lists and tag tables (PopupF, PopupT) and of the rename-mode lists (PopupR). On the selected files (all when
// none is selected) of the current format: every value that is garbled or
// held in a legacy form is listed in TFormRepair; OK stores the ticked ones
// with SetCellValue and marks the files to be written in Unicode forms (ID3v2
// as UTF-16, RIFF INFO as UTF-8). Nothing reaches the disk before a save; undo reads the files again.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableView>

#include "core/catalogue/TagFile.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/app/FormMain.h"
#include "gui/text/FormRepair.h"

namespace hozanki {
namespace {

constexpr const char* kCaption = "文字コード修復…";

// Puts `item` into `menu` after the item named `after` (at the end when absent).
void InsertAfter(QMenu* menu, const char* after, QAction* item) {
  const QList<QAction*> items = menu->actions();
  for (qsizetype i = 0; i < items.size(); ++i) {
    if (items[i]->objectName() == QLatin1String(after)) {
      if (i + 1 < items.size())
        menu->insertAction(items[i + 1], item);
      else
        menu->addAction(item);
      return;
    }
  }
  menu->addAction(item);
}

QAction* NewItem(QObject* parent, const char* name) {
  auto* item = new QAction(QString::fromUtf8(kCaption), parent);
  item->setObjectName(QLatin1String(name));
  return item;
}

}  // namespace

void TFormMain::SetUpRepairCommand() {
  QAction* edit = NewItem(this, "MenuEditRepair");
  InsertAfter(MenuEdit, "MenuEditEditor", edit);
  connect(edit, &QAction::triggered, this, [this] { RepairClick(IsRenameMode() || ActiveFileList()->hasFocus()); });
  QAction* tags = NewItem(this, "PopupTRepair");
  InsertAfter(PopupT, "PopupTSubstr", tags);
  connect(tags, &QAction::triggered, this, [this] { RepairClick(false); });
  // The file lists' popup, also shown by a tag table without an edit column.
  QAction* files = NewItem(this, "PopupFRepair");
  InsertAfter(PopupF, "PopupFListOut", files);
  connect(files, &QAction::triggered, this, [this] { RepairClick(!ActiveTagTable()->hasFocus()); });
  QAction* names = NewItem(this, "PopupRRepair");
  InsertAfter(PopupR, "PopupRSubstr", names);
  connect(names, &QAction::triggered, this, [this] { RepairClick(true); });
}

void TFormMain::RepairClick(bool fromFileList) {
  if (IsBusy() || currentFolder_.empty()) return;
  QTableView* view = fromFileList ? ActiveFileList() : ActiveTagTable();
  const MediaFormat format = fromFileList ? static_cast<MediaFormat>(PageControlF->currentIndex())
                                          : FormatOfTagKind(static_cast<TagKind>(PageControlT->currentIndex()));
  std::vector<int> rows = SelectedRowsOf(view, false);
  if (rows.empty())
    for (int r = 0; r < catalogue_.RowCount(format); ++r) rows.push_back(r);

  std::vector<RepairRow> found;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  for (int r : rows) {
    const MediaFileEntry& entry = catalogue_.Entries(format)[static_cast<size_t>(r)];
    // The file tells how each value is stored (an ISO-8859-1 frame ...).
    std::unique_ptr<TagFile> file = OpenTagFile(currentFolder_ / entry.relativePath);
    for (RepairFinding& f : FindRepairs(entry, file.get())) {
      RepairRow row;
      row.format = format;
      row.row = r;
      row.fileName = entry.tags.empty() ? entry.file.cells[0].text : entry.tags[0].cells[0].text;
      row.chosen = f.diagnosis.source;
      row.finding = std::move(f);
      found.push_back(std::move(row));
    }
  }
  QApplication::restoreOverrideCursor();
  if (found.empty()) {
    QMessageBox::information(this, windowTitle(), QStringLiteral("修復が必要な値は見つかりませんでした。"));
    return;
  }
  TFormRepair dialog(std::move(found), this);
  if (dialog.exec() != QDialog::Accepted) return;
  for (const RepairRow& r : dialog.Accepted()) {
    const EditTarget target = EditTarget::TagColumn(r.finding.kind, r.finding.subItem);
    SetCellValue(catalogue_, target, r.row, *r.Result());
    catalogue_.EditRow(r.format, r.row, [](MediaFileEntry& e) { e.forceUnicode = true; });
  }
}

}  // namespace hozanki
