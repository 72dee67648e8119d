#pragma once
// The font named in the settings ("FontName", default "ＭＳ ゴシック") as an
// installed family: a name that is not installed, the Windows gothic faces
// among them, becomes a Japanese monospace font (Noto Sans Mono CJK JP when
// installed, else the system's fixed font). The stored name is kept as is.

#include <QString>

namespace hozanki {

QString ResolveFontFamily(const QString& storedName);

}  // namespace hozanki
