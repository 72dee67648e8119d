#pragma once
// The running instance's side of a later start: the paths it hands over
// raise the main window (restored when minimised) and open as a path list
// (`OpenPathList`; an empty list only raises the window).

namespace hozanki {

class SingleInstance;
class TFormMain;

void AcceptHandOvers(SingleInstance& instance, TFormMain& window);

}  // namespace hozanki
