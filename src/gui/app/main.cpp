// The Hozanki window program: one instance per user. A later start hands its
// paths to the running instance and ends with 1 without a window.

#include <QApplication>
#include <QIcon>
#include <system_error>

#include "gui/app/FormMain.h"
#include "gui/app/StartUp.h"
#include "gui/catalogue/SingleInstance.h"

int main(int argc, char** argv) {
  using namespace hozanki;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("hozanki"));
  QApplication::setApplicationVersion(QStringLiteral(HOZANKI_VERSION));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/hozanki.svg")));
  // Raw argument bytes, relative paths resolved against this working folder.
  std::error_code ec;
  std::filesystem::path working = std::filesystem::current_path(ec);
  if (ec) working = "/";
  std::vector<std::filesystem::path> paths = SingleInstance::ArgumentPaths(argc, argv, working);
  SingleInstance instance;
  if (instance.HandOffOrListen(paths)) return 1;
  TFormMain window(std::move(paths));
  AcceptHandOvers(instance, window);
  window.show();
  return app.exec();
}
