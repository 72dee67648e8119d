#include "gui/catalogue/MarkColumnDelegate.h"

#include <QApplication>
#include <QPainter>

#include "gui/catalogue/CatalogueRoles.h"
#include "gui/catalogue/ImageListCheckBox.h"

namespace hozanki {

void MarkColumnDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  // The cell's background (selection) as the style draws it, without text.
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  opt.text.clear();
  opt.features &= ~QStyleOptionViewItem::HasDecoration;
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

  const int size = ImageListCheckBox::kSize;
  int x = option.rect.left() + 1;
  const int y = option.rect.top() + (option.rect.height() - size) / 2;
  const QVariant state = index.data(CheckStateRole);
  if (state.isValid()) {
    painter->drawPixmap(x, y, ImageListCheckBox::Image(state.toInt()));
    x += size + 1;
  }
  const QVariant image = index.data(RowImageRole);
  if (image.isValid() && image.toInt() >= 0)
    painter->drawPixmap(x, y, ImageListCheckBox::Image(image.toInt()));
}

QSize MarkColumnDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const int images = index.data(CheckStateRole).isValid() ? 2 : 1;
  return QSize(images * (ImageListCheckBox::kSize + 1) + 1,
               std::max(ImageListCheckBox::kSize, option.fontMetrics.height()));
}

}  // namespace hozanki
