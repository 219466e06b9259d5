#pragma once

#include <QString>
#include <optional>
#include <string>

class QWidget;

namespace kobanto {

// Lets the user pick an existing folder. Gives its full path, or nothing when the user cancels.
// Tests answer it themselves instead of showing a dialog.
class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  virtual std::optional<std::string> Choose(QWidget* over, const QString& title) = 0;
};

}  // namespace kobanto
