#include "Unit1/TrackBar.h"

#include <QApplication>
#include <QPointer>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QStyleFactory>
#include <algorithm>

namespace kobanto {
namespace {

constexpr int kThumbLength = 20;

// The application's style with the track bar's thumb length, and a left click beside the thumb
// paging rather than jumping to the click.
class TrackBarStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_SliderLength) return kThumbLength;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_Slider_AbsoluteSetButtons) return Qt::NoButton;
    if (hint == SH_Slider_PageSetButtons) return Qt::LeftButton;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

// One style for every track bar, owned by the application so that it outlives them all.
QStyle* SharedTrackBarStyle() {
  static QPointer<QStyle> style;
  if (!style) {
    style = new TrackBarStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(QCoreApplication::instance());
  }
  return style;
}

}  // namespace

TTrackBar::TTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setStyle(SharedTrackBarStyle());
  setRange(0, 100);
  setSingleStep(1);
  setPageStep(10);
  setTickPosition(QSlider::TicksBelow);
  setTickInterval(10);
  // valueChanged follows every user action (arrow keys, paging, each move of a drag) after the
  // value is set; positions from code go through SetPosition, which holds it back.
  connect(this, &QSlider::valueChanged, this, &TTrackBar::Change);
}

void TTrackBar::SetPosition(int position) {
  const QSignalBlocker quiet(this);
  setValue(std::clamp(position, minimum(), maximum()));
}

}  // namespace kobanto
