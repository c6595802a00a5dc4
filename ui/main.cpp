// The program: the board's start-up, the windows, the event loop, and the way out in
// order: the windows (the main window stops the emulation thread), the MIDI ports, and
// last the patch memory written back while nothing runs any more.
#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "board/Emulator.h"
#include "board/Host.h"
#include "board/Midi.h"
#include "ui/BoardAccess.h"
#include "ui/Forms.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  QtUiThread uiThread;
  QtUiThread::Install(&uiThread);
  BoardInit();
  MidiInit();
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
