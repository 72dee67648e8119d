// The Hozanki window program: one instance per user, display and settings
// folder. A later start hands its
// paths to the running instance and ends with 1 without a window.

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "core/settings/SettingsFolder.h"
#include "gui/app/FormMain.h"
#include "gui/app/QtJapanese.h"
#include "gui/app/StartUp.h"
#include "gui/catalogue/SingleInstance.h"

int main(int argc, char** argv) {
  using namespace hozanki;
  // A lone --version or --help is answered without a display; any other
  // argument is a path.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("hozanki %s\n", HOZANKI_VERSION);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::printf(
        "Usage: hozanki [PATH...]\n"
        "       hozanki --help | --version\n\n"
        "Opens the folder of the first PATH and lists the given media files; without\n"
        "a PATH, the folder that was open when the program last closed. When Hozanki\n"
        "already runs, the paths are handed to that window. See hozanki(1).\n");
    return 0;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("hozanki"));
  QApplication::setApplicationVersion(QStringLiteral(HOZANKI_VERSION));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/hozanki.svg")));
  InstallQtJapanese(app);
  // Raw argument bytes, relative paths resolved against this working folder.
  std::error_code ec;
  std::filesystem::path working = std::filesystem::current_path(ec);
  if (ec) working = "/";
  std::vector<std::filesystem::path> paths = SingleInstance::ArgumentPaths(argc, argv, working);
  SingleInstance instance(SingleInstance::DefaultServerName(
      SettingsFolder(QCoreApplication::applicationFilePath().toStdString())));
  if (instance.HandOffOrListen(paths)) return 1;
  TFormMain window(std::move(paths));
  AcceptHandOvers(instance, window);
  window.show();
  return app.exec();
}
