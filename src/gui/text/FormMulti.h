#pragma once
// `TFormMulti` "複合編集設定": the modeless window where compound edits are
// defined. A tree of the compound edits, the name field "登録名", the step
// list and the message panel `PanelCheck`, under the menu `MainMenuMulti`
// (保存, 登録, 更新, 消去, [追加], [複製], [削除], [チェック]). Its changes are
// its own until 保存 hands the tree to the main window; closing discards
// them. The section "Multi" of "NR284.ini" keeps its size, the tree's height
// and the step list's column widths.

#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/Compound.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;
class QSplitter;
class QTreeWidgetItem;

namespace hozanki {

class CompoundStepList;
class CompoundTree;

namespace settings::multi {
inline constexpr std::string_view kSection = "Multi";
inline constexpr std::string_view kHeight = "Height";
inline constexpr int kHeightDefault = 321;
inline constexpr std::string_view kWidth = "Width";
inline constexpr int kWidthDefault = 430;
inline constexpr std::string_view kSplit = "Split";
inline constexpr int kSplitDefault = 36;
inline constexpr std::string_view kColumn = "Clm-";  // + 0..2
inline constexpr int kColumnDefaults[3] = {120, 150, 148};
}  // namespace settings::multi

class TFormMulti : public QWidget {
  Q_OBJECT

 public:
  // F1: the manual's section on this window.
  static constexpr int kHelpContext = 132;
  // Stores the edits (writes the data file, replaces the store, rebuilds the
  // menus); false with a reason when the file could not be written.
  using SaveHandler = std::function<bool(const std::vector<CompoundEdit>&, std::string* error)>;
  // The text of the cell "[チェック]" runs the steps on; none when there is no
  // edit column or no focused row.
  using CheckSource = std::function<std::optional<std::string>()>;

  TFormMulti(const std::vector<CompoundEdit>& store, std::filesystem::path settingsFolder, SaveHandler save,
             CheckSource check, QWidget* parent = nullptr);

  CompoundTree* TreeViewMulti = nullptr;
  QLineEdit* LabeledEditMulti = nullptr;
  CompoundStepList* ListViewMulti = nullptr;
  QLabel* PanelCheck = nullptr;
  QSplitter* SplitterMulti = nullptr;
  QMenuBar* MainMenuMulti = nullptr;
  QAction* MenuSave = nullptr;

 public slots:
  void MenuSaveClick();
  void MenuRegClick();
  void MenuUpdClick();
  void MenuDelClick();
  void MenuItemAddClick();
  void MenuItemCopyClick();
  void MenuItemDelClick();
  void MenuChkClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  void ReadSettings();
  void WriteSettings() const;
  void Message(const QString& text);
  // The checks of 登録 and 更新; false after showing what is missing.
  bool CheckInput();
  void TreeDoubleClick(QTreeWidgetItem* item);
  void MarkChanged();

  std::filesystem::path settingsFolder_;
  SaveHandler save_;
  CheckSource check_;
};

}  // namespace hozanki
