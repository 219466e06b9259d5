#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

// Widget tests share one QApplication on Qt's offscreen platform; they never reach a display.
int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  application.setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
