#include "ui/Forms.h"

#include "ui/About.h"
#include "ui/DebugForms.h"
#include "ui/MidiSelectForm.h"

TMainForm* MainForm = nullptr;
TAboutForm* AboutForm = nullptr;
TUARTForm* UARTForm = nullptr;
TLCDForm* LCDForm = nullptr;
TDACForm* DACForm = nullptr;
TOutputForm* OutputForm = nullptr;
TKeyboardForm* KeyboardForm = nullptr;
TWaveForm* WaveForm = nullptr;
TMidiSelectForm* MidiSelectForm = nullptr;
TIOForm* IOForm = nullptr;

void CreateForms(TMainForm::StartUp startUp) {
  MainForm = new TMainForm(startUp);
  AboutForm = new TAboutForm(MainForm);
  UARTForm = new TUARTForm(MainForm);
  LCDForm = new TLCDForm(MainForm);
  DACForm = new TDACForm(MainForm);
  OutputForm = new TOutputForm(MainForm);
  KeyboardForm = new TKeyboardForm(MainForm);
  WaveForm = new TWaveForm(MainForm);
  MidiSelectForm = new TMidiSelectForm(MainForm);
  IOForm = new TIOForm(MainForm);
}

template <typename Form>
void Destroy(Form*& form) {
  delete form;
  form = nullptr;
}

void DestroyForms() {
  Destroy(IOForm);
  Destroy(MidiSelectForm);
  Destroy(WaveForm);
  Destroy(KeyboardForm);
  Destroy(OutputForm);
  Destroy(DACForm);
  Destroy(LCDForm);
  Destroy(UARTForm);
  Destroy(AboutForm);
  Destroy(MainForm);
}
