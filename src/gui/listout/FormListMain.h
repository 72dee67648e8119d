#pragma once
// `TFormListMain` " - Hozanki -  リスト出力": the list window. Three pages:
// リストアップ (the picked files in `ListViewF` and `ListViewT` with the totals
// in `StatusBar`), 定型リスト (the template library `TreeView`, the fields
// " 登録名" and `EditExt`, the row editor `ListView`) and プレビュー (base
// path, extension box, "Unicode" with its form UTF-16 or UTF-8, and the
// editable preview). The menu
// `MainMenuList` shows the commands of the current page. The window is made
// once and then only hidden and shown; while it is shown the main window
// gives up Ctrl+C, Ctrl+V and Ctrl+Z. Section "List" of "NR284.ini" keeps its
// geometry, splitters, column widths, base path, extensions, "Unicode" and
// its form; without a stored position the window opens beside the main one;
// the library lives in "NR284Lst.dat" and is written only by "保存".
// The code is split by page: FormListMain.cpp (window, menu, settings),
// FormListMainPicked.cpp, FormListMainTemplates.cpp, FormListMainPreview.cpp.

#include <QFont>
#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/listout/PickedFile.h"
#include "core/listout/TemplateLibrary.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;

namespace hozanki {

class PickedFiles;
class PickedFileView;
class TemplateLibraryTree;
class TemplateRowEditor;

namespace settings::list {
inline constexpr std::string_view kSection = "List";
inline constexpr std::string_view kTop = "Top";
inline constexpr int kTopDefault = 50;
inline constexpr std::string_view kLeft = "Left";
inline constexpr int kLeftDefault = 100;
inline constexpr std::string_view kHeight = "Height";
inline constexpr int kHeightDefault = 480;
inline constexpr std::string_view kWidth = "Width";
inline constexpr int kWidthDefault = 640;
inline constexpr std::string_view kFileColumn = "CF-";  // + 1..13
inline constexpr int kFileColumnDefaults[13] = {36, 80, 80, 75, 127, 48, 43, 0, 0, 0, 0, 150, 150};
inline constexpr std::string_view kSplit1 = "Split1";
inline constexpr int kSplit1Default = 200;
inline constexpr std::string_view kTagColumn = "CT-";  // + 1..42
// Columns 36..42 (album artist, disc, readings, lyrics) came later: a
// settings file without their keys gives them these widths.
inline constexpr int kTagColumnDefaults[42] = {90, 0,  0,  0,  90, 0,  0,  0,  90, 0,  0,  0,  25, 0,
                                               0,  0,  60, 0,  0,  0,  50, 0,  0,  0,  50, 0,  0,  0,
                                               50, 50, 50, 50, 50, 75, 50, 90, 38, 90, 90, 90, 90, 90};
inline constexpr std::string_view kSplit2 = "Split2";
inline constexpr int kSplit2Default = 175;
inline constexpr std::string_view kRowColumn = "Clm-";  // + 1..3
inline constexpr int kRowColumnDefaults[3] = {95, 225, 80};
inline constexpr std::string_view kPathText = "PathText";
inline constexpr std::string_view kPath = "Path";
inline constexpr std::string_view kExt = "Ext";
inline constexpr std::string_view kExtDefault = "m3u\\npls\\nmpcpl\\nasx\\ncsv\\nhtml\\nhtm\\ntxt";
inline constexpr std::string_view kExtText = "ExtText";
inline constexpr std::string_view kUnicode = "Unicode";
// The Unicode form of "Unicode" output: "UTF-16" (the default) or "UTF-8".
inline constexpr std::string_view kUnicodeForm = "UnicodeForm";
}  // namespace settings::list

// Where the list window opens when it has no stored position: beside the
// main window's frame `mainFrame` (right of it, else left of it, top edges
// level), its frame of `size` wholly inside `room`; nothing when neither
// side has the room.
std::optional<QPoint> PositionBeside(const QRect& mainFrame, const QSize& size, const QRect& room);

// What the list window needs of the main window.
struct ListWindowHost {
  // The folder of "NR284.ini" and "NR284Lst.dat".
  std::filesystem::path settingsFolder;
  // "ファイル選択": the selected files of the main window's current file page
  // and their tag rows, in list order.
  std::function<std::vector<PickedFile>()> selectedFiles;
  // The main window's current folder (the base path's default and the
  // dialogs' first folder).
  std::function<std::string()> currentFolder;
  // The hand-over of Ctrl+C, Ctrl+V and Ctrl+Z.
  std::function<void()> dropShortcuts;
  std::function<void()> restoreShortcuts;
  // The font of the lists and the status bar (the main window's drive box).
  QFont listFont;
};

// The file dialogs of the window; tests put their own in.
struct ListWindowDialogs {
  // Save dialog: returns the chosen path or empty (cancel).
  std::function<QString(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                        const QString& suffix)>
      saveFile;
  std::function<QString(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                        const QString& selectedFilter)>
      openFile;
  std::function<QString(QWidget* parent, const QString& title, const QString& start)> folder;
};
ListWindowDialogs StandardListWindowDialogs();

class TFormListMain : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 305;
  static constexpr int kStatusPanels = 9;
  enum Page { kListupPage = 0, kListFormPage = 1, kPreviewPage = 2 };

  explicit TFormListMain(ListWindowHost host, QWidget* parent = nullptr);
  // Writes the window's settings.
  ~TFormListMain() override;

  void SetDialogs(ListWindowDialogs dialogs) { dialogs_ = std::move(dialogs); }
  PickedFiles& Picked() const { return *picked_; }
  const TemplateLibrary& Library() const { return library_; }
  QString StatusPanelText(int panel) const;
  void ShowPage(int page);
  // The font of the lists and the status bar, changed by the options dialog.
  void SetListFont(const QFont& font);

  // Controls, named as their objectName.
  QTabWidget* PageControl = nullptr;
  PickedFileView* ListViewF = nullptr;
  PickedFileView* ListViewT = nullptr;
  QWidget* StatusBar = nullptr;
  QSplitter* SplitterListup = nullptr;
  TemplateLibraryTree* TreeView = nullptr;
  QLineEdit* LabeledEdit = nullptr;
  QLineEdit* EditExt = nullptr;
  TemplateRowEditor* ListView = nullptr;
  QSplitter* SplitterListForm = nullptr;
  QCheckBox* CheckBoxPath = nullptr;
  QLineEdit* EditPath = nullptr;
  QPushButton* ButtonPath = nullptr;
  QComboBox* ComboBoxExt = nullptr;
  QCheckBox* CheckBoxUnicode = nullptr;
  // The Unicode form: "UTF-16" or "UTF-8" (enabled while "Unicode" is on).
  QComboBox* ComboBoxUnicode = nullptr;
  QPlainTextEdit* RichEditPreview = nullptr;
  QMenu* MenuListFile = nullptr;
  QAction* MenuListSelect = nullptr;
  QAction* MenuListOmit = nullptr;
  QAction* MenuListFileImport = nullptr;
  QAction* MenuListFileExport = nullptr;
  QAction* MenuListSave = nullptr;
  QAction* MenuListReg = nullptr;
  QAction* MenuListUpd = nullptr;
  QAction* MenuListDel = nullptr;
  QAction* MenuListItemAdd = nullptr;
  QAction* MenuListItemCopy = nullptr;
  QAction* MenuListItemDel = nullptr;
  QAction* MenuListPreview = nullptr;
  QAction* MenuListOut = nullptr;
  QAction* MenuListClear = nullptr;

 public slots:
  // FormListMainPicked.cpp
  void MenuListSelectClick();
  void MenuListOmitClick();
  void MenuListClearClick();
  // FormListMainTemplates.cpp
  void MenuListSaveClick();
  void MenuListRegClick();
  void MenuListUpdClick();
  void MenuListDelClick();
  void MenuListItemAddClick();
  void MenuListItemCopyClick();
  void MenuListItemDelClick();
  void MenuListFileImportClick();
  void MenuListFileExportClick();
  void TreeViewDblClick(int index);
  // FormListMainPreview.cpp
  void MenuListPreviewClick();
  void MenuListOutClick();
  void CheckBoxPathClick();
  void ButtonPathClick();

 public:
  // FormListMainPicked.cpp
  // The selected rows of `source` dropped on `dropRow` (the drag began on
  // `startRow`): moved in both lists, renumbered.
  void MovePicked(PickedFileView* source, int dropRow, int startRow);
  // Runs a pending selection synchronisation now (the idle step).
  void SyncSelection();
  bool SyncPending() const { return syncState_ != kSyncNone; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  enum SyncState { kSyncNone, kSyncFileList, kSyncTagList, kSyncBusy };

  // FormListMain.cpp
  void BuildLayout();
  QWidget* BuildListupPage();
  QWidget* BuildListFormPage();
  QWidget* BuildPreviewPage();
  void BuildMenu();
  void PageControlChange(int page);
  void ReadSettings();
  void WriteSettings() const;
  void ShowTotals();
  // A warning box centred on the window (left centre − 120, top centre − 60).
  void Warn(const QString& text);
  // FormListMainPicked.cpp
  void SelectionChanged(SyncState list);
  // FormListMainTemplates.cpp
  void ShowLibrary();
  // Reads "NR284Lst.dat"; without one (and no recovery copy), the starter
  // templates.
  void LoadLibrary();
  void LibraryMoveRequested(int from, int onto);
  bool ShowLibraryWarning(LibraryWarning warning);
  std::filesystem::path TemplateFilePath() const;

  ListWindowHost host_;
  ListWindowDialogs dialogs_;
  PickedFiles* picked_ = nullptr;
  TemplateLibrary library_;
  std::array<QLabel*, kStatusPanels> panels_{};
  SyncState syncState_ = kSyncNone;
  bool shortcutsTaken_ = false;
  // No usable position was stored: the first show places the window beside the
  // main window.
  bool placeBeside_ = false;
  int split1_ = settings::list::kSplit1Default;
  int split2_ = settings::list::kSplit2Default;
  // Where the dialogs start next time, and the last export's file.
  QString outputFolder_;
  QString outputName_;
  QString exportFolder_;
  QString exportName_;
  QString importFolder_;
};

}  // namespace hozanki
