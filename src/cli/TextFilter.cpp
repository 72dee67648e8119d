#include "TextFilter.h"

#include <iostream>

#include "CliCommand.h"
#include "core/text/TextWidth.h"

namespace hozanki::cli {

int RunCheckedLineFilter(std::string_view command, const CheckedLineTransform& transform) {
  std::ios::sync_with_stdio(false);
  std::string line;
  std::string out;
  std::string error;
  long long number = 0;
  while (std::getline(std::cin, line)) {
    ++number;
    if (!IsValidUtf8(line)) {
      std::cout.flush();
      std::cerr << "hozanki-cli " << command << ": line " << number << " is not valid UTF-8\n";
      return kExitUsage;
    }
    error.clear();
    out = transform(line, error);
    if (!error.empty()) {
      std::cout.flush();
      std::cerr << "hozanki-cli " << command << ": line " << number << " could not be handled: " << Reason(error)
                << "\n";
      return kExitFailed;
    }
    out.push_back('\n');
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
  }
  std::cout.flush();
  return std::cout ? kExitOk : kExitFailed;
}

int RunLineFilter(std::string_view command, const std::function<std::string(std::string_view)>& transform) {
  return RunCheckedLineFilter(command,
                              [&transform](std::string_view line, std::string&) { return transform(line); });
}

}  // namespace hozanki::cli
