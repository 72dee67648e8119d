#pragma once
// Qt's own Japanese translation (package qt6-translations-l10n), so that
// standard buttons ("はい", "キャンセル") and Qt's dialogs speak Japanese like
// the rest of the program.

class QCoreApplication;

namespace hozanki {

// Loads "qtbase_ja" from Qt's translations folder and installs it in `app`.
// False (and nothing installed) when the file is missing.
bool InstallQtJapanese(QCoreApplication& app);

}  // namespace hozanki
