#pragma once
// `TFormSubstr` ("部分参照"): the start position and the length of the part
// of each text to keep, and "すべて選択". Made on first use and kept until
// the program ends, so the two numbers (0 and 0 at first) last for the run;
// nothing is stored.

#include <QDialog>
#include <string>

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace hozanki {

class TFormSubstr : public QDialog {
  Q_OBJECT
 public:
  explicit TFormSubstr(QWidget* parent = nullptr);
  ~TFormSubstr() override;

  // "START,END" for Substring, from the two fields as typed.
  std::string Spec() const;
  bool SelectAll() const;

  // At most 4 characters, up-down buttons from -127 to 127.
  QSpinBox* Edit1 = nullptr;
  QSpinBox* Edit2 = nullptr;
  QCheckBox* CheckBoxAll = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;

 protected:
  // `FormClose`: the focus goes back to the start position.
  void done(int result) override;
};

}  // namespace hozanki
