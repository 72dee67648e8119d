#include "gui/catalogue/StoredColor.h"

#include <cstdint>

namespace hozanki {

namespace {

QPalette::ColorRole SystemColorRole(int index) {
  switch (index) {
    case 0:
      return QPalette::Button;  // scroll bar
    case 1:
      return QPalette::Window;  // desktop
    case 2:
      return QPalette::Highlight;  // active caption
    case 3:
      return QPalette::Mid;  // inactive caption
    case 4:
      return QPalette::Window;  // menu
    case 5:
      return QPalette::Base;  // window
    case 6:
      return QPalette::Shadow;  // window frame
    case 7:
      return QPalette::WindowText;  // menu text
    case 8:
      return QPalette::Text;  // window text
    case 9:
      return QPalette::HighlightedText;  // caption text
    case 10:
    case 11:
      return QPalette::Window;  // borders
    case 12:
      return QPalette::Mid;  // application workspace
    case 13:
      return QPalette::Highlight;
    case 14:
      return QPalette::HighlightedText;
    case 15:
      return QPalette::Button;  // button face
    case 16:
      return QPalette::Dark;  // button shadow
    case 17:
      return QPalette::PlaceholderText;  // grey text
    case 18:
      return QPalette::ButtonText;
    case 19:
      return QPalette::WindowText;  // inactive caption text
    case 20:
      return QPalette::Light;  // button highlight
    case 21:
      return QPalette::Shadow;  // 3D dark shadow
    case 22:
      return QPalette::Midlight;  // 3D light
    case 23:
      return QPalette::ToolTipText;
    case 24:
      return QPalette::ToolTipBase;
    default:
      return QPalette::Text;
  }
}

}  // namespace

QColor StoredColor(int encoded, const QPalette& palette) {
  const auto value = static_cast<uint32_t>(encoded);
  if ((value >> 24) == 0x80)
    return palette.color(QPalette::Active, SystemColorRole(static_cast<int>(value & 0xFF)));
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}

}  // namespace hozanki
