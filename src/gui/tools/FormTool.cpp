#include "gui/tools/FormTool.h"

#include <QAction>
#include <QFileDialog>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QHeaderView>
#include <QMenuBar>
#include <QVBoxLayout>

#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/settings/SettingsKeys.h"
#include "gui/app/HelpLocator.h"
#include "gui/tools/ToolList.h"

namespace hozanki {
namespace {

namespace window = settings::toolwindow;
namespace tool = settings::tool;

std::string ColumnKey(int n) {
  return std::string(window::kColumn) + std::to_string(n);
}

}  // namespace

namespace {

// The file dialog's list with only folders and files that may be executed
// (while the first filter is chosen).
class ProgramFilesOnly : public QSortFilterProxyModel {
 public:
  void SetActive(bool active) {
    active_ = active;
    invalidateFilter();
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (!active_ || !files) return true;
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    return info.isDir() || (info.isFile() && info.isExecutable());
  }

 private:
  bool active_ = true;
};

}  // namespace

QString OpenProgramDialog(QWidget* parent, const QString& start) {
  // Programs have no extension here: the first filter shows folders and
  // executable files, the second every file.
  QFileDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("ProgramFileDialog"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  auto* onlyPrograms = new ProgramFilesOnly;
  onlyPrograms->setParent(&dialog);
  dialog.setProxyModel(onlyPrograms);
  const QFileInfo info(start);
  if (!start.isEmpty()) {
    dialog.setDirectory(info.isDir() ? start : info.absolutePath());
    if (info.isFile()) dialog.selectFile(info.fileName());
  }
  const QString programs = QStringLiteral("プログラム (*)");
  dialog.setNameFilters({programs, QStringLiteral("すべてのファイル (*)")});
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [onlyPrograms, programs](const QString& filter) { onlyPrograms->SetActive(filter == programs); });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

TFormTool::TFormTool(const std::vector<ToolEntry>& tools, const std::filesystem::path& settingsFolder,
                     std::function<QString(QWidget*, const QString&)> openProgram, QWidget* parent)
    : QDialog(parent), settingsFolder_(settingsFolder), openProgram_(std::move(openProgram)) {
  setObjectName(QStringLiteral("FormTool"));
  setWindowTitle(QStringLiteral("ツール設定"));
  AddHelpKey(this, kHelpContext);
  auto* menu = new QMenuBar(this);
  menu->setObjectName(QStringLiteral("MainMenuTool"));
  auto item = [this, menu](const char* name, const char* caption, void (TFormTool::*handler)()) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  MenuToolSave = item("MenuToolSave", "保存", &TFormTool::MenuToolSaveClick);
  MenuToolBrowse = item("MenuToolBrowse", "参照", &TFormTool::MenuToolBrowseClick);
  MenuToolAdd = item("MenuToolAdd", "追加", &TFormTool::MenuToolAddClick);
  MenuToolDel = item("MenuToolDel", "削除", &TFormTool::MenuToolDelClick);
  MenuToolSave->setEnabled(false);

  ListViewTool = new ToolList;
  ListViewTool->SetTools(tools);
  connect(ListViewTool, &ToolList::Changed, this, &TFormTool::MarkChanged);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menu);
  layout->addWidget(ListViewTool);

  const IniFile ini = IniFile::Load(settingsFolder_ / kSettingsFileName);
  resize(ini.ReadInteger(tool::kSection, window::kWidth, window::kWidthDefault),
         ini.ReadInteger(tool::kSection, window::kHeight, window::kHeightDefault));
  for (int n = 1; n <= 3; ++n)
    ListViewTool->horizontalHeader()->resizeSection(
        n - 1, ini.ReadInteger(tool::kSection, ColumnKey(n), window::kColumnDefaults[n - 1]));
}

std::vector<ToolEntry> TFormTool::Tools() const {
  return ListViewTool->Tools();
}

void TFormTool::MarkChanged() {
  MenuToolSave->setEnabled(true);
}

void TFormTool::MenuToolSaveClick() {
  const std::filesystem::path path = settingsFolder_ / kSettingsFileName;
  IniFile ini = IniFile::Load(path);
  ini.EraseSection(tool::kSection);
  AppSettings written;
  written.tools = Tools();
  written.WriteTools(ini);
  ini.Save(path);
  saved_ = true;
  accept();
}

void TFormTool::MenuToolBrowseClick() {
  const int row = ListViewTool->currentRow();
  if (row < 0 || ListViewTool->selectionModel()->selectedRows().isEmpty()) {
    MenuToolAddClick();
    return;
  }
  const QString chosen = openProgram_ ? openProgram_(this, ListViewTool->item(row, 1)->text()) : QString();
  if (chosen.isEmpty()) return;
  ListViewTool->item(row, 1)->setText(chosen);
  MarkChanged();
}

void TFormTool::MenuToolAddClick() {
  const QString chosen = openProgram_ ? openProgram_(this, QString()) : QString();
  if (!chosen.isEmpty())
    ListViewTool->AppendTool({QFileInfo(chosen).completeBaseName().toStdString(), chosen.toStdString(), {}});
  MarkChanged();
}

void TFormTool::MenuToolDelClick() {
  const QModelIndexList rows = ListViewTool->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  ListViewTool->removeRow(rows.first().row());
  MarkChanged();
}

void TFormTool::done(int result) {
  const std::filesystem::path path = settingsFolder_ / kSettingsFileName;
  IniFile ini = IniFile::Load(path);
  ini.WriteInteger(tool::kSection, window::kHeight, height());
  ini.WriteInteger(tool::kSection, window::kWidth, width());
  for (int n = 1; n <= 3; ++n)
    ini.WriteInteger(tool::kSection, ColumnKey(n), ListViewTool->horizontalHeader()->sectionSize(n - 1));
  ini.Save(path);
  QDialog::done(result);
}

}  // namespace hozanki
