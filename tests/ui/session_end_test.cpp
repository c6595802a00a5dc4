// A signal ends the session inside the program: every event loop returns at once, modal
// boxes included, and the window closes without asking about a changed cartridge.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <csignal>

#include "board/Cartridge.h"
#include "tests/ui/ui_test.h"
#include "ui/Forms.h"
#include "ui/SessionEnd.h"

namespace kqui {
namespace {

class SessionEndTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestBoard> board;
  std::unique_ptr<FakeHost> host;

 private slots:
  void init() {
    board = std::make_unique<TestBoard>();
    CreateForms(TMainForm::StartUp::None);
    host = std::make_unique<FakeHost>();
  }
  void cleanup() {
    host.reset();
    DestroyForms();
    board.reset();
    for (int number : {SIGINT, SIGTERM, SIGHUP}) std::signal(number, SIG_DFL);
  }

  void ASignalEndsEveryLoopWithoutAQuestion() {
    const struct {
      int signal;
      bool boxOpen;  // a modal box waits for an answer when the signal comes
    } rows[] = {{SIGTERM, false}, {SIGINT, true}, {SIGHUP, true}};
    for (const auto& row : rows) {
      const QByteArray what = QByteArray("signal ") + QByteArray::number(row.signal);
      EndSessionOnRequest(qApp);
      MainForm->show();
      CartridgeNew();
      CartridgeChanged = 1;
      host->messages.clear();
      int boxResult = -2;
      QTimer::singleShot(0, [&] {
        if (row.boxOpen) {
          QTimer::singleShot(0, [&] { std::raise(row.signal); });
          QMessageBox box(QMessageBox::Question, "Tarvelion", "Still there?", QMessageBox::Ok, MainForm);
          boxResult = box.exec();
        } else {
          std::raise(row.signal);
        }
      });
      QTimer guard;
      guard.setSingleShot(true);
      connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
      guard.start(5000);
      QCOMPARE(QApplication::exec(), 0);
      QVERIFY2(SessionEnding(), what);
      if (row.boxOpen) QVERIFY2(boxResult != QMessageBox::Ok && boxResult != -2, what);
      QVERIFY2(host->messages.empty(), what);  // no question about the cartridge
      // Closing the window now asks nothing either, and so do the board's own boxes.
      QVERIFY2(MainForm->close(), what);
      QVERIFY2(host->messages.empty(), what);
      QCOMPARE(MainForm->ShowMessage("Retry?", "MIDI", MessageButtons::RetryCancel, MessageIcon::Question),
               MessageChoice::Cancel);
    }
  }
};

KQ_UI_TEST(SessionEndTest);

}  // namespace
}  // namespace kqui

#include "session_end_test.moc"
