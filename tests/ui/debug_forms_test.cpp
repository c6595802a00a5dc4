// The debug windows: the texts they show for the board's state, refreshed only while
// shown, the test keyboard's events and the wave drawing.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include "board/Dac.h"
#include "board/Keyboard.h"
#include "board/Output.h"
#include "board/Wave.h"
#include "tests/ui/ui_test.h"
#include "ui/DebugForms.h"

namespace kqui {
namespace {

QString Cell(QTreeWidget* list, int row, int column) { return list->topLevelItem(row)->text(column); }

// The key-event FIFO's bytes since the start.
std::vector<uint8_t> KeyEvents() {
  std::vector<uint8_t> events;
  for (uint8_t i = KeyFifoRead.load(); i != KeyFifoWrite.load(); ++i) events.push_back(KeyEventFifo[i]);
  return events;
}

class DebugFormsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestBoard> board;

 private slots:
  void init() {
    board = std::make_unique<TestBoard>();
    board->Setup();
  }
  void cleanup() { board.reset(); }

  void MemoWindowsAreEmpty() {
    TUARTForm uart;
    TLCDForm lcd;
    TIOForm io;
    QCOMPARE(uart.windowTitle(), QString("UART"));
    QCOMPARE(lcd.windowTitle(), QString("LCD"));
    QCOMPARE(io.windowTitle(), QString("IO"));
    QVERIFY(uart.Memo()->toPlainText().isEmpty());
    QVERIFY(!uart.Timer1());
  }

  void DacListsEveryChannelWithFiveDecimals() {
    TDACForm form;
    QTreeWidget* list = form.ListView();
    QCOMPARE(list->topLevelItemCount(), 62);
    QCOMPARE(Cell(list, 0, 1), QString("Lev A1"));
    QCOMPARE(Cell(list, 7, 1), QString("Lev D2"));
    QCOMPARE(Cell(list, 31, 1), QString("Lev D8"));
    QCOMPARE(Cell(list, 32, 1), QString("VCA 1"));
    QCOMPARE(Cell(list, 47, 1), QString("VCF 8"));
    QCOMPARE(Cell(list, 55, 1), QString("Pan 8"));
    QCOMPARE(Cell(list, 61, 0), QString("61"));
    QCOMPARE(Cell(list, 61, 1), QString("Right Final"));
    QVERIFY(Cell(list, 3, 2).isEmpty());
    DacWriteWord(3 * 2, 0x8000);
    DacWriteWord(61 * 2, 0xFFFF);
    form.Timer1Timer();
    QCOMPARE(Cell(list, 3, 2), QString("0.50012"));
    QCOMPARE(Cell(list, 61, 2), QString("1.00000"));
    QCOMPARE(Cell(list, 0, 2), QString("0.00000"));
  }

  void RefreshesOnlyWhileShown() {
    TDACForm form;
    QVERIFY(!form.Timer1()->isActive());
    form.show();
    QVERIFY(form.Timer1()->isActive());
    QTRY_COMPARE(Cell(form.ListView(), 0, 2), QString("0.00000"));
    form.hide();
    QVERIFY(!form.Timer1()->isActive());
  }

  void OutputsShowTheLatches() {
    TOutputForm form;
    QTreeWidget* list = form.ListView();
    form.Timer1Timer();
    QCOMPARE(Cell(list, 0, 1), QString("-1"));
    QCOMPARE(Cell(list, 1, 1), QString("-1"));
    for (int row = 2; row < 18; ++row) QCOMPARE(Cell(list, row, 1), QString("Off"));
    DigitLatchWriteWord(0, 0x0900 | 0x73);  // chorus right, backlight; digits 3 and 7
    LedLatchWriteWord(0, 0x3FF & ~(1 << 4));  // active low: light 4, chorus left
    form.Timer1Timer();
    QCOMPARE(Cell(list, 0, 0), QString("Left 7-segment"));
    QCOMPARE(Cell(list, 0, 1), QString("3"));
    QCOMPARE(Cell(list, 1, 1), QString("7"));
    QCOMPARE(Cell(list, 5, 0), QString("Chorus Left LED"));
    QCOMPARE(Cell(list, 5, 1), QString("On"));
    QCOMPARE(Cell(list, 6, 1), QString("Off"));
    QCOMPARE(Cell(list, 13, 1), QString("On"));   // right chorus
    QCOMPARE(Cell(list, 15, 1), QString("On"));   // backlight
    QCOMPARE(Cell(list, 12, 1), QString("Off"));
  }

  void TestKeyboardSendsPressesAndReleasesAtTheTick() {
    TKeyboardForm form;
    QCOMPARE(form.Key(6)->text(), QString("F#"));
    QCOMPARE(form.Key(6)->objectName(), QString("Fs"));
    form.Key(0)->setChecked(true);
    form.Key(0)->setChecked(false);
    form.Timer1Timer();
    QVERIFY(KeyEvents().empty());  // checked and unchecked within one period
    form.Key(0)->setChecked(true);
    form.Key(11)->setChecked(true);
    form.Timer1Timer();
    QCOMPARE(KeyEvents(), std::vector<uint8_t>({0xC8, 127, 0xD3, 127}));
    QCOMPARE(form.Tag(0), 0xC8);
    form.Timer1Timer();
    QCOMPARE(KeyEvents().size(), size_t(4));
    form.Key(0)->setChecked(false);
    form.Timer1Timer();
    QCOMPARE(KeyEvents(), std::vector<uint8_t>({0xC8, 127, 0xD3, 127, 0x48, 0}));
    QCOMPARE(form.Tag(0), 0x48);
  }

  // A press or release that the full FIFO refuses leaves the box unsent: it goes at a later
  // tick, once there is room, and a release is never lost behind a refused press.
  void TestKeyboardSendsAgainWhatTheFullFifoRefused() {
    TKeyboardForm form;
    while (KeyboardPushEvent(0x01, 1)) {}
    const auto lastEvent = [] {
      const uint8_t end = KeyFifoWrite.load();
      return std::vector<uint8_t>{KeyEventFifo[uint8_t(end - 2)], KeyEventFifo[uint8_t(end - 1)]};
    };
    const auto makeRoom = [] {
      KeyboardRead();
      KeyboardRead();
    };
    form.Key(0)->setChecked(true);
    form.Timer1Timer();
    QCOMPARE(form.Tag(0), 0x48);  // refused: not counted as sent
    makeRoom();
    form.Timer1Timer();
    QCOMPARE(form.Tag(0), 0xC8);
    QCOMPARE(lastEvent(), std::vector<uint8_t>({0xC8, 127}));
    form.Key(0)->setChecked(false);
    form.Timer1Timer();
    QCOMPARE(form.Tag(0), 0xC8);  // the release waits too
    QCOMPARE(lastEvent(), std::vector<uint8_t>({0xC8, 127}));
    makeRoom();
    form.Timer1Timer();
    QCOMPARE(form.Tag(0), 0x48);
    QCOMPARE(lastEvent(), std::vector<uint8_t>({0x48, 0}));
  }

  void WaveListsRegistersAndDrawsTheActiveChip() {
    TWaveForm form;
    QCOMPARE(form.PageControl()->tabPosition(), QTabWidget::South);
    WaveChipA.Regs[0].Control = 0x4008;
    WaveChipA.Regs[7].Frequency = 255;
    WaveChipC.Regs[1].Control = 0x0123;
    form.resize(620, 314);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!WaveRamChanged);  // drawn on showing
    form.Timer1Timer();
    QCOMPARE(Cell(form.List(0), 0, 0), QString("00"));
    QCOMPARE(Cell(form.List(0), 0, 1), QString("4008"));
    QCOMPARE(Cell(form.List(0), 15, 0), QString("72"));
    QCOMPARE(Cell(form.List(0), 15, 1), QString("00FF"));

    // A sine in chip C's first wave: switching pages draws it at once.
    for (int i = 0; i < 128; ++i) WaveChipC.WaveTables[0][i] = float(0.5 * std::sin(2 * M_PI * i / 128));
    form.PageControl()->setCurrentIndex(2);
    const QImage& picture = form.Image(2)->Picture();
    const int w = picture.width(), h = picture.height();
    QCOMPARE(picture.size(), form.Image(2)->size());
    const QColor centreLine(0x00, 0x80, 0x00), curve(0x00, 0xFF, 0x00);
    QCOMPARE(QColor(picture.pixel(w / 4 + 20, h / 2)), centreLine);
    // The crest, 5 pixels below the top; nothing but black beneath it.
    const int x32 = int(32 * (w / 127.0f));
    QCOMPARE(QColor(picture.pixel(x32, int(h * 0.5f - (h - 10) * 0.5f))), curve);
    QCOMPARE(QColor(picture.pixel(x32, 2)), QColor(Qt::black));
    QCOMPARE(QColor(picture.pixel(x32, h - 3)), QColor(Qt::black));
    form.Timer1Timer();
    QCOMPARE(Cell(form.List(2), 2, 1), QString("0123"));
    form.hide();
  }
};

KQ_UI_TEST(DebugFormsTest);

}  // namespace
}  // namespace kqui

#include "debug_forms_test.moc"
