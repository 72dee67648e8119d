#include "gui/tagedit/FormSaveErrors.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/common/ReasonText.h"

namespace hozanki {
namespace {

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TFormSaveErrors::TFormSaveErrors(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormSaveErrors"));
  setWindowTitle(QString::fromUtf8(kSaveErrorsTitle));
  setModal(false);
  resize(760, 300);

  LabelSummary = new QLabel(this);
  LabelSummary->setObjectName(QStringLiteral("LabelSummary"));
  ListFailures = new QTreeWidget(this);
  ListFailures->setObjectName(QStringLiteral("ListFailures"));
  ListFailures->setColumnCount(2);
  ListFailures->setHeaderLabels({QStringLiteral("ファイル"), QStringLiteral("理由")});
  ListFailures->setRootIsDecorated(false);
  ListFailures->setUniformRowHeights(true);
  ListFailures->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // The start of a reason and the file's own name at the end of a path stay
  // visible; the whole text is in the tool tip.
  ListFailures->setTextElideMode(Qt::ElideMiddle);
  ListFailures->header()->setStretchLastSection(true);

  ButtonCopy = new QPushButton(QStringLiteral("コピー(&C)"), this);
  ButtonCopy->setObjectName(QStringLiteral("ButtonCopy"));
  ButtonClose = new QPushButton(QStringLiteral("閉じる"), this);
  ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
  ButtonClose->setDefault(true);
  connect(ButtonCopy, &QPushButton::clicked, this, &TFormSaveErrors::CopyClick);
  connect(ButtonClose, &QPushButton::clicked, this, &QDialog::close);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ButtonCopy);
  buttons->addStretch(1);
  buttons->addWidget(ButtonClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LabelSummary);
  layout->addWidget(ListFailures, 1);
  layout->addLayout(buttons);
}

void TFormSaveErrors::SetFailures(const QString& summary, const std::vector<SaveFailure>& failures) {
  LabelSummary->setText(summary);
  ListFailures->clear();
  QList<QTreeWidgetItem*> items;
  for (const SaveFailure& failure : failures) {
    auto* item = new QTreeWidgetItem({Text(failure.path), ReasonText(failure.reason)});
    item->setToolTip(0, item->text(0));
    item->setToolTip(1, item->text(1));
    items << item;
  }
  ListFailures->addTopLevelItems(items);
  ListFailures->resizeColumnToContents(0);
  ListFailures->header()->resizeSection(0, std::clamp(ListFailures->header()->sectionSize(0), 200, width() / 2));
  if (!items.isEmpty()) ListFailures->setCurrentItem(items.first());
}

void TFormSaveErrors::CopyClick() {
  QString text;
  for (int i = 0; i < ListFailures->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = ListFailures->topLevelItem(i);
    text += item->text(0) + QLatin1Char('\t') + item->text(1) + QLatin1Char('\n');
  }
  QApplication::clipboard()->setText(text);
}

TFormSaveErrors* ShowSaveErrors(QWidget* window, const QString& summary, const std::vector<SaveFailure>& failures) {
  auto* form = window->findChild<TFormSaveErrors*>(QString(), Qt::FindDirectChildrenOnly);
  if (!form) {
    form = new TFormSaveErrors(window);
    form->setAttribute(Qt::WA_DeleteOnClose);
  }
  form->SetFailures(summary, failures);
  form->show();
  form->raise();
  return form;
}

}  // namespace hozanki
