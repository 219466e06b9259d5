#include "tests/window/WindowFixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "Unit1/RadioButton.h"
#include "Unit1/SpinEdit.h"
#include "Unit1/TrackBar.h"
#include "platform/Cp932.h"
#include "settings/IniFile.h"

namespace kobanto::test {

SettingsWindow::SettingsWindow(const std::string& exeFolder, FolderChooser& chooser,
                               std::vector<std::string> args)
    : commandLine_(Arguments(std::move(args))), app_(report) {
  app_.SetTitle(QStringLiteral("Kobanto"));
  app_.CreateForm(setting_, TsettingContext{commandLine_, exeFolder, chooser});
}

void SettingsWindow::Show() const {
  setting_->show();
  setting_->activateWindow();
  if (!QTest::qWaitForWindowActive(setting_)) throw std::runtime_error("window not active");
}

void SettingsWindow::Click(const char* button) const {
  QTest::mouseClick(&Get<QAbstractButton>(button), Qt::LeftButton);
}

Environment::~Environment() {
  for (const auto& [name, value] : saved_) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
}

void Environment::Set(const std::string& name, const std::string& value) {
  if (!saved_.count(name)) {
    const char* old = std::getenv(name.c_str());
    saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
  }
  ::setenv(name.c_str(), value.c_str(), 1);
}

void WindowTest::SetUp() {
  ::mkdir(Path("home").c_str(), 0755);
  ::mkdir(Path("config").c_str(), 0755);
  env_.Set("HOME", Path("home"));
  env_.Set("XDG_CONFIG_HOME", Path("config"));
}

void WindowTest::TearDown() { QCoreApplication::removePostedEvents(nullptr); }

void WindowTest::WriteSettings(const std::vector<std::string>& lines) const {
  std::string text;
  for (const auto& line : lines) text += Utf8ToCp932(line).value() + "\r\n";
  // A file the window created would be found first, under the writer's spelling.
  ::unlink(Path("kobanto.ini").c_str());
  WriteText(SettingsFile(), text);
}

std::string WindowTest::Stored(std::string_view section, std::string_view key) const {
  return settings::TIniFile(SettingsFile()).ReadString(section, key, "<none>");
}

void ExpectInitialStates(const SettingsWindow& w, const std::string& folder) {
  EXPECT_TRUE(w.Get<TRadioButton>("RadioButton1").isChecked());
  EXPECT_FALSE(w.Get<TRadioButton>("RadioButton2").isChecked());
  EXPECT_EQ(w.Get<TTrackBar>("TrackBar1").Position(), 30);
  EXPECT_TRUE(w.Get<TTrackBar>("TrackBar1").isEnabled());
  EXPECT_EQ(w.Get<QLabel>("Label6").text(), "30%");
  EXPECT_EQ(w.Get<TSpinEdit>("SpinEditWidth").text(), "480");
  EXPECT_FALSE(w.Get<TSpinEdit>("SpinEditWidth").isEnabled());
  EXPECT_EQ(w.Get<TSpinEdit>("SpinEditHeight").text(), "360");
  EXPECT_FALSE(w.Get<TSpinEdit>("SpinEditHeight").isEnabled());
  EXPECT_EQ(w.Get<TTrackBar>("TrackBarCompress").Position(), 55);
  EXPECT_EQ(w.Get<QLabel>("Label5").text(), "55%");
  EXPECT_EQ(w.Get<QLineEdit>("Edit1").text().toStdString(), folder);
  EXPECT_FALSE(w.Get<QCheckBox>("CheckBox1").isChecked());
}

QRect HandleRect(const QSlider& bar) {
  QStyleOptionSlider option;
  option.initFrom(&bar);
  option.orientation = bar.orientation();
  option.minimum = bar.minimum();
  option.maximum = bar.maximum();
  option.sliderPosition = bar.sliderPosition();
  option.sliderValue = bar.value();
  option.singleStep = bar.singleStep();
  option.pageStep = bar.pageStep();
  option.tickPosition = bar.tickPosition();
  option.tickInterval = bar.tickInterval();
  option.subControls = QStyle::SC_All;
  return bar.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &bar);
}

bool QuitRequested() {
  // A quit request is a queued exit; a loop run now takes it at once, or times out without it.
  bool timedOut = false;
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    timedOut = true;
    QCoreApplication::exit(99);
  });
  watchdog.start(100);
  QCoreApplication::exec();
  return !timedOut;
}

}  // namespace kobanto::test
