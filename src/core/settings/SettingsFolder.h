#pragma once
// Where "NR284.ini", the three data files and the editor's exchange file live.

#include <filesystem>

namespace hozanki {

// $HOZANKI_CONFIG_DIR when set; else the folder of `executable` when it holds
// a writable "NR284.ini" (portable use); else $XDG_CONFIG_HOME/hozanki
// (~/.config/hozanki). The folder is created when it does not exist.
std::filesystem::path SettingsFolder(const std::filesystem::path& executable = {});

// The folder opened when the remembered one is gone: the user's home folder.
std::filesystem::path FallbackFolder();

inline constexpr const char* kSettingsFileName = "NR284.ini";

}  // namespace hozanki
