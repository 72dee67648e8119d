#include "gui/tagedit/InPlaceEditors.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

#include "gui/catalogue/FileListView.h"
#include "gui/tagedit/WidthLimitValidator.h"

namespace hozanki {
namespace {

const char* const kArmedRowProperty = "armedRow";
const QString kUserGenre = QStringLiteral("- User -");

bool IsInside(const QWidget* widget, const QWidget* container) {
  for (; widget; widget = widget->parentWidget())
    if (widget == container) return true;
  return false;
}

bool IsEnter(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

QString MemoTextOfCell(const QString& cell) {
  QString text = cell;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

QString CellTextOfMemo(const QString& memo) {
  QString text = MemoTextOfCell(memo);
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return text;
}

InPlaceEditors::InPlaceEditors(Widgets widgets, QWidget* host, std::vector<QAction*> shortcutActions,
                               QObject* parent)
    : QObject(parent),
      widgets_(widgets),
      host_(host),
      shortcutActions_(std::move(shortcutActions)),
      validator_(new WidthLimitValidator(this)),
      trackValidator_(new QRegularExpressionValidator(
          QRegularExpression(QStringLiteral("|[1-9]|[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5]")), this)) {
  for (QWidget* editor : {static_cast<QWidget*>(widgets_.edit), static_cast<QWidget*>(widgets_.copy),
                          static_cast<QWidget*>(widgets_.combo), static_cast<QWidget*>(widgets_.memo)}) {
    if (!editor) continue;
    editor->installEventFilter(this);
    editor->hide();
  }
  // Frameless, the text where the cells draw theirs.
  // The single-line editors widen with their text.
  for (QLineEdit* line : {widgets_.edit, widgets_.copy})
    if (line) connect(line, &QLineEdit::textChanged, this, [this] {
        if (open_) Place();
      });
  if (widgets_.edit) {
    widgets_.edit->setFrame(false);
    widgets_.edit->setTextMargins(3, 0, 0, 0);
    connect(widgets_.edit, &QLineEdit::inputRejected, this, [this] {
      if (!open_ || !session_.id3v1Track) return;
      QLineEdit* edit = widgets_.edit;
      QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), QString::fromUtf8(kId3v1TrackHint), edit);
    });
  }
  if (widgets_.copy) {
    widgets_.copy->setFrame(false);
    widgets_.copy->setTextMargins(3, 0, 0, 0);
    widgets_.copy->setReadOnly(true);
    QPalette palette = widgets_.copy->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    widgets_.copy->setPalette(palette);
  }
  if (widgets_.combo) {
    widgets_.combo->setInsertPolicy(QComboBox::NoInsert);  // typed genres never join the list
    if (widgets_.combo->lineEdit()) widgets_.combo->lineEdit()->installEventFilter(this);
  }
  if (widgets_.memo) {
    widgets_.memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    widgets_.memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    widgets_.memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  }
}

QWidget* InPlaceEditors::Editor(EditorKind kind) const {
  switch (kind) {
    case EditorKind::Edit:
      return widgets_.edit;
    case EditorKind::Copy:
      return widgets_.copy;
    case EditorKind::Combo:
      return widgets_.combo;
    case EditorKind::Memo:
      return widgets_.memo;
  }
  return nullptr;
}

int InPlaceEditors::ArmedRow(const QTableView* view) {
  // A file list's tag is its pointer state; 0 and up is the armed row.
  if (const auto* list = qobject_cast<const FileListView*>(view)) return list->Tag() >= 0 ? list->Tag() : -1;
  const QVariant value = view ? view->property(kArmedRowProperty) : QVariant();
  return value.isValid() ? value.toInt() : -1;
}

void InPlaceEditors::SetArmedRow(QTableView* view, int row) {
  if (auto* list = qobject_cast<FileListView*>(view)) {
    if (row >= 0 || list->Tag() >= 0) list->SetTag(row >= 0 ? row : FileListView::kIdle);
    return;
  }
  if (view) view->setProperty(kArmedRowProperty, row);
}

bool InPlaceEditors::IsOpen() const {
  return open_ && Widget() && Widget()->isVisible();
}

QString InPlaceEditors::EditorText() const {
  switch (kind_) {
    case EditorKind::Edit:
      return widgets_.edit->text();
    case EditorKind::Copy:
      return widgets_.copy->text();
    case EditorKind::Combo:
      return widgets_.combo->currentText();
    case EditorKind::Memo:
      return widgets_.memo->toPlainText();
  }
  return {};
}

void InPlaceEditors::SetEditorText(const QString& text) {
  switch (kind_) {
    case EditorKind::Edit:
      widgets_.edit->setText(text);
      widgets_.edit->setCursorPosition(static_cast<int>(text.size()));
      widgets_.edit->deselect();
      break;
    case EditorKind::Copy:
      widgets_.copy->setText(text);
      widgets_.copy->setCursorPosition(0);
      widgets_.copy->deselect();
      break;
    case EditorKind::Combo:
      widgets_.combo->setEditText(text);
      break;
    case EditorKind::Memo:
      widgets_.memo->setPlainText(MemoTextOfCell(text));
      break;
  }
  original_ = kind_ == EditorKind::Memo ? MemoTextOfCell(text) : text;
}

void InPlaceEditors::Open(EditorKind kind, EditSession session, int limit) {
  if (IsOpen()) Commit();
  QWidget* editor = Editor(kind);
  if (!editor || !session.view) return;
  kind_ = kind;
  session_ = std::move(session);
  const QString text = session_.view->model()->index(session_.row, session_.column).data().toString();
  if (kind_ == EditorKind::Edit) {
    // The limit applies to what the user types, not to the text shown.
    widgets_.edit->setValidator(nullptr);
    SetEditorText(text);
    validator_->SetLimit(limit > 0 ? limit : 0);
    if (session_.id3v1Track)
      widgets_.edit->setValidator(trackValidator_);
    else
      widgets_.edit->setValidator(limit > 0 ? validator_ : nullptr);
  } else if (kind_ == EditorKind::Combo) {
    SetEditorText(text);
    // The drop-down list as wide as its longest entry.
    QComboBox* combo = widgets_.combo;
    int widest = 0;
    for (int i = 0; i < combo->count(); ++i)
      widest = std::max(widest, combo->view()->fontMetrics().horizontalAdvance(combo->itemText(i)));
    combo->view()->setMinimumWidth(widest + combo->view()->verticalScrollBar()->sizeHint().width() + 16);
  } else {
    SetEditorText(text);
  }
  open_ = true;
  // Rows that move or go away under an open editor: it can no longer know
  // its row, so it closes without storing (the window closes it first).
  QAbstractItemModel* model = session_.view->model();
  modelConnections_.push_back(
      connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { Cancel(); }));
  modelConnections_.push_back(
      connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] { Cancel(); }));
  modelConnections_.push_back(
      connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { Cancel(); }));
  // The editor stays over its cell while the list scrolls or columns resize.
  QTableView* view = session_.view;
  for (QScrollBar* bar : {view->verticalScrollBar(), view->horizontalScrollBar()})
    modelConnections_.push_back(connect(bar, &QScrollBar::valueChanged, this, [this] { Place(); }));
  modelConnections_.push_back(
      connect(view->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { Place(); }));
  view->scrollTo(view->model()->index(session_.row, session_.column));
  Place();
  editor->show();
  editor->raise();
  editor->setFocus(Qt::OtherFocusReason);
  TakeShortcuts();
}

void InPlaceEditors::Place() {
  QWidget* editor = Widget();
  QTableView* view = session_.view;
  if (!editor || !view) return;
  const QModelIndex index = view->model()->index(session_.row, session_.column);
  const QRect cell = view->visualRect(index);
  if (!view->viewport()->rect().intersects(cell)) {
    // Scrolled away from its cell: the editor stores its text and closes.
    QTimer::singleShot(0, this, [this] {
      if (open_) Commit();
    });
    return;
  }
  const QPoint topLeft = view->viewport()->mapTo(host_, cell.topLeft());
  int height = cell.height() + 2;
  if (kind_ == EditorKind::Combo) height = std::max(height, editor->minimumSizeHint().height());
  if (kind_ == EditorKind::Memo) height = editor->minimumHeight() > 0 ? editor->minimumHeight() : 82;
  int x = topLeft.x();
  int width = cell.width() + 1;
  if (kind_ == EditorKind::Memo) {
    // Wide enough to read what is typed, and inside the window.
    width = std::min(std::max(width, kMemoMinimumWidth), std::max(1, host_->width()));
    x = std::clamp(x, 0, std::max(0, host_->width() - width));
  } else if (kind_ == EditorKind::Edit || kind_ == EditorKind::Copy) {
    // At least as wide as the cell, and as the text: it grows to the right,
    // then, at the window's edge, to the left; wider than the window it scrolls.
    const auto* line = static_cast<const QLineEdit*>(editor);
    const QMargins margins = line->textMargins();
    const int text = line->fontMetrics().horizontalAdvance(line->text()) + margins.left() + margins.right() +
                     kLineEditorTextRoom;
    if (text > width) {
      width = std::min(text, std::max(1, host_->width()));
      x = std::clamp(x, 0, std::max(0, host_->width() - width));
    }
  }
  editor->setGeometry(x, topLeft.y() - 1, width, height);
}

void InPlaceEditors::TakeShortcuts() {
  if (shortcutsTaken_) return;
  savedShortcuts_.clear();
  for (QAction* action : shortcutActions_) {
    savedShortcuts_.push_back(action ? action->shortcut() : QKeySequence());
    if (action) action->setShortcut(QKeySequence());
  }
  shortcutsTaken_ = true;
}

void InPlaceEditors::GiveShortcutsBack() {
  if (!shortcutsTaken_) return;
  for (size_t i = 0; i < shortcutActions_.size(); ++i)
    if (shortcutActions_[i]) shortcutActions_[i]->setShortcut(savedShortcuts_[i]);
  shortcutsTaken_ = false;
}

void InPlaceEditors::Hide(bool focusView) {
  QWidget* editor = Widget();
  closing_ = true;  // hiding moves the focus: that must not commit again
  open_ = false;
  for (const QMetaObject::Connection& connection : modelConnections_) disconnect(connection);
  modelConnections_.clear();
  const bool hadFocus = editor && IsInside(QApplication::focusWidget(), editor);
  if (editor) editor->hide();
  if (session_.view) {
    SetArmedRow(session_.view, -1);
    if (focusView && hadFocus) session_.view->setFocus(Qt::OtherFocusReason);
  }
  closing_ = false;
  GiveShortcutsBack();
  if (closed) closed();
}

bool InPlaceEditors::Commit() {
  if (!open_) return false;
  if (kind_ == EditorKind::Copy) {
    // Nothing is ever stored from the copy box.
    Hide(true);
    if (copyClosed) copyClosed();
    return false;
  }
  const bool changed = StoreText(EditorText());
  Hide(true);
  return changed;
}

bool InPlaceEditors::StoreText(QString text) {
  if (kind_ == EditorKind::Copy || !session_.store) return false;
  if (kind_ == EditorKind::Combo && session_.comboRule) text = session_.comboRule(text);
  if (text == original_) return false;
  return session_.store(session_.row, kind_ == EditorKind::Memo ? CellTextOfMemo(text) : text);
}

void InPlaceEditors::Cancel() {
  if (!open_) return;
  Hide(true);
  if (kind_ == EditorKind::Copy && copyClosed) copyClosed();
}

bool InPlaceEditors::CloseOpen() {
  if (!IsOpen()) return false;
  Commit();
  return true;
}

int InPlaceEditors::Walk(int step) {
  if (!open_ || kind_ == EditorKind::Copy) return 0;
  QTableView* view = session_.view;
  const int target = session_.row + step;
  if (target < 0 || target >= view->model()->rowCount()) return 0;
  QString text = EditorText();
  if (kind_ == EditorKind::Combo && text == kUserGenre) text.clear();
  const bool changed = StoreText(text);
  const int stored = session_.row;
  QItemSelectionModel* selection = view->selectionModel();
  const QModelIndex from = view->model()->index(stored, 0);
  const QModelIndex to = view->model()->index(target, session_.column);
  selection->select(from, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
  selection->setCurrentIndex(to, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  view->scrollTo(to);
  if (session_.rowOpen && !session_.rowOpen(target)) {
    Hide(true);
  } else {
    session_.row = target;
    SetArmedRow(view, target);
    SetEditorText(view->model()->index(target, session_.column).data().toString());
    view->scrollTo(view->model()->index(target, session_.column));
    Place();
  }
  return changed ? stored - target : 0;
}

bool InPlaceEditors::HandleKey(QKeyEvent* key) {
  const int code = key->key();
  const Qt::KeyboardModifiers modifiers = key->modifiers();
  switch (kind_) {
    case EditorKind::Copy:
      if (IsEnter(code) || code == Qt::Key_Escape) {
        QWidget* focus = copyReturnFocus ? copyReturnFocus() : nullptr;
        GiveShortcutsBack();
        if (focus) focus->setFocus(Qt::OtherFocusReason);
        if (IsOpen()) Cancel();
        return true;
      }
      return false;
    case EditorKind::Edit:
      if (code == Qt::Key_Escape) return Cancel(), true;
      if (IsEnter(code)) return Commit(), true;
      if (code == Qt::Key_Up || code == Qt::Key_Down) return Walk(code == Qt::Key_Up ? -1 : 1), true;
      return false;
    case EditorKind::Combo: {
      if (widgets_.combo->view() && widgets_.combo->view()->isVisible()) return false;
      if (modifiers & (Qt::ShiftModifier | Qt::AltModifier)) return false;
      if (code == Qt::Key_Escape) return Cancel(), true;
      if (IsEnter(code)) return Commit(), true;
      if (code == Qt::Key_Up || code == Qt::Key_Down) return Walk(code == Qt::Key_Up ? -1 : 1), true;
      return false;
    }
    case EditorKind::Memo:
      if (code == Qt::Key_Escape) return Cancel(), true;
      if (!(modifiers & Qt::AltModifier)) return false;
      if (IsEnter(code)) return Commit(), true;
      if (code == Qt::Key_Up || code == Qt::Key_Down) return Walk(code == Qt::Key_Up ? -1 : 1), true;
      return false;
  }
  return false;
}

bool InPlaceEditors::eventFilter(QObject* watched, QEvent* event) {
  if (!open_) return QObject::eventFilter(watched, event);
  QWidget* editor = Widget();
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!editor || !IsInside(widget, editor)) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      // Keys the editor handles itself must not trigger window shortcuts.
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Escape || IsEnter(key->key())) event->accept();
      break;
    }
    case QEvent::KeyPress:
      if (HandleKey(static_cast<QKeyEvent*>(event))) return true;
      break;
    case QEvent::FocusOut: {
      if (closing_) break;
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) break;
      if (IsInside(QApplication::focusWidget(), editor)) break;  // the combo's own parts
      // Leaving the editor commits it; the focus stays where the user put it.
      StoreText(EditorText());
      Hide(false);
      if (kind_ == EditorKind::Copy && copyClosed) copyClosed();
      break;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace hozanki
