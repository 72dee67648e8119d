#pragma once
// `TFormRegexp` ("正規表現"): a Perl-style substitution ("s/.../.../flags")
// or transliteration ("tr/.../.../flags") typed into a history box, two radio
// buttons that show and switch the kind, and "すべて選択". OK is enabled only
// while the text has the form of one of the two. Made on first use and kept
// until the program ends; the history lives in section "Regexp" of
// "NR284.ini", read when the dialog is made and written when it is destroyed.

#include <QDialog>
#include <filesystem>
#include <string>
#include <string_view>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace hozanki {

namespace settings::regexp {
inline constexpr std::string_view kSection = "Regexp";
inline constexpr std::string_view kCount = "Count";
inline constexpr std::string_view kP = "P";  // + n, n = 1 .. Count, 1 the most recent
}  // namespace settings::regexp

class TFormRegexp : public QDialog {
  Q_OBJECT
 public:
  // `settingsFolder` holds "NR284.ini" (empty: nothing is read or kept).
  explicit TFormRegexp(const std::filesystem::path& settingsFolder, QWidget* parent = nullptr);
  ~TFormRegexp() override;

  std::string Pattern() const;
  bool SelectAll() const;
  // After a run: the pattern goes to the top of the history.
  void RememberPattern();

  QComboBox* ComboBoxReg = nullptr;
  QRadioButton* RadioButtonRegS = nullptr;
  QRadioButton* RadioButtonRegTr = nullptr;
  QCheckBox* CheckBoxAll = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;

 protected:
  // `FormClose`: the focus goes back to the pattern.
  void done(int result) override;

 private slots:
  // Every change of the text: OK follows the pattern check, and the radio
  // buttons show the kind (without their click handler running).
  void ComboBoxRegChange(const QString& text);
  // A click on either radio button rewrites the text to the chosen kind.
  void RadioButtonRegClick();

 private:
  void FormCreate();
  void FormDestroy() const;

  std::filesystem::path settingsFolder_;
};

}  // namespace hozanki
