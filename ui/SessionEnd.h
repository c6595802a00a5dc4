// The ways the desktop ends the program besides its own window: a signal (Ctrl+C, the
// terminate signal of kill or a service manager, the hang-up of the terminal it was
// started from), the session manager's end of the session, and the loss of the display.
// Each takes the program's way out, so that the session's patch memory is saved.
#pragma once

#include <functional>

class QGuiApplication;

// Asked when the session manager asks the program to save its work (a log-out, or a
// checkpoint: Qt does not tell them apart): true lets the log-out go on, false cancels
// it. mayAsk must be called before anything is asked of the user; where it gives false
// the manager lets nobody ask, and the answer is given without a question.
using LogOutQuestion = std::function<bool(const std::function<bool()>& mayAsk)>;

// From now on the interrupt, terminate and hang-up signals (those the program was started
// ignoring stay ignored, as nohup asks) and the session manager's end of the session (its
// Die, which Qt turns into a request to quit) end the session: see EndSession. A
// log-out or checkpoint ends nothing: it asks the question, if given, and a log-out that
// is cancelled leaves the program as it was. A write to a pipe nobody reads any more
// (standard error piped into a pager that has quit) fails instead of killing the program.
void EndSessionOnRequest(QGuiApplication* app, LogOutQuestion question = {});

// Ends every running event loop at once, modal boxes included, without closing a window;
// a loop started later returns at once too, until QApplication::exec returns or starts.
// From then on the main window closes without asking about the cartridge, and its boxes
// are not shown but written to standard error (see TMainForm::ShowMessage). Unsaved
// cartridge changes are not kept.
void EndSession();
// True from EndSession on (EndSessionOnRequest starts a new session).
bool SessionEnding();

// For the loss of the display: the window system's layer then ends the process with
// exit(1) from inside whatever event loop runs, never returning to main. Called on the
// user-interface thread; from then on, an exit on this thread runs wayOut, with the
// session ending, unless WayOutTaken() was called first. wayOut runs while exit()
// destroys the process's static objects: it may use only what was made before this
// call or is never destroyed, and not the display (the windows are beyond reach).
void TakeWayOutAtExit(std::function<void()> wayOut);
// The program's own way out has begun: an exit from now on needs nothing more.
void WayOutTaken();
