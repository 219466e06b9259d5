#include "platform/QtFolderChooser.h"

#include <QFileDialog>
#include <QFileInfo>

namespace kobanto {

std::optional<std::string> QtFolderChooser::Choose(QWidget* over, const QString& title) {
  QFileDialog dialog(over, title);
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  // Only a folder that exists is an answer; a name typed into a desktop picker may not be one.
  const QFileInfo folder(chosen.front());
  if (!folder.isDir()) return std::nullopt;
  return folder.absoluteFilePath().toStdString();
}

}  // namespace kobanto
