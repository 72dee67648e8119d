#include "gui/tools/ProgramStarter.h"

#include <QDesktopServices>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <cerrno>

#include "core/common/Utf8.h"
#include "core/tools/ProgramStart.h"

namespace hozanki {
namespace {

QStringList Arguments(const ProgramCall& call) {
  QStringList arguments;
  for (const std::string& argument : call.arguments) arguments << QFile::decodeName(QByteArray::fromStdString(argument));
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

// The small message shown while the editor runs, beside the disabled window
// (a window of its own: a child of the disabled window would be disabled too).
QDialog* WaitMessage(QWidget* window, const QString& program) {
  auto* box = new QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
  box->setObjectName(QStringLiteral("EditorWait"));
  box->setAttribute(Qt::WA_DeleteOnClose, false);
  box->setWindowTitle(window ? window->windowTitle() : QString());
  auto* text = new QLabel(QStringLiteral("エディタの終了を待っています。\n%1\n"
                                         "エディタを閉じると、編集した行が取り込まれます。")
                              .arg(QFileInfo(program).fileName()));
  auto* stop = new QPushButton(QStringLiteral("待つのをやめる(&S)"));
  stop->setObjectName(QStringLiteral("ButtonStopWaiting"));
  stop->setToolTip(QStringLiteral("編集した行を取り込まずに戻ります"));
  QObject::connect(stop, &QPushButton::clicked, box, &QDialog::reject);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(text);
  layout->addWidget(stop, 0, Qt::AlignRight);
  if (window && window->windowHandle()) {
    box->winId();
    box->windowHandle()->setTransientParent(window->windowHandle());
    box->adjustSize();
    box->move(window->geometry().center() - box->rect().center());
  }
  return box;
}

}  // namespace

ProgramStarter StandardProgramStarter() {
  ProgramStarter starter;
  starter.start = [](const ProgramCall& call) { return !call.program.empty() && StartDetached(call) == 0; };
  starter.open = [](const std::filesystem::path& path) {
    // A URL carries only UTF-8 names; other bytes go to xdg-open as they are.
    if (IsValidUtf8(path.native())) return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.native())));
    return StartDetached(ProgramCall{"xdg-open", {path.native()}}) == 0;
  };
  return starter;
}

WaitOutcome RunAndWait(const ProgramCall& call, QWidget* window) {
  const QString program = QFile::decodeName(QByteArray::fromStdString(call.program));
  if (program.isEmpty()) return {ENOENT, false};
  // Left to end on its own when the user stops waiting: deleting it would
  // kill the editor with the user's text in it.
  auto* process = new QProcess;
  process->setProgram(program);
  process->setArguments(Arguments(call));
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  process->start();
  if (!process->waitForStarted(10000)) {
    delete process;
    return {StartError(program), false};
  }
  QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
  WaitOutcome outcome;
  if (process->state() != QProcess::NotRunning) {
    if (window) window->setEnabled(false);
    QDialog* box = WaitMessage(window, program);
    QEventLoop loop;
    QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(box, &QDialog::finished, &loop, [&] {
      outcome.stopped = true;
      loop.quit();
    });
    box->show();
    if (process->state() != QProcess::NotRunning) loop.exec();
    box->disconnect(&loop);
    delete box;
    if (window) {
      window->setEnabled(true);
      window->raise();
      window->activateWindow();
    }
  } else {
    process->deleteLater();
  }
  return outcome;
}

}  // namespace hozanki
