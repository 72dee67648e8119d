#pragma once
// The history of a combo box (the replace, regular-expression and substring
// dialogs, the list window's extension box): when a dialog takes the box's
// text, an empty text changes nothing; a new text (letter case ignored) goes
// to the top and the list keeps at most 20 entries; a text already present
// moves to the top. Entry 0 is then the current one.

class QComboBox;
class QString;

namespace hozanki {

inline constexpr int kHistoryMaxEntries = 20;

void AddToHistory(QComboBox* box, const QString& text);

}  // namespace hozanki
