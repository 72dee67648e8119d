#include "gui/catalogue/FileDragOut.h"

#include <unistd.h>

#include <QByteArray>
#include <QDrag>
#include <QMimeData>
#include <QWidget>

namespace hozanki {

namespace {

const QString kOwnDragFormat = QStringLiteral("application/x-hozanki-own-drag");

QByteArray OwnMark() {
  return QByteArray::number(static_cast<qlonglong>(::getpid()));
}

}  // namespace

QUrl FileUrlOf(const std::filesystem::path& path) {
  QByteArray raw = QByteArray::fromStdString(path.native());
  return QUrl::fromEncoded("file://" + raw.toPercentEncoding("/"), QUrl::StrictMode);
}

std::filesystem::path PathOfFileUrl(const QUrl& url) {
  if (!url.isLocalFile() || !url.host().isEmpty()) return {};
  QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
  return std::filesystem::path(QByteArray::fromPercentEncoding(encoded).toStdString());
}

QMimeData* MakeFileDragMimeData(const std::vector<std::filesystem::path>& fullPaths) {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const std::filesystem::path& p : fullPaths) urls.append(FileUrlOf(p));
  data->setUrls(urls);
  data->setData(kOwnDragFormat, OwnMark());
  return data;
}

bool IsOwnFileDrag(const QMimeData* data) {
  return data && data->hasFormat(kOwnDragFormat) && data->data(kOwnDragFormat) == OwnMark();
}

std::vector<std::filesystem::path> DroppedPaths(const QMimeData* data) {
  std::vector<std::filesystem::path> paths;
  if (!data || IsOwnFileDrag(data) || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    std::filesystem::path p = PathOfFileUrl(url);
    if (!p.empty()) paths.push_back(std::move(p));
  }
  return paths;
}

void StartFileDrag(QWidget* source, const std::vector<std::filesystem::path>& fullPaths) {
  if (!source || fullPaths.empty()) return;
  auto* drag = new QDrag(source);
  drag->setMimeData(MakeFileDragMimeData(fullPaths));
  drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
}

}  // namespace hozanki
