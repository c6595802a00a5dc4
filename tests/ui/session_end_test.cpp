// A signal, or the session manager's end of the session (which Qt turns into a request
// to quit from the platform), ends the session inside the program: every event loop
// returns at once, modal boxes included, and nothing asks about a changed cartridge any
// more. The program's own quit (the last window closed) still asks.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest/qtestspontaneevent.h>
#include <csignal>

#include "board/Cartridge.h"
#include "tests/ui/ui_test.h"
#include "ui/Forms.h"
#include "ui/SessionEnd.h"

namespace kqui {
namespace {

constexpr int kPlatformQuit = 0;  // in place of a signal: the session manager's Die
constexpr int kOwnQuit = -1;      // a quit posted, as the last window closed posts it

class SessionEndTest : public QObject {
  Q_OBJECT

 private slots:
  void EachEndEndsEveryLoopWithoutAQuestion() {
    for (const auto& [signal, boxOpen] : {std::pair{SIGTERM, false},
                                          {SIGINT, true},
                                          {SIGHUP, true},
                                          {kPlatformQuit, true},
                                          {kOwnQuit, false}}) {
      TestBoard board;
      CreateForms(TMainForm::StartUp::None);
      FakeHost host;
      EndSessionOnRequest(qApp);
      MainForm->show();
      CartridgeNew();
      CartridgeChanged = 1;
      int boxResult = -1;
      host.answers = {MessageChoice::No};  // a question is answered: the changes go
      QTimer::singleShot(0, [&, signal = signal, boxOpen = boxOpen] {
        QTimer::singleShot(0, [signal] {
          if (signal == kOwnQuit) {
            QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
            return;
          }
          if (signal != kPlatformQuit) {
            std::raise(signal);
            return;
          }
          QEvent quit(QEvent::Quit);
          QSpontaneKeyEvent::setSpontaneous(&quit);
          qApp->notify(qApp, &quit);  // as it comes from the platform: sendEvent is never spontaneous
        });
        if (boxOpen) boxResult = QMessageBox(QMessageBox::Question, "", "Still there?", QMessageBox::Ok).exec();
      });
      // Ends what the session's end should have ended: the test fails.
      bool rescued = false;
      QObject guard;
      QTimer::singleShot(30000, &guard, [&] {
        rescued = true;
        QCoreApplication::exit(99);
      });
      const int status = QApplication::exec();
      for (int number : {SIGINT, SIGTERM, SIGHUP}) std::signal(number, SIG_DFL);
      QCOMPARE(status, 0);
      QVERIFY(!rescued);
      if (signal == kOwnQuit) {
        QVERIFY(!SessionEnding());
        QCOMPARE(host.messages.size(), size_t(1));
        QVERIFY(host.messages[0].text.find("cartridge has changed") != std::string::npos);
        QVERIFY(!MainForm->isVisible());  // closed once answered
        DestroyForms();
        continue;
      }
      QVERIFY(SessionEnding());
      QCOMPARE(boxResult, boxOpen ? 0 : -1);
      QVERIFY(MainForm->close());
      QVERIFY(host.messages.empty());  // no question about the cartridge
      // The event loop has returned: a box now would wait for an answer.
      QCOMPARE(MainForm->ShowMessage("?", "MIDI", MessageButtons::RetryCancel, MessageIcon::Question),
               MessageChoice::Cancel);
      QVERIFY(!rescued);
      DestroyForms();
    }
  }
};

KQ_UI_TEST(SessionEndTest);

}  // namespace
}  // namespace kqui

#include "session_end_test.moc"
