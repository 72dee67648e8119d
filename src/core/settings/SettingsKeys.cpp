#include "core/settings/SettingsKeys.h"

namespace hozanki::settings {
std::span<const int> FileColumnDefaults(MediaFormat format) { return Describe(format).fileWidths; }

std::span<const int> TagColumnDefaults(TagKind kind) { return Describe(kind).widths; }

}  // namespace hozanki::settings
