#include "core/catalogue/ColumnTables.h"

namespace hozanki {

int SortMarkPosition(const ColumnSpec& column) {
  const std::string_view caption = column.caption;
  if (caption.empty()) return -1;
  if (column.alignment == ColumnAlignment::Right && caption.front() == ' ') return 0;
  if (column.alignment == ColumnAlignment::Left && caption.back() == ' ') {
    // Index in characters, not bytes: count UTF-8 lead bytes before the blank.
    int index = 0;
    for (size_t i = 0; i + 1 < caption.size(); ++i)
      if ((static_cast<unsigned char>(caption[i]) & 0xC0) != 0x80) ++index;
    return index;
  }
  return -1;
}

}  // namespace hozanki
