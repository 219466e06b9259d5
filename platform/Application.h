#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ErrorReport.h"
#include "platform/Form.h"

namespace kobanto {

// The application object: the title, the windows with the main window among them, the
// show-main-window flag, the message loop and the error report that guards every handler.
class Application {
 public:
  explicit Application(ErrorReport& report) : report_(report) {}
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  ~Application();

  void SetTitle(QString title) { title_ = std::move(title); }
  const QString& Title() const { return title_; }

  // Creates a window; the first one created becomes the main window. The reference is set before
  // the creation handler runs, so the handler may already use it. An error escaping the handler
  // is reported and the creation completes normally.
  template <class Form, class... Args>
  Form& CreateForm(Form*& reference, Args&&... args) {
    auto form = std::make_unique<Form>(*this, std::forward<Args>(args)...);
    reference = form.get();
    if (!mainForm_) mainForm_ = form.get();
    forms_.push_back(std::move(form));
    Guard([&] { reference->FormCreate(); });
    return *reference;
  }

  TForm* MainForm() const { return mainForm_; }
  void SetShowMainForm(bool show) { showMainForm_ = show; }
  bool ShowMainForm() const { return showMainForm_; }

  // Runs the message loop, first showing the main window when the flag is set, until the quit
  // request is taken. Returns the exit status the loop ended with.
  int Run();

  // Posts the quit request; the message loop takes it once it runs.
  void Terminate();

  // Runs a handler; an error that escapes it is shown by the error report and the rest of the
  // handler is skipped.
  void Guard(const std::function<void()>& handler);

 private:
  ErrorReport& report_;
  QString title_;
  std::vector<std::unique_ptr<TForm>> forms_;
  TForm* mainForm_ = nullptr;
  bool showMainForm_ = true;
};

}  // namespace kobanto
