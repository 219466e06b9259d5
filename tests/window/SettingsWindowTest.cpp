#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "Unit1/RadioButton.h"
#include "Unit1/SpinEdit.h"
#include "Unit1/TrackBar.h"
#include "platform/Cp932.h"
#include "platform/Errors.h"
#include "settings/Keys.h"
#include "tests/window/WindowFixture.h"

namespace kobanto {
namespace {

using namespace settings;
using test::Exists;
using test::QuitRequested;
using test::ReadText;
using test::SettingsWindow;

// The lines of a settings file as Windows writes it, with the given flags, numbers and folder.
std::vector<std::string> FileLines(const std::string& percentMode, const std::string& pixelMode,
                                   const std::string& percent = "30",
                                   const std::string& width = "480",
                                   const std::string& height = "360",
                                   const std::string& quality = "55",
                                   const std::string& folder = "/data/pictures") {
  return {
      "[縮小後画像]", "％指定=" + percentMode, "Pixel指定=" + pixelMode, "％指定値=" + percent,
      "幅=" + width,  "高さ=" + height,        "圧縮率=" + quality,      "保存先フォルダ=" + folder,
      "[設定]",       "メールに添付=0"};
}

class SettingsWindowTest : public test::WindowTest {};

TEST_F(SettingsWindowTest, FirstStartCreatesTheFileBeforeTheWindowOpensAndCancelLeavesIt) {
  SettingsWindow w(Folder(), chooser_);
  EXPECT_TRUE(w.report.messages.empty());
  EXPECT_FALSE(w.Window().isVisible());
  ASSERT_TRUE(Exists(Path("kobanto.ini")));  // created under the writer's spelling
  std::string expected;
  for (const auto& line :
       {std::string("[縮小後画像]"), std::string("％指定=1"), std::string("Pixel指定=0"),
        std::string("％指定値=30"), std::string("幅=480"), std::string("高さ=360"),
        std::string("圧縮率=55"), "保存先フォルダ=" + Documents(), std::string("[設定]"),
        std::string("メールに添付=0")}) {
    expected += Utf8ToCp932(line).value() + "\r\n";
  }
  EXPECT_EQ(ReadText(Path("kobanto.ini")), expected);
  test::ExpectInitialStates(w, Documents());

  w.Show();
  w.Click("Button1");
  EXPECT_TRUE(QuitRequested());
  EXPECT_EQ(ReadText(Path("kobanto.ini")), expected);

  // The close box is Cancel too; the file is loaded now and still left as it is.
  SettingsWindow again(Folder(), chooser_);
  test::ExpectInitialStates(again, Documents());
  again.Show();
  again.Window().close();
  EXPECT_TRUE(QuitRequested());
  EXPECT_EQ(ReadText(Path("kobanto.ini")), expected);
  EXPECT_TRUE(again.report.messages.empty());
}

TEST_F(SettingsWindowTest, ConversionModeLeavesTheWindowAsLaidOutAndTouchesNoFile) {
  SettingsWindow w(Folder(), chooser_, {"a.jpg"});
  EXPECT_FALSE(Exists(Path("kobanto.ini")));
  EXPECT_TRUE(w.report.messages.empty());
  EXPECT_EQ(w.Get<QLineEdit>("Edit1").text(), "");

  WriteSettings(FileLines("0", "1", "70"));
  SettingsWindow loaded(Folder(), chooser_, {"a.jpg"});
  EXPECT_TRUE(loaded.Get<TRadioButton>("RadioButton1").isChecked());
  EXPECT_EQ(loaded.Get<TTrackBar>("TrackBar1").Position(), 30);
}

TEST_F(SettingsWindowTest, TheModeFlagsGiveTheFourWindowStatesAndOkWritesThemBack) {
  const struct {
    const char *percentMode, *pixelMode;
    bool radio1, radio2, trackBar, spinEdits;
  } cases[] = {
      {"1", "0", true, false, true, false},
      {"0", "1", false, true, false, true},
      {"1", "1", false, true, false, true},
      {"0", "0", false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.percentMode) + c.pixelMode);
    WriteSettings(FileLines(c.percentMode, c.pixelMode));
    SettingsWindow w(Folder(), chooser_);
    EXPECT_EQ(w.Get<TRadioButton>("RadioButton1").isChecked(), c.radio1);
    EXPECT_EQ(w.Get<TRadioButton>("RadioButton2").isChecked(), c.radio2);
    EXPECT_EQ(w.Get<TTrackBar>("TrackBar1").isEnabled(), c.trackBar);
    EXPECT_EQ(w.Get<TSpinEdit>("SpinEditWidth").isEnabled(), c.spinEdits);
    EXPECT_EQ(w.Get<TSpinEdit>("SpinEditHeight").isEnabled(), c.spinEdits);
    for (QLabel* label : w.Window().findChildren<QLabel*>()) EXPECT_TRUE(label->isEnabled());
    EXPECT_EQ(w.Get<QLineEdit>("Edit1").text(), "/data/pictures");

    w.Show();
    w.Click("ok");
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(Stored(kImageSection, kPercentModeKey), c.radio1 ? "1" : "0");
    EXPECT_EQ(Stored(kImageSection, kPixelModeKey), c.radio2 ? "1" : "0");
    EXPECT_TRUE(w.report.messages.empty());
  }
}

TEST_F(SettingsWindowTest, ClickingARadioButtonChangesWhichSizeControlsAreEnabled) {
  WriteSettings(FileLines("0", "0"));
  SettingsWindow w(Folder(), chooser_);
  w.Show();
  auto& radio1 = w.Get<TRadioButton>("RadioButton1");
  auto& radio2 = w.Get<TRadioButton>("RadioButton2");
  const auto expectMode = [&](bool percent) {
    EXPECT_EQ(radio1.isChecked(), percent);
    EXPECT_EQ(radio2.isChecked(), !percent);
    EXPECT_EQ(w.Get<TTrackBar>("TrackBar1").isEnabled(), percent);
    EXPECT_EQ(w.Get<TSpinEdit>("SpinEditWidth").isEnabled(), !percent);
    EXPECT_EQ(w.Get<TSpinEdit>("SpinEditHeight").isEnabled(), !percent);
  };
  QTest::mouseClick(&radio2, Qt::LeftButton);
  expectMode(false);
  QTest::mouseClick(&radio2, Qt::LeftButton);  // already checked: stays
  expectMode(false);
  QTest::mouseClick(&radio1, Qt::LeftButton);
  expectMode(true);
  w.Click("ok");
  EXPECT_EQ(Stored(kImageSection, kPercentModeKey), "1");
  EXPECT_EQ(Stored(kImageSection, kPixelModeKey), "0");
}

TEST_F(SettingsWindowTest, ValuesOutsideTheRangesAreShownLimitedAndWrittenLimited) {
  WriteSettings(FileLines("1", "0", "150", "5000", "0", "-5"));
  SettingsWindow w(Folder(), chooser_);
  EXPECT_EQ(w.Get<TTrackBar>("TrackBar1").Position(), 100);
  EXPECT_EQ(w.Get<QLabel>("Label6").text(), "100%");
  EXPECT_EQ(w.Get<TTrackBar>("TrackBarCompress").Position(), 0);
  EXPECT_EQ(w.Get<QLabel>("Label5").text(), "0%");
  EXPECT_EQ(w.Get<TSpinEdit>("SpinEditWidth").text(), "1600");
  EXPECT_EQ(w.Get<TSpinEdit>("SpinEditHeight").text(), "30");
  w.Show();
  w.Click("ok");
  EXPECT_EQ(Stored(kImageSection, kPercentValueKey), "100");
  EXPECT_EQ(Stored(kImageSection, kQualityKey), "0");
  EXPECT_EQ(Stored(kImageSection, kWidthKey), "1600");
  EXPECT_EQ(Stored(kImageSection, kHeightKey), "30");
}

TEST_F(SettingsWindowTest, UnreadableValuesLoadAsTheWindowsDefaults) {
  WriteSettings({"[縮小後画像]", "％指定=True", "Pixel指定=yes", "％指定値=75%", "幅=0x280",
                 "圧縮率=7 5", "[設定]", "メールに添付=2"});
  SettingsWindow w(Folder(), chooser_);
  EXPECT_TRUE(w.Get<TRadioButton>("RadioButton1").isChecked());
  EXPECT_FALSE(w.Get<TRadioButton>("RadioButton2").isChecked());
  EXPECT_EQ(w.Get<TTrackBar>("TrackBar1").Position(), 30);
  EXPECT_EQ(w.Get<TSpinEdit>("SpinEditWidth").text(), "640");
  EXPECT_EQ(w.Get<TSpinEdit>("SpinEditHeight").text(), "360");
  EXPECT_EQ(w.Get<TTrackBar>("TrackBarCompress").Position(), 55);
  EXPECT_EQ(w.Get<QLineEdit>("Edit1").text().toStdString(), Documents());  // no such key
  EXPECT_TRUE(w.Get<QCheckBox>("CheckBox1").isChecked());
  EXPECT_TRUE(w.report.messages.empty());
}

TEST_F(SettingsWindowTest, WhatIsTypedInASpinEditIsWrittenAsItsValue) {
  const struct {
    const char* typed;
    bool byMouse;  // the click on OK takes the focus, or the click comes from code
    const char* written;
    const char* shownAfter;
  } cases[] = {
      {"", true, "30", ""},           {"1.5", true, "30", "1.5"},
      {"5000", true, "1600", "1600"}, {"5000", false, "1600", "1600"},
      {"12", true, "30", "30"},       {"0640", true, "640", "0640"},
      {"+800", true, "800", "+800"},  {"1.5", false, "30", "1.5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + (c.byMouse ? " mouse" : " code"));
    WriteSettings(FileLines("0", "1"));
    SettingsWindow w(Folder(), chooser_);
    w.Show();
    auto& width = w.Get<TSpinEdit>("SpinEditWidth");
    QTest::mouseClick(&width, Qt::LeftButton, {}, QPoint(10, width.height() / 2));
    ASSERT_TRUE(width.hasFocus());
    QTest::keyClick(&width, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&width, Qt::Key_Backspace);
    QTest::keyClicks(&width, c.typed);
    if (c.byMouse) {
      w.Click("ok");
    } else {
      w.Get<QPushButton>("ok").click();
    }
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(Stored(kImageSection, kWidthKey), c.written);
    EXPECT_EQ(width.text(), c.shownAfter);
  }
}

TEST_F(SettingsWindowTest, TrackBarLabelsFollowEveryMoveAndZeroIsWritten) {
  SettingsWindow w(Folder(), chooser_);
  w.Show();
  for (const char* name : {"TrackBar1", "TrackBarCompress"}) {
    SCOPED_TRACE(name);
    auto& bar = w.Get<TTrackBar>(name);
    auto& label = w.Get<QLabel>(std::string(name) == "TrackBar1" ? "Label6" : "Label5");
    const auto labelShowsPosition = [&] {
      EXPECT_EQ(label.text(), QString::number(bar.Position()) + "%");
      EXPECT_EQ(label.size(), label.sizeHint());  // the label takes its text's size
    };
    bar.setFocus();
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_PageUp, Qt::Key_End, Qt::Key_Left}) {
      QTest::keyClick(&bar, key);
      labelShowsPosition();
    }
    EXPECT_EQ(label.text(), "99%");
    // A drag from the thumb to the left end, one label per move.
    const QPoint start = test::HandleRect(bar).center();
    QTest::mousePress(&bar, Qt::LeftButton, {}, start);
    int moves = 0;
    for (int x = start.x() - 20; x > -30; x -= 20, ++moves) {
      QTest::mouseMove(&bar, QPoint(x, start.y()));
      labelShowsPosition();
    }
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(-30, start.y()));
    EXPECT_GT(moves, 5);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(label.text(), "0%");
  }
  w.Click("ok");
  EXPECT_EQ(Stored(kImageSection, kPercentValueKey), "0");
  EXPECT_EQ(Stored(kImageSection, kQualityKey), "0");
}

TEST_F(SettingsWindowTest, TheFolderChooserReplacesTheSaveFolderOnlyWithAFolder) {
  SettingsWindow w(Folder(), chooser_);
  w.Show();
  auto& edit = w.Get<QLineEdit>("Edit1");
  const struct {
    std::optional<std::string> answer;
    std::string shown;
  } cases[] = {
      {Path("写真"), Path("写真")},
      {std::nullopt, Path("写真")},  // cancelled
      {std::string(), Path("写真")},
      {"/", "/"},
  };
  for (const auto& c : cases) {
    chooser_.answer = c.answer;
    w.Click("sansyou1");
    EXPECT_EQ(edit.text().toStdString(), c.shown);
  }
  EXPECT_EQ(chooser_.titles, std::vector<std::string>(4, "表題"));
  EXPECT_TRUE(w.report.messages.empty());
}

TEST_F(SettingsWindowTest, OkWritesTheSaveFolderAsShownAndKeepsUnknownKeysAndSections) {
  const std::vector<std::string> extra = {"; 手で書いた注釈", "[他の道具]", "色=赤"};
  auto lines = FileLines("1", "0");
  lines.insert(lines.begin() + 3, "枠=あり");
  lines.insert(lines.end(), extra.begin(), extra.end());
  WriteSettings(lines);
  SettingsWindow w(Folder(), chooser_);
  w.Show();
  w.Get<QLineEdit>("Edit1").clear();
  w.Get<QCheckBox>("CheckBox1").setChecked(true);
  w.Click("ok");
  EXPECT_TRUE(QuitRequested());
  EXPECT_EQ(Stored(kImageSection, kSaveFolderKey), "");
  EXPECT_EQ(Stored(kOptionsSection, kAttachMailKey), "1");
  const std::string text = ReadText(SettingsFile());
  for (const auto& line : {std::string("枠=あり"), extra[0], extra[1], extra[2]}) {
    EXPECT_NE(text.find(Utf8ToCp932(line).value() + "\r\n"), std::string::npos) << line;
  }
  EXPECT_TRUE(Exists(SettingsFile()));  // still under its own spelling
  EXPECT_FALSE(Exists(Path("kobanto.ini")));
}

TEST_F(SettingsWindowTest, ASaveFolderTheFileCannotHoldIsRefusedAndTheWindowStaysOpen) {
  // A folder outside code page 932, and a stored folder that is not valid code page 932 text.
  WriteSettings(FileLines("1", "0"));
  std::string undecodable = ReadText(SettingsFile());
  undecodable.replace(undecodable.find("/data/pictures"), 14, "/data/pic\x80tures");
  const struct {
    std::string file;
    std::optional<QString> typed;
    QString shown;
  } cases[] = {
      {ReadText(SettingsFile()), QStringLiteral("/home/müller"), QStringLiteral("/home/müller")},
      {undecodable, std::nullopt, QStringLiteral("/data/pic\uFFFDtures")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown.toStdString());
    test::WriteText(SettingsFile(), c.file);
    SettingsWindow w(Folder(), chooser_);
    auto& edit = w.Get<QLineEdit>("Edit1");
    if (c.typed) edit.setText(*c.typed);
    EXPECT_EQ(edit.text(), c.shown);
    w.Show();
    w.Click("ok");
    EXPECT_EQ(w.report.messages, std::vector<std::string>{FormatMessage(msg::kSaveFolderNotStorable,
                                                                        c.shown.toStdString())});
    EXPECT_FALSE(QuitRequested());
    EXPECT_TRUE(w.Window().isVisible());
    EXPECT_EQ(edit.text(), c.shown);
    EXPECT_EQ(ReadText(SettingsFile()), c.file);
  }
}

TEST_F(SettingsWindowTest, TheDefaultSaveFolderIsTheDocumentsFolderWhenTheFileCanHoldIt) {
  const std::string documents = Documents();
  const std::string umlauts = Path("home") + "/Dökumente";
  ::mkdir(Path("tmp").c_str(), 0755);
  ::mkdir(Path("müller").c_str(), 0755);
  const struct {
    std::string home, userDirs, expected;
  } cases[] = {
      {Path("home"), "", documents},
      {Path("home"), "XDG_DOCUMENTS_DIR=\"$HOME/Dökumente\"\n", Path("home")},
      {Path("home"), "XDG_DOCUMENTS_DIR=\"$HOME/書類\"\n", Path("home") + "/書類"},
      {Path("müller"), "", Path("tmp")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    ::unlink(Path("kobanto.ini").c_str());
    ::unlink(Path("config/user-dirs.dirs").c_str());
    if (!c.userDirs.empty()) test::WriteText(Path("config/user-dirs.dirs"), c.userDirs);
    env_.Set("HOME", c.home);
    env_.Set("TMPDIR", Path("tmp"));
    SettingsWindow w(Folder(), chooser_);
    EXPECT_EQ(w.Get<QLineEdit>("Edit1").text().toStdString(), c.expected);
    EXPECT_EQ(Stored(kImageSection, kSaveFolderKey), c.expected);

    // A file without the key shows the same folder.
    WriteSettings({"[縮小後画像]", "％指定=1"});
    SettingsWindow loaded(Folder(), chooser_);
    EXPECT_EQ(loaded.Get<QLineEdit>("Edit1").text().toStdString(), c.expected);
    ::unlink(SettingsFile().c_str());
  }
}

TEST_F(SettingsWindowTest, EnterAndEscPressNoButtonButTheFocusedOne) {
  WriteSettings(FileLines("0", "1"));
  const std::string before = ReadText(SettingsFile());
  SettingsWindow w(Folder(), chooser_);
  w.Show();
  auto& width = w.Get<TSpinEdit>("SpinEditWidth");
  width.setFocus();
  QTest::keyClick(&width, Qt::Key_Return);
  QTest::keyClick(&width, Qt::Key_Enter);
  QTest::keyClick(&width, Qt::Key_Escape);
  QTest::keyClick(&w.Window(), Qt::Key_Escape);
  EXPECT_FALSE(QuitRequested());
  EXPECT_TRUE(w.Window().isVisible());
  EXPECT_EQ(ReadText(SettingsFile()), before);

  // A button that has the focus is pressed by Enter, as on Windows.
  w.Get<QCheckBox>("CheckBox1").setChecked(true);
  auto& ok = w.Get<QPushButton>("ok");
  ok.setFocus();
  QTest::keyClick(&ok, Qt::Key_Return);
  EXPECT_TRUE(QuitRequested());
  EXPECT_EQ(Stored(kOptionsSection, kAttachMailKey), "1");
}

}  // namespace
}  // namespace kobanto
