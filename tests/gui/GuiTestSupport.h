#pragma once
// Shared set-up of the Qt tests: every test program runs with its own
// temporary settings folder; small shell scripts stand in for the programs
// the window starts.

#include <QFile>
#include <QLatin1String>
#include <QObject>
#include <QTemporaryDir>
#include <QtGlobal>
#include <QtTest>
#include <filesystem>

#include "core/settings/IniFile.h"

class ScopedConfigDir {
 public:
  ScopedConfigDir() { qputenv("HOZANKI_CONFIG_DIR", dir_.path().toLocal8Bit()); }
  QString path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

namespace guitest {

// The window's child object `name` of type T; ends the test program when
// there is none.
template <typename T>
T* Child(QObject& window, const char* name) {
  T* child = window.findChild<T*>(QLatin1String(name));
  if (!child) qFatal("no child %s", name);
  return child;
}

// An executable shell script at `path` that runs `body`.
inline void WriteScript(const QString& path, const QByteArray& body) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write("#!/bin/sh\n" + body);
  file.close();
  QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
}

// A script that writes each argument it gets, NUL-terminated, to `out`.
inline void WriteRecorder(const QString& path, const QString& out) {
  WriteScript(path, "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" + out.toUtf8() + "'.part\nmv '" +
                        out.toUtf8() + "'.part '" + out.toUtf8() + "'\n");
}

// `ini` as the settings file of the settings folder `configDir`.
inline void WriteIni(const QString& configDir, const hozanki::IniFile& ini) {
  QVERIFY(ini.Save(std::filesystem::path(configDir.toStdString()) / "NR284.ini"));
}

// Settings whose external editor is `editor`.
inline void WriteEditorSetting(const QString& configDir, const QString& editor) {
  hozanki::IniFile ini;
  ini.WriteString("Option", "Editor", editor.toStdString());
  WriteIni(configDir, ini);
}

}  // namespace guitest
