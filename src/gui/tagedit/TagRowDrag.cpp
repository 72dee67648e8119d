#include "gui/tagedit/TagRowDrag.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <algorithm>

#include "core/tagedit/RowDrag.h"
#include "gui/catalogue/CatalogueRoles.h"
#include "gui/catalogue/ImageListCheckBox.h"
#include "gui/catalogue/RowSelection.h"
#include "gui/tagedit/InPlaceEditors.h"

namespace hozanki {
namespace {

constexpr const char* kRowsMime = "application/x-hozanki-tag-rows";

QByteArray DragId(int page) {
  return QByteArray::number(QCoreApplication::applicationPid()) + ':' + QByteArray::number(page);
}

bool IsRowDragOf(const QMimeData* data, int page) {
  return data && data->data(QLatin1String(kRowsMime)) == DragId(page);
}

void SelectRows(QTableView* view, const std::vector<int>& rows) {
  view->selectionModel()->select(RowRanges(view->model(), rows),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (!rows.empty()) view->scrollTo(view->model()->index(rows.front(), 0));
  view->viewport()->update();
}

}  // namespace

TagRowDrag::TagRowDrag(RowDragHost host, QObject* parent) : QObject(parent), host_(std::move(host)) {
  timer_.setObjectName(QStringLiteral("TimerScroll"));
  timer_.setInterval(kScrollInterval);
  connect(&timer_, &QTimer::timeout, this, &TagRowDrag::cmnTimerScrollTimer);
  for (int k = 0; k < kTagKindCount; ++k) {
    QTableView* view = host_.tagTable(k);
    view->setAcceptDrops(true);
    view->viewport()->setAcceptDrops(true);
    view->viewport()->installEventFilter(this);
  }
}

QMimeData* TagRowDrag::MakeMimeData(int page) {
  auto* data = new QMimeData;
  data->setData(QLatin1String(kRowsMime), DragId(page));
  return data;
}

int TagRowDrag::PageOf(const QObject* viewport) const {
  for (int k = 0; k < kTagKindCount; ++k)
    if (host_.tagTable(k)->viewport() == viewport) return k;
  return -1;
}

bool TagRowDrag::eventFilter(QObject* watched, QEvent* event) {
  const int page = PageOf(watched);
  if (page < 0) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      return Press(page, static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
      return Move(page, static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
      return Release(page, static_cast<QMouseEvent*>(event));
    case QEvent::DragEnter:
    case QEvent::DragMove:
      DragOver(page, static_cast<QDragMoveEvent*>(event));
      return true;
    case QEvent::DragLeave:
      StopScroll();
      HideMarker();
      return true;
    case QEvent::Drop:
      Drop(page, static_cast<QDropEvent*>(event));
      return true;
    default:
      return false;
  }
}

bool TagRowDrag::Press(int page, QMouseEvent* event) {
  pressPage_ = -1;
  if (event->button() != Qt::LeftButton || event->modifiers() != Qt::NoModifier || host_.busy()) return false;
  QTableView* view = host_.tagTable(page);
  const QModelIndex index = view->indexAt(event->position().toPoint());
  if (!index.isValid() || !view->selectionModel()->isRowSelected(index.row(), {})) return false;
  if (InPlaceEditors::ArmedRow(view) >= 0) return false;  // the press opens an editor
  const int x = event->position().toPoint().x() - view->visualRect(index).left();
  if (index.column() == 0 && x >= 0 && x <= ImageListCheckBox::kSize + 1) return false;  // the check box
  // Held back: a move starts the drag, a release selects only this row.
  pressPage_ = page;
  pressPos_ = event->position().toPoint();
  view->setFocus(Qt::MouseFocusReason);
  return true;
}

bool TagRowDrag::Move(int page, QMouseEvent* event) {
  if (pressPage_ != page || !(event->buttons() & Qt::LeftButton)) return false;
  if ((event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance()) return true;
  pressPage_ = -1;
  auto* drag = new QDrag(host_.tagTable(page));
  drag->setMimeData(MakeMimeData(page));
  drag->exec(Qt::MoveAction);
  StopScroll();  // cmnListViewTEndDrag
  HideMarker();
  return true;
}

bool TagRowDrag::Release(int page, QMouseEvent* event) {
  if (pressPage_ != page || event->button() != Qt::LeftButton) return false;
  pressPage_ = -1;
  QTableView* view = host_.tagTable(page);
  const QModelIndex index = view->indexAt(pressPos_);
  if (index.isValid())
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
  return true;
}

int TagRowDrag::ScrollStep(const QTableView* view, int y) const {
  const int pitch = std::max(1, host_.rowPitch());
  if (y < host_.firstRowOffset() + pitch / 2) return -pitch;
  if (y > view->height() - pitch) return pitch;
  return 0;
}

void TagRowDrag::DragOver(int page, QDragMoveEvent* event) {
  if (!IsRowDragOf(event->mimeData(), page) || host_.busy()) {
    HideMarker();
    event->ignore();
    return;
  }
  event->setDropAction(Qt::MoveAction);
  event->accept();
  QTableView* view = host_.tagTable(page);
  scrolled_ = view;
  PlaceMarker(page, event->position().toPoint());
  const int y = view->viewport()->mapTo(view, event->position().toPoint()).y();
  step_ = ScrollStep(view, y);
  if (step_ > 0) view->viewport()->update();
  if (step_ != 0 && !timer_.isActive())
    timer_.start();
  else if (step_ == 0)
    timer_.stop();
}

void TagRowDrag::cmnTimerScrollTimer() {
  if (step_ == 0 || !scrolled_) return;
  QScrollBar* bar = scrolled_->verticalScrollBar();
  const bool perItem = scrolled_->verticalScrollMode() == QAbstractItemView::ScrollPerItem;
  const int amount = perItem ? 1 : std::abs(step_);
  bar->setValue(bar->value() + (step_ < 0 ? -amount : amount));
  scrolled_->viewport()->update();
  if (marker_ && marker_->isVisible()) PlaceMarker(markerPage_, markerAt_);  // other rows under the pointer now
}

void TagRowDrag::StopScroll() {
  step_ = 0;
  timer_.stop();
}

void TagRowDrag::PlaceMarker(int page, QPoint at) {
  QTableView* view = host_.tagTable(page);
  const int target = view->rowAt(at.y());
  const std::vector<int> selected = SelectedRowList(view);
  const MediaFormat format = FormatOfTagKind(static_cast<TagKind>(page));
  if (target < 0 || !DraggedRowOrder(host_.catalogue().RowCount(format), selected, target)) {
    HideMarker();
    return;
  }
  const int top = view->rowViewportPosition(target);
  const int y = target < selected.front() ? top : top + view->rowHeight(target);
  if (!marker_ || marker_->parentWidget() != view->viewport()) {
    delete marker_;
    marker_ = new QWidget(view->viewport());
    marker_->setObjectName(QStringLiteral("DropMarker"));
    marker_->setAttribute(Qt::WA_TransparentForMouseEvents);
    marker_->setBackgroundRole(QPalette::Text);  // the colour of the cells' text
    marker_->setAutoFillBackground(true);
  }
  markerPage_ = page;
  markerAt_ = at;
  // Two pixels across the line between the rows, inside the viewport (above
  // the first row, below the last).
  const int height = view->viewport()->height();
  marker_->setGeometry(0, std::clamp(y - 1, 0, std::max(0, height - 2)), view->viewport()->width(), 2);
  marker_->show();
  marker_->raise();
}

void TagRowDrag::HideMarker() {
  if (marker_) marker_->hide();
}

void TagRowDrag::Drop(int page, QDropEvent* event) {
  StopScroll();
  HideMarker();
  if (!IsRowDragOf(event->mimeData(), page) || host_.busy()) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::MoveAction);
  event->accept();
  DropRows(page, host_.tagTable(page)->rowAt(event->position().toPoint().y()));
}

bool TagRowDrag::DropRows(int page, int target) {
  QTableView* view = host_.tagTable(page);
  const auto kind = static_cast<TagKind>(page);
  const MediaFormat format = FormatOfTagKind(kind);
  const std::vector<int> selected = SelectedRowList(view);
  const auto order = DraggedRowOrder(host_.catalogue().RowCount(format), selected, target);
  if (!order) return false;
  const int focused = view->selectionModel()->currentIndex().row();
  const int focusedColumn = std::max(0, view->selectionModel()->currentIndex().column());
  if (!host_.catalogue().Reorder(format, *order)) return false;

  std::vector<int> moved;
  int newFocus = -1;
  for (size_t row = 0; row < order->size(); ++row) {
    const int old = (*order)[row];
    if (std::binary_search(selected.begin(), selected.end(), old)) moved.push_back(static_cast<int>(row));
    if (old == focused) newFocus = static_cast<int>(row);
  }
  // The file list and the sister tables first, without asking for mirroring.
  std::vector<QTableView*> others{host_.fileList(static_cast<int>(format))};
  for (const TagKind kind : TagKindsOf(format))
    if (static_cast<int>(kind) != page) others.push_back(host_.tagTable(static_cast<int>(kind)));
  for (QTableView* other : others) {
    const QSignalBlocker blocker(other->selectionModel());
    SelectRows(other, moved);
  }
  SelectRows(view, moved);
  if (newFocus >= 0)
    view->selectionModel()->setCurrentIndex(view->model()->index(newFocus, focusedColumn),
                                            QItemSelectionModel::NoUpdate);
  return true;
}

}  // namespace hozanki
