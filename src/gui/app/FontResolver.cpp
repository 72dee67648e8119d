#include "gui/app/FontResolver.h"

#include <QFontDatabase>

namespace hozanki {

QString ResolveFontFamily(const QString& storedName) {
  if (!storedName.trimmed().isEmpty() && QFontDatabase::hasFamily(storedName)) return storedName;
  for (const char* family : {"Noto Sans Mono CJK JP", "Noto Sans CJK JP", "IPAGothic", "VL Gothic"}) {
    const QString name = QString::fromLatin1(family);
    if (QFontDatabase::hasFamily(name)) return name;
  }
  return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

}  // namespace hozanki
