#include "platform/QtFolderChooser.h"

#include <QFileDialog>

namespace kobanto {

std::optional<std::string> QtFolderChooser::Choose(QWidget* over, const QString& title) {
  const QString folder =
      QFileDialog::getExistingDirectory(over, title, QString(), QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

}  // namespace kobanto
