#pragma once
// `ListWindowCommands`: the list window. "リスト出力(&L)" of the File menu
// shows it and the same entry of the file popup also picks the selected
// files into it. It is made on first use and kept (hidden when closed) until
// the program ends; it takes Ctrl+C, Ctrl+V and Ctrl+Z while it is shown.
// The main window is reached only through `ListCommandHost`.

#include <QFont>
#include <QObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/listout/PickedFile.h"

class QTableView;
class QWidget;

namespace hozanki {

class TFormListMain;

// What the list window commands need of the main window.
struct ListCommandHost {
  // Parent of the list window.
  QWidget* window = nullptr;
  std::filesystem::path settingsFolder;
  std::function<const Catalogue&()> catalogue;
  std::function<std::filesystem::path()> currentFolder;
  // The active file page (a format) and the file list of a page.
  std::function<int()> filePage;
  std::function<QTableView*(int page)> fileList;
  // The hand-over of Ctrl+C, Ctrl+V and Ctrl+Z.
  std::function<void()> dropShortcuts;
  std::function<void()> restoreShortcuts;
  // The font of the main window's lists.
  std::function<QFont()> listFont;
};

class ListWindowCommands : public QObject {
  Q_OBJECT

 public:
  ListWindowCommands(ListCommandHost host, QObject* parent);
  ~ListWindowCommands() override;

  // The list window, made on first use when `create`; kept until the end.
  TFormListMain* FormListMainWindow(bool create = false);
  // `MenuFileListOutClick`: shows the list window.
  TFormListMain* OpenFormListMain();
  // `PopupFListOutClick`: the list window on its first page, with the
  // selected files of the active file list picked into it.
  void PopupFListOutClick();
  // The selected files of the active file list as list window records.
  std::vector<PickedFile> PickSelectedFiles() const;
  // The main window's list font changed.
  void SetListFont(const QFont& font);
  // Deletes the list window at once (it writes its settings).
  void DeleteWindow();

 private:
  ListCommandHost host_;
  QPointer<TFormListMain> formListMain_;
};

}  // namespace hozanki
