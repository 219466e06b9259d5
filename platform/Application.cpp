#include "platform/Application.h"

#include <QApplication>
#include <QMetaObject>
#include <new>

#include "platform/Errors.h"

namespace kobanto {

Application::~Application() {
  // Windows go in reverse order of creation; no close handler runs as the program ends.
  while (!forms_.empty()) forms_.pop_back();
}

int Application::Run() {
  if (showMainForm_ && mainForm_) mainForm_->show();
  return QApplication::exec();
}

void Application::Terminate() {
  // exit(0) rather than quit(): quit() would send every window a close event first, which would
  // run close handlers again as the program ends.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void Application::Guard(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const Exception& e) {
    report_.Show(e.Message());
  } catch (const std::bad_alloc&) {
    report_.Show(std::string(msg::kOutOfMemory));
  } catch (const std::exception& e) {
    report_.Show(e.what());
  }
}

}  // namespace kobanto
