#include "gui/catalogue/ListViewSetup.h"

#include <QHeaderView>
#include <QTableView>

#include "gui/catalogue/ImageListCheckBox.h"
#include "gui/catalogue/MarkColumnDelegate.h"

namespace hozanki {

void SetUpListView(QTableView* view, int markColumnWidth) {
  view->setShowGrid(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setWordWrap(false);
  view->setTextElideMode(Qt::ElideRight);
  view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  view->verticalHeader()->hide();
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setMinimumSectionSize(1);
  QHeaderView* header = view->horizontalHeader();
  header->setSectionsMovable(false);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setMinimumSectionSize(0);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view->setItemDelegateForColumn(0, new MarkColumnDelegate(view));
  // Selection stays visible while the list has no focus.
  QPalette palette = view->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight,
                   palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  view->setPalette(palette);
  if (view->model() && view->model()->columnCount() > 0) {
    header->setSectionResizeMode(0, QHeaderView::Fixed);
    header->resizeSection(0, markColumnWidth);
  }
  view->verticalHeader()->setDefaultSectionSize(RowHeightFor(view));
}

int RowHeightFor(const QTableView* view) {
  return std::max(view->fontMetrics().height() + 4, ImageListCheckBox::kSize + 2);
}

}  // namespace hozanki
