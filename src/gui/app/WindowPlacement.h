#pragma once
// Placing a window of our own that has no stored position: centred over the
// window it belongs to, kept on that window's screen.

class QWidget;

namespace hozanki {

// Moves `window` (not shown yet, at its final size) so that its frame is
// centred over `over`'s frame, inside the available area of `over`'s screen.
void CentreOver(QWidget& window, const QWidget& over);

}  // namespace hozanki
