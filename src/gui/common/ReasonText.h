#pragma once
// A reason from the core as the window shows it: each failure record worded
// as its Japanese sentence (never the English detail the command line adds).

#include <QString>
#include <string_view>

namespace hozanki {

QString ReasonText(std::string_view reason);

}  // namespace hozanki
