#pragma once

#include "platform/FolderChooser.h"

namespace kobanto {

// The desktop's modal folder picker, opened over the given window: existing folders only, nothing
// preselected, the title above it.
class QtFolderChooser : public FolderChooser {
 public:
  std::optional<std::string> Choose(QWidget* over, const QString& title) override;
};

}  // namespace kobanto
