#include "gui/rename/EditColumnColours.h"

#include <QPainter>

#include "core/settings/AppSettings.h"

namespace hozanki {

QColor StoredColour(int stored, const QPalette& palette) {
  const auto value = static_cast<unsigned>(stored);
  if ((value & 0xFF000000u) == 0x80000000u) {
    switch (value & 0xFFu) {
      case 5:  // window
        return palette.color(QPalette::Base);
      case 8:  // window text
        return palette.color(QPalette::Text);
      case 13:  // highlight
        return palette.color(QPalette::Highlight);
      case 14:  // highlight text
        return palette.color(QPalette::HighlightedText);
      case 15:  // button face
        return palette.color(QPalette::Button);
      case 18:  // button text
        return palette.color(QPalette::ButtonText);
      default:
        return palette.color(QPalette::Text);
    }
  }
  return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                static_cast<int>((value >> 16) & 0xFFu));
}

EditColumnDelegate::EditColumnDelegate(std::function<bool()> active, QObject* parent)
    : QStyledItemDelegate(parent), active_(std::move(active)) {}

void EditColumnDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  if (!active_ || !active_()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const AppSettings& settings = AppSettings::Current();
  const bool selected = option.state & QStyle::State_Selected;
  const QColor background = StoredColour(selected ? settings.colorSB : settings.colorNB, option.palette);
  const QColor text = StoredColour(selected ? settings.colorSC : settings.colorNC, option.palette);
  painter->fillRect(option.rect, background);
  QStyleOptionViewItem copy = option;
  initStyleOption(&copy, index);
  const QRect textRect = option.rect.adjusted(6, 0, -6, 0);
  const QString shown = copy.fontMetrics.elidedText(copy.text, Qt::ElideRight, textRect.width());
  painter->save();
  painter->setPen(text);
  painter->drawText(textRect, static_cast<int>(copy.displayAlignment | Qt::AlignVCenter), shown);
  painter->restore();
}

}  // namespace hozanki
