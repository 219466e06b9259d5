#pragma once

#include <QString>

#include "platform/ErrorReport.h"

namespace kobanto {

// The error report on a desktop: a modal critical message box owned by the application (not by
// a window, so that it shows while no window is visible), captioned with the application title.
class MessageBoxReport : public ErrorReport {
 public:
  explicit MessageBoxReport(QString title) : title_(std::move(title)) {}
  void Show(const std::string& message) override;

 private:
  QString title_;
};

// The error report without a display: the text on standard error. Nobody can close the
// completion window then, so the report also ends the program with status 1 once the message
// loop runs.
class StandardErrorReport : public ErrorReport {
 public:
  void Show(const std::string& message) override;
};

}  // namespace kobanto
