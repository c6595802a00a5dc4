// The main window without a running firmware: the start values of the analog controls,
// the panel's layout, the keys, the status bar, the board's pictures and lights, and the
// menus' commands.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTimer>

#include "board/Adc.h"
#include "board/Cartridge.h"
#include "board/Emulator.h"
#include "board/Glyphs.h"
#include "board/Lcd.h"
#include "board/Midi.h"
#include "board/Nvr.h"
#include "board/Output.h"
#include "board/Uart.h"
#include "core/68000.h"
#include "tests/ui/ui_test.h"
#include "ui/About.h"
#include "ui/BitmapView.h"
#include "ui/CartridgeFrame.h"
#include "ui/DebugForms.h"
#include "ui/FileDialogs.h"
#include "ui/Forms.h"
#include "ui/Joystick.h"
#include "ui/Kqbuttonframe.h"
#include "ui/MidiSelectForm.h"
#include "ui/Sliderframe.h"

namespace kqui {
namespace {

// A ROM whose reset vectors start an endless loop at 0x1200.
std::vector<uint8_t> LoopRom() {
  std::vector<uint8_t> rom(0x10000, 0xFF);
  const uint8_t vectors[8] = {0x00, 0x01, 0xD0, 0x00, 0x00, 0x00, 0x12, 0x00};
  std::copy(vectors, vectors + 8, rom.begin());
  rom[0x1200] = 0x60;  // BRA.S to itself
  rom[0x1201] = 0xFE;
  return rom;
}

uint8_t Key(PcKey key) { return KeyDown(key).load(); }

// Closes the modal window that the next event loop pass shows, and notes what it was.
void CloseNextModal(QString* shown) {
  QTimer::singleShot(0, [shown] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      *shown = modal->objectName();
      modal->close();
    }
  });
}

class MainWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestBoard> board;
  std::unique_ptr<FakeHost> host;
  TMainForm* window = nullptr;

 private slots:
  void init() {
    board = std::make_unique<TestBoard>();
    AdcInputs[kAdcDataEntry] = 0;
    CreateForms(TMainForm::StartUp::None);
    window = MainForm;
    host = std::make_unique<FakeHost>();
  }
  void cleanup() {
    SetFileChooser(nullptr);
    host.reset();
    DestroyForms();
    board.reset();
  }

  void StartsWithTheBuiltInControlValues() {
    QCOMPARE(AdcInputs[kAdcJoystickX].load(), 128u);
    QCOMPARE(AdcInputs[kAdcJoystickY].load(), 128u);
    QCOMPARE(AdcInputs[kAdcDataEntry].load(), 128u);
    QCOMPARE(AdcInputs[kAdcVolume].load(), 255u);
    QCOMPARE(AdcInputs[kAdcBalance].load(), 128u);
    TJoystick* joystick = window->ImageJoystick();
    QCOMPARE(joystick->pos() + joystick->StickRect().topLeft(), QPoint(97, 207));
    QCOMPARE(window->windowTitle(), QString("Tarvelion"));
  }

  void LaysOutTheBlueAndGreyButtons() {
    for (int b = 0; b < kPanelButtonCount; ++b) {
      const auto button = PanelButton(b);
      const bool blue = button <= PanelButton::CartridgeSelect;
      QCOMPARE(window->Button(button)->Grey(), blue ? 0 : 1);
      QCOMPARE(window->Button(button)->parentWidget(), window->Client());
    }
    QCOMPARE(window->Button(PanelButton::Store)->pos(), QPoint(408, 448));
    QCOMPARE(window->Button(PanelButton::ProgramSelect9)->pos(), QPoint(680, 32));
    auto* caption = window->findChild<QLabel*>("StoreLabel");
    QVERIFY(caption);
    QCOMPARE(caption->pos(), QPoint(408, 488));
    QCOMPARE(caption->text(), QString("Store"));
    QCOMPARE(window->findChild<QLabel*>("CartridgeSelectLabel")->x(), 728);
    QCOMPARE(window->Client()->size(), QSize(792, 521));
    QCOMPARE(window->DataEntry()->pos(), QPoint(128, 310));
    QCOMPARE(window->CartridgeFrame1()->pos(), QPoint(576, 438));
  }

  // Each caption keeps the width of its place and wraps inside it, every word whole; none
  // runs into another, also where a place is wider than the room to its neighbour.
  void PanelLabelsStandApart() {
    const auto labels = window->Client()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    QVERIFY(labels.size() > 60);
    for (const QLabel* a : labels) {
      const QFontMetricsF metrics(a->font());
      for (const QString& word : a->text().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
        QVERIFY2(metrics.horizontalAdvance(word) <= a->width(), qPrintable(word));
      for (const QLabel* b : labels)
        QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                 qPrintable(a->text() + " | " + b->text()));
    }
    const QLabel* editWaveform = window->findChild<QLabel*>("EditWaveformLabel");
    QCOMPARE(editWaveform->geometry(), QRect(264, 488, 50, editWaveform->height()));
    QCOMPARE(editWaveform->text(), QString("Edit\nWaveform"));
    QVERIFY(window->findChild<QLabel*>("ArpLatchTransposeLabel")->geometry().right() < 344);
  }

  void PageAndArrowKeysMoveTheSlider() {
    TSlider* slider = window->DataEntry();
    slider->SetPosition(250);
    SendKey(window, QEvent::KeyPress, Qt::Key_PageUp);
    QCOMPARE(slider->Position(), 255);
    SendKey(window, QEvent::KeyPress, Qt::Key_PageDown);
    QCOMPARE(slider->Position(), 239);
    SendKey(window, QEvent::KeyPress, Qt::Key_Up);
    QCOMPARE(slider->Position(), 240);
    slider->SetPosition(0);
    AdcInputs[kAdcDataEntry] = 7;
    SendKey(window, QEvent::KeyPress, Qt::Key_Down);
    QCOMPARE(slider->Position(), 0);
    QCOMPARE(AdcInputs[kAdcDataEntry].load(), 0u);
  }

  void DigitAndEnterKeysAreHeldPanelKeys() {
    SendKey(window, QEvent::KeyPress, Qt::Key_3, {}, 12);
    QCOMPARE(Key(PcKey::Digit3), 1);
    SendKey(window, QEvent::KeyRelease, Qt::Key_3, {}, 12, true);  // auto-repeat
    QCOMPARE(Key(PcKey::Digit3), 1);
    // Shift pressed meanwhile changes the key's symbol, not the key.
    SendKey(window, QEvent::KeyRelease, Qt::Key_NumberSign, Qt::ShiftModifier, 12);
    QCOMPARE(Key(PcKey::Digit3), 0);

    SendKey(window, QEvent::KeyPress, Qt::Key_7, Qt::KeypadModifier, 79);
    QCOMPARE(Key(PcKey::Digit7), 0);

    for (int enter : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
      SendKey(window, QEvent::KeyPress, enter);
      QCOMPARE(Key(PcKey::Enter), 1);
      SendKey(window, QEvent::KeyRelease, enter);
      QCOMPARE(Key(PcKey::Enter), 0);
    }

    // Any of the program's windows; and a release lost to another program is assumed.
    SendKey(DACForm, QEvent::KeyPress, Qt::Key_0, {}, 19);
    QCOMPARE(Key(PcKey::Digit0), 1);
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &deactivate);
    QCOMPARE(Key(PcKey::Digit0), 0);
  }

  void StatusBarStartsWithItsOwnTexts() {
    QCOMPARE(window->StatusBarPanel(StatusPanel::RunState)->text(), QString("Initializing"));
    QCOMPARE(window->StatusBarPanel(StatusPanel::MidiIn)->text(), QString("Midi in: CLOSED"));
    QCOMPARE(window->StatusBarPanel(StatusPanel::MidiOut)->text(), QString("Midi out: CLOSED"));
    QCOMPARE(window->StatusBarPanel(StatusPanel::Speed)->text(), QString("speed"));
    QCOMPARE(window->StatusBarPanel(StatusPanel::RunState)->width(), 100);
    window->SetStatusText(StatusPanel::Speed, "CPU: 100%");
    QCOMPARE(window->StatusBarPanel(StatusPanel::Speed)->text(), QString("CPU: 100%"));
  }

  void ShowsTheBoardsPicturesStretched() {
    board->Setup();
    window->RefreshPanel();
    QCOMPARE(window->LCDDisplay()->Picture().size(), QSize(97, 19));
    QCOMPARE(window->LCDDisplay()->Picture().pixel(0, 0), 0xFF000000u | kLcdBackground);
    LcdDisplay.SetPixel(10, 5, 0x123456);
    DrawSevenSegmentDigit(1, 8);
    QVERIFY(!window->LCDDisplay()->Picture().isNull());
    window->RefreshPanel();
    QCOMPARE(window->LCDDisplay()->Picture().pixel(10, 5), 0xFF123456u);
    const QImage lcd = window->LCDDisplay()->grab().toImage();
    QCOMPARE(lcd.size(), QSize(194, 38));
    QCOMPARE(lcd.pixel(20, 10), 0xFF123456u);
    QCOMPARE(lcd.pixel(21, 11), 0xFF123456u);
    QCOMPARE(lcd.pixel(22, 10), 0xFF000000u | kLcdBackground);

    const QImage digits = window->_7SegDisplay()->grab().toImage();
    QCOMPARE(digits.size(), QSize(70, 50));
    const Bitmap& glyphs = SevenSegmentGlyphs();
    int lit = 0;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 35; ++x) {
        QCOMPARE(digits.pixel(35 + x, y), 0xFF000000u | glyphs.Pixel(x, 9 * 50 + y));
        lit += glyphs.Pixel(x, 9 * 50 + y) == kSegmentLit;
      }
    QVERIFY(lit > 100);  // an 8 lights every segment
  }

  void LightsFollowTheBoardAfterEachRefresh() {
    QCOMPARE(window->Button(PanelButton::Split)->LED(), kLedNone);
    LED(PanelButton::Split) = kLedOn;
    LED(PanelButton::Store) = kLedOff;
    window->RefreshPanel();
    QCOMPARE(window->Button(PanelButton::Split)->LED(), kLedOn);
    QCOMPARE(window->Button(PanelButton::Store)->LED(), kLedOff);
    QCOMPARE(window->Button(PanelButton::Name)->LED(), kLedNone);
  }

  void PauseTogglesAndTheMenuShowsIt() {
    QVERIFY(!IsPaused());
    window->MenuHardwarePauseClick();
    QVERIFY(IsPaused());
    QCOMPARE(host->status[0], std::string("Paused"));
    window->MenuHardwarePause()->setChecked(false);
    window->MenuHardwareClick();  // opening the menu
    QVERIFY(window->MenuHardwarePause()->isChecked());
    window->MenuHardwarePauseClick();
    QVERIFY(!IsPaused());
    QCOMPARE(host->status[0], std::string("Running"));
    QCOMPARE(window->MenuHardwarePause()->shortcut(), QKeySequence(Qt::Key_Pause));
  }

  void ResetRestartsTheProcessorBetweenSlices() {
    board->Setup(LoopRom());
    M68kPC = 0x4444;
    window->MenuHardwareResetClick();  // no thread: at once
    QCOMPARE(M68kPC, 0x1200u);

    StartEmulation(board->Path("kq.bin"));
    QTRY_COMPARE(host->status[0], std::string("Running"));
    SetPaused(true);
    QTest::qWait(20);  // the thread is past its last slice now
    M68kPC = 0x4444;
    M68kRegs[0] = 0x5555;
    window->MenuHardwareResetClick();
    QCOMPARE(M68kPC, 0x1200u);  // done by the time the command returns
    QCOMPARE(M68kRegs[0], 0x5555u);
    QVERIFY(IsPaused());
    StopEmulation();
  }

  void RestoreFactoryStateAsksFirst() {
    const auto factory = Pattern(0x4000, 5);
    WriteBytes(QString::fromStdString(NvrDirectory() + kFactoryNvrFileName), factory);
    std::fill(NvrImage, NvrImage + 0x4000, 0x11);
    host->answers = {MessageChoice::Cancel};
    window->MenuHarwareRestoreFactoryStateClick();
    QCOMPARE(host->messages.size(), size_t(1));
    QCOMPARE(host->messages[0].caption, std::string("Restore Factory State"));
    QCOMPARE(host->messages[0].text,
             std::string("This operation will permanently overwrite all patches currently in "
                         "memory.\n\nAre you sure you wish to continue?"));
    QCOMPARE(host->messages[0].buttons, MessageButtons::OkCancel);
    QCOMPARE(host->messages[0].icon, MessageIcon::Warning);
    QCOMPARE(NvrImage[0], 0x11);
    host->answers = {MessageChoice::Ok};
    window->MenuHarwareRestoreFactoryStateClick();
    QVERIFY(std::equal(factory.begin(), factory.end(), NvrImage));
  }

  void LoadSysexQueuesTheWholeFile() {
    const auto sysex = std::vector<uint8_t>{0xF0, 0x7D, 0x01, 'H', 'I', 0xF7};
    WriteBytes(board->File("a.syx"), sysex);
    FileRequest asked{};
    QString answer;
    SetFileChooser([&](QWidget*, const FileRequest& request) {
      asked = request;
      return answer;
    });
    const uint16_t before = MidiInQueue.write.load();
    window->MenuMIDILoadSysexClick();  // cancelled
    QCOMPARE(MidiInQueue.write.load(), before);
    QCOMPARE(asked.filter, QString("SYSEX files (*.syx)"));
    QCOMPARE(asked.defaultSuffix, QString("syx"));
    QCOMPARE(asked.kind, FileRequest::Open);
    answer = board->File("a.syx");
    window->MenuMIDILoadSysexClick();
    QCOMPARE(MidiInQueue.write.load(), uint16_t(before + sysex.size()));
    QVERIFY(std::equal(sysex.begin(), sysex.end(), MidiInQueue.data + before));
  }

  void ClosingAsksAboutAChangedCartridge() {
    window->show();
    CartridgeNew();
    CartridgeChanged = 1;
    host->answers = {MessageChoice::Cancel};
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    QCOMPARE(host->messages.back().text,
             std::string("The cartridge has changed.  Do you want to save the changes?"));
    host->answers = {MessageChoice::No};
    QVERIFY(window->close());
  }

  void DebugMenuIsHiddenAndTogglesItsWindows() {
    QVERIFY(!window->MenuDebug()->menuAction()->isVisible());
    const auto& items = window->MenuDebugItems();
    QCOMPARE(items[0]->text(), QString("&DAC"));
    QCOMPARE(items[6]->text(), QString("&Wave"));
    items[0]->trigger();
    QVERIFY(DACForm->isVisible());
    QVERIFY(DACForm->Timer1()->isActive());
    window->MenuDebugClick();
    QVERIFY(items[0]->isChecked());
    QVERIFY(!items[1]->isChecked());
    items[0]->trigger();
    QVERIFY(!DACForm->isVisible());
    QVERIFY(!DACForm->Timer1()->isActive());
    window->MenuDebugClick();
    QVERIFY(!items[0]->isChecked());
  }

  void HelpAndMidiMenusShowTheirDialogs() {
    QString shown;
    CloseNextModal(&shown);
    window->MenuHelpAboutClick();
    QCOMPARE(shown, QString("AboutForm"));
    shown.clear();
    MidiInDevices = {"In"};  // so that the dialog stays open until closed
    CloseNextModal(&shown);
    window->MenuMidiSelectDevicesClick();
    QCOMPARE(shown, QString("MidiSelectForm"));
  }
};

KQ_UI_TEST(MainWindowTest);

}  // namespace
}  // namespace kqui

#include "main_window_test.moc"
