#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include "Unit1/RadioButton.h"
#include "Unit1/SpinEdit.h"
#include "Unit1/TrackBar.h"
#include "tests/window/WindowFixture.h"

namespace kobanto {
namespace {

using test::SettingsWindow;

// The caption a control shows, whatever its kind.
QString CaptionOf(const QWidget& control) {
  if (auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
  if (auto* group = qobject_cast<const QGroupBox*>(&control)) return group->title();
  return QString();
}

struct ControlRow {
  const char* name;
  const char* className;
  const char* parent;
  const char* caption;
  QRect geometry;  // for a label only its position counts: it takes its text's size
  bool enabled;
};

const ControlRow kControls[] = {
    {"ok", "QPushButton", "Tsetting", "OK", {204, 192, 75, 21}, true},
    {"TrackBarCompress", "kobanto::TTrackBar", "Tsetting", "", {204, 20, 153, 33}, true},
    {"Edit1", "QLineEdit", "Tsetting", "", {24, 156, 281, 20}, true},
    {"sansyou1", "QPushButton", "Tsetting", "参照", {308, 156, 49, 21}, true},
    {"CheckBox1", "QCheckBox", "Tsetting", "縮小後メールに添付", {200, 68, 125, 17}, true},
    {"GroupBox1", "QGroupBox", "Tsetting", "縮小後の画像の大きさ・・・", {4, 8, 185, 125}, true},
    {"Button1", "QPushButton", "Tsetting", "Cancel", {284, 192, 75, 21}, true},
    {"RadioButton1", "kobanto::TRadioButton", "GroupBox1", "％指定", {8, 16, 57, 17}, true},
    {"RadioButton2", "kobanto::TRadioButton", "GroupBox1", "Pixel指定", {8, 76, 113, 17}, true},
    {"SpinEditWidth", "kobanto::TSpinEdit", "GroupBox1", "", {48, 96, 49, 21}, false},
    {"SpinEditHeight", "kobanto::TSpinEdit", "GroupBox1", "", {128, 96, 49, 21}, false},
    {"TrackBar1", "kobanto::TTrackBar", "GroupBox1", "", {24, 32, 158, 41}, true},
    {"Label3", "QLabel", "Tsetting", "圧縮率 :", {200, 4, 42, 12}, true},
    {"Label5", "QLabel", "Tsetting", "55%", {244, 4, 18, 12}, true},
    {"Label4", "QLabel", "Tsetting", "保存先フォルダ", {8, 140, 79, 12}, true},
    {"Label6", "QLabel", "GroupBox1", "30%", {68, 20, 18, 12}, true},
    {"Label1", "QLabel", "GroupBox1", "幅", {32, 100, 12, 12}, true},
    {"Label2", "QLabel", "GroupBox1", "高さ", {104, 100, 21, 12}, true},
};

// The focus chain as Tab follows it, from ok, over the controls that take the focus by Tab.
const char* const kTabOrder[] = {
    "ok",           "TrackBarCompress", "Edit1",          "sansyou1",  "CheckBox1", "RadioButton1",
    "RadioButton2", "SpinEditWidth",    "SpinEditHeight", "TrackBar1", "Button1",
};

class LayoutTest : public test::WindowTest {};

TEST_F(LayoutTest, EveryControlIsWhereTheLayoutPutsItWithItsCaptionAndState) {
  SettingsWindow w(Folder(), chooser_);
  for (const auto& row : kControls) {
    SCOPED_TRACE(row.name);
    const QWidget& control = w.Get(row.name);
    EXPECT_STREQ(control.metaObject()->className(), row.className);
    ASSERT_NE(control.parentWidget(), nullptr);
    EXPECT_EQ(control.parentWidget()->objectName(), row.parent);
    EXPECT_EQ(CaptionOf(control), QString::fromUtf8(row.caption));
    EXPECT_EQ(control.isEnabled(), row.enabled);
    if (qobject_cast<const QLabel*>(&control)) {
      EXPECT_EQ(control.pos(), row.geometry.topLeft());
      EXPECT_EQ(control.size(), control.sizeHint());
      EXPECT_EQ(control.focusPolicy(), Qt::NoFocus);
    } else {
      EXPECT_EQ(control.geometry(), row.geometry);
    }
  }
  // The window holds these controls and no others of its own.
  int named = 0;
  for (QWidget* child : w.Window().findChildren<QWidget*>()) {
    if (!child->objectName().startsWith("qt_")) ++named;
  }
  EXPECT_EQ(named, static_cast<int>(std::size(kControls)));

  for (const char* name : {"TrackBar1", "TrackBarCompress"}) {
    SCOPED_TRACE(name);
    const auto& bar = w.Get<TTrackBar>(name);
    EXPECT_EQ(bar.orientation(), Qt::Horizontal);
    EXPECT_FALSE(bar.invertedAppearance());
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 100);
    EXPECT_EQ(bar.singleStep(), 1);
    EXPECT_EQ(bar.pageStep(), 10);
    EXPECT_EQ(bar.tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(bar.tickInterval(), 10);
    EXPECT_EQ(test::HandleRect(bar).width(), 20);
  }
  const struct {
    const char* name;
    int min, max;
  } spins[] = {{"SpinEditWidth", 30, 1600}, {"SpinEditHeight", 30, 1200}};
  for (const auto& s : spins) {
    const auto& box = w.Get<TSpinEdit>(s.name);
    EXPECT_EQ(box.MinValue(), s.min);
    EXPECT_EQ(box.MaxValue(), s.max);
    EXPECT_EQ(box.MaxLength(), 4);
  }
  for (const char* name : {"ok", "sansyou1", "Button1"}) {
    EXPECT_FALSE(w.Get<QPushButton>(name).isDefault()) << name;
  }
  test::ExpectInitialStates(w, Documents());
}

TEST_F(LayoutTest, TheWindowIsAFixedPlainWindowWithACloseBoxOnly) {
  SettingsWindow w(Folder(), chooser_);
  Tsetting& window = w.Window();
  EXPECT_EQ(window.objectName(), "Tsetting");
  EXPECT_EQ(window.windowTitle(), "設定 -Kobanto Ver1.0-");
  EXPECT_EQ(qobject_cast<QDialog*>(&window), nullptr);
  EXPECT_EQ(window.windowType(), Qt::Window);
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(window.pos(), QPoint(229, 108));
  EXPECT_EQ(window.size(), QSize(362, 217));
  EXPECT_EQ(window.minimumSize(), QSize(362, 217));
  EXPECT_EQ(window.maximumSize(), QSize(362, 217));
  EXPECT_EQ(window.backgroundRole(), QPalette::Window);
  EXPECT_TRUE(window.autoFillBackground());
  EXPECT_EQ(QFontInfo(window.font()).family(), "IPAPGothic");
  EXPECT_EQ(window.font().pixelSize(), 12);
  EXPECT_EQ(w.Get<QLabel>("Label4").font().pixelSize(), 12);

  w.Show();
  EXPECT_EQ(window.size(), QSize(362, 217));
  EXPECT_EQ(QApplication::focusWidget(), &w.Get("ok"));
}

TEST_F(LayoutTest, TabFollowsTheTabOrderOverTheEnabledControls) {
  SettingsWindow w(Folder(), chooser_);
  // The whole chain, disabled controls included.
  std::vector<std::string> chain;
  QWidget* at = &w.Get("ok");
  do {
    if ((at->focusPolicy() & Qt::TabFocus) && !at->objectName().startsWith("qt_")) {
      chain.push_back(at->objectName().toStdString());
    }
    at = at->nextInFocusChain();
  } while (at != &w.Get("ok"));
  EXPECT_EQ(chain, std::vector<std::string>(std::begin(kTabOrder), std::end(kTabOrder)));

  // The keyboard: in percent mode the spin edits are skipped, in pixel mode the percent bar.
  const auto tabbing = [](const SettingsWindow& window) {
    window.Show();
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < std::size(kTabOrder); ++i) {
      QWidget* focus = QApplication::focusWidget();
      if (focus && focus->objectName().startsWith("qt_")) focus = focus->parentWidget();
      seen.push_back(focus ? focus->objectName().toStdString() : "<none>");
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return seen;
  };
  EXPECT_EQ(tabbing(w),
            (std::vector<std::string>{"ok", "TrackBarCompress", "Edit1", "sansyou1", "CheckBox1",
                                      "RadioButton1", "RadioButton2", "TrackBar1", "Button1", "ok",
                                      "TrackBarCompress"}));
  w.Window().hide();
  WriteSettings({"[縮小後画像]", "％指定=0", "Pixel指定=1"});
  SettingsWindow pixel(Folder(), chooser_);
  EXPECT_EQ(tabbing(pixel),
            (std::vector<std::string>{"ok", "TrackBarCompress", "Edit1", "sansyou1", "CheckBox1",
                                      "RadioButton1", "RadioButton2", "SpinEditWidth",
                                      "SpinEditHeight", "Button1", "ok"}));
}

// A picture of the window for the documentation: a file with a Japanese save folder, shown on
// the offscreen platform and grabbed.
TEST_F(LayoutTest, Screenshot) {
  WriteSettings({"[縮小後画像]", "％指定=1", "Pixel指定=0", "％指定値=30", "幅=480", "高さ=360",
                 "圧縮率=55", "保存先フォルダ=/home/kobanto/ドキュメント", "[設定]",
                 "メールに添付=1"});
  SettingsWindow w(Folder(), chooser_);
  w.Show();
  const QImage picture = w.Window().grab().toImage();
  EXPECT_EQ(picture.size(), QSize(362, 217));
  EXPECT_TRUE(picture.save(QStringLiteral(KOBANTO_SCREENSHOT))) << KOBANTO_SCREENSHOT;
}

}  // namespace
}  // namespace kobanto
