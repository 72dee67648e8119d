// TFormMain: dragging rows of the tag tables (the work is TagRowDrag's).

#include "gui/app/FormMain.h"
#include "gui/tagedit/TagRowDrag.h"

namespace hozanki {

void TFormMain::SetUpRowDrag() {
  rowDrag_ = new TagRowDrag(*this);
}

}  // namespace hozanki
