#include "Unit1/SpinEdit.h"

#include <QLineEdit>
#include <algorithm>
#include <limits>

namespace kobanto {

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
  setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  SetValue(minValue_);
}

std::optional<int> TSpinEdit::WholeNumber(QStringView text) {
  QStringView digits = text;
  bool negative = false;
  if (!digits.isEmpty() && (digits.front() == u'+' || digits.front() == u'-')) {
    negative = digits.front() == u'-';
    digits = digits.mid(1);
  }
  if (digits.isEmpty()) return std::nullopt;
  long long number = 0;
  for (QChar c : digits) {
    if (c < u'0' || c > u'9') return std::nullopt;
    number = number * 10 + (c.unicode() - u'0');
    if (number > std::numeric_limits<int>::max()) return std::nullopt;
  }
  return static_cast<int>(negative ? -number : number);
}

int TSpinEdit::MaxLength() const { return lineEdit()->maxLength(); }

void TSpinEdit::SetMaxLength(int length) { lineEdit()->setMaxLength(length); }

int TSpinEdit::Value() const { return WholeNumber(text()).value_or(minValue_); }

int TSpinEdit::Limited(int value) const {
  return std::clamp(value, minValue_, std::max(minValue_, maxValue_));
}

void TSpinEdit::SetValue(int value) { lineEdit()->setText(QString::number(Limited(value))); }

void TSpinEdit::LimitValue() {
  const int value = Value();
  if (Limited(value) != value) SetValue(value);
}

void TSpinEdit::stepBy(int steps) {
  // Widened so that a step from the largest number never overflows.
  const long long next = static_cast<long long>(Value()) + steps;
  SetValue(static_cast<int>(std::clamp<long long>(next, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max())));
  selectAll();
}

QValidator::State TSpinEdit::validate(QString& /*input*/, int& /*pos*/) const {
  // Any text may stand in the box; the line edit's length limit is the only restriction.
  return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
  return StepUpEnabled | StepDownEnabled;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
  QAbstractSpinBox::focusOutEvent(event);
  LimitValue();
}

}  // namespace kobanto
