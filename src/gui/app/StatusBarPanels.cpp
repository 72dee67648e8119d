#include "gui/app/StatusBarPanels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>

namespace hozanki {

StatusBarPanels::StatusBarPanels(QWidget* parent) : QStatusBar(parent) {
  setObjectName(QStringLiteral("StatusBar"));
  setSizeGripEnabled(false);
  constexpr std::array<int, kPanelCount> widths = {0, 100, 80, 3};
  // The panels sit side by side without gaps in one strip.
  auto* strip = new QWidget(this);
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  for (int i = 0; i < kPanelCount; ++i) {
    auto* label = new QLabel(strip);
    label->setObjectName(QStringLiteral("StatusBarPanel%1").arg(i));
    label->setFrameStyle(i == 3 ? QFrame::NoFrame : (QFrame::Panel | QFrame::Sunken));
    label->setAlignment((i == 1 || i == 2) ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
    label->setTextFormat(Qt::PlainText);
    if (i > 0) {
      label->setFixedWidth(widths[static_cast<size_t>(i)]);
    } else {
      // A long folder must not widen the window: resizeEvent sets the width.
      label->setMinimumWidth(0);
      label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    row->addWidget(label, i == 0 ? 1 : 0);
    panels_[static_cast<size_t>(i)] = label;
    if (i == 0) {
      conflicts_ = new QLabel(strip);
      conflicts_->setObjectName(QStringLiteral("StatusBarConflicts"));
      conflicts_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      conflicts_->setTextFormat(Qt::PlainText);
      conflicts_->setStyleSheet(QStringLiteral("color: #a04000; padding: 0 4px;"));
      conflicts_->hide();
      row->addWidget(conflicts_);
    }
  }
  addWidget(strip, 1);
}

void StatusBarPanels::SetPanelText(int panel, const QString& text) {
  if (panel >= 0 && panel < kPanelCount) panels_[static_cast<size_t>(panel)]->setText(text);
}

void StatusBarPanels::SetConflictCount(int count) {
  conflicts_->setText(QStringLiteral("名前の重複: %1 件").arg(count));
  conflicts_->setVisible(count > 0);
}

QString StatusBarPanels::PanelText(int panel) const {
  return panel >= 0 && panel < kPanelCount ? panels_[static_cast<size_t>(panel)]->text() : QString();
}

void StatusBarPanels::resizeEvent(QResizeEvent* event) {
  // Panel 0 takes the rest of the bar, never more than width - 195; a
  // minimum width here would make the bar, and the window, grow without end.
  panels_[0]->setMaximumWidth(std::max(0, event->size().width() - kFixedWidths));
  QStatusBar::resizeEvent(event);
}

}  // namespace hozanki
