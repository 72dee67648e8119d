#include "gui/catalogue/FileNameColumnDelegate.h"

#include <QPainter>
#include <algorithm>

#include "core/settings/AppSettings.h"
#include "gui/catalogue/ElideText.h"
#include "gui/catalogue/StoredColor.h"

namespace hozanki {

FileNameColumnDelegate::FileNameColumnDelegate(std::function<bool()> renameMode, QObject* parent)
    : QStyledItemDelegate(parent), renameMode_(std::move(renameMode)) {}

void FileNameColumnDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
  if (!renameMode_ || !renameMode_()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const AppSettings& colors = AppSettings::Current();
  const bool selected = option.state & QStyle::State_Selected;
  const QColor text = StoredColor(selected ? colors.colorSC : colors.colorNC, option.palette);
  const QColor back = StoredColor(selected ? colors.colorSB : colors.colorNB, option.palette);
  painter->save();
  painter->fillRect(option.rect, back);
  painter->setPen(text);
  painter->setFont(option.font);
  const QString shown = ElideAtEnd(option.fontMetrics, index.data(Qt::DisplayRole).toString(),
                                   std::max(0, option.rect.width() - 12));
  painter->drawText(option.rect.adjusted(6, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    shown);
  painter->restore();
}

}  // namespace hozanki
