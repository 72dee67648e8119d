#pragma once
// `OptionCommands`: "動作環境(&E)" opens the options dialog; its OK applies
// the new options at once (the user tools are not the dialog's and stay).
// The main window is reached only through `OptionHost`.

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>

#include "core/settings/AppSettings.h"
#include "gui/options/FormOption.h"

class QWidget;

namespace hozanki {

// What the options need of the main window.
struct OptionHost {
  // Parent of the dialog.
  QWidget* window = nullptr;
  std::filesystem::path settingsFolder;
  // The font family the lists show now.
  std::function<QString()> fontFamily;
  // Shows the options now in force: memo height, font, colours and the rest.
  std::function<void(const AppSettings& options)> showOptions;
};

class OptionCommands : public QObject {
  Q_OBJECT

 public:
  OptionCommands(OptionHost host, QObject* parent);

  // "動作環境(&E)": the options dialog, modal; OK applies its settings.
  void MenuOptionGeneralClick();
  // The options in force from now on, the user tools kept; then shown.
  void ApplyOptions(const AppSettings& options);
  // The desktop dialogs the options dialog uses (tests put their own in).
  void SetOptionDialogs(OptionDialogs dialogs) { optionDialogs_ = std::move(dialogs); }

 private:
  OptionHost host_;
  OptionDialogs optionDialogs_;
};

}  // namespace hozanki
