#pragma once

#include <string>

namespace kobanto {

// Shows an error that escaped a window's creation or event handler. The program's report is a
// modal message box; tests put a recorder in its place, and a run without a display writes to
// standard error.
class ErrorReport {
 public:
  virtual ~ErrorReport() = default;
  // message is the error's own text; the report applies its "." rule itself.
  virtual void Show(const std::string& message) = 0;
};

}  // namespace kobanto
