#include "gui/options/OptionCommands.h"

namespace hozanki {

OptionCommands::OptionCommands(OptionHost host, QObject* parent)
    : QObject(parent), host_(std::move(host)), optionDialogs_(StandardOptionDialogs()) {}

void OptionCommands::MenuOptionGeneralClick() {
  TFormOption dialog(AppSettings::Current(), host_.fontFamily(), host_.settingsFolder, optionDialogs_,
                     host_.window);
  if (dialog.exec() != QDialog::Accepted) return;
  ApplyOptions(dialog.Result());
}

void OptionCommands::ApplyOptions(const AppSettings& options) {
  AppSettings& current = AppSettings::Current();
  std::vector<ToolEntry> tools = std::move(current.tools);
  current = options;
  current.tools = std::move(tools);
  host_.showOptions(current);
}

}  // namespace hozanki
