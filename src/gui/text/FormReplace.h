#pragma once
// `TFormReplace` ("置換"): the search text with wildcards, the replacement
// text, "大小文字区別" and "すべて選択" of the replace command. Made on first
// use and kept until the program ends; the two histories and the case box
// are read from section "Replace" of "NR284.ini" when it is made and written
// back when it is destroyed.

#include <QDialog>
#include <filesystem>
#include <string>
#include <string_view>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace hozanki {

namespace settings::replace {
inline constexpr std::string_view kSection = "Replace";
inline constexpr std::string_view kCountB = "CountB";  // search history entries
inline constexpr std::string_view kB = "B";            // + n, n = 1 .. CountB, 1 the most recent
inline constexpr std::string_view kCountA = "CountA";  // replacement history entries
inline constexpr std::string_view kA = "A";            // + n
inline constexpr std::string_view kCharUL = "CharUL";
inline constexpr bool kCharULDefault = false;
}  // namespace settings::replace

class TFormReplace : public QDialog {
  Q_OBJECT
 public:
  // `settingsFolder` holds "NR284.ini" (empty: nothing is read or kept).
  explicit TFormReplace(const std::filesystem::path& settingsFolder, QWidget* parent = nullptr);
  ~TFormReplace() override;

  std::string SearchText() const;
  std::string ReplacementText() const;
  // `CheckBoxUL` unchecked: letter case is ignored.
  bool IgnoreCase() const;
  bool SelectAll() const;
  // After a run: the search text, and the replacement when not empty, go to
  // the top of their histories.
  void RememberTexts();

  QComboBox* ComboBoxRep1 = nullptr;
  QComboBox* ComboBoxRep2 = nullptr;
  QCheckBox* CheckBoxUL = nullptr;
  QCheckBox* CheckBoxAll = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;

 protected:
  // `FormClose`: the focus goes back to the search text.
  void done(int result) override;

 private:
  void FormCreate();
  void FormDestroy() const;

  std::filesystem::path settingsFolder_;
};

}  // namespace hozanki
