#pragma once
// Colours as the settings file stores them ("ColorNC" ...): a value whose top
// byte is 0x80 names a system colour by its index (8 window text, 14
// highlight text, ...), taken from the palette; anything else is 0x00BBGGRR.

#include <QColor>
#include <QPalette>

namespace hozanki {

QColor StoredColor(int encoded, const QPalette& palette);

}  // namespace hozanki
