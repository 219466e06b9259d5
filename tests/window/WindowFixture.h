#pragma once

#include <QRect>
#include <QSlider>
#include <QWidget>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Unit1/Tsetting.h"
#include "platform/Application.h"
#include "platform/CommandLine.h"
#include "tests/support/TempDir.h"
#include "tests/ui/FakeHost.h"

namespace kobanto::test {

// The settings window created as start-up creates it (the first window, so the main window),
// with its creation handler already run and every error report recorded.
class SettingsWindow {
 public:
  SettingsWindow(const std::string& exeFolder, FolderChooser& chooser,
                 std::vector<std::string> args = {});

  Tsetting& Window() const { return *setting_; }
  template <class T = QWidget>
  T& Get(const char* name) const {
    T* control = setting_->findChild<T*>(QString::fromLatin1(name));
    if (!control) throw std::runtime_error(std::string("no control ") + name);
    return *control;
  }
  // Shows the window and waits until it has the keyboard focus.
  void Show() const;
  // Clicks a button with the mouse, as the user does.
  void Click(const char* button) const;

  RecordingReport report;

 private:
  CommandLine commandLine_;
  Application app_;
  Tsetting* setting_ = nullptr;
};

// Sets environment variables for the life of the object and puts the old values back after.
class Environment {
 public:
  Environment() = default;
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;
  ~Environment();
  void Set(const std::string& name, const std::string& value);

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

// A temporary executable folder per test, with HOME and the XDG configuration pointed into it so
// that the default save folder is <folder>/home/Documents and no test sees the real home.
class WindowTest : public TempDirTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string Documents() const { return Path("home") + "/Documents"; }
  // Writes a settings file, given as UTF-8 lines, in code page 932 with CRLF line ends, under
  // the spelling "Kobanto.ini".
  void WriteSettings(const std::vector<std::string>& lines) const;
  std::string SettingsFile() const { return Path("Kobanto.ini"); }
  // A stored value as text, or "<none>" when the key is missing.
  std::string Stored(std::string_view section, std::string_view key) const;

  Environment env_;
  AnsweringChooser chooser_;
};

// Checks that the controls show the states they are laid out with, Edit1 holding folder.
void ExpectInitialStates(const SettingsWindow& window, const std::string& folder);

// Where a track bar's thumb is drawn.
QRect HandleRect(const QSlider& bar);

// True when a quit request is waiting for the message loop (the program would end).
bool QuitRequested();

}  // namespace kobanto::test
