#pragma once
// The built-in help viewer: the shipped HTML help page in a window of its
// own, for desktops that cannot open it (no browser installed). Links within
// the page and its anchors work; other links go to the desktop.

#include <QDialog>
#include <QUrl>

class QTextBrowser;

namespace hozanki {

class HelpViewer : public QDialog {
  Q_OBJECT

 public:
  explicit HelpViewer(QWidget* parent = nullptr);
  // Shows `url` (a local file, with the context's anchor as fragment).
  void ShowPage(const QUrl& url);
  QTextBrowser* Browser() const { return browser_; }

 private:
  QTextBrowser* browser_ = nullptr;
};

}  // namespace hozanki
