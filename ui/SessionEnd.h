// The ways the desktop ends the program besides its own window: a signal (Ctrl+C, the
// terminate signal of kill or a service manager, the hang-up of the terminal it was
// started from), the session manager's end of the session (a log-out), and the loss of
// the display. Each takes the program's way out, so that the session's patch memory is
// saved.
#pragma once

#include <functional>

class QGuiApplication;

// From now on the interrupt, terminate and hang-up signals (those the program was started
// ignoring stay ignored, as nohup asks) and the session manager's end of the session end
// the session: see EndSession. A write to a pipe nobody reads any more (standard error
// piped into a pager that has quit) fails instead of killing the program.
void EndSessionOnRequest(QGuiApplication* app);

// Ends every event loop at once, modal boxes included; from then on no box waits for an
// answer (it is answered Cancel), the main window closes without asking about the
// cartridge, and no further event loop runs. Unsaved cartridge changes are not kept.
void EndSession();
// True from EndSession on (EndSessionOnRequest starts a new session).
bool SessionEnding();

// For the loss of the display: the window system's layer then ends the process with
// exit(1) from inside whatever event loop runs, never returning to main. Called on the
// user-interface thread; from then on, an exit on this thread runs wayOut, with the
// session ending, unless WayOutTaken() was called first. wayOut must not need the
// display: the windows are beyond reach.
void TakeWayOutAtExit(std::function<void()> wayOut);
// The program's own way out has begun: an exit from now on needs nothing more.
void WayOutTaken();
