#pragma once
// Shared set-up of the Qt tests: every test program runs with its own
// temporary settings folder.

#include <QLatin1String>
#include <QObject>
#include <QTemporaryDir>
#include <QtGlobal>

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

}  // namespace guitest
