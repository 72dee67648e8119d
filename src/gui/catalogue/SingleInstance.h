#pragma once
// One running instance per user, display (or session) and settings folder.
// The first start listens on a local socket named "NR284_Mutex" + a short
// hash of the three; a later start connects, sends its paths
// (absolute, as raw bytes, one per line, an empty line at the end), waits
// for the running instance to take them and ends with status 1 without a
// window. The running instance raises its window and opens the paths
// (`OpenPathList`); an empty list only raises the window. The list is
// signalled after the socket's own handler has returned, so whatever the
// receiver does (a modal question included) never runs inside it.

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
  explicit SingleInstance(QString serverName, QObject* parent = nullptr);

  // "NR284_Mutex" followed by 12 hex digits of a hash of the user id, the
  // display and the settings folder: starts that share all three share one
  // window.
  static QString ServerName(unsigned userId, const QByteArray& display, const std::filesystem::path& settingsFolder);
  // The name for this process: its user, its display ($WAYLAND_DISPLAY, else
  // $DISPLAY, else the login session $XDG_SESSION_ID) and `settingsFolder`
  // (made absolute and canonical where it exists).
  static QString DefaultServerName(const std::filesystem::path& settingsFolder);
  // The display part of the name, from this process's environment.
  static QByteArray DisplayIdentity();

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
