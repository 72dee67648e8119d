#pragma once
// The file-name cell of a file list in rename mode (`cmnListViewFCustomDrawSubItem`):
// a text wider than the cell loses characters from its end, whole ones only
// (a surrogate pair or a base character with its combining marks is one
// character), until it fits with "..." appended or one character is left.

#include <QString>

class QFontMetrics;

namespace hozanki {

// The text as drawn in `available` pixels (the column width − 12, not below 0).
QString ElideAtEnd(const QFontMetrics& metrics, const QString& text, int available);

}  // namespace hozanki
