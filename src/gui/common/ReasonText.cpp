#include "gui/common/ReasonText.h"

#include "core/common/Failure.h"

namespace hozanki {

QString ReasonText(std::string_view reason) {
  const std::string text = WordReasons(reason, false);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace hozanki
