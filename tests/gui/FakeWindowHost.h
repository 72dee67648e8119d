#pragma once
// A stand-in for the main window in the tests of the feature controllers: a
// catalogue of in-memory WAV rows, a file list and a tag table over plain
// models of as many rows, a busy flag and rename mode as data.

#include <QStandardItemModel>
#include <QTableView>
#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "../core/TagEditTestSupport.h"
#include "core/catalogue/Catalogue.h"
#include "core/tagedit/EditTarget.h"

namespace guitest {

struct FakeWindow {
  explicit FakeWindow(int rows) {
    hozanki::test::FillCatalogue(catalogue, hozanki::MediaFormat::WAV, rows);
    for (QStandardItemModel* model : {&fileModel, &tagModel}) {
      model->setRowCount(rows);
      model->setColumnCount(2);
    }
    files.setParent(&window);
    tags.setParent(&window);
    files.setModel(&fileModel);
    tags.setModel(&tagModel);
    for (QTableView* view : {&files, &tags}) view->setSelectionBehavior(QAbstractItemView::SelectRows);
    window.setWindowTitle(QStringLiteral("fake"));
  }

  void Select(QTableView& view, const std::vector<int>& rows) {
    view.clearSelection();
    for (int r : rows)
      view.selectionModel()->select(view.model()->index(r, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  hozanki::EditTarget Target(bool fileList) const {
    return fileList ? hozanki::EditTarget::FileNames(hozanki::MediaFormat::WAV)
                    : hozanki::EditTarget::TagColumn(hozanki::TagKind::WAV, editColumn - 1);
  }
  const std::string& Title(int row) const {
    return hozanki::test::Tag(catalogue, hozanki::TagKind::WAV, row).cells[2].text;
  }

  QWidget window;
  hozanki::Catalogue catalogue;
  QStandardItemModel fileModel, tagModel;
  QTableView files, tags;
  bool rename = false;
  bool busy = false;
  int editColumn = 3;  // the title of a WAV row
  std::filesystem::path folder = "/music";
};

}  // namespace guitest
