#include "Unit1/RadioButton.h"

namespace kobanto {

TRadioButton::TRadioButton(QWidget* parent) : QRadioButton(parent) {
  // Qt's own exclusivity would not let code clear the checked button; the siblings are cleared
  // here instead.
  setAutoExclusive(false);
}

void TRadioButton::SetChecked(bool checked) {
  if (isChecked() == checked) return;
  setChecked(checked);
  if (!checked) return;
  if (QWidget* parent = parentWidget()) {
    for (auto* sibling : parent->findChildren<TRadioButton*>(Qt::FindDirectChildrenOnly)) {
      if (sibling != this) sibling->SetChecked(false);
    }
  }
  emit Click();
}

void TRadioButton::nextCheckState() {
  // A click only checks.
  SetChecked(true);
}

bool TRadioButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }

}  // namespace kobanto
