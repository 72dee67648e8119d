#pragma once
// Files dragged out of a file list to another program, and files dropped on
// the main window: text/uri-list of file URLs that carry a name's raw bytes
// (percent-encoded), so names that are not UTF-8 survive both ways. A drag
// started here is marked so that the own window never takes it as a drop.

#include <QList>
#include <QUrl>
#include <filesystem>
#include <vector>

class QMimeData;
class QWidget;

namespace hozanki {

// A file URL of a path's raw bytes ("file:///music/%83e.mp3" for a code page
// 932 name).
QUrl FileUrlOf(const std::filesystem::path& path);

// The local path of a file URL, raw bytes; empty for other URLs.
std::filesystem::path PathOfFileUrl(const QUrl& url);

// The data of a drag of files out of the window: the full paths in list
// order as text/uri-list, plus the own-drag mark. Owned by the caller (or by
// the QDrag / model that returns it).
QMimeData* MakeFileDragMimeData(const std::vector<std::filesystem::path>& fullPaths);

// True for a drag that started in this program: the main window refuses it.
bool IsOwnFileDrag(const QMimeData* data);

// The local files of a drop from another program (`OpenPathList` input);
// empty for a drag of our own or without file URLs.
std::vector<std::filesystem::path> DroppedPaths(const QMimeData* data);

// Runs a drag of the files (copy or link; the files are never moved) from
// `source`. Returns when the drag ends.
void StartFileDrag(QWidget* source, const std::vector<std::filesystem::path>& fullPaths);

}  // namespace hozanki
