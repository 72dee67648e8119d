// TFormMain: building the controls of the window.

#include <QComboBox>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStorageInfo>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/catalogue/ColumnTables.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/ListViewSetup.h"
#include "gui/tagedit/TagTableModel.h"

namespace hozanki {
namespace {

QString Latin(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The file systems a user may open: real mounts, root first.
void FillDriveBox(QComboBox* box) {
  QStringList roots;
  for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
    if (!storage.isValid() || !storage.isReady()) continue;
    const QByteArray type = storage.fileSystemType();
    if (type == "tmpfs" || type == "devtmpfs" || type == "proc" || type == "sysfs" || type == "overlay" ||
        type == "squashfs" || type.startsWith("cgroup"))
      continue;
    roots << storage.rootPath();
  }
  if (!roots.contains(QStringLiteral("/"))) roots << QStringLiteral("/");
  roots.removeDuplicates();
  std::sort(roots.begin(), roots.end());
  box->addItems(roots);
}

}  // namespace

QTableView* TFormMain::MakeList(const QString& name, QAbstractItemModel* model, int markWidth) {
  auto* view = new QTableView;
  view->setObjectName(name);
  view->setModel(model);
  SetUpListView(view, markWidth);
  connect(view, &QWidget::customContextMenuRequested, this, &TFormMain::ListContextMenu);
  return view;
}

void TFormMain::BuildLayout() {
  // Upper panel: drive box and folder tree on the left, file lists on the right.
  PanelU = new QWidget;
  PanelU->setObjectName(QStringLiteral("PanelU"));
  PanelU->setMinimumHeight(1);
  PanelUL = new QWidget;
  PanelUL->setObjectName(QStringLiteral("PanelUL"));
  PanelUL->setMinimumWidth(100);
  DriveComboBox = new QComboBox;
  DriveComboBox->setObjectName(QStringLiteral("DriveComboBox"));
  FillDriveBox(DriveComboBox);
  DirectoryTreeView = new QTreeView;
  DirectoryTreeView->setObjectName(QStringLiteral("DirectoryTreeView"));
  auto* folders = new QFileSystemModel(DirectoryTreeView);
  folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
  folders->setReadOnly(true);
  folders->setRootPath(QStringLiteral("/"));
  DirectoryTreeView->setModel(folders);
  DirectoryTreeView->setRootIndex(folders->index(QStringLiteral("/")).parent());
  DirectoryTreeView->expand(folders->index(QStringLiteral("/")));
  for (int c = 1; c < folders->columnCount(); ++c) DirectoryTreeView->hideColumn(c);
  DirectoryTreeView->setHeaderHidden(true);
  DirectoryTreeView->setRootIsDecorated(false);
  DirectoryTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  DirectoryTreeView->setUniformRowHeights(true);
  QPalette palette = DirectoryTreeView->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight,
                   palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  DirectoryTreeView->setPalette(palette);
  auto* leftLayout = new QVBoxLayout(PanelUL);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->setSpacing(0);
  leftLayout->addWidget(DriveComboBox);
  leftLayout->addWidget(DirectoryTreeView, 1);

  PageControlF = new QTabWidget;
  PageControlF->setObjectName(QStringLiteral("PageControlF"));
  PageControlF->setDocumentMode(true);
  for (int f = 0; f < kFormatCount; ++f) {
    const auto format = static_cast<MediaFormat>(f);
    auto* model = new FileListModel(&catalogue_, format, this);
    QTableView* view =
        MakeList(QStringLiteral("ListViewF") + Latin(FormatName(format)), model, kFileMarkColumnWidth);
    fileModels_[static_cast<size_t>(f)] = model;
    listViewF_[static_cast<size_t>(f)] = view;
    PageControlF->addTab(view, Latin(FormatName(format)));
  }

  SplitterFile = new QSplitter(Qt::Horizontal);
  SplitterFile->setObjectName(QStringLiteral("SplitterFile"));
  SplitterFile->setChildrenCollapsible(false);
  SplitterFile->setHandleWidth(3);
  SplitterFile->addWidget(PanelUL);
  SplitterFile->addWidget(PageControlF);
  SplitterFile->setStretchFactor(0, 0);
  SplitterFile->setStretchFactor(1, 1);
  auto* upperLayout = new QHBoxLayout(PanelU);
  upperLayout->setContentsMargins(0, 0, 0, 0);
  upperLayout->addWidget(SplitterFile);

  // Lower part: the tag tables, tabs at the bottom.
  PageControlT = new QTabWidget;
  PageControlT->setObjectName(QStringLiteral("PageControlT"));
  PageControlT->setTabPosition(QTabWidget::South);
  PageControlT->setDocumentMode(true);
  PageControlT->setMinimumHeight(1);
  for (int k = 0; k < kTagKindCount; ++k) {
    const auto kind = static_cast<TagKind>(k);
    auto* model = new TagTableModel(&catalogue_, kind, this);
    const QString format = Latin(FormatName(FormatOfTagKind(kind)));
    const QString name = k < 4 ? format + Latin(TagKindName(kind)) : format;
    QTableView* view = MakeList(QStringLiteral("ListViewT") + name, model, kTagMarkColumnWidth);
    tagModels_[static_cast<size_t>(k)] = model;
    listViewT_[static_cast<size_t>(k)] = view;
    PageControlT->addTab(view, k < 4 ? format + QLatin1Char(' ') + Latin(TagKindName(kind)) : format);
  }

  SplitterUD = new QSplitter(Qt::Vertical);
  SplitterUD->setObjectName(QStringLiteral("SplitterUD"));
  SplitterUD->setChildrenCollapsible(false);
  SplitterUD->setHandleWidth(3);
  SplitterUD->setOpaqueResize(true);
  SplitterUD->addWidget(PanelU);
  SplitterUD->addWidget(PageControlT);
  SplitterUD->setStretchFactor(0, 0);
  SplitterUD->setStretchFactor(1, 1);
  setCentralWidget(SplitterUD);
  // Narrow tabs: with the style's own padding the eleven tag pages do not fit.
  for (QTabWidget* pages : {PageControlF, PageControlT})
    pages->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 6px; }"));

  StatusBar = new StatusBarPanels(this);
  setStatusBar(StatusBar);

  // Hidden in-place editors (their behaviour belongs to the editing code).
  EditListView = new QLineEdit(this);
  EditListView->setObjectName(QStringLiteral("EditListView"));
  EditListViewCopy = new QLineEdit(this);
  EditListViewCopy->setObjectName(QStringLiteral("EditListViewCopy"));
  EditListViewCopy->setReadOnly(true);
  ComboBoxListView = new QComboBox(this);
  ComboBoxListView->setObjectName(QStringLiteral("ComboBoxListView"));
  ComboBoxListView->setEditable(true);
  ComboBoxListView->setMaxVisibleItems(16);
  MemoListView = new QPlainTextEdit(this);
  MemoListView->setObjectName(QStringLiteral("MemoListView"));
  for (QWidget* editor : {static_cast<QWidget*>(EditListView), static_cast<QWidget*>(EditListViewCopy),
                          static_cast<QWidget*>(ComboBoxListView), static_cast<QWidget*>(MemoListView)})
    editor->hide();
}

}  // namespace hozanki
