#pragma once
// The in-place editor of a file name in a file list (rename mode): no length
// limit, the name stored as typed. Enter or leaving stores a changed name,
// Escape discards, Up and Down store and walk to the neighbouring row.

#include <QLineEdit>
#include <QPointer>

#include "core/catalogue/Catalogue.h"

class QTableView;

namespace hozanki {

class FileNameEditor : public QLineEdit {
  Q_OBJECT
 public:
  explicit FileNameEditor(Catalogue& catalogue, QWidget* parent = nullptr);

  // Opens on row `row` of a file list (column `nameColumn` of the view),
  // unless the row is closed to editing (error mark). False when not opened.
  bool Open(QTableView* list, MediaFormat format, int row, int nameColumn = 1);
  // Closes the editor, storing a changed name when `store`.
  void Finish(bool store);
  bool IsOpen() const { return isVisible(); }
  int Row() const { return row_; }

 signals:
  void Opened();
  void Closed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Place();
  void Walk(int step);

  Catalogue& catalogue_;
  QPointer<QTableView> list_;
  MediaFormat format_ = MediaFormat::MP3;
  int row_ = -1;
  int column_ = 1;
  bool closing_ = false;
};

}  // namespace hozanki
