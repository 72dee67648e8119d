#include "gui/app/HelpLocator.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace hozanki {

QString HelpIndexPath() {
  QStringList candidates;
  const QString programFolder = QCoreApplication::applicationDirPath();
  candidates << programFolder + QStringLiteral("/../share/hozanki/help/index.html");
#ifdef HOZANKI_SOURCE_HELP_DIR
  candidates << QStringLiteral(HOZANKI_SOURCE_HELP_DIR "/index.html");
#endif
  for (const QString& candidate : candidates) {
    const QFileInfo info(candidate);
    if (info.isFile()) return QDir::cleanPath(info.absoluteFilePath());
  }
  return {};
}

QUrl HelpUrl(int context) {
  const QString path = HelpIndexPath();
  if (path.isEmpty()) return {};
  QUrl url = QUrl::fromLocalFile(path);
  if (context != 0) url.setFragment(QStringLiteral("context-%1").arg(context));
  return url;
}

void OpenHelp(QWidget* parent, int context) {
  const QUrl url = HelpUrl(context);
  if (url.isEmpty()) {
    QMessageBox::warning(parent, QStringLiteral(" - Hozanki -"),
                         QStringLiteral("ヘルプファイルが見つかりません。"));
    return;
  }
  QDesktopServices::openUrl(url);
}

}  // namespace hozanki
