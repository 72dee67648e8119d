#include "gui/app/HelpViewer.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace hozanki {

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("HelpViewer"));
  setWindowTitle(QStringLiteral("ヘルプ - Hozanki"));
  setAttribute(Qt::WA_DeleteOnClose);
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("HelpBrowser"));
  browser_->setOpenLinks(true);
  browser_->setOpenExternalLinks(true);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("ButtonClose"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_);
  layout->addWidget(buttons);
  resize(720, 560);
}

void HelpViewer::ShowPage(const QUrl& url) {
  QUrl page = url;
  page.setFragment({});
  if (browser_->source() != page) browser_->setSource(page);
  if (!url.fragment().isEmpty()) browser_->scrollToAnchor(url.fragment());
}

}  // namespace hozanki
