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
#include <QTreeView>
#include <algorithm>
#include <functional>

#include "core/common/AtomicFile.h"
#include "core/common/SaveJournal.h"
#include "core/catalogue/FolderScan.h"
#include "core/catalogue/GenreList.h"
#include "core/rename/RenamePattern.h"
#include "core/settings/AppSettings.h"
#include "core/settings/DataFileRecovery.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/settings/SettingsKeys.h"
#include "gui/app/FontResolver.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/DriveBox.h"
#include "gui/catalogue/ListViewSetup.h"

namespace hozanki {
namespace {

namespace window = settings::window;

constexpr int kMaxExtent = 20000;  // larger sizes and widths are damage

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

void ReadColumnWidths(const IniFile& ini, QTableView* view, std::span<const int> defaults,
                      const std::function<std::string(int)>& key) {
  for (int n = 1; n <= static_cast<int>(defaults.size()); ++n)
    view->horizontalHeader()->resizeSection(
        n, ReadInRange(ini, key(n), defaults[static_cast<size_t>(n - 1)], 0, kMaxExtent));
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

}  // namespace

void TFormMain::FormCreate() {
  const IniFile ini = IniFile::Load(settingsFolder_ / kSettingsFileName);

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
  const int split1 = ReadInRange(ini, window::kSplit1, window::kSplit1Default, 0, kMaxExtent);
  SplitterFile->setSizes({std::max(split1, PanelUL->minimumWidth()), std::max(1, this->width() - split1)});
  for (int f = 0; f < kFormatCount; ++f) {
    const auto format = static_cast<MediaFormat>(f);
    ReadColumnWidths(ini, listViewF_[static_cast<size_t>(f)], settings::FileColumnDefaults(format),
                     [format](int n) { return FileColumnKey(format, n); });
  }
  const int split2 = ReadInRange(ini, window::kSplit2, window::kSplit2Default, 0, kMaxExtent);
  SplitterUD->setSizes({std::max(split2, 1), std::max(1, this->height() - split2)});
  for (int k = 0; k < kTagKindCount; ++k) {
    const auto kind = static_cast<TagKind>(k);
    ReadColumnWidths(ini, listViewT_[static_cast<size_t>(k)], settings::TagColumnDefaults(kind),
                     [kind](int n) { return TagColumnKey(kind, n); });
  }
  const int page = ReadInRange(ini, window::kPage, window::kPageDefault, 0, kTagKindCount - 1);
  {
    const QSignalBlocker blocker(PageControlT);
    PageControlT->setCurrentIndex(page);
  }
  PageControlTChange(page);

  // Step 4: the genre list of the in-place combo box.
  FillGenreList();

  // Step 5: the general options.
  AppSettings& options = AppSettings::Current();
  options.ReadOptions(ini);
  MemoListView->setFixedHeight(options.memoSize > 0 ? options.memoSize : settings::option::kMemoSizeDefault);
  ApplyFont(QString::fromStdString(options.fontName));

  // Step 6: the user tools ahead of the fixed items of PopupFTool.
  options.ReadTools(ini);
  AddToolItems();

  // Step 7: the current folder, or the home folder when it is gone.
  std::string dir = ini.ReadString(window::kSection, window::kDir);
  std::error_code ec;
  if (dir.empty() || !std::filesystem::is_directory(std::filesystem::path(dir), ec))
    dir = FallbackFolder().string();
  StatusBar->SetPanelText(0, QString::fromStdString(dir));
  rememberedFolder_ = dir;
  // The drive box shows the file system that holds it.
  SelectDriveOf(*DriveComboBox, rememberedFolder_);

  // Steps 8 and 9: recovery copies of the two data files (their contents are
  // read by the rename-pattern and compound-edit code).
  SweepTemporaryFiles(settingsFolder_);
  // Files a save left half written in place (it died) are put back as they were.
  PlayBackJournals(settingsFolder_);
  RecoverDataFile(settingsFolder_ / "NR284Ren.dat");
  renamePatterns_ = LoadRenamePatterns(settingsFolder_ / kRenamePatternFileName);
  RecoverDataFile(settingsFolder_ / "NR284Cnv.dat");

  // Step 10 and 11.
  MeasureRowGeometry();
  syncRequest_ = -1;
  HookIdle();
}

void TFormMain::FillGenreList() {
  QStringList genres{QString()};
  for (std::string_view name : GenreNames())
    genres << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  std::stable_sort(genres.begin(), genres.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  ComboBoxListView->clear();
  ComboBoxListView->addItems(genres);
}

void TFormMain::ApplyFont(const QString& storedName) {
  QFont font(ResolveFontFamily(storedName));
  font.setPixelSize(12);
  DriveComboBox->setFont(font);
  DirectoryTreeView->setFont(font);
  for (QTableView* view : listViewF_) view->setFont(font);
  for (QTableView* view : listViewT_) view->setFont(font);
  for (QTableView* view : listViewF_) view->verticalHeader()->setDefaultSectionSize(RowHeightFor(view));
  for (QTableView* view : listViewT_) view->verticalHeader()->setDefaultSectionSize(RowHeightFor(view));
}

void TFormMain::MeasureRowGeometry() {
  // The table is still empty: its own header and row height give what the
  // positions of rows 0 and 1 would.
  QTableView* table = listViewT_[0];
  firstRowOffset_ = table->frameWidth() + table->horizontalHeader()->sizeHint().height();
  rowPitch_ = table->verticalHeader()->defaultSectionSize();
}

void TFormMain::FormClose() {
  const std::filesystem::path path = settingsFolder_ / kSettingsFileName;
  IniFile ini = IniFile::Load(path);
  QRect bounds(pos(), size());
  if (isMaximized() || isFullScreen()) {
    const QPoint frameOffset = geometry().topLeft() - pos();
    bounds = QRect(normalGeometry().topLeft() - frameOffset, normalGeometry().size());
  }
  ini.WriteInteger(window::kSection, window::kTop, bounds.top());
  ini.WriteInteger(window::kSection, window::kLeft, bounds.left());
  ini.WriteInteger(window::kSection, window::kHeight, bounds.height());
  ini.WriteInteger(window::kSection, window::kWidth, bounds.width());
  ini.WriteInteger(window::kSection, window::kSplit1, PanelUL->width());
  for (int f = 0; f < kFormatCount; ++f) {
    const auto format = static_cast<MediaFormat>(f);
    WriteColumnWidths(ini, listViewF_[static_cast<size_t>(f)],
                      [format](int n) { return FileColumnKey(format, n); });
  }
  ini.WriteInteger(window::kSection, window::kSplit2, PanelU->height());
  for (int k = 0; k < kTagKindCount; ++k) {
    const auto kind = static_cast<TagKind>(k);
    WriteColumnWidths(ini, listViewT_[static_cast<size_t>(k)],
                      [kind](int n) { return TagColumnKey(kind, n); });
  }
  ini.WriteInteger(window::kSection, window::kPage, PageControlT->currentIndex());
  // The folder opened last (panel 0 may hold a message meanwhile).
  ini.WriteString(
      window::kSection, window::kDir,
      currentFolder_.empty() ? StatusBar->PanelText(0).toStdString() : FolderPanelText(currentFolder_));
  std::string error;
  if (!ini.Save(path, &error)) qWarning("Hozanki: cannot write %s: %s", path.c_str(), error.c_str());
}

}  // namespace hozanki
