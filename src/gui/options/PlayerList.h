#pragma once
// `ListViewOptionPlayer`: the options dialog's player list, eight fixed rows
// "MP3" ... "MP4" with the player program and its parameter text. A double
// click arms a row, as does a click on the row already selected; the end of
// an edit disarms it. A press on the armed row's "ﾌﾟﾚｲﾔｰ" cell asks for the
// program with the file dialog, on its "ﾊﾟﾗﾒｰﾀ" cell opens the in-place
// editor `EditListView` (at most 30 characters; Enter or leaving stores,
// Escape drops). Delete empties the selected row. Rows are never added or
// removed.

#include <QTableWidget>
#include <array>
#include <functional>

#include "core/common/FormatRegistry.h"

class QLineEdit;

namespace hozanki {

class PlayerList : public QTableWidget {
  Q_OBJECT

 public:
  static constexpr int kParameterLimit = 30;
  enum Column { kFormatColumn = 0, kProgramColumn = 1, kParameterColumn = 2 };

  explicit PlayerList(QWidget* parent = nullptr);

  // The file dialog for a program: start path in, chosen path out (empty:
  // cancelled).
  void SetProgramDialog(std::function<QString(const QString& start)> dialog) { programDialog_ = std::move(dialog); }

  void SetRow(int row, const QString& program, const QString& parameters);
  QString Program(int row) const;
  QString Parameters(int row) const;
  int ArmedRow() const { return armedRow_; }
  QLineEdit* Editor() const { return EditListView; }

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OpenEditor(int row);
  void CloseEditor(bool store);

  QLineEdit* EditListView = nullptr;
  std::function<QString(const QString&)> programDialog_;
  int armedRow_ = -1;
  int editedRow_ = -1;
};

}  // namespace hozanki
