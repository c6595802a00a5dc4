#include "ui/SessionEnd.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace {

int signalPipe[2] = {-1, -1};
QSocketNotifier* signalNotifier = nullptr;
bool ending = false;
LogOutQuestion logOutQuestion;

std::function<void()> exitWayOut;
std::thread::id exitThread;
bool wayOutTaken = false;

// Only a write to the pipe is safe in a signal handler; the event loop reads it.
void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] ssize_t written = write(signalPipe[1], &byte, 1);
  errno = saved;
}

void CatchSignal(int number) {
  struct sigaction action {};
  if (sigaction(number, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) return;
  action = {};
  action.sa_handler = OnSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(number, &action, nullptr);
}

// The platform's request to quit (on X11 the session manager's Die) would close the
// windows, and the main window would ask about the cartridge: it ends the session
// instead. A quit of the application's own (the last window closed) is left alone.
class PlatformQuitFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != qApp || event->type() != QEvent::Quit || !event->spontaneous()) return false;
    EndSession();
    return true;
  }
};

#if QT_CONFIG(sessionmanager)
// A log-out or checkpoint: Qt's documentation asks not to exit here; the manager's Die
// ends the session, or its ShutdownCancelled leaves it running.
void CommitData(QSessionManager& manager) {
  if (!logOutQuestion) return;
  if (!logOutQuestion([&] { return manager.allowsInteraction(); })) manager.cancel();
  manager.release();
}
#endif

void RunWayOutAtExit() {
  if (wayOutTaken || !exitWayOut || std::this_thread::get_id() != exitThread) return;
  wayOutTaken = true;
  ending = true;
  exitWayOut();
}

}  // namespace

void EndSessionOnRequest(QGuiApplication* app, LogOutQuestion question) {
  ending = false;
  logOutQuestion = std::move(question);
  if (!signalNotifier) {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    signalNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(signalNotifier, &QSocketNotifier::activated, [] {
      char bytes[16];
      while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
      }
      EndSession();
    });
    app->installEventFilter(new PlatformQuitFilter(signalNotifier));
#if QT_CONFIG(sessionmanager)
    QObject::connect(app, &QGuiApplication::commitDataRequest, signalNotifier, CommitData,
                     Qt::DirectConnection);
#endif
  }
  for (int number : {SIGINT, SIGTERM, SIGHUP}) CatchSignal(number);
  std::signal(SIGPIPE, SIG_IGN);
}

void EndSession() {
  ending = true;
  // Unlike quit(), exit() closes no window (closing would ask about the cartridge) and
  // ends the loops of modal boxes too.
  QCoreApplication::exit(0);
}

bool SessionEnding() { return ending; }

void TakeWayOutAtExit(std::function<void()> wayOut) {
  exitWayOut = std::move(wayOut);
  exitThread = std::this_thread::get_id();
  wayOutTaken = false;
  static const bool registered = std::atexit(RunWayOutAtExit) == 0;
  (void)registered;
}

void WayOutTaken() { wayOutTaken = true; }
