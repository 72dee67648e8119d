// TFormMain: building the controls of the window.

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/catalogue/ColumnTables.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/DriveBox.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/FileListView.h"
#include "gui/catalogue/ListViewSetup.h"
#include "gui/catalogue/NameConflictWatch.h"
#include "gui/tagedit/TagTableModel.h"

namespace hozanki {
namespace {

QString Latin(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QTableView* TFormMain::MakeList(QTableView* view, const QString& name, QAbstractItemModel* model,
                                int markWidth) {
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
  FillDriveBox(*DriveComboBox, "/");
  connect(DriveComboBox, &QComboBox::activated, this, &TFormMain::DriveComboBoxChange);
  DirectoryTreeView = new QTreeView;
  DirectoryTreeView->setObjectName(QStringLiteral("DirectoryTreeView"));
  // Rebuilt around the current folder by each load; fully expanded, and the
  // user can neither fold nor unfold it.
  folderModel_ = new QStandardItemModel(DirectoryTreeView);
  DirectoryTreeView->setModel(folderModel_);
  DirectoryTreeView->setHeaderHidden(true);
  DirectoryTreeView->setRootIsDecorated(false);
  DirectoryTreeView->setItemsExpandable(false);
  DirectoryTreeView->setExpandsOnDoubleClick(false);
  DirectoryTreeView->viewport()->installEventFilter(this);
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
  nameConflicts_ = std::make_unique<NameConflictWatch>(&catalogue_, [this] { return currentFolder_; });
  for (int f = 0; f < kFormatCount; ++f) {
    const auto format = static_cast<MediaFormat>(f);
    fileModels_[static_cast<size_t>(f)] = std::make_unique<FileListModel>(&catalogue_, format);
    FileListModel* model = fileModels_[static_cast<size_t>(f)].get();
    auto* view = new FileListView;
    MakeList(view, QStringLiteral("ListViewF") + Latin(FormatName(format)), model, kFileMarkColumnWidth);
    model->SetConflictWatch(nameConflicts_.get());
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
    tagModels_[static_cast<size_t>(k)] = std::make_unique<TagTableModel>(&catalogue_, kind);
    TagTableModel* model = tagModels_[static_cast<size_t>(k)].get();
    const QString format = Latin(FormatName(FormatOfTagKind(kind)));
    const bool several = SisterTagKinds(k).size() > 1;
    const QString name = several ? format + Latin(TagKindName(kind)) : format;
    QTableView* view =
        MakeList(new QTableView, QStringLiteral("ListViewT") + name, model, kTagMarkColumnWidth);
    listViewT_[static_cast<size_t>(k)] = view;
    PageControlT->addTab(view, several ? format + QLatin1Char(' ') + Latin(TagKindName(kind)) : format);
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
  connect(nameConflicts_.get(), &NameConflictWatch::CountChanged, StatusBar, &StatusBarPanels::SetConflictCount);

  // Hidden in-place editors (their behaviour belongs to the editing code).
  EditListView = new QLineEdit(this);
  EditListView->setObjectName(QStringLiteral("EditListView"));
  EditListViewCopy = new QLineEdit(this);
  EditListViewCopy->setObjectName(QStringLiteral("EditListViewCopy"));
  EditListViewCopy->setReadOnly(true);
  EditListViewCopy->setAutoFillBackground(true);
  {
    QPalette palette = EditListViewCopy->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));  // clBtnFace
    EditListViewCopy->setPalette(palette);
  }
  EditListViewCopy->installEventFilter(this);
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
