#include "gui/catalogue/StoredColor.h"

#include <QApplication>
#include <QPalette>

namespace hozanki {
namespace {

QColor SystemColor(int index) {
  const QPalette palette = QApplication::palette();
  switch (index) {
    case 5:  // window
    case 24:  // tooltip background
      return index == 24 ? palette.color(QPalette::ToolTipBase) : palette.color(QPalette::Base);
    case 7:  // menu text
    case 9:  // caption text
    case 8:  // window text
      return palette.color(QPalette::Text);
    case 13:  // highlight
    case 2:   // active caption
    case 29:  // menu highlight
    case 26:  // hot light
      return index == 26 ? palette.color(QPalette::Link) : palette.color(QPalette::Highlight);
    case 14:  // highlight text
      return palette.color(QPalette::HighlightedText);
    case 4:   // menu
    case 15:  // button face
    case 30:  // menu bar
    case 10:  // active border
    case 11:  // inactive border
      return palette.color(QPalette::Button);
    case 16:  // button shadow
    case 1:   // desktop
    case 12:  // application workspace
      return palette.color(QPalette::Dark);
    case 17:  // grey text
      return palette.color(QPalette::Disabled, QPalette::Text);
    case 18:  // button text
      return palette.color(QPalette::ButtonText);
    case 20:  // button highlight
      return palette.color(QPalette::Light);
    case 21:  // dark shadow
      return palette.color(QPalette::Shadow);
    case 22:  // 3D light
      return palette.color(QPalette::Midlight);
    case 23:  // tooltip text
      return palette.color(QPalette::ToolTipText);
    default:
      return palette.color(QPalette::Window);
  }
}

}  // namespace

QColor DecodeStoredColor(int stored) {
  const auto value = static_cast<uint32_t>(stored);
  if ((value >> 24) == 0x80) return SystemColor(static_cast<int>(value & 0xFFFFFF));
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}

int EncodeStoredColor(const QColor& color) {
  return color.red() | (color.green() << 8) | (color.blue() << 16);
}

}  // namespace hozanki
