#include "gui/app/StartUp.h"

#include <QApplication>

#include "gui/app/FormMain.h"
#include "gui/catalogue/SingleInstance.h"
#include "gui/tools/ToolCommands.h"

namespace hozanki {

namespace {
constexpr int kRetryMs = 200;
}

HandOverQueue::HandOverQueue(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {
  retry_.setSingleShot(true);
  connect(&retry_, &QTimer::timeout, this, &HandOverQueue::TryOpen);
}

void HandOverQueue::Receive(const QList<QByteArray>& paths) {
  if (host_.raise) host_.raise();
  // A start without paths only raises; it does not replace a waiting list.
  if (paths.isEmpty()) return;
  pending_ = ToPaths(paths);
  retry_.start(0);
}

void HandOverQueue::TryOpen() {
  if (!pending_) return;
  if (host_.ready && !host_.ready()) {
    retry_.start(kRetryMs);
    return;
  }
  std::vector<std::filesystem::path> paths = std::move(*pending_);
  pending_.reset();
  host_.open(paths);
}

bool WindowTakesHandOver(const TFormMain& window) {
  return !QApplication::activeModalWidget() && !window.Tools().EditorRunning();
}

HandOverQueue* AcceptHandOvers(SingleInstance& instance, TFormMain& window) {
  HandOverQueue::Host host;
  host.ready = [&window] { return WindowTakesHandOver(window); };
  host.raise = [&window] { SingleInstance::BringToFront(&window); };
  host.open = [&window](const std::vector<std::filesystem::path>& paths) { window.Session().OpenPathList(paths); };
  auto* queue = new HandOverQueue(std::move(host), &window);
  QObject::connect(&instance, &SingleInstance::PathListReceived, queue, &HandOverQueue::Receive,
                   Qt::QueuedConnection);
  return queue;
}

}  // namespace hozanki
