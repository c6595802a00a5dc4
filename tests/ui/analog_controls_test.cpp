// The slider, the knobs and the joystick: drags into values, values into the ADC's
// inputs, and where each control draws its moving part.
#include <QImage>
#include <cmath>

#include "board/Adc.h"
#include "tests/ui/ui_test.h"
#include "ui/Joystick.h"
#include "ui/Knobframe.h"
#include "ui/Sliderframe.h"

namespace kqui {
namespace {

uint32_t Input(int slot) { return AdcInputs[slot].load(); }

// A point at `degrees` (clockwise from the x axis) and `radius` from the knob's pivot.
QPoint AtAngle(double degrees, double radius = 30) {
  const double a = degrees * M_PI / 180;
  return {int(std::lround(TKnob::kPivot.x() + radius * std::cos(a))),
          int(std::lround(TKnob::kPivot.y() + radius * std::sin(a)))};
}

class AnalogControlsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestBoard> board;

 private slots:
  void init() { board = std::make_unique<TestBoard>(); }
  void cleanup() { board.reset(); }

  void SliderThumbStandsWhereItsPositionSays() {
    TSlider slider;
    QCOMPARE(slider.size(), QSize(45, 172));
    QCOMPARE(slider.Position(), 128);
    QCOMPARE(slider.ThumbRect(255), QRect(0, 0, 45, 19));
    QCOMPARE(slider.ThumbRect(0).top(), 153);
    QCOMPARE(slider.ThumbRect(128).top(), 76);
    // The thumb's white line crosses its middle row; the track shows elsewhere.
    slider.SetPosition(0);
    const QImage drawn = slider.grab().toImage();
    QCOMPARE(QColor(drawn.pixel(22, 153 + 9)), QColor(Qt::white));
    QVERIFY(QColor(drawn.pixel(22, 76 + 9)) != QColor(Qt::white));
  }

  void SliderDragFollowsThePointerOnlyAfterAMove() {
    TSlider slider;
    AdcInputs[kAdcDataEntry] = 0;
    Press(&slider, {20, 150});
    QCOMPARE(slider.Position(), 128);
    QCOMPARE(Input(kAdcDataEntry), 0u);
    Move(&slider, {20, 9 + 50});
    QCOMPARE(slider.Position(), 172);  // trunc(103 x 255 / 153 + 0.5)
    Move(&slider, {20, 9 + 153});
    QCOMPARE(slider.Position(), 0);
    Move(&slider, {20, -40});
    QCOMPARE(slider.Position(), 255);
    Move(&slider, {20, 400});
    QCOMPARE(slider.Position(), 0);
    Move(&slider, {20, 9});
    QCOMPARE(slider.Position(), 255);
    QCOMPARE(Input(kAdcDataEntry), 255u);
    Release(&slider, {20, 9}, Qt::RightButton);  // any button ends the drag
    Move(&slider, {20, 100});
    QCOMPARE(slider.Position(), 255);
    // Only the left button starts one.
    Press(&slider, {20, 100}, Qt::RightButton);
    Move(&slider, {20, 100}, Qt::RightButton);
    QCOMPARE(slider.Position(), 255);
  }

  void SliderStepsStopAtTheEndsAndStillSetTheInput() {
    TSlider slider;
    slider.SetPosition(250);
    slider.Increment(16);
    QCOMPARE(slider.Position(), 255);
    slider.SetPosition(0);
    AdcInputs[kAdcDataEntry] = 99;
    slider.Decrement(1);
    QCOMPARE(slider.Position(), 0);
    QCOMPARE(Input(kAdcDataEntry), 0u);
  }

  void KnobOutputTakesTheValueAtOnce() {
    TKnob knob;
    QCOMPARE(knob.size(), QSize(75, 70));
    AdcInputs[kAdcBalance] = 0;
    knob.SetValue(128);  // unchanged: nothing to write yet
    QCOMPARE(Input(kAdcBalance), 0u);
    knob.SetOutput(&AdcInputs[kAdcBalance]);
    QCOMPARE(Input(kAdcBalance), 128u);
    knob.SetValue(3);
    QCOMPARE(Input(kAdcBalance), 3u);
    knob.SetOutput(nullptr);
    knob.SetValue(4);
    QCOMPARE(Input(kAdcBalance), 3u);
  }

  void KnobPointerSweepsThreeHundredDegrees() {
    TKnob knob;
    knob.SetValue(0);
    // 120 degrees, lower left; x = 23.9999981 as a 32-bit float
    QCOMPARE(knob.PointerTip(), QPoint(23, 59));
    knob.SetValue(255);
    QCOMPARE(knob.PointerTip(), QPoint(51, 59));  // 60 degrees: lower right
    knob.SetValue(128);
    QCOMPARE(knob.PointerTip(), QPoint(37, 9));   // just right of straight up
    const QImage drawn = knob.grab().toImage();
    QCOMPARE(QColor(drawn.pixel(37, 20)), QColor(Qt::white));
  }

  void KnobDragTurnsByTheAngleAroundThePivot() {
    TKnob knob;
    knob.SetOutput(&AdcInputs[kAdcVolume]);
    Press(&knob, {10, 10});
    QCOMPARE(knob.Value(), 128);
    Move(&knob, {37, 0});  // straight above: 270 degrees
    QCOMPARE(knob.Value(), 127);
    Move(&knob, AtAngle(62));
    QCOMPARE(knob.Value(), 255);
    Move(&knob, AtAngle(100));  // the dead middle of the gap
    QCOMPARE(knob.Value(), 255);
    Move(&knob, {37, 60});  // straight below
    QCOMPARE(knob.Value(), 255);
    Move(&knob, TKnob::kPivot);  // on the pivot
    QCOMPARE(knob.Value(), 255);
    Move(&knob, AtAngle(117));
    QCOMPARE(knob.Value(), 0);
    Move(&knob, AtAngle(180));  // due left: 60 of 300 degrees
    QCOMPARE(knob.Value(), 51);
    Move(&knob, AtAngle(0));  // due right: 240 of 300
    QCOMPARE(knob.Value(), 204);
    QCOMPARE(Input(kAdcVolume), 204u);
    Release(&knob, AtAngle(0), Qt::MiddleButton);
    Move(&knob, AtAngle(180));
    QCOMPARE(knob.Value(), 204);
  }

  void JoystickDragReachesBothEndsAndStays() {
    TJoystick stick;
    stick.SetJoystick(128, 128);
    QCOMPARE(stick.StickRect().topLeft(), QPoint(89, 89));  // 97, 207 on the window
    QCOMPARE(Input(kAdcJoystickX), 128u);
    // Only a left press on the stick itself starts a drag.
    Press(&stick, {20, 20});
    QVERIFY(!stick.JoystickDragging());
    Press(&stick, {95, 95}, Qt::RightButton);
    QVERIFY(!stick.JoystickDragging());
    Press(&stick, {95, 95});
    QVERIFY(stick.JoystickDragging());
    QCOMPARE(stick.X(), 128);  // not on the press
    Move(&stick, {16, 16});
    QCOMPARE(stick.X(), 0);
    QCOMPARE(stick.Y(), 0);
    Move(&stick, {178, 178});
    QCOMPARE(stick.X(), 255);
    QCOMPARE(stick.Y(), 255);
    // A pointer past the edges counts as held at them.
    Move(&stick, {-300, 500});
    QCOMPARE(Input(kAdcJoystickX), 0u);
    QCOMPARE(Input(kAdcJoystickY), 255u);
    Move(&stick, {16 + 81, 16 + 40});
    QCOMPARE(stick.X(), 127);  // 81 x 255 / 162
    QCOMPARE(stick.Y(), 62);
    Release(&stick, {0, 0}, Qt::RightButton);
    QVERIFY(!stick.JoystickDragging());
    Move(&stick, {16, 16});
    QCOMPARE(stick.X(), 127);
    QCOMPARE(stick.StickRect().topLeft(), QPoint(int(127 / 255.0 * 162) + 8, int(62 / 255.0 * 162) + 8));
  }

  void JoystickStickInvertsTheField() {
    TJoystick stick;
    stick.SetJoystick(0, 0);
    const QImage drawn = stick.grab().toImage();
    QCOMPARE(QColor(drawn.pixel(8 + 8, 8 + 8)), QColor(Qt::white));  // the cross's middle
    QCOMPARE(QColor(drawn.pixel(8 + 8, 8 + 1)), QColor(Qt::black));
  }
};

KQ_UI_TEST(AnalogControlsTest);

}  // namespace
}  // namespace kqui

#include "analog_controls_test.moc"
