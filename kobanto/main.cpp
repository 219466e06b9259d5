#include <malloc.h>

#include <QApplication>
#include <csignal>
#include <cstdio>

#include "kobanto/Startup.h"
#include "platform/CommandLine.h"
#include "platform/ExeFolder.h"
#include "platform/Profile.h"
#include "platform/QtDisplay.h"
#include "platform/QtFolderChooser.h"

namespace {

constexpr char kNeedsDisplay[] = "設定画面を表示するにはディスプレイが必要です\n";

}  // namespace

int main(int argc, char** argv) {
  KOBANTO_PROFILE_MARK("main");
  // Every picture of a batch takes and frees buffers of about the same sizes (the source file, the
  // decoded picture, the shrunk copies): keep them all in the heap, and keep what is freed there
  // for the next picture, rather than mapping them anew for each picture and taking every page
  // fault again.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, -1);
  // A full disk or a file-size limit must come back as a write error, not end the program.
  std::signal(SIGXFSZ, SIG_IGN);

  // Our arguments are paths: read them before Qt sees argv, and give Qt only the program name,
  // so that an argument such as "-style" or "-reverse" stays a path.
  const kobanto::CommandLine commandLine = kobanto::CommandLine::FromArgv(argc, argv);
  const std::string exeFolder = kobanto::ExecutableFolder();

  kobanto::PrepareQtPlatform();
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication qtApplication(qtArgc, qtArgv);
  qtApplication.setQuitOnLastWindowClosed(false);
  KOBANTO_PROFILE_MARK("qapplication");
  const kobanto::DisplayInfo display = kobanto::DetectDisplay();

  if (!display.present && commandLine.ParamCount() == 0) {
    std::fputs(kNeedsDisplay, stderr);
    return 2;
  }

  kobanto::DetachedProcessLauncher launcher;
  kobanto::QtFolderChooser chooser;
  kobanto::Startup startup({commandLine, exeFolder, display, launcher, chooser, nullptr, {}});
  startup.CreateWindows();
  return startup.Run();
}
