#pragma once
// The shipped HTML help: "index.html" in ../share/hozanki/help beside the
// installed program, else in the source tree's resources/help. Help contexts
// are anchors "context-<number>" of that page. Write a context number as a
// constant whose name holds "HelpContext" (an array: "HelpContexts"), or as
// a literal argument of OpenHelp or HelpUrl: tests/docs/check_docs.py finds
// them there and checks that the page has each anchor.

#include <QString>
#include <QUrl>
#include <functional>

class QAction;
class QWidget;

namespace hozanki {

// Path of the help page, or empty when it cannot be found.
QString HelpIndexPath();
// URL of the page, with the anchor of `context` when it is not 0.
QUrl HelpUrl(int context = 0);
// Opens the page (at the context's anchor) in the desktop's browser; when
// the desktop has none, in the built-in help viewer (one per parent window,
// raised again). Tells the user when the page is missing.
void OpenHelp(QWidget* parent, int context = 0);
// Gives `window` the key F1 (an action "HelpContext" of the window and its
// children) that opens the help at `context`.
QAction* AddHelpKey(QWidget* window, int context);
// Whether the desktop can show an HTML page: a handler for text/html, the
// BROWSER variable or a browser program in PATH.
bool DesktopHasBrowser();
// The opener OpenHelp tries first (the desktop's; tests put others in).
// False when the page was not handed to a browser.
std::function<bool(const QUrl&)>& HelpDesktopOpener();

}  // namespace hozanki
