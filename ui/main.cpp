// The program: the board's start-up, the windows, the event loop, and the way out in
// order: the windows (the main window stops the emulation thread), the MIDI ports, and
// last the patch memory written back while nothing runs any more; a failed save is said.
// The way out is the same whether the window was closed, a signal or the session manager
// ended the session, or the display went away (then without the windows, and from
// inside exit(): see WayOutWithoutDisplay).
#include <QApplication>
#include <QMessageBox>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "board/Cartridge.h"
#include "board/Emulator.h"
#include "board/Host.h"
#include "board/Midi.h"
#include "board/Nvr.h"
#include "platform/HostServices.h"
#include "ui/BoardAccess.h"
#include "ui/Forms.h"
#include "ui/SessionEnd.h"

namespace {

std::string NvrFile() { return NvrDirectory() + kNvrFileName; }

// On standard error, and in a box while there is someone to answer it.
void Say(QMessageBox::Icon icon, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", kApplicationTitle, text.c_str());
  if (SessionEnding()) return;
  QMessageBox box(icon, kApplicationTitle, QString::fromStdString(text), QMessageBox::Ok);
  box.exec();
}

// Another Tarvelion started from the same folder holds the patch memory: this one runs
// but leaves the file to it. A folder that cannot be locked at all is still saved to,
// where the save can be made (else WarnNvrUnusable says why not).
void WarnNvrNotHeld() {
  const std::error_code failure = NvrLockFailure();
  if (!failure) return;
  if (failure == FileError::Locked)
    Say(QMessageBox::Warning, "The patch memory \"" + NvrFile() +
                                  "\" is in use by another Tarvelion.\nThis one runs, but will not save it.");
  else
    Say(QMessageBox::Warning, "The folder of the patch memory \"" + NvrFile() + "\" cannot be locked: " +
                                  failure.message() + ".\nTarvelion cannot tell whether another one uses it" +
                                  (NvrUnsavableFailure() ? "."
                                                         : "; it saves the patch memory at exit all the "
                                                           "same."));
}

// A patch memory file that could not be used (of a wrong size, unreadable): the factory
// state runs, and at exit the file is kept beside the save under a new name. A save
// that cannot be made as things stand is said with its reason, and not tried at exit.
void WarnNvrUnusable() {
  const std::error_code failure = NvrUnusableFailure(), unsavable = NvrUnsavableFailure();
  if (!failure) {
    if (unsavable)
      Say(QMessageBox::Warning, "The patch memory " + Quoted(NvrFile()) +
                                    " will not be saved at exit: " + unsavable.message() + ".");
    return;
  }
  std::string reason = failure.message();
  std::error_code sizeUnknown;
  const uintmax_t size = std::filesystem::file_size(NvrFile(), sizeUnknown);
  if (failure == FileError::WrongSize && !sizeUnknown)
    reason = "it has " + std::to_string(size) + " bytes, not " + std::to_string(kNvrSize);
  std::string after =
      "; at exit the file is kept beside it under a new name, and the patch memory is saved in its place.";
  if (NvrInUseElsewhere())
    after = ".";
  else if (unsavable)
    after = ", and the patch memory will not be saved at exit" +
            (unsavable == failure ? std::string(".") : ": " + unsavable.message() + ".");
  Say(QMessageBox::Warning, "The patch memory " + Quoted(NvrFile()) + " cannot be used: " + reason +
                                ".\nThe factory state runs instead" + after);
}

// A log-out would lose a changed cartridge: the question of closing the window, where
// the session manager lets the program ask.
bool MayLogOut(const std::function<bool()>& mayAsk) {
  if (!MainForm || !CartridgePresent || !CartridgeChanged || !mayAsk()) return true;
  bool canClose = true;
  MainForm->FormCloseQuery(canClose);
  return canClose;
}

// The way out's last step, once nothing runs: the session's patches are written back;
// if they are lost, the user must know, with the system's reason. Gives the exit status.
int SavePatchMemory() {
  WayOutTaken();
  // Said at the start, with its reason: not tried, and nothing new to say.
  const bool saidNotSaved = bool(NvrUnsavableFailure());
  std::error_code failure;
  const bool saved = BoardShutdown(&failure);
  if (!NvrKeptFile().empty())
    std::fprintf(stderr, "%s: The patch memory that could not be used is kept as %s.\n", kApplicationTitle,
                 Quoted(NvrKeptFile()).c_str());
  if (saved) return 0;
  if (!saidNotSaved)
    Say(QMessageBox::Critical,
      "The patch memory could not be saved to \"" + NvrFile() + "\": " + failure.message());
  return 1;
}

// The display went away and the window system's layer is ending the process (status 1)
// from inside an event loop, with exit(): the windows are beyond reach, so the board's
// messages go to standard error. The emulation thread is stopped, serving its last
// calls; but inside one of its calls (a box of its slice service or of its set-up, such
// as "ROM image missing") it waits for that call, which never returns: it runs nothing
// more and is let go, and the patch memory is saved as it stands.
// It must use only what was made before TakeWayOutAtExit, lives in main's frame (which
// exit() leaves alone) or is never destroyed: what was first made later, exit() has
// destroyed by now.
void WayOutWithoutDisplay() {
  SetHostWindow(nullptr);
  QtUiThread* ui = QtUiThread::Installed();
  if (ui && ui->Serving()) LetGoOfEmulation();
  else StopEmulation();
  SavePatchMemory();
}

}  // namespace

// Exit status 1 after a fatal start-up failure (no ROM image, no emulation thread), even
// where a signal or the session's end came first, an exception that escaped the windows,
// a lost display, or a patch memory that could not be saved.
int main(int argc, char** argv) {
  // Some launchers start programs with these blocked; the way out needs them. Before any
  // thread exists, so that every thread inherits the mask.
  sigset_t endSignals;
  sigemptyset(&endSignals);
  for (int number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&endSignals, number);
  pthread_sigmask(SIG_UNBLOCK, &endSignals, nullptr);
  // A save beyond the file size limit (ulimit -f) fails with its reason and is said,
  // instead of the signal killing the program in the middle of the write.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication app(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  QtUiThread uiThread;
  QtUiThread::Install(&uiThread);
  EndSessionOnRequest(&app, MayLogOut);
  SetNvrDirectory(ProgramDirectory());
  BoardInit(HostSoundDevice(), HostPerformanceCounter());
  MidiInit(HostMidiSystem());
  TakeWayOutAtExit(WayOutWithoutDisplay);
  int status = 0;
  try {
    WarnNvrNotHeld();
    WarnNvrUnusable();
    // A signal during a box above has ended the session already.
    if (!SessionEnding()) {
      CreateForms();
      MainForm->show();
      status = app.exec();
    }
  } catch (const std::exception& failure) {
    Say(QMessageBox::Critical, failure.what());
    status = 1;
  }
  DestroyForms();
  if (TMainForm::QuitRequested()) status = 1;
  MidiShutdown();
  if (SavePatchMemory() != 0) status = 1;
  QtUiThread::Install(nullptr);
  return status;
}
