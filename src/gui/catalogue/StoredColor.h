#pragma once
// Colours as the settings file stores them ("ColorNC", "ColorNB", "ColorSC",
// "ColorSB"): 0x00BBGGRR, or with the top byte 0x80 a system colour named by
// its index (5 window, 8 window text, 13 highlight, 14 highlight text, 15
// button face ...), taken from the application's palette.

#include <QColor>

namespace hozanki {

QColor DecodeStoredColor(int stored);
// The stored form of an explicit colour (never a system colour).
int EncodeStoredColor(const QColor& color);

}  // namespace hozanki
