#pragma once
// The running instance's side of a later start: the paths it hands over
// raise the main window (restored when minimised) and open as a path list
// (`OpenPathList`; an empty list only raises the window).
//
// A hand-over is queued, never opened where it arrives: it waits while a
// modal dialog or question is open and while the external editor is waited
// for, so that the unsaved-changes question is never asked inside another
// one and editor lines always go back to the folder they came from. Of lists
// that arrive meanwhile the last one is opened.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace hozanki {

class SingleInstance;
class TFormMain;

class HandOverQueue : public QObject {
  Q_OBJECT

 public:
  struct Host {
    // The window can take a path list now.
    std::function<bool()> ready;
    std::function<void()> raise;
    std::function<void(const std::vector<std::filesystem::path>&)> open;
  };
  HandOverQueue(Host host, QObject* parent);

  // A later start's list: the window is raised at once, the list opened
  // once the window is ready (at the earliest after this call returned).
  void Receive(const QList<QByteArray>& paths);
  bool HasPending() const { return pending_.has_value(); }

 private:
  void TryOpen();

  Host host_;
  QTimer retry_;
  std::optional<std::vector<std::filesystem::path>> pending_;
};

// Whether `window` may open a handed-over list now: no modal dialog open and
// the external editor not running.
bool WindowTakesHandOver(const TFormMain& window);

// Connects the instance's hand-overs to the window through a queue owned by
// the window.
HandOverQueue* AcceptHandOvers(SingleInstance& instance, TFormMain& window);

}  // namespace hozanki
