#pragma once
// Helpers of the Qt tests that drive TFormMain on temporary copies of the
// fixtures: a folder that removes itself, loading it into the window as the
// folder loader does, and finding value columns by their value names.

#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "core/catalogue/LoadEngine.h"
#include "core/catalogue/MediaReader.h"
#include "core/tagedit/EditTarget.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"

namespace testsupport {

namespace fs = std::filesystem;

class MediaFolder {
 public:
  fs::path Path() const { return fs::path(dir_.path().toStdString()); }
  // Copies tests/data/`fixture` to `name` inside the folder.
  void Copy(const std::string& fixture, const std::string& name) const {
    fs::copy_file(fs::path(HOZANKI_TEST_DATA) / fixture, Path() / name, fs::copy_options::overwrite_existing);
  }
  std::string Bytes(const std::string& name) const {
    QFile file(QString::fromStdString((Path() / name).string()));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
  }
  // The file read back by the core reader (a default entry when unreadable).
  hozanki::MediaFileEntry Disk(const std::string& name) const {
    return hozanki::ReadMediaFile(Path(), name).value_or(hozanki::MediaFileEntry{});
  }

 private:
  QTemporaryDir dir_;
};

// Opens the folder in the window (after the start-up load is over) and waits
// until it is listed.
inline void LoadInto(hozanki::TFormMain& window, const fs::path& folder) {
  QTRY_VERIFY_WITH_TIMEOUT(window.SyncRequest() != -1 && !window.IsBusy(), 30000);
  QSignalSpy done(&window.Session(), &hozanki::FolderSession::WorkFinished);
  window.Session().OpenFolder(hozanki::LoadRequest{folder, false, std::nullopt});
  QVERIFY(done.count() > 0 || done.wait(30000));
}

// Sub-item of the first value whose name starts with `prefix` ("INAM"), -1 none.
inline int SubItemOf(hozanki::TagKind kind, std::string_view prefix) {
  const auto names = hozanki::ValueNamesOf(kind);
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i].substr(0, prefix.size()) == prefix) return static_cast<int>(i) + 1;
  return -1;
}

inline const hozanki::TagRow& TagOf(const hozanki::MediaFileEntry& entry, hozanki::TagKind kind) {
  return entry.tags.at(static_cast<size_t>(hozanki::TagRowIndex(kind)));
}

inline QString Panel(hozanki::TFormMain& window, int panel) {
  return window.findChild<hozanki::StatusBarPanels*>()->PanelText(panel);
}

inline QAction* Action(hozanki::TFormMain& window, const char* name) {
  return window.findChild<QAction*>(QLatin1String(name));
}

// Starts "保存(&S)" and waits until the save and its re-read are over.
inline bool SaveAndWait(hozanki::TFormMain& window, int timeoutMs = 60000) {
  QSignalSpy done(&window.Session(), &hozanki::FolderSession::SaveDone);
  Action(window, "MenuFileSave")->trigger();
  return done.count() > 0 || done.wait(timeoutMs);
}

// Selects exactly `rows` of a list, as a user's clicks would.
inline void SelectRows(QTableView* view, std::initializer_list<int> rows) {
  view->clearSelection();
  for (int r : rows)
    view->selectionModel()->select(view->model()->index(r, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

}  // namespace testsupport
