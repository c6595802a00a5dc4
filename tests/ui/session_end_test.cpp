// A signal ends the session inside the program: every event loop returns at once, modal
// boxes included, and nothing asks about a changed cartridge any more.
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

 private slots:
  void ASignalEndsEveryLoopWithoutAQuestion() {
    for (const auto& [signal, boxOpen] : {std::pair{SIGTERM, false}, {SIGINT, true}, {SIGHUP, true}}) {
      TestBoard board;
      CreateForms(TMainForm::StartUp::None);
      FakeHost host;
      EndSessionOnRequest(qApp);
      MainForm->show();
      CartridgeNew();
      CartridgeChanged = 1;
      int boxResult = -1;
      QTimer::singleShot(0, [&, signal = signal, boxOpen = boxOpen] {
        QTimer::singleShot(0, [signal] { std::raise(signal); });
        if (boxOpen) boxResult = QMessageBox(QMessageBox::Question, "", "Still there?", QMessageBox::Ok).exec();
      });
      QObject guard;
      QTimer::singleShot(5000, &guard, [] { QCoreApplication::exit(99); });
      QCOMPARE(QApplication::exec(), 0);
      QVERIFY(SessionEnding());
      QCOMPARE(boxResult, boxOpen ? 0 : -1);
      QVERIFY(MainForm->close());
      QVERIFY(host.messages.empty());  // no question about the cartridge
      QCOMPARE(MainForm->ShowMessage("?", "MIDI", MessageButtons::RetryCancel, MessageIcon::Question),
               MessageChoice::Cancel);
      DestroyForms();
      for (int number : {SIGINT, SIGTERM, SIGHUP}) std::signal(number, SIG_DFL);
    }
  }
};

KQ_UI_TEST(SessionEndTest);

}  // namespace
}  // namespace kqui

#include "session_end_test.moc"
