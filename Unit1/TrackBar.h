#pragma once

#include <QSlider>

namespace kobanto {

// A horizontal track bar: 0 at the left, ticks below, a thumb 20 pixels long. A click beside the
// thumb moves it by the page step. Positions set by code raise no change; every change the user
// makes raises Change once the new position is in place.
class TTrackBar : public QSlider {
  Q_OBJECT

 public:
  explicit TTrackBar(QWidget* parent = nullptr);

  int Position() const { return value(); }
  // Limits the position to the range and raises no change.
  void SetPosition(int position);

 signals:
  void Change();
};

}  // namespace kobanto
