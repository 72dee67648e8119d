#include "gui/tagedit/EditColumnDelegate.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QPainter>
#include <QTableView>

#include "core/settings/AppSettings.h"
#include "gui/catalogue/ElideText.h"
#include "gui/catalogue/StoredColor.h"

namespace hozanki {

EditColumnDelegate::EditColumnDelegate(std::function<bool(int)> isEditColumn, QObject* parent)
    : QStyledItemDelegate(parent), isEditColumn_(std::move(isEditColumn)) {}

QString EditColumnDelegate::CellText(const QFontMetrics& metrics, const QString& text, int available) {
  QString line = text;
  line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  line.replace(QLatin1Char('\r'), QLatin1Char(' '));
  return ElideAtEnd(metrics, line, std::max(0, available));
}

void EditColumnDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  if (!isEditColumn_ || !isEditColumn_(index.column())) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const AppSettings& settings = AppSettings::Current();
  const bool selected = option.state & QStyle::State_Selected;
  const QColor background = StoredColor(selected ? settings.colorSB : settings.colorNB, option.palette);
  const QColor foreground = StoredColor(selected ? settings.colorSC : settings.colorNC, option.palette);
  const QRect cell = option.rect;
  painter->save();
  painter->fillRect(cell, background);
  painter->setPen(foreground);
  painter->setFont(option.font);
  const QFontMetrics metrics(option.font);
  const QString text = CellText(metrics, index.data(Qt::DisplayRole).toString(), cell.width() - 12);
  const Qt::Alignment alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
  int x = cell.left() + 6;
  if (alignment & Qt::AlignRight)
    x = std::max(cell.left() + 6, cell.right() + 1 - 6 - metrics.horizontalAdvance(text));
  painter->setClipRect(cell);
  // Vertically centred in the row, as the other cells' text is.
  painter->drawText(QRect(x, cell.top(), cell.right() + 1 - x, cell.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
  painter->restore();
}

}  // namespace hozanki
