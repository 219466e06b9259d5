#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/TempDir.h"

// Widget tests share one QApplication on Qt's offscreen platform; they never reach a display.
// HOME and the XDG folders point into a temporary folder for the whole run before Qt starts, so
// that nothing Qt keeps (the file dialog's history, its settings path) reaches the real home.
int main(int argc, char** argv) {
  const kobanto::test::TempDir sandbox;
  ::mkdir((sandbox / "runtime").c_str(), 0700);
  ::setenv("HOME", sandbox.Path().c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (sandbox / "config").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", (sandbox / "cache").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (sandbox / "data").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (sandbox / "runtime").c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  application.setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
