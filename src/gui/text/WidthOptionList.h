#pragma once
// `CheckListBoxOption`: the editor of a 全角/半角 step's width options, six
// check items over a four-position option string ("A9Ko"). A checked K (or
// O) shows k (or o) grayed: implied and not clickable.

#include <QListWidget>
#include <array>
#include <string>
#include <string_view>

namespace hozanki {

// The six items' states, kept consistent by Click.
class WidthOptionState {
 public:
  enum Item { kAlpha, kDigit, kKana, kKanaVoiced, kOther, kOtherSpace, kItemCount };
  enum class Check { Off, On, Grayed };

  // From the four positions: A, 9, k or K, o or O (anything else is off).
  explicit WidthOptionState(std::string_view options = {});
  Check State(int item) const { return states_[static_cast<size_t>(item)]; }
  // A click on an item: toggles it; K or O on grays k or o, off leaves them
  // checked; a grayed item does not change.
  void Click(int item);
  // Position 1 A or -, 2 9 or -, 3 k (plainly checked), K or -, 4 o, O or -.
  std::string Options() const;

 private:
  std::array<Check, kItemCount> states_{};
};

class WidthOptionList : public QListWidget {
  Q_OBJECT

 public:
  explicit WidthOptionList(QWidget* parent = nullptr);
  void SetOptions(std::string_view options);
  std::string Options() const { return state_.Options(); }
  void ClickItem(int item);

 signals:
  // Enter or Escape: the editor is done.
  void Finished();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ShowState();
  WidthOptionState state_;
};

}  // namespace hozanki
