#include "gui/catalogue/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalSocket>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <system_error>

#include "core/catalogue/FolderScan.h"

namespace hozanki {

namespace {

constexpr qsizetype kMaxMessage = 16 * 1024 * 1024;
const QByteArray kAnswer = "OK\n";

bool IsComplete(const QByteArray& message) {
  return message == "\n" || message.endsWith("\n\n");
}

}  // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
}

QString SingleInstance::ServerName(unsigned userId, const QByteArray& display,
                                   const std::filesystem::path& settingsFolder) {
  // Fields separated by NUL, which none of them holds.
  QByteArray key = QByteArray::number(userId);
  key.append('\0');
  key.append(display);
  key.append('\0');
  key.append(settingsFolder.native().data(), static_cast<qsizetype>(settingsFolder.native().size()));
  const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(12);
  return QStringLiteral("NR284_Mutex") + QString::fromLatin1(hash);
}

QByteArray SingleInstance::DisplayIdentity() {
  for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY", "XDG_SESSION_ID"}) {
    const char* value = std::getenv(name);
    if (value && *value) return QByteArray(name) + '=' + value;
  }
  return {};
}

QString SingleInstance::DefaultServerName(const std::filesystem::path& settingsFolder) {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::weakly_canonical(settingsFolder, ec);
  if (ec || folder.empty()) folder = settingsFolder.lexically_normal();
  if (folder.has_relative_path() && !folder.has_filename()) folder = folder.parent_path();
  return ServerName(static_cast<unsigned>(::getuid()), DisplayIdentity(), folder);
}

namespace {

enum class HandOff { NoListener, Delivered, NoAnswer };

HandOff Deliver(const QString& serverName, const std::vector<std::filesystem::path>& paths, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(serverName);
  if (!socket.waitForConnected(timeoutMs)) return HandOff::NoListener;
  socket.write(SingleInstance::EncodePathList(paths));
  if (!socket.waitForBytesWritten(timeoutMs)) return HandOff::NoAnswer;
  QByteArray answer;
  while (!answer.contains('\n')) {
    if (!socket.waitForReadyRead(timeoutMs)) break;
    answer += socket.readAll();
  }
  socket.disconnectFromServer();
  return answer == kAnswer ? HandOff::Delivered : HandOff::NoAnswer;
}

}  // namespace

bool SingleInstance::HandOffOrListen(const std::vector<std::filesystem::path>& paths, int timeoutMs) {
  // A running instance that accepts the connection but does not answer in
  // time is still running: this start ends all the same.
  if (Deliver(serverName_, paths, timeoutMs) != HandOff::NoListener) return true;
  if (server_.listen(serverName_)) return false;
  if (server_.serverError() == QAbstractSocket::AddressInUseError) {
    // Another first start won the race, or a crashed instance left its socket.
    if (Deliver(serverName_, paths, timeoutMs) != HandOff::NoListener) return true;
    QLocalServer::removeServer(serverName_);
    server_.listen(serverName_);
  }
  return false;
}

bool SingleInstance::SendPathList(const QString& serverName, const std::vector<std::filesystem::path>& paths,
                                  int timeoutMs) {
  return Deliver(serverName, paths, timeoutMs) == HandOff::Delivered;
}

void SingleInstance::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    socket->setParent(this);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (socket->bytesAvailable() > 0) Read(socket);
  }
}

void SingleInstance::Read(QLocalSocket* socket) {
  QByteArray message = socket->property("message").toByteArray() + socket->readAll();
  if (message.size() > kMaxMessage) {
    socket->abort();
    return;
  }
  if (!IsComplete(message)) {
    socket->setProperty("message", message);
    return;
  }
  socket->setProperty("message", QByteArray());
  socket->write(kAnswer);
  socket->flush();
  std::vector<std::filesystem::path> paths = DecodePathList(message);
  QList<QByteArray> list;
  for (const std::filesystem::path& p : paths) list.append(QByteArray::fromStdString(p.native()));
  // Signalled once this handler has returned: a receiver that runs an event
  // loop (a question box) may see the socket disconnect and go meanwhile.
  QTimer::singleShot(0, this, [this, list] { emit PathListReceived(list); });
}

std::vector<std::filesystem::path> SingleInstance::ArgumentPaths(int argc, char** argv,
                                                                 const std::filesystem::path& workingFolder) {
  std::vector<std::filesystem::path> paths;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '\0') continue;
    paths.push_back(AbsolutePathForm(std::filesystem::path(argv[i]), workingFolder));
  }
  return paths;
}

QByteArray SingleInstance::EncodePathList(const std::vector<std::filesystem::path>& paths) {
  QByteArray message;
  for (const std::filesystem::path& p : paths) {
    const std::string& raw = p.native();
    if (raw.empty() || raw.find('\n') != std::string::npos) continue;
    message.append(raw.data(), static_cast<qsizetype>(raw.size()));
    message.append('\n');
  }
  message.append('\n');
  return message;
}

std::vector<std::filesystem::path> SingleInstance::DecodePathList(const QByteArray& message) {
  std::vector<std::filesystem::path> paths;
  for (const QByteArray& line : message.split('\n'))
    if (!line.isEmpty()) paths.emplace_back(line.toStdString());
  return paths;
}

void SingleInstance::BringToFront(QWidget* window) {
  if (!window) return;
  if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->show();
  window->raise();
  window->activateWindow();
}

std::vector<std::filesystem::path> ToPaths(const QList<QByteArray>& paths) {
  std::vector<std::filesystem::path> out;
  out.reserve(static_cast<size_t>(paths.size()));
  for (const QByteArray& p : paths) out.emplace_back(p.toStdString());
  return out;
}

}  // namespace hozanki
