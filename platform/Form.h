#pragma once

#include <QPoint>
#include <QSize>
#include <QWidget>

namespace kobanto {

class Application;

// What a close handler may do with the window being closed.
enum class CloseAction { caNone, caHide };

// Whether a window's laid-out size is that of its client area or of its outer frame.
enum class SizeOf { kClientArea, kOuterFrame };

// A window of the program: created through Application::CreateForm, which runs its creation
// handler once the window's program-wide reference is set. Closing it, by code or by the close
// box, runs its close handler and then either ends the program (the main window) or hides it.
class TForm : public QWidget {
  Q_OBJECT

 public:
  explicit TForm(Application& application);

  // Asks the window to close: the close handler runs with the action set to hide; the main window
  // then posts the quit request, any other window is hidden.
  void Close();

  // The creation handler, run inside the error report.
  virtual void FormCreate() {}

 protected:
  // The close handler; most windows have none.
  virtual void FormClose(CloseAction& /*action*/) {}

  Application& App() const { return application_; }

  // Opens the window at topLeft (its frame's top-left corner on the screen, where the window
  // system allows) with the given size. An outer size is met once the frame is known, at the
  // first show.
  void PlaceWindow(QPoint topLeft, QSize size, SizeOf kind);

  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  Application& application_;
  QSize outerSize_;
};

}  // namespace kobanto
