#include "platform/QtFolderChooser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <functional>

#include "tests/window/WindowFixture.h"

namespace kobanto {
namespace {

// Runs the real chooser over a window and answers the dialog with `answer` once it is up. The
// dialog keeps a history under the (temporary) home.
class FolderChooserTest : public test::WindowTest {
 protected:
  std::optional<std::string> Choose(const std::function<void(QFileDialog&)>& answer) {
    QWidget over;
    over.show();
    QFileDialog* seen = nullptr;
    QTimer::singleShot(0, [&] {
      seen = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!seen) return QApplication::activeModalWidget()->close();
      EXPECT_EQ(seen->windowTitle(), "表題");
      EXPECT_EQ(seen->parentWidget(), &over);
      EXPECT_TRUE(seen->isModal());
      EXPECT_EQ(seen->fileMode(), QFileDialog::Directory);
      EXPECT_TRUE(seen->testOption(QFileDialog::ShowDirsOnly));
      EXPECT_TRUE(seen->selectedFiles().isEmpty() ||
                  seen->selectedFiles().front() == seen->directory().absolutePath());
      answer(*seen);
      return true;
    });
    auto result = chooser_.Choose(&over, QStringLiteral("表題"));
    EXPECT_NE(seen, nullptr);
    return result;
  }

  QtFolderChooser chooser_;
};

TEST_F(FolderChooserTest, GivesTheChosenFolderOrNothing) {
  const std::string folder = Path("写真");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  EXPECT_EQ(Choose([&](QFileDialog& dialog) {
              dialog.setDirectory(QString::fromStdString(folder));
              QMetaObject::invokeMethod(&dialog, "accept");
            }),
            folder);
  EXPECT_EQ(Choose([](QFileDialog& dialog) {
              dialog.setDirectory(QStringLiteral("/"));
              QMetaObject::invokeMethod(&dialog, "accept");
            }),
            "/");
  EXPECT_EQ(Choose([](QFileDialog& dialog) { dialog.reject(); }), std::nullopt);
}

}  // namespace
}  // namespace kobanto
