#pragma once
// One running instance per user. The first start listens on a local socket
// named "NR284_Mutex" + the user id; a later start connects, sends its paths
// (absolute, as raw bytes, one per line, an empty line at the end), waits
// for the running instance to take them and ends with status 1 without a
// window. The running instance raises its window and opens the paths
// (`OpenPathList`); an empty list only raises the window.

#include <QByteArray>
#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <filesystem>
#include <vector>

class QWidget;
class QLocalSocket;

namespace hozanki {

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  explicit SingleInstance(QString serverName = DefaultServerName(), QObject* parent = nullptr);

  // "NR284_Mutex" followed by the user id.
  static QString DefaultServerName();

  // Program entry: true when another instance runs (it was handed `paths`;
  // the caller returns 1); false when this is now the running instance
  // (listening, or on its own when the socket cannot be had). A socket left
  // by a crashed instance is replaced; a live one never is.
  bool HandOffOrListen(const std::vector<std::filesystem::path>& paths, int timeoutMs = 3000);
  bool IsListening() const { return server_.isListening(); }

  // Sends a path list to the instance listening on `serverName` and waits
  // until it has taken it. False when none listens or it did not answer.
  static bool SendPathList(const QString& serverName, const std::vector<std::filesystem::path>& paths,
                           int timeoutMs = 3000);

  // The command-line arguments as absolute paths (relative ones resolved
  // against `workingFolder`, symbolic links kept), raw bytes.
  static std::vector<std::filesystem::path> ArgumentPaths(int argc, char** argv,
                                                          const std::filesystem::path& workingFolder);

  // The message text and back. Paths holding a line break cannot be sent
  // and are left out.
  static QByteArray EncodePathList(const std::vector<std::filesystem::path>& paths);
  static std::vector<std::filesystem::path> DecodePathList(const QByteArray& message);

  // Brings a window to the front, restoring it when minimised.
  static void BringToFront(QWidget* window);

 signals:
  // A later start handed over its paths (possibly none).
  void PathListReceived(const QList<QByteArray>& paths);

 private:
  void Accept();
  void Read(QLocalSocket* socket);

  QString serverName_;
  QLocalServer server_;
};

// The paths of a PathListReceived signal.
std::vector<std::filesystem::path> ToPaths(const QList<QByteArray>& paths);

}  // namespace hozanki
