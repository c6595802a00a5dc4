// The MIDI device dialog over a MIDI system of the test's own: listing the ports,
// pre-selection, OK and Cancel, and the hosts without ports.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "board/Midi.h"
#include "board/Settings.h"
#include "tests/ui/ui_test.h"
#include "ui/MidiSelectForm.h"

namespace kqui {
namespace {

class FakeMidi final : public MidiSystem {
 public:
  FakeMidi(std::vector<std::string> in, std::vector<std::string> out, std::vector<std::string>* log)
      : in_(std::move(in)), out_(std::move(out)), log_(log) {}
  std::vector<std::string> InputNames() override { return in_; }
  std::vector<std::string> OutputNames() override { return out_; }
  std::string OpenInput(int32_t index) override {
    log_->push_back("open in " + std::to_string(index));
    return failInput ? "busy" : "";
  }
  std::string StartInput(MidiReceiver) override { return {}; }
  void CloseInput() override { log_->push_back("close in"); }
  std::string OpenOutput(int32_t index) override {
    log_->push_back("open out " + std::to_string(index));
    return {};
  }
  void CloseOutput() override { log_->push_back("close out"); }

  static inline bool failInput = false;

 private:
  std::vector<std::string> in_, out_;
  std::vector<std::string>* log_;
};

class MidiDialogTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestBoard> board;
  std::unique_ptr<FakeHost> host;
  std::unique_ptr<TMidiSelectForm> dialog;
  std::vector<std::string> log;

  void Ports(std::vector<std::string> in, std::vector<std::string> out) {
    MidiInit(std::make_unique<FakeMidi>(std::move(in), std::move(out), &log));
  }
  // Runs the dialog modally; `act` runs once it is on screen and its check has run.
  int RunDialog(const std::function<void()>& act) {
    QTimer start, giveUp;  // giving up ends a dialog that a failed check left open
    start.setSingleShot(true);
    giveUp.setSingleShot(true);
    connect(&start, &QTimer::timeout, [&] {
      if (dialog->isVisible()) act();
    });
    connect(&giveUp, &QTimer::timeout, [&] { dialog->done(-1); });
    start.start(20);
    giveUp.start(5000);
    return dialog->exec();
  }

 private slots:
  void init() {
    board = std::make_unique<TestBoard>();
    host = std::make_unique<FakeHost>();
    dialog = std::make_unique<TMidiSelectForm>();
    log.clear();
    FakeMidi::failInput = false;
    TSettings::MidiInDevice = 0;
    TSettings::MidiOutDevice = 0;
  }
  void cleanup() {
    MidiShutdown();
    dialog.reset();
    host.reset();
    board.reset();
    TSettings::MidiInDevice = 0;
    TSettings::MidiOutDevice = 0;
  }

  void WithoutAnyPortItSaysSoAndCloses() {
    QCOMPARE(RunDialog([] {}), int(QDialog::Rejected));
    QCOMPARE(host->messages.size(), size_t(1));
    QCOMPARE(host->messages[0].text, std::string("No MIDI devices present."));
    QCOMPARE(host->messages[0].caption, std::string("Tarvelion"));
    QCOMPARE(host->messages[0].icon, MessageIcon::Information);
    QCOMPARE(dialog->ComboBoxInput()->currentText(), QString("No devices present"));
    QVERIFY(!dialog->ComboBoxInput()->isEnabled());
    QVERIFY(!dialog->ComboBoxOutput()->isEnabled());
    QVERIFY(!MidiInIsOpen && !MidiOutIsOpen);
  }

  void OneInputAndNoOutputOpensTheInputOnly() {
    Ports({"Keys A", "Keys B"}, {});
    const int result = RunDialog([this] {
      QCOMPARE(dialog->ComboBoxInput()->count(), 2);
      QCOMPARE(dialog->ComboBoxInput()->currentIndex(), 0);
      QCOMPARE(dialog->ComboBoxOutput()->currentText(), QString("No devices present"));
      dialog->ComboBoxInput()->setCurrentIndex(1);
      dialog->ButtonOK()->click();
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(host->messages.empty());
    QCOMPARE(log, std::vector<std::string>({"open in 1"}));
    QVERIFY(MidiInIsOpen);
    QCOMPARE(TSettings::MidiInDevice, 1);
    QCOMPARE(TSettings::MidiOutDevice, -1);
    QCOMPARE(host->status[1], std::string("Midi in: Keys B"));

    // The next showing pre-selects the choice made.
    RunDialog([this] {
      QCOMPARE(dialog->ComboBoxInput()->currentIndex(), 1);
      dialog->ButtonCancel()->click();
    });
    QVERIFY(MidiInIsOpen);  // Cancel leaves the ports alone
  }

  void TypedTextThatNamesNoPortClosesThatSide() {
    Ports({"Keys"}, {"Synth"});
    RunDialog([this] {
      dialog->ComboBoxInput()->lineEdit()->setText("nothing like it");
      QCOMPARE(TMidiSelectForm::SelectedIndex(dialog->ComboBoxInput()), -1);
      dialog->ComboBoxOutput()->lineEdit()->setText("Synth");
      QCOMPARE(TMidiSelectForm::SelectedIndex(dialog->ComboBoxOutput()), 0);
      dialog->ButtonOK()->click();
    });
    QCOMPARE(TSettings::MidiInDevice, -1);
    QCOMPARE(TSettings::MidiOutDevice, 0);
    QVERIFY(!MidiInIsOpen);
    QVERIFY(MidiOutIsOpen);
    RunDialog([this] {
      QCOMPARE(dialog->ComboBoxInput()->currentIndex(), -1);
      dialog->reject();
    });
  }

  void AFailedOpenKeepsTheDialogAndClosesBothPorts() {
    Ports({"Keys"}, {"Synth"});
    FakeMidi::failInput = true;
    host->answers = {MessageChoice::Cancel};  // the offer to retry
    bool stillOpen = false;
    RunDialog([&] {
      dialog->ButtonOK()->click();
      stillOpen = dialog->isVisible();
      dialog->ButtonCancel()->click();
    });
    QVERIFY(stillOpen);
    QCOMPARE(host->messages.size(), size_t(1));
    QCOMPARE(host->messages[0].buttons, MessageButtons::RetryCancel);
    QVERIFY(!MidiInIsOpen && !MidiOutIsOpen);
    QCOMPARE(TSettings::MidiInDevice, 0);
  }

  void EnterIsOkAndEscapeDoesNothing() {
    Ports({"Keys"}, {"Synth"});
    bool afterEscape = false;
    const int result = RunDialog([&] {
      QTest::keyClick(dialog.get(), Qt::Key_Escape);
      afterEscape = dialog->isVisible();
      QTest::keyClick(dialog.get(), Qt::Key_Return);
    });
    QVERIFY(afterEscape);
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(MidiInIsOpen && MidiOutIsOpen);
    QCOMPARE(host->status[2], std::string("Midi out: Synth"));
  }
};

KQ_UI_TEST(MidiDialogTest);

}  // namespace
}  // namespace kqui

#include "midi_dialog_test.moc"
