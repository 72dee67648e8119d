#pragma once
// The in-place edit field of a table's cell: a QLineEdit over the cell that
// stores on Enter or on losing focus and drops its text on Escape.

#include <QString>
#include <functional>

class QEvent;
class QLineEdit;
class QTableWidget;

namespace hozanki {

// Places `editor` over cell (`row`, `column`) of `table`, fills it with
// `text`, shows and focuses it with the text selected.
void ShowCellEditor(QTableWidget* table, QLineEdit* editor, int row, int column, const QString& text);

// For the event filter of such an editor: calls `close(store)` when `event`
// ends the editing; true when the event is used up (a closing key).
bool FilterCellEditorEvent(QEvent* event, const std::function<void(bool store)>& close);

}  // namespace hozanki
