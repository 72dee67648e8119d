#include "gui/tools/ProgramStarter.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>
#include <cerrno>

namespace hozanki {
namespace {

QStringList Arguments(const ProgramCall& call) {
  QStringList arguments;
  for (const std::string& argument : call.arguments) arguments << QString::fromStdString(argument);
  return arguments;
}

// Why a program did not start, as an errno value.
int StartError(const QString& program) {
  if (program.isEmpty()) return ENOENT;
  const QString path = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) return ENOENT;
  if (info.isDir() || !info.isExecutable()) return EACCES;
  return ENOEXEC;
}

}  // namespace

ProgramStarter StandardProgramStarter() {
  ProgramStarter starter;
  starter.start = [](const ProgramCall& call) {
    if (call.program.empty()) return false;
    return QProcess::startDetached(QString::fromStdString(call.program), Arguments(call));
  };
  starter.open = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
  return starter;
}

int RunAndWait(const ProgramCall& call, QWidget* window) {
  const QString program = QString::fromStdString(call.program);
  if (program.isEmpty()) return ENOENT;
  QProcess process;
  process.setProgram(program);
  process.setArguments(Arguments(call));
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.start();
  if (!process.waitForStarted(10000)) return StartError(program);
  if (window) window->setEnabled(false);
  if (process.state() != QProcess::NotRunning) {
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning) loop.exec();
  }
  if (window) {
    window->setEnabled(true);
    window->raise();
    window->activateWindow();
  }
  return 0;
}

}  // namespace hozanki
