#pragma once
// A file list (`ListViewFMP3` ... `ListViewFMP4`) with its mouse and key
// handling. Its tag is the pointer state: -1 idle, 0 or more the row armed by
// a double click, -12 / -16 a drag of one / several files out of the window.
// A double click arms the first selected row and acts as a press on the cell
// under the pointer (ArmedPress); the release disarms. Pressing a selected
// row and moving drags the selected files out as text/uri-list (the main
// window never takes them back). What a press on an armed cell opens, and
// what Esc and Enter do, is the window's (signals).

#include <QTableView>
#include <filesystem>
#include <functional>
#include <vector>

class QMimeData;

namespace hozanki {

class FileListView : public QTableView {
  Q_OBJECT

 public:
  static constexpr int kIdle = -1;
  static constexpr int kDragOne = -12;
  static constexpr int kDragMany = -16;

  explicit FileListView(QWidget* parent = nullptr);

  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // The full paths of the selected files in list order (set by the window).
  void SetPathsProvider(std::function<std::vector<std::filesystem::path>()> provider) {
    paths_ = std::move(provider);
  }
  // The data of a drag out of the selected files; owned by the caller.
  QMimeData* SelectedFilesMimeData() const;

  // `cmnListViewDblClick` + the press: arms the first selected row (when a
  // row is selected) and, when `position` lies in that row's band, emits
  // ArmedPress for the column there.
  void ArmAndPress(const QPoint& position);
  // The column under a viewport x position, -1 outside every column.
  int ColumnAtX(int x) const;

 signals:
  // A press on the armed row (row, column under the pointer).
  void ArmedPress(int row, int column);
  // A click on a column header, with the keyboard modifiers of the click.
  void ColumnClicked(int column, Qt::KeyboardModifiers modifiers);
  void EscapePressed();
  void EnterPressed(int row);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int FirstSelectedRow() const;
  void PressArmed(const QPoint& position);

  int tag_ = kIdle;
  Qt::KeyboardModifiers headerModifiers_;
  std::function<std::vector<std::filesystem::path>()> paths_;
};

}  // namespace hozanki
