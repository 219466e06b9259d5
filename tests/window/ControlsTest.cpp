#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "Unit1/RadioButton.h"
#include "Unit1/SpinEdit.h"
#include "Unit1/TrackBar.h"
#include "tests/window/WindowFixture.h"

namespace kobanto {
namespace {

// A shown, active window holding the control under test and a button to take the focus away.
template <class Control>
struct Host {
  Host() : control(new Control(&window)), other(new QPushButton(QStringLiteral("x"), &window)) {
    control->setGeometry(8, 8, 160, 41);
    other->setGeometry(8, 60, 60, 21);
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    active = QTest::qWaitForWindowActive(&window);
  }
  QWidget window;
  Control* control;
  QPushButton* other;
  bool active = false;
};

// ---- spin edit ----

TEST(SpinEditTest, ReadsDecimalDigitsWithAnOptionalSignAsAWholeNumber) {
  const struct {
    const char* text;
    std::optional<int> number;
  } cases[] = {
      {"480", 480}, {"+40", 40}, {"-5", -5},           {"0030", 30},        {"0", 0},
      {"", {}},     {"1.5", {}}, {" 48", {}},          {"48 ", {}},         {"-", {}},
      {"+-4", {}},  {"4a", {}},  {"\xEF\xBC\x94", {}}, {"99999999999", {}}, {"0x4B", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TSpinEdit::WholeNumber(QString::fromUtf8(c.text)), c.number) << c.text;
  }
}

TEST(SpinEditTest, ValueIsTheTextAsANumberOrTheMinimum) {
  TSpinEdit box;
  box.SetMinValue(30);
  box.SetMaxValue(1600);
  box.SetMaxLength(4);
  // From code the value is limited and the text rewritten.
  const struct {
    int set;
    const char* text;
  } sets[] = {{480, "480"}, {5000, "1600"}, {-3, "30"}, {30, "30"}, {1600, "1600"}};
  for (const auto& s : sets) {
    box.SetValue(s.set);
    EXPECT_EQ(box.text(), s.text);
  }
  // Text that is a number is its value, even outside the range; any other text is the minimum.
  QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(&box, "5000");
  EXPECT_EQ(box.Value(), 5000);
  QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(&box, "1.5");
  EXPECT_EQ(box.Value(), 30);
  QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&box, Qt::Key_Backspace);
  EXPECT_EQ(box.text(), "");
  EXPECT_EQ(box.Value(), 30);
}

TEST(SpinEditTest, LosingTheFocusLimitsANumberAndLeavesOtherText) {
  const struct {
    const char* typed;
    const char* after;
  } cases[] = {
      {"5000", "1600"}, {"10", "30"},   {"-5", "30"}, {"640", "640"},
      {"0640", "0640"}, {"1.5", "1.5"}, {"", ""},     {"abc", "abc"},
  };
  for (const auto& c : cases) {
    Host<TSpinEdit> host;
    ASSERT_TRUE(host.active);
    host.control->SetMinValue(30);
    host.control->SetMaxValue(1600);
    host.control->SetMaxLength(4);
    host.control->setFocus();
    QTest::keyClick(host.control, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(host.control, Qt::Key_Backspace);
    QTest::keyClicks(host.control, c.typed);
    EXPECT_EQ(host.control->text(), c.typed);  // typing alone changes nothing
    host.other->setFocus();
    ASSERT_FALSE(host.control->hasFocus());
    EXPECT_EQ(host.control->text(), c.after) << c.typed;
  }
}

TEST(SpinEditTest, ButtonsAndArrowKeysStepByOneWithinTheRange) {
  Host<TSpinEdit> host;
  ASSERT_TRUE(host.active);
  TSpinEdit& box = *host.control;
  box.setGeometry(8, 8, 49, 21);
  box.SetMinValue(30);
  box.SetMaxValue(1200);
  box.SetValue(360);
  box.setFocus();
  QTest::keyClick(&box, Qt::Key_Up);
  EXPECT_EQ(box.text(), "361");
  QTest::keyClick(&box, Qt::Key_Down);
  QTest::keyClick(&box, Qt::Key_Down);
  EXPECT_EQ(box.text(), "359");
  // The buttons at the right: the upper one up, the lower one down.
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(box.width() - 4, 4));
  EXPECT_EQ(box.text(), "360");
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(box.width() - 4, box.height() - 4));
  EXPECT_EQ(box.text(), "359");
  box.SetValue(1200);
  QTest::keyClick(&box, Qt::Key_Up);
  EXPECT_EQ(box.text(), "1200");
  box.SetValue(30);
  QTest::keyClick(&box, Qt::Key_Down);
  EXPECT_EQ(box.text(), "30");
  // From a text that is no number the step starts at the minimum's value.
  QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(&box, "1.5");
  QTest::keyClick(&box, Qt::Key_Up);
  EXPECT_EQ(box.text(), "31");
  // From a number above the range a step comes back inside it.
  QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(&box, "5000");
  QTest::keyClick(&box, Qt::Key_Down);
  EXPECT_EQ(box.text(), "1200");
}

TEST(SpinEditTest, TypingAndPastingStopAtTheLengthLimit) {
  Host<TSpinEdit> host;
  ASSERT_TRUE(host.active);
  TSpinEdit& box = *host.control;
  box.SetMinValue(30);
  box.SetMaxValue(1600);
  box.SetMaxLength(4);
  box.setFocus();
  QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(&box, "123456");
  EXPECT_EQ(box.text(), "1234");
  QApplication::clipboard()->setText(QStringLiteral("98765"));
  QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(box.text(), "9876");
  QApplication::clipboard()->setText(QStringLiteral("1.5"));
  QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(box.text(), "1.5");
}

// ---- track bar ----

TEST(TrackBarTest, IsLaidOutAsATrackBar) {
  TTrackBar bar;
  bar.resize(158, 41);
  EXPECT_EQ(bar.orientation(), Qt::Horizontal);
  EXPECT_EQ(bar.minimum(), 0);
  EXPECT_EQ(bar.maximum(), 100);
  EXPECT_EQ(bar.singleStep(), 1);
  EXPECT_EQ(bar.pageStep(), 10);
  EXPECT_EQ(bar.tickPosition(), QSlider::TicksBelow);
  EXPECT_EQ(bar.tickInterval(), 10);
  EXPECT_EQ(test::HandleRect(bar).width(), 20);
}

TEST(TrackBarTest, PositionsFromCodeAreLimitedAndRaiseNoChange) {
  TTrackBar bar;
  QSignalSpy changes(&bar, &TTrackBar::Change);
  const struct { int set, position; } cases[] = {{42, 42}, {150, 100}, {-5, 0}, {100, 100}, {0, 0}};
  for (const auto& c : cases) {
    bar.SetPosition(c.set);
    EXPECT_EQ(bar.Position(), c.position);
  }
  EXPECT_EQ(changes.count(), 0);
}

TEST(TrackBarTest, EveryKeyChangeRaisesChangeWithTheNewPositionInPlace) {
  Host<TTrackBar> host;
  ASSERT_TRUE(host.active);
  TTrackBar& bar = *host.control;
  bar.SetPosition(50);
  std::vector<int> seen;
  QObject::connect(&bar, &TTrackBar::Change, [&] { seen.push_back(bar.Position()); });
  const struct {
    Qt::Key key;
    int position;
  } steps[] = {
      {Qt::Key_Right, 51}, {Qt::Key_Left, 50}, {Qt::Key_PageUp, 60}, {Qt::Key_PageDown, 50},
      {Qt::Key_Home, 0},   {Qt::Key_End, 100}, {Qt::Key_Up, 100},    {Qt::Key_Down, 99},
  };
  std::vector<int> expected;
  for (const auto& s : steps) {
    QTest::keyClick(&bar, s.key);
    EXPECT_EQ(bar.Position(), s.position);
    if (expected.empty() || expected.back() != s.position) expected.push_back(s.position);
  }
  EXPECT_EQ(seen, expected);
}

TEST(TrackBarTest, AClickBesideTheThumbPagesAndADragChangesOnEveryMove) {
  Host<TTrackBar> host;
  ASSERT_TRUE(host.active);
  TTrackBar& bar = *host.control;
  bar.SetPosition(30);
  std::vector<int> seen;
  QObject::connect(&bar, &TTrackBar::Change, [&] { seen.push_back(bar.Position()); });
  const QRect handle = test::HandleRect(bar);
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(handle.right() + 15, handle.center().y()));
  EXPECT_EQ(bar.Position(), 40);
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(handle.left() - 5, handle.center().y()));
  EXPECT_EQ(bar.Position(), 30);
  EXPECT_EQ(seen, (std::vector<int>{40, 30}));

  seen.clear();
  QPoint at = test::HandleRect(bar).center();
  QTest::mousePress(&bar, Qt::LeftButton, {}, at);
  for (int i = 0; i < 4; ++i) {
    at.rx() -= 10;
    QTest::mouseMove(&bar, at);
  }
  QTest::mouseMove(&bar, QPoint(-50, at.y()));  // past the left end
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(-50, at.y()));
  ASSERT_EQ(seen.size(), 5u);
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_LT(seen[i], seen[i - 1]);
  EXPECT_EQ(bar.Position(), 0);
}

// ---- radio buttons ----

struct RadioPair {
  RadioPair() : a(new TRadioButton(&group)), b(new TRadioButton(&group)) {
    a->setText(QStringLiteral("a"));
    b->setText(QStringLiteral("b"));
    a->setGeometry(0, 0, 80, 17);
    b->setGeometry(0, 20, 80, 17);
    a->setChecked(true);
    group.resize(100, 50);
    group.show();
    QObject::connect(a, &TRadioButton::Click, [this] { clicks += "a"; });
    QObject::connect(b, &TRadioButton::Click, [this] { clicks += "b"; });
  }
  QWidget group;
  TRadioButton* a;
  TRadioButton* b;
  std::string clicks;
};

TEST(RadioButtonTest, CheckingFromCodeClearsTheOtherThenClicks) {
  RadioPair pair;
  pair.b->SetChecked(true);
  EXPECT_FALSE(pair.a->isChecked());
  EXPECT_TRUE(pair.b->isChecked());
  EXPECT_EQ(pair.clicks, "b");
  pair.b->SetChecked(true);   // already checked: nothing
  pair.b->SetChecked(false);  // clearing raises nothing, and both may be clear
  EXPECT_FALSE(pair.a->isChecked());
  EXPECT_FALSE(pair.b->isChecked());
  EXPECT_EQ(pair.clicks, "b");
}

TEST(RadioButtonTest, AClickOnlyChecks) {
  RadioPair pair;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&pair.group));
  QTest::mouseClick(pair.a, Qt::LeftButton);  // already checked: nothing
  EXPECT_TRUE(pair.a->isChecked());
  EXPECT_EQ(pair.clicks, "");
  QTest::mouseClick(pair.b, Qt::LeftButton);
  EXPECT_FALSE(pair.a->isChecked());
  EXPECT_TRUE(pair.b->isChecked());
  EXPECT_EQ(pair.clicks, "b");
  pair.b->SetChecked(false);
  pair.a->setFocus();
  QTest::keyClick(pair.a, Qt::Key_Space);  // the keyboard's click
  EXPECT_TRUE(pair.a->isChecked());
  EXPECT_EQ(pair.clicks, "ba");
}

}  // namespace
}  // namespace kobanto
