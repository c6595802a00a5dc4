// The program: the board's start-up, the windows, the event loop, and the way out in
// order: the windows (the main window stops the emulation thread), the MIDI ports, and
// last the patch memory written back while nothing runs any more; a failed save is said.
#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <exception>
#include <unistd.h>

#include "board/Emulator.h"
#include "board/Host.h"
#include "board/Midi.h"
#include "board/Nvr.h"
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

// Another Tarvelion started from the same folder holds the patch memory: this one runs
// but leaves the file to it.
void WarnNvrInUse() {
  const std::string text = "The patch memory \"" + NvrDirectory() + kNvrFileName +
                           "\" is in use by another Tarvelion.\nThis one runs, but will not save it.";
  std::fprintf(stderr, "%s: %s\n", kApplicationTitle, text.c_str());
  QMessageBox::warning(nullptr, kApplicationTitle, QString::fromStdString(text));
}

// The session's patches are lost: the user must know, with the system's reason.
void ReportFailedSave(const std::error_code& failure) {
  const std::string text = "The patch memory could not be saved to \"" + NvrDirectory() + kNvrFileName +
                           "\": " + failure.message();
  std::fprintf(stderr, "%s: %s\n", kApplicationTitle, text.c_str());
  QMessageBox::critical(nullptr, kApplicationTitle, QString::fromStdString(text));
}

}  // namespace

// Exit status 1 after a fatal start-up failure (no ROM image, no emulation thread), an
// exception that escaped the windows, or a patch memory that could not be saved.
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  QtUiThread uiThread;
  QtUiThread::Install(&uiThread);
  QuitOnSignals(&app);
  SetNvrDirectory(ProgramDirectory());
  BoardInit(HostSoundDevice(), HostPerformanceCounter());
  MidiInit(HostMidiSystem());
  int status = 0;
  try {
    if (NvrInUseElsewhere()) WarnNvrInUse();
    CreateForms();
    MainForm->show();
    status = app.exec();
  } catch (const std::exception& failure) {
    QMessageBox::critical(nullptr, kApplicationTitle, failure.what());
    status = 1;
  }
  DestroyForms();
  MidiShutdown();
  std::error_code saveFailure;
  if (!BoardShutdown(&saveFailure)) {
    ReportFailedSave(saveFailure);
    status = 1;
  }
  QtUiThread::Install(nullptr);
  return status;
}
