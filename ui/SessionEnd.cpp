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

void RunWayOutAtExit() {
  if (wayOutTaken || !exitWayOut || std::this_thread::get_id() != exitThread) return;
  wayOutTaken = true;
  ending = true;
  exitWayOut();
}

}  // namespace

void EndSessionOnRequest(QGuiApplication* app) {
  ending = false;
  if (!signalNotifier) {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    signalNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(signalNotifier, &QSocketNotifier::activated, [] {
      char bytes[16];
      while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
      }
      EndSession();
    });
#if QT_CONFIG(sessionmanager)
    QObject::connect(app, &QGuiApplication::commitDataRequest, app, [](QSessionManager&) { EndSession(); },
                     Qt::DirectConnection);
#endif
  }
  for (int number : {SIGINT, SIGTERM, SIGHUP}) CatchSignal(number);
  std::signal(SIGPIPE, SIG_IGN);
}

void EndSession() {
  ending = true;
  // Unlike quit(), exit() closes no window (closing would ask about the cartridge) and
  // ends the loops of modal boxes too; a loop started afterwards returns at once.
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
