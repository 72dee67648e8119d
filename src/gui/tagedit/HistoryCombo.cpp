#include "gui/tagedit/HistoryCombo.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace hozanki {

void AddToHistory(QComboBox* box, const QString& text) {
  if (!box || text.isEmpty()) return;
  int found = -1;
  for (int i = 0; i < box->count(); ++i)
    if (box->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
      found = i;
      break;
    }
  const QSignalBlocker blocker(box);
  if (found < 0) {
    box->insertItem(0, text);
    while (box->count() > kHistoryMaxEntries) box->removeItem(kHistoryMaxEntries);
  } else {
    // The entry moves to the top with the text as now typed.
    box->insertItem(0, text);
    box->removeItem(found + 1);
  }
  box->setCurrentIndex(0);
  if (box->isEditable()) box->setEditText(text);
}

}  // namespace hozanki
