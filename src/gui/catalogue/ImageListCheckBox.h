#pragma once
// `ImageListCheckBox`: the pictures of the mark column of all nineteen lists,
// by index: 0 unchecked, 1 checked, 2 unavailable, 3 changed mark, 4 error
// mark, 5 collision mark (a new name that another file has or will have).
// Painted once, 16 x 16 device-independent pixels each.

#include <QPixmap>

namespace hozanki {

class ImageListCheckBox {
 public:
  static constexpr int kCount = 6;
  static constexpr int kConflictImage = 5;
  static constexpr int kSize = 16;
  // An empty pixmap for an index outside 0..5.
  static const QPixmap& Image(int index);
};

}  // namespace hozanki
