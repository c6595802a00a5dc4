// The program's windows, one instance each, created in the program's order: the main
// window, the About box, the debug windows, the MIDI device dialog. Only the main window
// is shown; the others on demand.
#pragma once

#include "ui/Main.h"

class TAboutForm;
class TDACForm;
class TIOForm;
class TKeyboardForm;
class TLCDForm;
class TMidiSelectForm;
class TOutputForm;
class TUARTForm;
class TWaveForm;

extern TMainForm* MainForm;
extern TAboutForm* AboutForm;
extern TUARTForm* UARTForm;
extern TLCDForm* LCDForm;
extern TDACForm* DACForm;
extern TOutputForm* OutputForm;
extern TKeyboardForm* KeyboardForm;
extern TWaveForm* WaveForm;
extern TMidiSelectForm* MidiSelectForm;
extern TIOForm* IOForm;

void CreateForms(TMainForm::StartUp startUp = TMainForm::StartUp::Emulate);
// The main window last, whose destructor stops the emulation thread.
void DestroyForms();
