#pragma once
// Length limit of an edit box in code page 932 width (a double-byte
// character counts 2, so a limit of 30 takes 15 of them). Typed or pasted
// text that would go past the limit loses the characters just inserted
// (those before the cursor) until it fits; a character is never split.

#include <QValidator>

namespace hozanki {

class WidthLimitValidator : public QValidator {
  Q_OBJECT

 public:
  explicit WidthLimitValidator(QObject* parent = nullptr) : QValidator(parent) {}

  // 0 = no limit.
  void SetLimit(int width) { limit_ = width; }
  int Limit() const { return limit_; }

  State validate(QString& text, int& position) const override;

 private:
  int limit_ = 0;
};

// Width of a text in code page 932 bytes.
int Cp932Width(const QString& text);

}  // namespace hozanki
