#include "gui/app/StartUp.h"

#include "gui/app/FormMain.h"
#include "gui/catalogue/SingleInstance.h"

namespace hozanki {

void AcceptHandOvers(SingleInstance& instance, TFormMain& window) {
  QObject::connect(&instance, &SingleInstance::PathListReceived, &window,
                   [&window](const QList<QByteArray>& list) {
                     SingleInstance::BringToFront(&window);
                     window.Session().OpenPathList(ToPaths(list));
                   });
}

}  // namespace hozanki
