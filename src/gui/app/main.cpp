// The Hozanki window program.

#include <QApplication>
#include <QIcon>

#include "gui/app/FormMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("hozanki"));
  QApplication::setApplicationVersion(QStringLiteral(HOZANKI_VERSION));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/hozanki.svg")));
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  hozanki::TFormMain window(arguments);
  window.show();
  return app.exec();
}
