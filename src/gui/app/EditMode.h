#pragma once
// The two editing modes of the main window: tag editing (the tag tables'
// edit columns) and renaming (the file lists' file-name column). The menu
// items' check marks follow the mode; they do not hold it.

namespace hozanki {

enum class EditMode { Tag, Rename };

}  // namespace hozanki
