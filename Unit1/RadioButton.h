#pragma once

#include <QRadioButton>

namespace kobanto {

// A radio button that shares its parent with its siblings. Checking it, by a click or by code,
// clears the other radio buttons of the parent and then raises Click; clearing it by code raises
// nothing, and a click on a button already checked does nothing. So both may be clear after
// loading, while a click can only check a button.
class TRadioButton : public QRadioButton {
  Q_OBJECT

 public:
  explicit TRadioButton(QWidget* parent = nullptr);

  void SetChecked(bool checked);

 signals:
  void Click();

 protected:
  void nextCheckState() override;
  // The whole control answers a click, not only its circle and caption.
  bool hitButton(const QPoint& pos) const override;
};

}  // namespace kobanto
