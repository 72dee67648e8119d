#include "gui/app/WindowPlacement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace hozanki {

void CentreOver(QWidget& window, const QWidget& over) {
  const QRect anchor = over.frameGeometry();
  // The frame's extra size is known only once the window has been shown.
  const QSize frame = window.frameGeometry().size().expandedTo(window.size());
  QPoint at = anchor.center() - QPoint(frame.width() / 2, frame.height() / 2);
  if (const QScreen* screen = over.screen()) {
    const QRect area = screen->availableGeometry();
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - frame.width() + 1)));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - frame.height() + 1)));
  }
  window.move(at);
}

PaneSizes FitPanes(PaneSizes wanted, QSize window, int minTreeWidth) {
  PaneSizes fitted;
  fitted.treeWidth = std::max(minTreeWidth, std::min(wanted.treeWidth, window.width() - kMinFileListWidth));
  fitted.upperHeight = std::max(1, std::min(wanted.upperHeight, window.height() - kMinLowerHeight));
  return fitted;
}

}  // namespace hozanki
