#pragma once
// A folder of temporary copies of media fixtures that the main window opens
// as the remembered folder at its first idle moment, loaded by the window's
// own loader threads.

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/app/FormMain.h"
#include "gui/tagedit/TagTableController.h"

class LoadedFolder {
 public:
  // Each pair: fixture below tests/data, name of the copy. `configDir` is the
  // test's settings folder, whose "NR284.ini" is made to remember the folder.
  LoadedFolder(const QString& configDir, const std::vector<std::pair<std::string, std::string>>& files) {
    folder_ = std::filesystem::path(dir_.path().toStdString());
    for (const auto& [fixture, name] : files)
      std::filesystem::copy_file(std::filesystem::path(HOZANKI_TEST_DATA) / fixture, folder_ / name);
    QFile ini(configDir + QStringLiteral("/NR284.ini"));
    if (!ini.open(QIODevice::WriteOnly)) qFatal("cannot write the settings file");
    ini.write("[Window]\r\nDir=" + QByteArray::fromStdString(folder_.string()) + "\r\n");
  }
  const std::filesystem::path& Folder() const { return folder_; }

  // Shows the window and waits until it has loaded the folder.
  static bool ShowAndLoad(hozanki::TFormMain& window) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return false;
    return QTest::qWaitFor([&] { return window.SyncRequest() != -1 && !window.IsBusy(); }, 10000);
  }

 private:
  QTemporaryDir dir_;
  std::filesystem::path folder_;
};

// `count` copies of an MP3 fixture named 00.mp3, 01.mp3 ...
inline std::vector<std::pair<std::string, std::string>> Mp3Copies(
    int count, const std::string& fixture = "mp3/plain.mp3") {
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < count; ++i)
    files.push_back({fixture, (i < 10 ? "0" : "") + std::to_string(i) + ".mp3"});
  return files;
}
