// The whole program on the board test firmware: the windows start the emulation and show
// the MIDI dialog, the panel drives the firmware and shows what it draws, the menus act
// between slices, and the way out stops the thread before the patch memory is written.
#include <QDir>
#include <QLabel>
#include <QTreeWidget>

#include "board/Emulator.h"
#include "board/Lcd.h"
#include "board/Nvr.h"
#include "firmware/boardtest/boardtest.h"
#include "firmware/host/programs.h"
#include "core/bus.h"
#include "tests/ui/ui_test.h"
#include "ui/BitmapView.h"
#include "ui/BoardAccess.h"
#include "ui/DebugForms.h"
#include "ui/FileDialogs.h"
#include "ui/Forms.h"
#include "ui/Kqbuttonframe.h"

namespace kqui {
namespace {

// Reads the board between two slices.
template <typename F>
auto OnBoard(F read) {
  decltype(read()) value{};
  RunOnBoard([&] { value = read(); });
  return value;
}

std::string LcdLine(int line) {
  return OnBoard([line] {
    std::string text;
    for (int i = 0; i < 16; ++i) text += char(Ddram[line * 0x40 + i]);
    return text;
  });
}

uint32_t Reported(uint32_t field) {
  return OnBoard([field] { return m68k::ReadLong(KQ_MAILBOX_KQ + field); });
}

class RunningPanelTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestBoard> board;
  std::unique_ptr<FakeHost> host;
  QString savedDirectory;

  void Start(bool withRom) {
    if (withRom) {
      const firmware::ProgramImage* image = firmware::FindProgram("boardtest", "O2");
      QVERIFY(image);
      WriteBytes(board->File("kq.bin"), {image->data, image->data + image->size});
    }
    CreateForms(TMainForm::StartUp::Emulate);
    host = std::make_unique<FakeHost>();
    MainForm->show();
  }

  // The message box with this text, if one was shown (the MIDI dialog's and the board's
  // come in either order).
  const FakeHost::Message* Shown(const std::string& text) const {
    for (const auto& message : host->messages)
      if (message.text == text) return &message;
    return nullptr;
  }

 private slots:
  void init() {
    board = std::make_unique<TestBoard>();
    savedDirectory = QDir::currentPath();
    QDir::setCurrent(board->File(""));  // the program reads "kq.bin" from here
  }
  void cleanup() {
    DestroyForms();
    host.reset();
    BoardShutdown();
    SetFileChooser(nullptr);
    QDir::setCurrent(savedDirectory);
    board.reset();
  }

  void PanelAndFirmwareMeet() {
    Start(true);
    QTRY_COMPARE_WITH_TIMEOUT(LcdLine(0).substr(0, 13), std::string("KQ BOARD TEST"), 10000);
    QVERIFY(EmulationRunning());
    QCOMPARE(host->status[0], std::string("Running"));
    QVERIFY(Shown("No MIDI devices present."));

    // What the board draws reaches the window.
    QTRY_VERIFY(MainForm->LCDDisplay()->Picture().size() == QSize(97, 19));

    // A held button: its switch, and its lamp lit on the panel.
    TKQButton* store = MainForm->Button(PanelButton::Store);
    Press(store, {5, 5});
    QTRY_COMPARE(LcdLine(1), std::string("SWITCH R2 B3    "));
    QTRY_COMPARE(store->LED(), kLedOn);
    Release(store, {5, 5});
    QTRY_COMPARE(store->LED(), kLedOff);

    // PC digit keys enter a program number.
    for (int key : {int(Qt::Key_4), int(Qt::Key_2)}) {
      SendKey(MainForm, QEvent::KeyPress, key, {}, quint32(key - Qt::Key_0 + 9));
      QTest::qWait(30);
      SendKey(MainForm, QEvent::KeyRelease, key, {}, quint32(key - Qt::Key_0 + 9));
      QTest::qWait(30);
    }
    QTRY_COMPARE(LcdLine(1), std::string("PROGRAM 42      "));
    QCOMPARE(Reported(KQ_BT_PROGRAM), 42u);
    // The Outputs window reads the latches between slices while the firmware runs.
    OutputForm->show();
    QTRY_COMPARE(OutputForm->ListView()->topLevelItem(0)->text(1), QString("4"));
    QCOMPARE(OutputForm->ListView()->topLevelItem(1)->text(1), QString("2"));
    OutputForm->hide();

    // A SysEx file through the MIDI menu.
    const std::string text = "HELLO SYSEX";
    std::vector<uint8_t> sysex{0xF0, KQ_BT_SYSEX_ID, KQ_BT_SYSEX_TEXT};
    sysex.insert(sysex.end(), text.begin(), text.end());
    sysex.push_back(0xF7);
    WriteBytes(board->File("hello.syx"), sysex);
    SetFileChooser([this](QWidget*, const FileRequest&) { return board->File("hello.syx"); });
    MainForm->MenuMIDILoadSysexClick();
    QTRY_COMPARE(LcdLine(1), std::string("HELLO SYSEX     "));

    // Paused, the timer's interrupts stop; running again, they go on.
    MainForm->MenuHardwarePauseClick();
    QCOMPARE(host->status[0], std::string("Paused"));
    const uint32_t ticks = Reported(KQ_BT_TICKS);
    QTest::qWait(50);
    QCOMPARE(Reported(KQ_BT_TICKS), ticks);
    MainForm->MenuHardwarePauseClick();
    QTRY_VERIFY(Reported(KQ_BT_TICKS) > ticks);

    // The way out: the thread ends first, then the patch memory keeps this start's record.
    DestroyForms();
    QVERIFY(!EmulationRunning());
    BoardShutdown();
    const auto nvr = ReadBytes(QString::fromStdString(NvrDirectory() + kNvrFileName));
    QCOMPARE(nvr.size(), size_t(0x4000));
    QCOMPARE(nvr[KQ_BT_PATCH_BOOTS + 3], 1);
  }

  void WithoutTheRomImageTheProgramIsAskedToEnd() {
    Start(false);
    QTRY_COMPARE(host->quitRequests, 1);
    const FakeHost::Message* missing = Shown("Can't locate \"kq.bin\"\nProgram terminating");
    QVERIFY(missing);
    QCOMPARE(missing->caption, std::string("ROM image missing"));
    QCOMPARE(missing->icon, MessageIcon::Error);
    QTRY_COMPARE(host->status[0], std::string("Running"));
  }
};

KQ_UI_TEST(RunningPanelTest);

}  // namespace
}  // namespace kqui

#include "running_panel_test.moc"
