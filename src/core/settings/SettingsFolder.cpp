#include "core/settings/SettingsFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace hozanki {

std::filesystem::path SettingsFolder(const std::filesystem::path& executable) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path folder;
  if (const char* dir = std::getenv("HOZANKI_CONFIG_DIR"); dir && *dir) {
    folder = dir;
  } else if (!executable.empty() &&
             ::access((executable.parent_path() / kSettingsFileName).c_str(), W_OK) == 0) {
    folder = executable.parent_path();
  } else if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && fs::path(xdg).is_absolute()) {
    folder = fs::path(xdg) / "hozanki";
  } else {
    folder = FallbackFolder() / ".config" / "hozanki";
  }
  fs::create_directories(folder, ec);
  return folder;
}

std::filesystem::path FallbackFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  return "/";
}

}  // namespace hozanki
