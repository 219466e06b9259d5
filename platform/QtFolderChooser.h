#pragma once

#include "platform/FolderChooser.h"

namespace kobanto {

// The desktop's modal folder picker, opened over the given window with the title as its caption:
// existing folders only, nothing preselected. Gives the chosen folder's full path, or nothing
// when the user cancels.
class QtFolderChooser : public FolderChooser {
 public:
  std::optional<std::string> Choose(QWidget* over, const QString& title) override;
};

}  // namespace kobanto
