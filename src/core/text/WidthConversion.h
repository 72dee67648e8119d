#pragma once
// The width kinds of ConvertText: full width and half width.

#include <string>
#include <string_view>

namespace hozanki {

enum class WidthDirection { ToHalf, ToFull, Swap };

std::string ConvertWidth(WidthDirection direction, std::string_view text, std::string_view options);

}  // namespace hozanki
