#include "gui/tagedit/WidthLimitValidator.h"

#include "core/text/TextWidth.h"

namespace hozanki {

int Cp932Width(const QString& text) {
  int width = 0;
  for (char32_t cp : text.toUcs4()) width += CharWidth(cp);
  return width;
}

QValidator::State WidthLimitValidator::validate(QString& text, int& position) const {
  if (limit_ <= 0) return Acceptable;
  int width = Cp932Width(text);
  // Drop whole characters before the cursor (the ones just typed or pasted).
  while (width > limit_ && position > 0) {
    int start = position - 1;
    if (start > 0 && text.at(start).isLowSurrogate() && text.at(start - 1).isHighSurrogate()) --start;
    width -= Cp932Width(text.mid(start, position - start));
    text.remove(start, position - start);
    position = start;
  }
  // Still too wide (text set from outside): cut at the end.
  while (width > limit_ && !text.isEmpty()) {
    int start = static_cast<int>(text.size()) - 1;
    if (start > 0 && text.at(start).isLowSurrogate() && text.at(start - 1).isHighSurrogate()) --start;
    width -= Cp932Width(text.mid(start));
    text.truncate(start);
    position = std::min(position, start);
  }
  return Acceptable;
}

}  // namespace hozanki
