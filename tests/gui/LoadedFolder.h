#pragma once
// A folder of temporary copies of media fixtures, read with the core reader
// into a main window's catalogue as a folder load would.

#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <string>
#include <vector>

#include "core/catalogue/MediaReader.h"
#include "gui/app/FormMain.h"
#include "gui/tagedit/TagTableController.h"

class LoadedFolder {
 public:
  // Each pair: fixture below tests/data, name of the copy.
  LoadedFolder(hozanki::TFormMain& window, const std::vector<std::pair<std::string, std::string>>& files) {
    folder_ = std::filesystem::path(dir_.path().toStdString());
    for (const auto& [fixture, name] : files) {
      std::filesystem::copy_file(std::filesystem::path(HOZANKI_TEST_DATA) / fixture, folder_ / name);
      std::string error;
      auto entry = hozanki::ReadMediaFile(folder_, name, &error);
      if (!entry) qFatal("cannot read %s: %s", fixture.c_str(), error.c_str());
      const hozanki::MediaFormat format = entry->format;
      std::vector<hozanki::MediaFileEntry> batch;
      batch.push_back(std::move(*entry));
      window.CatalogueData().Append(format, std::move(batch));
    }
    const std::filesystem::path folder = folder_;
    window.Tables().loadedFolder = [folder] { return folder; };
  }
  const std::filesystem::path& Folder() const { return folder_; }

 private:
  QTemporaryDir dir_;
  std::filesystem::path folder_;
};

// `count` copies of an MP3 fixture named 00.mp3, 01.mp3 ...
inline std::vector<std::pair<std::string, std::string>> Mp3Copies(int count,
                                                                  const std::string& fixture = "mp3/plain.mp3") {
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < count; ++i) files.push_back({fixture, (i < 10 ? "0" : "") + std::to_string(i) + ".mp3"});
  return files;
}
