#include "gui/app/FormAbout.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/app/HelpLocator.h"

namespace hozanki {

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormAbout"));
  setWindowTitle(QStringLiteral("バージョン情報"));
  AddHelpKey(this, kHelpContext);
  auto* layout = new QVBoxLayout(this);
  auto* icon = new QLabel;
  icon->setPixmap(QIcon(QStringLiteral(":/hozanki.svg")).pixmap(48, 48));
  icon->setAlignment(Qt::AlignCenter);
  auto* name = new QLabel(QStringLiteral("<b>Hozanki</b>"));
  name->setObjectName(QStringLiteral("LabelName"));
  name->setAlignment(Qt::AlignCenter);
  auto* version = new QLabel(QStringLiteral("バージョン %1").arg(QStringLiteral(HOZANKI_VERSION)));
  version->setObjectName(QStringLiteral("LabelVersion"));
  version->setAlignment(Qt::AlignCenter);
  auto* what = new QLabel(QStringLiteral("マルチメディアファイルのタグ編集・リネーム"));
  what->setAlignment(Qt::AlignCenter);
  const QString page = QString::fromLatin1(kWebPage);
  auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(page));
  link->setObjectName(QStringLiteral("LabelWebPage"));
  link->setAlignment(Qt::AlignCenter);
  link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(link, &QLabel::linkActivated, this,
          [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  for (QWidget* w : {static_cast<QWidget*>(icon), static_cast<QWidget*>(name), static_cast<QWidget*>(version),
                     static_cast<QWidget*>(what), static_cast<QWidget*>(link)})
    layout->addWidget(w);
  layout->addWidget(buttons);
  setFixedSize(sizeHint());
}

}  // namespace hozanki
