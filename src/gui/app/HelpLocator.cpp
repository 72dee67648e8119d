#include "gui/app/HelpLocator.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

#include "gui/app/HelpViewer.h"

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
  if (HelpDesktopOpener()(url)) return;
  // No browser: the built-in viewer, never nothing.
  HelpViewer* viewer = parent ? parent->findChild<HelpViewer*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
  if (!viewer) viewer = new HelpViewer(parent);
  viewer->ShowPage(url);
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
}

QAction* AddHelpKey(QWidget* window, int context) {
  auto* help = new QAction(window);
  help->setObjectName(QStringLiteral("HelpContext"));
  help->setShortcut(QKeySequence(Qt::Key_F1));
  help->setShortcutContext(Qt::WindowShortcut);
  window->addAction(help);
  QObject::connect(help, &QAction::triggered, window, [window, context] { OpenHelp(window, context); });
  return help;
}

bool DesktopHasBrowser() {
  if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
  for (const char* program : {"x-www-browser", "firefox", "firefox-esr", "chromium", "google-chrome", "epiphany",
                              "konqueror", "falkon", "midori"})
    if (!QStandardPaths::findExecutable(QLatin1String(program)).isEmpty()) return true;
  if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()) return false;
  QProcess query;
  query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
  if (!query.waitForFinished(3000)) {
    query.kill();
    query.waitForFinished(1000);
    return false;
  }
  return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

std::function<bool(const QUrl&)>& HelpDesktopOpener() {
  static std::function<bool(const QUrl&)> opener = [](const QUrl& url) {
    return DesktopHasBrowser() && QDesktopServices::openUrl(url);
  };
  return opener;
}

}  // namespace hozanki
