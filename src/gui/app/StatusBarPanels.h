#pragma once
// `StatusBar`: four panels. 0 the current folder (its width follows the bar:
// bar width - 195), 1 counts (centred, 100), 2 mode or activity (centred,
// 80), 3 an empty panel without bevel (3).

#include <QStatusBar>
#include <array>

class QLabel;

namespace hozanki {

class StatusBarPanels : public QStatusBar {
  Q_OBJECT

 public:
  static constexpr int kPanelCount = 4;
  static constexpr int kFixedWidths = 195;

  explicit StatusBarPanels(QWidget* parent = nullptr);

  void SetPanelText(int panel, const QString& text);
  QString PanelText(int panel) const;
  QLabel* Panel(int panel) const { return panels_[static_cast<size_t>(panel)]; }
  // The count of colliding new names, shown beside panel 0 while not 0.
  void SetConflictCount(int count);
  QLabel* ConflictPanel() const { return conflicts_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;  // StatusBarResize

 private:
  std::array<QLabel*, kPanelCount> panels_{};
  QLabel* conflicts_ = nullptr;
};

}  // namespace hozanki
