#pragma once
// `TFormRename` "定型リネーム設定": the modeless window (kept on top) in
// which the fixed-form rename patterns of the eight formats are edited. It
// works on its own copy of the store's patterns; "保存" writes
// "NR284Ren.dat", hands the patterns to the store and closes. Closing
// otherwise drops the changes. Its size, tree heights and column widths are
// kept in the "Rename" section of "NR284.ini".

#include <QMainWindow>
#include <array>

#include "core/rename/RenamePattern.h"

class QAction;
class QLabel;
class QLineEdit;
class QSplitter;
class QTabWidget;
class QTreeWidgetItem;

namespace hozanki {

class PatternItemList;
class PatternTree;
class RenamePatternCommands;

class TFormRename : public QMainWindow {
  Q_OBJECT

 public:
  // F1: the manual's section on this window.
  static constexpr int kHelpContext = 131;
  // `startTab`: the tab shown first (the main window's file page).
  TFormRename(RenamePatternCommands& patterns, QWidget* parent, int startTab);
  // Destroyed with the main window while open, it still keeps its settings.
  ~TFormRename() override;

  struct Tab {
    PatternTree* tree = nullptr;
    QLineEdit* name = nullptr;
    PatternItemList* items = nullptr;
    QSplitter* split = nullptr;
  };
  const Tab& TabAt(int n) const { return tabs_[static_cast<size_t>(n)]; }
  int CurrentTab() const;
  QString PanelText() const;

  QTabWidget* PageControl = nullptr;
  QLabel* PanelCheck = nullptr;
  QAction* MenuSave = nullptr;
  QAction* MenuReg = nullptr;
  QAction* MenuUpd = nullptr;
  QAction* MenuDel = nullptr;
  QAction* MenuItemAdd = nullptr;
  QAction* MenuItemCopy = nullptr;
  QAction* MenuItemDel = nullptr;
  QAction* MenuChk = nullptr;

  // Settings keys of the "Rename" section.
  static constexpr const char* kSection = "Rename";
  static constexpr int kDefaultHeight = 310;
  static constexpr int kDefaultWidth = 360;
  static constexpr int kDefaultSplit = 36;
  static constexpr std::array<int, 3> kDefaultColumns = {80, 180, 80};

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildTab(MediaFormat format);
  void ReadSettings();
  void WriteSettings();
  void Changed();
  void ShowMessage(const QString& text);
  void CommitEditors();
  // The checks of "登録" and "更新"; false when a message was shown.
  bool CheckInput();
  void MenuSaveClick();
  void MenuRegClick();
  void MenuUpdClick();
  void MenuDelClick();
  void MenuChkClick();
  void TreeDblClick(QTreeWidgetItem* item);

  RenamePatternCommands& patterns_;
  std::array<Tab, kFormatCount> tabs_{};
  std::array<int, kFormatCount> splitHeights_{};
  bool settingsWritten_ = false;
};

}  // namespace hozanki
