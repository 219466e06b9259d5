#pragma once

#include <QAbstractSpinBox>
#include <QStringView>
#include <optional>

namespace kobanto {

// A number box with up and down buttons whose text is the truth: the value is the text read as a
// whole number (decimal digits after an optional "+" or "-", nothing else), or the minimum when
// the text is not one. Any text of up to maxLength characters may be typed or pasted; only a value
// set by code, a step, or leaving the box with a number outside the range rewrites it.
class TSpinEdit : public QAbstractSpinBox {
  Q_OBJECT
  Q_PROPERTY(int minValue READ MinValue WRITE SetMinValue)
  Q_PROPERTY(int maxValue READ MaxValue WRITE SetMaxValue)
  Q_PROPERTY(int value READ Value WRITE SetValue)
  Q_PROPERTY(int maxLength READ MaxLength WRITE SetMaxLength)

 public:
  explicit TSpinEdit(QWidget* parent = nullptr);

  // The text read as a whole number, or nothing when it is not one.
  static std::optional<int> WholeNumber(QStringView text);

  int MinValue() const { return minValue_; }
  int MaxValue() const { return maxValue_; }
  void SetMinValue(int value) { minValue_ = value; }
  void SetMaxValue(int value) { maxValue_ = value; }
  int MaxLength() const;
  void SetMaxLength(int length);

  // The text as a number, not limited to the range; the minimum when the text is not a number.
  int Value() const;
  // Limits the value to the range and rewrites the text.
  void SetValue(int value);
  // What leaving the box does: a number outside the range becomes the nearest bound; any other
  // text stays as it is.
  void LimitValue();

  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;

 protected:
  StepEnabled stepEnabled() const override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int Limited(int value) const;

  int minValue_ = 0;
  int maxValue_ = 100;
};

}  // namespace kobanto
