#include "Unit1/DefaultFolder.h"

#include <QDir>
#include <QStandardPaths>

#include "settings/Settings.h"

namespace kobanto {

std::string DefaultSaveFolder() {
  const QString candidates[] = {
      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
      QDir::homePath(),
      QDir::tempPath(),
  };
  for (const QString& folder : candidates) {
    const std::string text = folder.toStdString();
    if (!text.empty() && settings::CanStoreSaveFolder(text)) return text;
  }
  // A temporary folder named outside code page 932 (TMPDIR): the system's own is always storable.
  return "/tmp";
}

}  // namespace kobanto
