#pragma once
// `FeatureControllers`: the six feature controllers of the main window, made
// and wired to the menus by FormMainWiring.cpp: the commands on the selected
// cells, the user tools with the player and the external editor, the
// fixed-form rename patterns and their window, the list window, the options
// dialog and dragging rows of the tag tables. They are children of the
// window (Qt deletes them); the pointers are set once, before the window is
// shown.

namespace hozanki {

class CellCommands;
class ListWindowCommands;
class OptionCommands;
class RenamePatternCommands;
class TagRowDrag;
class ToolCommands;

struct FeatureControllers {
  CellCommands* cells = nullptr;
  ToolCommands* tools = nullptr;
  RenamePatternCommands* renames = nullptr;
  ListWindowCommands* listWindow = nullptr;
  OptionCommands* options = nullptr;
  TagRowDrag* rowDrag = nullptr;
};

}  // namespace hozanki
