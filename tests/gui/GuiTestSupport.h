#pragma once
// Shared set-up of the Qt tests: every test program runs with its own
// temporary settings folder.

#include <QTemporaryDir>
#include <QtGlobal>

class ScopedConfigDir {
 public:
  ScopedConfigDir() { qputenv("HOZANKI_CONFIG_DIR", dir_.path().toLocal8Bit()); }
  QString path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};
