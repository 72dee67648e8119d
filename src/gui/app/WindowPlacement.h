#pragma once
// Placing a window of our own that has no stored position: centred over the
// window it belongs to, kept on that window's screen. And the sizes of the
// main window's panes as its settings keep them.

#include <QSize>

class QWidget;

namespace hozanki {

// Moves `window` (not shown yet, at its final size) so that its frame is
// centred over `over`'s frame, inside the available area of `over`'s screen.
void CentreOver(QWidget& window, const QWidget& over);

// The main window's two splitters keep the size of their first pane when
// the window grows or shrinks: the folder tree's width ("Split1") and the
// upper panel's height ("Split2"). The settings hold these sizes as the
// window's normal (not maximised) geometry shows them, so a maximised window
// stores what it will show once restored, and restarts give the same sizes.

// Room the splitters always leave: the file lists right of the folder tree,
// and the tag tables (tabs, header, a few rows) below the upper panel, menu
// and status bar.
inline constexpr int kMinFileListWidth = 150;
inline constexpr int kMinLowerHeight = 200;

struct PaneSizes {
  int treeWidth = 0;
  int upperHeight = 0;
  bool operator==(const PaneSizes&) const = default;
};

// The pane sizes a window of `window` size shows for the `wanted` ones: the
// tree at least `minTreeWidth` wide and, where it can, leaving the file lists
// their room; the upper panel at least 1 high and, where it can, leaving the
// tag tables theirs. Sizes that fit come back unchanged.
PaneSizes FitPanes(PaneSizes wanted, QSize window, int minTreeWidth);

}  // namespace hozanki
