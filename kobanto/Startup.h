#pragma once

#include <functional>
#include <memory>
#include <string>

#include "kobanto/Forms.h"
#include "platform/Application.h"
#include "platform/CommandLine.h"
#include "platform/ErrorReport.h"
#include "platform/FolderChooser.h"
#include "platform/ProcessLauncher.h"
#include "platform/QtDisplay.h"

namespace kobanto {

// What start-up learnt before the QApplication existed, and the host facilities the windows use.
// Tests replace the report, the launcher, the chooser and, for the frame alone, the batch.
struct StartupContext {
  const CommandLine& commandLine;
  std::string exeFolder;
  DisplayInfo display;
  ProcessLauncher& launcher;
  FolderChooser& chooser;
  ErrorReport* report = nullptr;  // empty: a message box with a display, standard error without
  std::function<bool()> batch;    // empty: the conversion batch
};

// The start-up sequence: the title, the settings window (the main window), the completion window
// (whose creation runs the batch), the run mode, then the message loop.
class Startup {
 public:
  explicit Startup(StartupContext context);

  // Sets the title and creates both windows in order; with arguments, keeps the settings window
  // hidden and shows the completion window.
  void CreateWindows();
  // Runs the message loop until the quit request; returns the exit status.
  int Run() { return application_.Run(); }

  Application& App() { return application_; }
  Forms& Windows() { return forms_; }

 private:
  bool RunBatch();

  StartupContext context_;
  std::unique_ptr<ErrorReport> ownReport_;
  Application application_;
  Forms forms_;
};

}  // namespace kobanto
