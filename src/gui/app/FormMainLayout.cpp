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

QTableView* MakeList(QTableView* view, const QString& name, QAbstractItemModel* model, int markWidth) {
  view->setObjectName(name);
  view->setModel(model);
  SetUpListView(view, markWidth);
  return view;
}

}  // namespace

void TFormMain::BuildLayout() {
  // Upper panel: drive box and folder tree on the left, file lists on the right.
  ui_.PanelU = new QWidget;
  ui_.PanelU->setObjectName(QStringLiteral("PanelU"));
  ui_.PanelU->setMinimumHeight(1);
  ui_.PanelUL = new QWidget;
  ui_.PanelUL->setObjectName(QStringLiteral("PanelUL"));
  ui_.PanelUL->setMinimumWidth(100);
  ui_.DriveComboBox = new QComboBox;
  ui_.DriveComboBox->setObjectName(QStringLiteral("DriveComboBox"));
  FillDriveBox(*ui_.DriveComboBox, "/");
  ui_.DirectoryTreeView = new QTreeView;
  ui_.DirectoryTreeView->setObjectName(QStringLiteral("DirectoryTreeView"));
  // Rebuilt around the current folder by each load; fully expanded, and the
  // user can neither fold nor unfold it.
  ui_.folderModel = new QStandardItemModel(ui_.DirectoryTreeView);
  ui_.DirectoryTreeView->setModel(ui_.folderModel);
  ui_.DirectoryTreeView->setHeaderHidden(true);
  ui_.DirectoryTreeView->setRootIsDecorated(false);
  ui_.DirectoryTreeView->setItemsExpandable(false);
  ui_.DirectoryTreeView->setExpandsOnDoubleClick(false);
  ui_.DirectoryTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ui_.DirectoryTreeView->setUniformRowHeights(true);
  QPalette palette = ui_.DirectoryTreeView->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight,
                   palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  ui_.DirectoryTreeView->setPalette(palette);
  auto* leftLayout = new QVBoxLayout(ui_.PanelUL);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->setSpacing(0);
  leftLayout->addWidget(ui_.DriveComboBox);
  leftLayout->addWidget(ui_.DirectoryTreeView, 1);

  ui_.PageControlF = new QTabWidget;
  ui_.PageControlF->setObjectName(QStringLiteral("PageControlF"));
  ui_.PageControlF->setDocumentMode(true);
  nameConflicts_ = std::make_unique<NameConflictWatch>(&session_->Data(), [this] { return session_->CurrentFolder(); });
  for (int f = 0; f < kFormatCount; ++f) {
    const auto format = static_cast<MediaFormat>(f);
    fileModels_[static_cast<size_t>(f)] = std::make_unique<FileListModel>(&session_->Data(), format);
    FileListModel* model = fileModels_[static_cast<size_t>(f)].get();
    auto* view = new FileListView;
    MakeList(view, QStringLiteral("ListViewF") + Latin(FormatName(format)), model, kFileMarkColumnWidth);
    model->SetConflictWatch(nameConflicts_.get());
    ui_.listViewF[static_cast<size_t>(f)] = view;
    ui_.PageControlF->addTab(view, Latin(FormatName(format)));
  }

  ui_.SplitterFile = new QSplitter(Qt::Horizontal);
  ui_.SplitterFile->setObjectName(QStringLiteral("SplitterFile"));
  ui_.SplitterFile->setChildrenCollapsible(false);
  ui_.SplitterFile->setHandleWidth(3);
  ui_.SplitterFile->addWidget(ui_.PanelUL);
  ui_.SplitterFile->addWidget(ui_.PageControlF);
  ui_.SplitterFile->setStretchFactor(0, 0);
  ui_.SplitterFile->setStretchFactor(1, 1);
  auto* upperLayout = new QHBoxLayout(ui_.PanelU);
  upperLayout->setContentsMargins(0, 0, 0, 0);
  upperLayout->addWidget(ui_.SplitterFile);

  // Lower part: the tag tables, tabs at the bottom.
  ui_.PageControlT = new QTabWidget;
  ui_.PageControlT->setObjectName(QStringLiteral("PageControlT"));
  ui_.PageControlT->setTabPosition(QTabWidget::South);
  ui_.PageControlT->setDocumentMode(true);
  ui_.PageControlT->setMinimumHeight(1);
  for (int k = 0; k < kTagKindCount; ++k) {
    const auto kind = static_cast<TagKind>(k);
    tagModels_[static_cast<size_t>(k)] = std::make_unique<TagTableModel>(&session_->Data(), kind);
    TagTableModel* model = tagModels_[static_cast<size_t>(k)].get();
    const QString format = Latin(FormatName(FormatOfTagKind(kind)));
    const bool several = SisterTagKinds(k).size() > 1;
    const QString name = several ? format + Latin(TagKindName(kind)) : format;
    QTableView* view =
        MakeList(new QTableView, QStringLiteral("ListViewT") + name, model, kTagMarkColumnWidth);
    ui_.listViewT[static_cast<size_t>(k)] = view;
    ui_.PageControlT->addTab(view, several ? format + QLatin1Char(' ') + Latin(TagKindName(kind)) : format);
  }
  for (QTableView* view : ui_.listViewF)
    connect(view, &QWidget::customContextMenuRequested, this, &TFormMain::ListContextMenu);
  for (QTableView* view : ui_.listViewT)
    connect(view, &QWidget::customContextMenuRequested, this, &TFormMain::ListContextMenu);

  ui_.SplitterUD = new QSplitter(Qt::Vertical);
  ui_.SplitterUD->setObjectName(QStringLiteral("SplitterUD"));
  ui_.SplitterUD->setChildrenCollapsible(false);
  ui_.SplitterUD->setHandleWidth(3);
  ui_.SplitterUD->setOpaqueResize(true);
  ui_.SplitterUD->addWidget(ui_.PanelU);
  ui_.SplitterUD->addWidget(ui_.PageControlT);
  ui_.SplitterUD->setStretchFactor(0, 0);
  ui_.SplitterUD->setStretchFactor(1, 1);
  setCentralWidget(ui_.SplitterUD);
  // Narrow tabs: with the style's own padding the eleven tag pages do not fit.
  for (QTabWidget* pages : {ui_.PageControlF, ui_.PageControlT})
    pages->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 6px; }"));

  ui_.StatusBar = new StatusBarPanels(this);
  setStatusBar(ui_.StatusBar);
  connect(nameConflicts_.get(), &NameConflictWatch::CountChanged, ui_.StatusBar, &StatusBarPanels::SetConflictCount);

  // Hidden in-place editors (their behaviour belongs to the editing code).
  ui_.EditListView = new QLineEdit(this);
  ui_.EditListView->setObjectName(QStringLiteral("EditListView"));
  ui_.EditListViewCopy = new QLineEdit(this);
  ui_.EditListViewCopy->setObjectName(QStringLiteral("EditListViewCopy"));
  ui_.EditListViewCopy->setReadOnly(true);
  ui_.EditListViewCopy->setAutoFillBackground(true);
  {
    QPalette palette = ui_.EditListViewCopy->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));  // clBtnFace
    ui_.EditListViewCopy->setPalette(palette);
  }
  ui_.EditListViewCopy->installEventFilter(this);
  ui_.ComboBoxListView = new QComboBox(this);
  ui_.ComboBoxListView->setObjectName(QStringLiteral("ComboBoxListView"));
  ui_.ComboBoxListView->setEditable(true);
  ui_.ComboBoxListView->setMaxVisibleItems(16);
  ui_.MemoListView = new QPlainTextEdit(this);
  ui_.MemoListView->setObjectName(QStringLiteral("MemoListView"));
  for (QWidget* editor : {static_cast<QWidget*>(ui_.EditListView), static_cast<QWidget*>(ui_.EditListViewCopy),
                          static_cast<QWidget*>(ui_.ComboBoxListView), static_cast<QWidget*>(ui_.MemoListView)})
    editor->hide();
}

}  // namespace hozanki
