// The program: the board's start-up, the windows, the event loop, and the way out in
// order: the windows (the main window stops the emulation thread), the MIDI ports, and
// last the patch memory written back while nothing runs any more.
#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <csignal>
#include <exception>
#include <unistd.h>

#include "board/Emulator.h"
#include "board/Host.h"
#include "board/Midi.h"
#include "platform/HostServices.h"
#include "ui/BoardAccess.h"
#include "ui/Forms.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] ssize_t written = write(signalPipe[1], &byte, 1);
}

// Ctrl+C and the terminate signal end the event loop like closing the window, without
// its question about the cartridge, so that the way out still saves the patch memory.
void QuitOnSignals(QObject* owner) {
  if (pipe(signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    char byte;
    [[maybe_unused]] ssize_t read = ::read(signalPipe[0], &byte, 1);
    QCoreApplication::quit();
  });
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  QtUiThread uiThread;
  QtUiThread::Install(&uiThread);
  QuitOnSignals(&app);
  BoardInit(HostSoundDevice(), HostPerformanceCounter());
  MidiInit(HostMidiSystem());
  try {
    CreateForms();
    MainForm->show();
    app.exec();
  } catch (const std::exception& failure) {
    QMessageBox::critical(nullptr, kApplicationTitle, failure.what());
  }
  DestroyForms();
  MidiShutdown();
  BoardShutdown();
  QtUiThread::Install(nullptr);
  return 0;
}
