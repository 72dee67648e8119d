#include "gui/catalogue/ElideText.h"

#include <QFontMetrics>
#include <algorithm>
#include <QList>
#include <QTextBoundaryFinder>

namespace hozanki {

QString ElideAtEnd(const QFontMetrics& metrics, const QString& text, int available) {
  available = std::max(0, available);
  if (metrics.horizontalAdvance(text) <= available) return text;
  const QString dots = QStringLiteral("...");
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  QList<qsizetype> ends;  // the end of each character
  for (qsizetype p = finder.toNextBoundary(); p != -1; p = finder.toNextBoundary()) ends.append(p);
  for (qsizetype k = ends.size() - 2; k > 0; --k) {
    QString candidate = text.left(ends[k]) + dots;
    if (metrics.horizontalAdvance(candidate) <= available) return candidate;
  }
  return ends.isEmpty() ? dots : text.left(ends.first()) + dots;
}

}  // namespace hozanki
