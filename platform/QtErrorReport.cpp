#include "platform/QtErrorReport.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <cstdio>

#include "platform/ReportText.h"

namespace kobanto {

void MessageBoxReport::Show(const std::string& message) {
  QMessageBox box(QMessageBox::Critical, title_, QString::fromStdString(ReportText(message)),
                  QMessageBox::Ok);
  box.exec();
}

void StandardErrorReport::Show(const std::string& message) {
  std::string line = ReportText(message) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}

}  // namespace kobanto
