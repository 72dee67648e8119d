#pragma once
// The About box (`MenuHelpAbout`): program name, version and the project's
// web page, which opens in the desktop's browser.

#include <QDialog>

namespace hozanki {

class TFormAbout : public QDialog {
  Q_OBJECT

 public:
  // F1: the manual's section on this window.
  static constexpr int kHelpContext = 124;
  static constexpr const char* kWebPage = "https://github.com/hozanki/hozanki";

  explicit TFormAbout(QWidget* parent = nullptr);
};

}  // namespace hozanki
