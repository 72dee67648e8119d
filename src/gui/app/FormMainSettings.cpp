// TFormMain: FormCreate (start-up reading of "NR284.ini" and the data files)
// and FormClose (writing the "Window" section).

#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <functional>

#include "core/catalogue/ColumnTables.h"
#include "core/catalogue/FolderScan.h"
#include "core/catalogue/GenreList.h"
#include "core/rename/RenamePattern.h"
#include "core/settings/AppSettings.h"
#include "core/settings/DataFileRecovery.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/settings/SettingsKeys.h"
#include "core/tagedit/SaveRecovery.h"
#include "gui/app/FontResolver.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/DriveBox.h"
#include "gui/catalogue/ListViewSetup.h"
#include "gui/tagedit/FormSaveErrors.h"
#include "gui/tools/ToolCommands.h"

namespace hozanki {
namespace {

namespace window = settings::window;

constexpr int kMaxExtent = 20000;  // larger sizes and widths are damage
// Room the splitters always leave: the file lists right of the folder tree,
// and the tag table (tabs, header, a few rows) below the upper panel, menu
// and status bar.
constexpr int kMinFileListWidth = 150;
constexpr int kMinLowerHeight = 200;

std::string FileColumnKey(MediaFormat format, int n) {
  return std::string(window::kFileColumnPrefix) + std::string(FormatName(format)) + "-" + std::to_string(n);
}

std::string TagColumnKey(TagKind kind, int n) {
  return std::string(window::kTagColumnPrefix) + std::string(TagKindKey(kind)) + "-" + std::to_string(n);
}

// A value outside [low, high] is treated as damage and gives the default.
int ReadInRange(const IniFile& ini, std::string_view key, int fallback, int low, int high) {
  const int value = ini.ReadInteger(window::kSection, key, fallback);
  return value < low || value > high ? fallback : value;
}

// A column without a stored width (first start) and the text it must show.
struct UnstoredColumn {
  QTableView* view;
  int column;
  QString typical;
};

void ReadColumnWidths(const IniFile& ini, QTableView* view, std::span<const int> defaults,
                      std::span<const ColumnSpec> columns, const std::function<std::string(int)>& key,
                      std::vector<UnstoredColumn>& unstored) {
  for (int n = 1; n <= static_cast<int>(defaults.size()); ++n) {
    view->horizontalHeader()->resizeSection(
        n, ReadInRange(ini, key(n), defaults[static_cast<size_t>(n - 1)], 0, kMaxExtent));
    if (ini.HasKey(window::kSection, key(n))) continue;
    // Track and disc numbers show "12/12", years four digits.
    if (n >= static_cast<int>(columns.size())) continue;
    const ColumnSpec& spec = columns[static_cast<size_t>(n)];
    const QString caption = QString::fromUtf8(spec.caption.data(), static_cast<qsizetype>(spec.caption.size())).trimmed();
    QString typical;
    if (spec.tag == kColumnNumberPair || caption == QStringLiteral("№"))
      typical = QStringLiteral("88/88");
    else if (caption == QStringLiteral("年"))
      typical = QStringLiteral("8888");
    if (!typical.isEmpty()) unstored.push_back({view, n, typical});
  }
}

// Widens first-start number columns whose typical value the installed font
// cannot show at the default width (stored widths are never touched).
void WidenUnstoredColumns(const std::vector<UnstoredColumn>& unstored) {
  constexpr int kCellPadding = 14;  // the cell's margins and a little air
  for (const UnstoredColumn& c : unstored) {
    QHeaderView* header = c.view->horizontalHeader();
    const int needed = c.view->fontMetrics().horizontalAdvance(c.typical) + kCellPadding;
    if (header->sectionSize(c.column) < needed) header->resizeSection(c.column, needed);
  }
}

void WriteColumnWidths(IniFile& ini, const QTableView* view, const std::function<std::string(int)>& key) {
  for (int n = 1; n < view->model()->columnCount(); ++n)
    ini.WriteInteger(window::kSection, key(n), view->horizontalHeader()->sectionSize(n));
}

// True when some part of the rectangle's title area lies on a screen.
bool OnSomeScreen(const QRect& rect) {
  const QRect title(rect.left(), rect.top(), rect.width(), 30);
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().intersects(title)) return true;
  return false;
}

// The genre box of the in-place editor: an empty entry, then the genre names
// in alphabetical order.
void FillGenreList(QComboBox& box) {
  QStringList genres{QString()};
  for (std::string_view name : GenreNamesAlphabetical())
    genres << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  box.clear();
  box.addItems(genres);
}

}  // namespace

void TFormMain::FormCreate() {
  const IniFile ini = IniFile::Load(session_->SettingsFolder() / kSettingsFileName);

  // Step 3: bounds, splitters, column widths, tag page.
  const int width = ReadInRange(ini, window::kWidth, window::kWidthDefault, 1, kMaxExtent);
  const int height = ReadInRange(ini, window::kHeight, window::kHeightDefault, 1, kMaxExtent);
  int left = ReadInRange(ini, window::kLeft, window::kLeftDefault, -kMaxExtent, kMaxExtent);
  int top = ReadInRange(ini, window::kTop, window::kTopDefault, -kMaxExtent, kMaxExtent);
  if (!OnSomeScreen(QRect(left, top, width, height))) {
    left = window::kLeftDefault;
    top = window::kTopDefault;
  }
  move(left, top);
  resize(std::max(width, minimumWidth()), std::max(height, minimumHeight()));
  std::vector<UnstoredColumn> unstored;
  const int split1 = std::min(ReadInRange(ini, window::kSplit1, window::kSplit1Default, 0, kMaxExtent),
                              std::max(ui_.PanelUL->minimumWidth(), this->width() - kMinFileListWidth));
  ui_.SplitterFile->setSizes({std::max(split1, ui_.PanelUL->minimumWidth()), std::max(1, this->width() - split1)});
  for (int f = 0; f < kFormatCount; ++f) {
    const auto format = static_cast<MediaFormat>(f);
    ReadColumnWidths(ini, ui_.listViewF[static_cast<size_t>(f)], settings::FileColumnDefaults(format),
                     FileListColumns(format), [format](int n) { return FileColumnKey(format, n); }, unstored);
  }
  const int split2 = std::min(ReadInRange(ini, window::kSplit2, window::kSplit2Default, 0, kMaxExtent),
                              std::max(1, this->height() - kMinLowerHeight));
  ui_.SplitterUD->setSizes({std::max(split2, 1), std::max(1, this->height() - split2)});
  for (int k = 0; k < kTagKindCount; ++k) {
    const auto kind = static_cast<TagKind>(k);
    ReadColumnWidths(ini, ui_.listViewT[static_cast<size_t>(k)], settings::TagColumnDefaults(kind),
                     TagTableColumns(kind), [kind](int n) { return TagColumnKey(kind, n); }, unstored);
  }
  if (ini.ReadBool(window::kSection, window::kMaximized, window::kMaximizedDefault))
    setWindowState(windowState() | Qt::WindowMaximized);
  const int page = ReadInRange(ini, window::kPage, window::kPageDefault, 0, kTagKindCount - 1);
  {
    const QSignalBlocker blocker(ui_.PageControlT);
    ui_.PageControlT->setCurrentIndex(page);
  }
  PageControlTChange(page);

  // Step 4: the genre list of the in-place combo box.
  FillGenreList(*ui_.ComboBoxListView);

  // Step 5: the general options.
  AppSettings& options = AppSettings::Current();
  options.ReadOptions(ini);
  ui_.MemoListView->setFixedHeight(options.memoSize > 0 ? options.memoSize : settings::option::kMemoSizeDefault);
  ApplyFont(QString::fromStdString(options.fontName));
  WidenUnstoredColumns(unstored);

  // Step 6: the user tools (SetUpFeatures puts them into PopupFTool).
  options.ReadTools(ini);

  // Step 7: the current folder, or the home folder when it is gone.
  std::string dir = ini.ReadString(window::kSection, window::kDir);
  std::error_code ec;
  if (dir.empty() || !std::filesystem::is_directory(std::filesystem::path(dir), ec))
    dir = FallbackFolder().string();
  ui_.StatusBar->SetPanelText(0, QString::fromStdString(dir));
  session_->SetRememberedFolder(dir);
  // The drive box shows the file system that holds it.
  SelectDriveOf(*ui_.DriveComboBox, session_->RememberedFolder());

  // Steps 8 and 9: recovery copies of the two data files (their contents are
  // read by the rename-pattern and compound-edit code).
  // Saves a crash cut short are finished or undone (as on the command
  // line); files that could not be are listed once the window is up.
  const RecoveryReport recovery = RecoverInterruptedSaves(session_->SettingsFolder());
  if (!recovery.failures.empty()) {
    const std::string summary = recovery.SummaryText();
    QTimer::singleShot(0, this, [this, summary, failures = recovery.failures] {
      ShowSaveErrors(this, QString::fromStdString(summary), failures);
    });
  }
  RecoverDataFile(session_->SettingsFolder() / "NR284Ren.dat");
  RecoverDataFile(session_->SettingsFolder() / "NR284Cnv.dat");

  // Step 10 and 11.
  MeasureRowGeometry();
  syncRequest_ = -1;
  HookIdle();
}

void TFormMain::ApplyFont(const QString& storedName) {
  QFont font(ResolveFontFamily(storedName));
  font.setPixelSize(12);
  ui_.DriveComboBox->setFont(font);
  ui_.DirectoryTreeView->setFont(font);
  for (QTableView* view : ui_.listViewF) view->setFont(font);
  for (QTableView* view : ui_.listViewT) view->setFont(font);
  for (QTableView* view : ui_.listViewF) view->verticalHeader()->setDefaultSectionSize(RowHeightFor(view));
  for (QTableView* view : ui_.listViewT) view->verticalHeader()->setDefaultSectionSize(RowHeightFor(view));
}

void TFormMain::MeasureRowGeometry() {
  // The table is still empty: its own header and row height give what the
  // positions of rows 0 and 1 would.
  QTableView* table = ui_.listViewT[0];
  firstRowOffset_ = table->frameWidth() + table->horizontalHeader()->sizeHint().height();
  rowPitch_ = table->verticalHeader()->defaultSectionSize();
}

void TFormMain::FormClose() {
  const std::filesystem::path path = session_->SettingsFolder() / kSettingsFileName;
  IniFile ini = IniFile::Load(path);
  QRect bounds(pos(), size());
  const bool maximized = isMaximized() || isFullScreen();
  // Splitter positions of a maximised window, scaled to the normal one.
  double scaleX = 1.0, scaleY = 1.0;
  if (maximized && normalGeometry().isValid()) {
    const QPoint frameOffset = geometry().topLeft() - pos();
    bounds = QRect(normalGeometry().topLeft() - frameOffset, normalGeometry().size());
    scaleX = static_cast<double>(bounds.width()) / std::max(1, width());
    scaleY = static_cast<double>(bounds.height()) / std::max(1, height());
  }
  ini.WriteInteger(window::kSection, window::kTop, bounds.top());
  ini.WriteInteger(window::kSection, window::kLeft, bounds.left());
  ini.WriteInteger(window::kSection, window::kHeight, bounds.height());
  ini.WriteInteger(window::kSection, window::kWidth, bounds.width());
  ini.WriteInteger(window::kSection, window::kSplit1, static_cast<int>(ui_.PanelUL->width() * scaleX));
  for (int f = 0; f < kFormatCount; ++f) {
    const auto format = static_cast<MediaFormat>(f);
    WriteColumnWidths(ini, ui_.listViewF[static_cast<size_t>(f)],
                      [format](int n) { return FileColumnKey(format, n); });
  }
  ini.WriteInteger(window::kSection, window::kSplit2, static_cast<int>(ui_.PanelU->height() * scaleY));
  for (int k = 0; k < kTagKindCount; ++k) {
    const auto kind = static_cast<TagKind>(k);
    WriteColumnWidths(ini, ui_.listViewT[static_cast<size_t>(k)],
                      [kind](int n) { return TagColumnKey(kind, n); });
  }
  ini.WriteInteger(window::kSection, window::kPage, ui_.PageControlT->currentIndex());
  ini.WriteBool(window::kSection, window::kMaximized, maximized);
  // The folder opened last (panel 0 may hold a message meanwhile).
  ini.WriteString(
      window::kSection, window::kDir,
      session_->CurrentFolder().empty() ? ui_.StatusBar->PanelText(0).toStdString() : FolderPanelText(session_->CurrentFolder()));
  std::string error;
  if (!ini.Save(path, &error)) qWarning("Hozanki: cannot write %s: %s", path.c_str(), error.c_str());
}

}  // namespace hozanki
