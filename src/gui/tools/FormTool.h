#pragma once
// `TFormTool` "ツール設定": the user tool list, made, shown modally and
// destroyed by "ツール(&T)" of the Option menu and "設定(&O)" of the tool
// submenu. Its menu `MainMenuTool` holds 保存 (disabled until something
// changes: writes section "Tool" anew and closes), 参照, 追加 and 削除.
// On closing it writes its size and column widths to section "Tool".

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "core/settings/AppSettings.h"

class QAction;

namespace hozanki {

class ToolList;

namespace settings::toolwindow {
inline constexpr std::string_view kHeight = "Height";
inline constexpr int kHeightDefault = 335;
inline constexpr std::string_view kWidth = "Width";
inline constexpr int kWidthDefault = 473;
inline constexpr std::string_view kColumn = "Clm";  // + 1..3
inline constexpr int kColumnDefaults[3] = {120, 280, 60};
}  // namespace settings::toolwindow

class TFormTool : public QDialog {
  Q_OBJECT

 public:
  // F1: the manual's section on this window.
  static constexpr int kHelpContext = 141;
  // `openProgram`: the file dialog (start path in, chosen path out, empty
  // when cancelled).
  TFormTool(const std::vector<ToolEntry>& tools, const std::filesystem::path& settingsFolder,
            std::function<QString(QWidget*, const QString&)> openProgram, QWidget* parent = nullptr);

  // Whether 保存 ran, and the list it saved.
  bool Saved() const { return saved_; }
  std::vector<ToolEntry> Tools() const;

  ToolList* ListViewTool = nullptr;
  QAction* MenuToolSave = nullptr;
  QAction* MenuToolBrowse = nullptr;
  QAction* MenuToolAdd = nullptr;
  QAction* MenuToolDel = nullptr;

  void MenuToolSaveClick();
  void MenuToolBrowseClick();
  void MenuToolAddClick();
  void MenuToolDelClick();

 protected:
  void done(int result) override;

 private:
  void MarkChanged();

  std::filesystem::path settingsFolder_;
  std::function<QString(QWidget*, const QString&)> openProgram_;
  bool saved_ = false;
};

// The standard program file dialog of the tool and options dialogs.
QString OpenProgramDialog(QWidget* parent, const QString& start);

}  // namespace hozanki
