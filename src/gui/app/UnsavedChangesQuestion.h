#pragma once
// The question asked before staged edits would be dropped: closing the
// window, opening another folder, reloading, switching drives.

class QWidget;

namespace hozanki {

enum class UnsavedAnswer { Save, Discard, Cancel };

inline constexpr const char* kUnsavedChangesText = "変更が保存されていません。保存しますか？";

// "変更が保存されていません。保存しますか？" with 保存 (the default), 破棄 and
// キャンセル (also Escape and the title bar's close button), modal over
// `parent`.
UnsavedAnswer AskUnsavedChanges(QWidget* parent);

}  // namespace hozanki
