#include "gui/text/WidthOptionList.h"

#include <QKeyEvent>

namespace hozanki {

WidthOptionState::WidthOptionState(std::string_view options) {
  auto at = [options](size_t i) { return i < options.size() ? options[i] : '-'; };
  auto on = [](bool b) { return b ? Check::On : Check::Off; };
  states_[kAlpha] = on(at(0) == 'A');
  states_[kDigit] = on(at(1) == '9');
  states_[kKana] = at(2) == 'k' ? Check::On : at(2) == 'K' ? Check::Grayed : Check::Off;
  states_[kKanaVoiced] = on(at(2) == 'K');
  states_[kOther] = at(3) == 'o' ? Check::On : at(3) == 'O' ? Check::Grayed : Check::Off;
  states_[kOtherSpace] = on(at(3) == 'O');
}

void WidthOptionState::Click(int item) {
  if (item < 0 || item >= kItemCount) return;
  Check& state = states_[static_cast<size_t>(item)];
  if (state == Check::Grayed) return;
  state = state == Check::On ? Check::Off : Check::On;
  if (item == kKanaVoiced || item == kOtherSpace) {
    // The plain item above goes grayed, or back to plainly checked.
    states_[static_cast<size_t>(item - 1)] = state == Check::On ? Check::Grayed : Check::On;
  }
}

std::string WidthOptionState::Options() const {
  std::string options;
  options += states_[kAlpha] == Check::On ? 'A' : '-';
  options += states_[kDigit] == Check::On ? '9' : '-';
  options += states_[kKana] == Check::On ? 'k' : states_[kKanaVoiced] == Check::On ? 'K' : '-';
  options += states_[kOther] == Check::On ? 'o' : states_[kOtherSpace] == Check::On ? 'O' : '-';
  return options;
}

WidthOptionList::WidthOptionList(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("CheckListBoxOption"));
  for (const char* caption :
       {"A: 英 字", "9: 数 字", "k: か な", "K:(濁点を含む)", "o: その他", "O:(空白も変換)"}) {
    auto* item = new QListWidgetItem(QString::fromUtf8(caption), this);
    // Checked by ClickItem only, so that the pairs stay consistent.
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  }
  connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { ClickItem(row(item)); });
  ShowState();
}

void WidthOptionList::SetOptions(std::string_view options) {
  state_ = WidthOptionState(options);
  ShowState();
}

void WidthOptionList::ClickItem(int item) {
  state_.Click(item);
  ShowState();
}

void WidthOptionList::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      emit Finished();
      return;
    case Qt::Key_Space:
      ClickItem(currentRow());
      return;
    default:
      QListWidget::keyPressEvent(event);
  }
}

void WidthOptionList::ShowState() {
  for (int i = 0; i < count() && i < WidthOptionState::kItemCount; ++i) {
    const WidthOptionState::Check check = state_.State(i);
    QListWidgetItem* it = item(i);
    it->setCheckState(check == WidthOptionState::Check::Off  ? Qt::Unchecked
                      : check == WidthOptionState::Check::On ? Qt::Checked
                                                             : Qt::PartiallyChecked);
    it->setForeground(check == WidthOptionState::Check::Grayed
                          ? palette().color(QPalette::Disabled, QPalette::Text)
                          : palette().color(QPalette::Text));
  }
}

}  // namespace hozanki
