#pragma once
// The four in-place editors laid over a cell of a list: `EditListView`
// (single line, optional code page 932 width limit), `ComboBoxListView`
// (genre list), `MemoListView` (multi-line) and `EditListViewCopy`
// (read-only, for copying). They are opened on a cell, walk up and down the
// column with the arrow keys, and store their text back through the
// session's store function when they close. The main window and the list
// editors of other windows each own one InPlaceEditors over their own widgets.
//
// Keys: EditListView Enter commits, Escape discards, Up/Down store and walk;
// the combo box the same unless its list is down or Shift/Alt is held, and
// "- User -" becomes empty on Up/Down; the memo needs Alt for Enter, Up and
// Down; the copy box closes on Enter or Escape. Leaving an editor (focus to
// another control) commits it. While one is open the given shortcut actions
// (Ctrl+C, Ctrl+V, Ctrl+Z of the Edit menu) lose their shortcuts so that the
// editor gets those keys; every close gives them back.

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QAction;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;
class QTableView;
class QValidator;
class QWidget;

namespace hozanki {

class WidthLimitValidator;

enum class EditorKind { Edit, Copy, Combo, Memo };

// What an open editor edits.
struct EditSession {
  QTableView* view = nullptr;
  int row = -1;
  int column = -1;  // view column of the cell
  // Stores a text into a row's cell when it differs; returns whether it changed.
  std::function<bool(int row, const QString& text)> store;
  // Whether the editor may stay open on a row it walks to.
  std::function<bool(int row)> rowOpen;
  // Applied to the combo box's text before it is stored (the ID3v1 genre
  // rule); none for other tables.
  std::function<QString(const QString& text)> comboRule;
  // The ID3v1 track: EditListView takes only 1-255 (or nothing) and says so
  // when a key is refused.
  bool id3v1Track = false;
};

// The multi-line editor is at least this wide, however narrow its column.
inline constexpr int kMemoMinimumWidth = 300;
// The single-line editors are as wide as their column or, when the text is
// wider, as the text with this much room for the cursor (within the window).
inline constexpr int kLineEditorTextRoom = 12;
// The hint shown when the ID3v1 track refuses a key.
inline constexpr const char* kId3v1TrackHint = "ID3v1 のトラック番号は 1～255 の数字です。";

class InPlaceEditors : public QObject {
  Q_OBJECT

 public:
  struct Widgets {
    QLineEdit* edit = nullptr;
    QLineEdit* copy = nullptr;
    QComboBox* combo = nullptr;
    QPlainTextEdit* memo = nullptr;
  };

  // `host` is the widget the editors are children of.
  InPlaceEditors(Widgets widgets, QWidget* host, std::vector<QAction*> shortcutActions,
                 QObject* parent = nullptr);

  // Opens an editor on a cell with the cell's text; `limit` is the width
  // limit of EditListView (0 none). Any editor already open is closed first.
  void Open(EditorKind kind, EditSession session, int limit = 0);
  bool IsOpen() const;
  EditorKind OpenKind() const { return kind_; }
  const EditSession& Session() const { return session_; }
  QWidget* Editor(EditorKind kind) const;

  // Closing from outside (menus, header clicks, page changes): runs the exit
  // handler of the visible editor, checked in the order copy box, edit box,
  // combo box, memo, which commits. True when one was open.
  bool CloseOpen();
  // Escape: closes without storing.
  void Cancel();

  // Commit and close (the exit handlers): stores a differing text and hides
  // the editor. Returns whether the cell changed.
  bool Commit();
  // Up (-1) or Down (+1): stores a differing text into the row the editor is
  // on, moves selection and focus to the next row and follows it, or closes
  // on a row closed to editing. Returns 0, or when it stored a changed text,
  // the offset from the new row to the stored one (+1 after Up, -1 after Down).
  int Walk(int step);

  // The armed row of a list (a double click or Enter arms it; -1 none).
  static int ArmedRow(const QTableView* view);
  static void SetArmedRow(QTableView* view, int row);

  // Where the copy box sends the focus on Enter or Escape (the active file
  // list), and what else its exit resets; both optional.
  std::function<QWidget*()> copyReturnFocus;
  std::function<void()> copyClosed;
  // Called after every close.
  std::function<void()> closed;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* Widget() const { return Editor(kind_); }
  QString EditorText() const;
  // Stores the editor's text (after the combo rule) when it differs from
  // what the editor was given; returns whether the cell changed.
  bool StoreText(QString text);
  void SetEditorText(const QString& text);
  void Place();
  void Hide(bool focusView);
  void TakeShortcuts();
  void GiveShortcutsBack();
  bool HandleKey(QKeyEvent* key);

  Widgets widgets_;
  QWidget* host_;
  std::vector<QAction*> shortcutActions_;
  std::vector<QKeySequence> savedShortcuts_;
  bool shortcutsTaken_ = false;
  WidthLimitValidator* validator_;
  QValidator* trackValidator_;
  EditorKind kind_ = EditorKind::Edit;
  EditSession session_;
  QString original_;  // the cell's text as the editor showed it
  bool open_ = false;
  std::vector<QMetaObject::Connection> modelConnections_;
  bool closing_ = false;
};

// Line breaks as the memo shows them ("\n") and as cells keep them (CR LF).
QString MemoTextOfCell(const QString& cell);
QString CellTextOfMemo(const QString& memo);

}  // namespace hozanki
