#include "ui/Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "board/Adc.h"
#include "board/Cpu.h"
#include "board/Emulator.h"
#include "board/Midi.h"
#include "board/Nvr.h"
#include "board/Settings.h"
#include "board/Uart.h"
#include "board/UiThread.h"
#include "ui/About.h"
#include "ui/BitmapView.h"
#include "ui/BoardAccess.h"
#include "ui/CartridgeFrame.h"
#include "ui/DebugForms.h"
#include "ui/FileDialogs.h"
#include "ui/Forms.h"
#include "ui/Joystick.h"
#include "ui/Knobframe.h"
#include "ui/Kqbuttonframe.h"
#include "ui/MidiSelectForm.h"
#include "ui/PanelStyle.h"
#include "ui/SessionEnd.h"
#include "ui/Sliderframe.h"

namespace {

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 540;
constexpr int kStatusBarHeight = 19;
// How often the board's pictures and lights are looked at: about once per screen frame.
constexpr int kRefreshMilliseconds = 16;

const FileRequest kSysexRequest{"OpenDialog", FileRequest::Open, "SYSEX files (*.syx)", "syx"};

bool OnThisThread(const QObject* object) { return QThread::currentThread() == object->thread(); }

// Runs f on the window's thread: at once there, otherwise as one of the calls that the
// window thread serves (also while it stops the emulation).
void OnWindowThread(const QObject* window, const std::function<void()>& f) {
  if (OnThisThread(window)) f();
  else RunOnUiThread(f);
}

// The window of each item of the Debug menu, in the menu's order.
QWidget* DebugWindow(int item) {
  QWidget* const windows[7] = {DACForm, IOForm, KeyboardForm, LCDForm,
                               OutputForm, UARTForm, WaveForm};
  return windows[item];
}

void ToggleVisible(QWidget* window) {
  if (window) window->setVisible(!window->isVisible());
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const char* caption) {
  QMenu* menu = bar->addMenu(caption);
  menu->setObjectName(name);
  return menu;
}

template <typename Handler>
QAction* AddItem(QMenu* menu, const char* name, const char* caption, TMainForm* window,
                 Handler handler) {
  QAction* item = menu->addAction(caption, window, handler);
  item->setObjectName(name);
  return item;
}

}  // namespace

TMainForm::TMainForm(StartUp startUp) {
  setObjectName("MainForm");
  keyOfScanCode_.fill(-1);
  setWindowTitle(kApplicationTitle);
  setWindowFlag(Qt::WindowMaximizeButtonHint, false);

  client_ = new QWidget(this);
  client_->setObjectName("Client");
  client_->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
  client_->setAutoFillBackground(true);
  SetColours(client_, Qt::white, Qt::black);
  client_->setFont(PanelFont(11, false));
  setCentralWidget(client_);

  PanelImage(client_, "Image1", {8, 16, 194, 38}, "Logo");
  lcd_ = new TBitmapView(LcdDisplay, client_);
  lcd_->setObjectName("LCDDisplay");
  lcd_->setGeometry(8, 70, 194, 38);
  digits_ = new TBitmapView(SevenSegmentDisplay, client_);
  digits_->setObjectName("_7SegDisplay");
  digits_->setGeometry(224, 16, 70, 50);
  PanelLabel(client_, "Program", 224, 72, 73, Qt::AlignHCenter);

  joystick_ = new TJoystick(client_);
  joystick_->move(8, 118);

  dataEntry_ = new TSlider(client_);
  dataEntry_->move(128, 310);
  PanelLabel(client_, "Data Entry", 126, 488, 0, Qt::AlignRight, false);
  balance_ = new TKnob(client_);
  balance_->setObjectName("Balance");
  balance_->move(16, 312);
  PanelLabel(client_, "L           R", 16, 382, 75, Qt::AlignHCenter, false);
  PanelLabel(client_, "Balance", 16, 396, 75, Qt::AlignHCenter, false);
  volume_ = new TKnob(client_);
  volume_->setObjectName("Volume");
  volume_->move(16, 416);
  PanelLabel(client_, "0          10", 16, 486, 75, Qt::AlignHCenter, false);
  PanelLabel(client_, "Volume", 16, 500, 75, Qt::AlignHCenter, false);

  buttons_ = BuildPanel(client_);
  cartridge_ = new TCartridgeFrame(client_);
  cartridge_->move(576, 438);
  cartridge_->Panel()->setFont(PanelFont(11, false));

  BuildStatusBar();
  BuildMenus();
  layout()->setSizeConstraint(QLayout::SetFixedSize);  // a single border that does not resize

  // The program-select and cartridge buttons have blue caps; all others stay grey.
  for (const ButtonPlace& place : kButtonPlaces)
    if (place.blue) Button(place.button)->SetGrey(0);
  balance_->SetOutput(&AdcInputs[kAdcBalance]);
  balance_->SetValue(uint8_t(TSettings::DefaultBalance));
  volume_->SetOutput(&AdcInputs[kAdcVolume]);
  volume_->SetValue(uint8_t(TSettings::DefaultVolume));
  dataEntry_->SetPosition(uint8_t(TSettings::DefaultDataEntry));
  SetJoystick(uint8_t(TSettings::DefaultJoystickX), uint8_t(TSettings::DefaultJoystickY));

  refreshTimer_ = new QTimer(this);
  connect(refreshTimer_, &QTimer::timeout, this, &TMainForm::RefreshPanel);
  refreshTimer_->start(kRefreshMilliseconds);

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - QPoint(kClientWidth / 2, kClientHeight / 2));

  qApp->installEventFilter(this);
  SetHostWindow(this);
  if (startUp == StartUp::Emulate)
    QMetaObject::invokeMethod(this, &TMainForm::WMStartup, Qt::QueuedConnection);
}

TMainForm::~TMainForm() {
  qApp->removeEventFilter(this);
  CloseMidi();
  // The thread's last slice service still draws here and sets status texts.
  StopEmulation();
  SetHostWindow(nullptr);
  for (auto& key : PcKeyDown) key = 0;
}

void TMainForm::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar");
  bar->setSizeGripEnabled(false);
  bar->setFixedHeight(kStatusBarHeight);
  static const char* const kStartTexts[4] = {"Initializing", "Midi in: CLOSED",
                                             "Midi out: CLOSED", "speed"};
  static constexpr int kWidths[4] = {100, 300, 300, 0};  // the last one takes the rest
  for (int n = 0; n < 4; ++n) {
    auto* panel = new QLabel(kStartTexts[n], bar);
    panel->setObjectName(QString("StatusPanel%1").arg(n));
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (kWidths[n]) panel->setFixedWidth(kWidths[n]);
    bar->addWidget(panel, kWidths[n] ? 0 : 1);
    statusPanels_[n] = panel;
  }
}

void TMainForm::BuildMenus() {
  menuBar()->setObjectName("MainMenu1");
  file1_ = AddMenu(menuBar(), "File1", "&File");
  exit_ = AddItem(file1_, "MenuFileExit", "E&xit", this, &TMainForm::MenuFileExitClick);

  menuHardware_ = AddMenu(menuBar(), "MenuHardware", "&Hardware");
  connect(menuHardware_, &QMenu::aboutToShow, this, &TMainForm::MenuHardwareClick);
  pause_ = AddItem(menuHardware_, "MenuHardwarePause", "&Pause", this,
                   &TMainForm::MenuHardwarePauseClick);
  pause_->setCheckable(true);
  pause_->setShortcut(QKeySequence(Qt::Key_Pause));
  reset_ = AddItem(menuHardware_, "MenuHardwareReset", "&Reset", this,
                   &TMainForm::MenuHardwareResetClick);
  n1_ = menuHardware_->addSeparator();
  n1_->setObjectName("N1");
  restoreFactory_ = AddItem(menuHardware_, "MenuHarwareRestoreFactoryState",
                            "Restore &Factory State", this,
                            &TMainForm::MenuHarwareRestoreFactoryStateClick);

  midi1_ = AddMenu(menuBar(), "MIDI1", "&MIDI");
  selectDevices_ = AddItem(midi1_, "MenuMidiSelectDevices", "&Select devices...", this,
                           &TMainForm::MenuMidiSelectDevicesClick);
  loadSysex_ = AddItem(midi1_, "MenuMIDILoadSysex", "&Load Sysex...", this,
                       &TMainForm::MenuMIDILoadSysexClick);

  // Not shown in the menu bar; its windows are for working on the emulator itself.
  menuDebug_ = AddMenu(menuBar(), "MenuDebug", "&Debug");
  menuDebug_->menuAction()->setVisible(false);
  connect(menuDebug_, &QMenu::aboutToShow, this, &TMainForm::MenuDebugClick);
  debugItems_ = {
      AddItem(menuDebug_, "MenuDebugDAC", "&DAC", this, &TMainForm::MenuDebugDACClick),
      AddItem(menuDebug_, "MenuDebugIO", "&I/O", this, &TMainForm::MenuDebugIOClick),
      AddItem(menuDebug_, "MenuDebugKeyboard", "&Keyboard", this,
              &TMainForm::MenuDebugKeyboardClick),
      AddItem(menuDebug_, "MenuDebugLCD", "&LCD", this, &TMainForm::MenuDebugLCDClick),
      AddItem(menuDebug_, "MenuDebugOutputs", "&Outputs", this,
              &TMainForm::MenuDebugOutputsClick),
      AddItem(menuDebug_, "MenuDebugUART", "&UART", this, &TMainForm::MenuDebugUARTClick),
      AddItem(menuDebug_, "MenuDebugWave", "&Wave", this, &TMainForm::MenuDebugWaveClick),
  };
  for (QAction* item : debugItems_) item->setCheckable(true);

  about1_ = AddMenu(menuBar(), "About1", "&Help");
  about_ = AddItem(about1_, "MenuHelpAbout", "&About...", this, &TMainForm::MenuHelpAboutClick);
}

void TMainForm::SetStatusText(StatusPanel panel, const std::string& text) {
  OnWindowThread(this, [&] { statusPanels_[size_t(panel)]->setText(QString::fromStdString(text)); });
}

// While the session ends nobody is asked any more: the box is not shown, or a box open
// then is closed unanswered, and the message goes to standard error instead.
MessageChoice TMainForm::ShowMessage(const std::string& text, const std::string& caption,
                                     MessageButtons buttons, MessageIcon icon) {
  const auto unanswered = [&] {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return buttons == MessageButtons::Ok ? MessageChoice::Ok : MessageChoice::Cancel;
  };
  if (SessionEnding()) return unanswered();
  MessageChoice choice = MessageChoice::Cancel;
  OnWindowThread(this, [&] {
    QMessageBox box(isVisible() ? this : nullptr);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    switch (icon) {
      case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
      case MessageIcon::Error:
      case MessageIcon::Stop: box.setIcon(QMessageBox::Critical); break;
      case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
      case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
      case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (buttons) {
      case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
      case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
      case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
      case MessageButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
      case QMessageBox::Ok: choice = MessageChoice::Ok; break;
      case QMessageBox::Yes: choice = MessageChoice::Yes; break;
      case QMessageBox::No: choice = MessageChoice::No; break;
      case QMessageBox::Retry: choice = MessageChoice::Retry; break;
      default: choice = MessageChoice::Cancel; break;
    }
  });
  return SessionEnding() ? unanswered() : choice;
}

// Only fatal start-up failures ask to end: the program's exit status says so.
void TMainForm::RequestQuit() {
  quitRequested_ = true;
  QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}

void TMainForm::SetJoystick(uint8_t x, uint8_t y) { joystick_->SetJoystick(x, y); }

void TMainForm::RefreshPanel() {
  lcd_->Refresh();
  digits_->Refresh();
  for (TKQButton* button : buttons_)
    button->SetLED(LED(button->Button()).load(std::memory_order_relaxed));
}

// The board is built and runs while the dialog is open: its loop serves the emulation
// thread's calls.
void TMainForm::WMStartup() {
  StartEmulation();
  if (MidiSelectForm) MidiSelectForm->exec();
}

void TMainForm::MenuFileExitClick() { close(); }

void TMainForm::MenuHardwareClick() { pause_->setChecked(IsPaused()); }

void TMainForm::MenuHardwarePauseClick() {
  SetPaused(!IsPaused());
  pause_->setChecked(IsPaused());
}

// Only the processor: every device keeps its state, and a paused processor stays paused.
void TMainForm::MenuHardwareResetClick() { RunOnBoard(CpuReset); }

void TMainForm::MenuHarwareRestoreFactoryStateClick() {
  if (Host().ShowMessage("This operation will permanently overwrite all patches currently in "
                         "memory.\n\nAre you sure you wish to continue?",
                         "Restore Factory State", MessageButtons::OkCancel,
                         MessageIcon::Warning) != MessageChoice::Ok)
    return;
  RunOnBoard([] { LoadFactoryNvr(); });
}

void TMainForm::MenuMidiSelectDevicesClick() {
  if (MidiSelectForm) MidiSelectForm->exec();
}

// A file too long for the MIDI input queue's free space is dropped whole.
void TMainForm::MenuMIDILoadSysexClick() {
  QString name = ChooseFile(this, kSysexRequest);
  if (!name.isEmpty()) RunOnBoard([&] { UartLoadSysex(name.toStdString()); });
}

void TMainForm::MenuDebugClick() {
  for (int n = 0; n < 7; ++n) {
    QWidget* window = DebugWindow(n);
    debugItems_[n]->setChecked(window && window->isVisible());
  }
}

void TMainForm::MenuDebugDACClick() { ToggleVisible(DACForm); }
void TMainForm::MenuDebugIOClick() { ToggleVisible(IOForm); }
void TMainForm::MenuDebugKeyboardClick() { ToggleVisible(KeyboardForm); }
void TMainForm::MenuDebugLCDClick() { ToggleVisible(LCDForm); }
void TMainForm::MenuDebugOutputsClick() { ToggleVisible(OutputForm); }
void TMainForm::MenuDebugUARTClick() { ToggleVisible(UARTForm); }
void TMainForm::MenuDebugWaveClick() { ToggleVisible(WaveForm); }

void TMainForm::MenuHelpAboutClick() {
  if (AboutForm) AboutForm->exec();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (canClose) event->accept();
  else event->ignore();
}

// A session that is ending (a signal, a log-out) closes without the question.
void TMainForm::FormCloseQuery(bool& canClose) {
  if (!SessionEnding() && !cartridge_->QuerySaveChanges()) canClose = false;
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
  FormKeyDown(event->key());
  QMainWindow::keyPressEvent(event);
}

// Keys that reach the window itself move the Data Entry slider; none is consumed.
void TMainForm::FormKeyDown(int key) {
  switch (key) {
    case Qt::Key_PageUp: dataEntry_->Increment(16); break;
    case Qt::Key_PageDown: dataEntry_->Decrement(16); break;
    case Qt::Key_Up: dataEntry_->Increment(1); break;
    case Qt::Key_Down: dataEntry_->Decrement(1); break;
    default: break;
  }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: PcKeyEvent(static_cast<QKeyEvent*>(event), true); break;
    case QEvent::KeyRelease: PcKeyEvent(static_cast<QKeyEvent*>(event), false); break;
    case QEvent::ApplicationDeactivate:
      // Releases while another program has the keyboard never reach us.
      for (auto& key : PcKeyDown) key = 0;
      keyOfScanCode_.fill(-1);
      break;
    default: break;
  }
  return QMainWindow::eventFilter(watched, event);
}

// The digits of the main keyboard row (not the keypad) and either Enter key, whichever of
// the program's windows has the focus. They are not consumed.
bool TMainForm::PcKeyEvent(QKeyEvent* event, bool down) {
  if (event->isAutoRepeat()) return false;
  int key = -1;
  const int k = event->key();
  if (k >= Qt::Key_0 && k <= Qt::Key_9 && !(event->modifiers() & Qt::KeypadModifier))
    key = int(PcKey::Digit0) + (k - Qt::Key_0);
  else if (k == Qt::Key_Return || k == Qt::Key_Enter)
    key = int(PcKey::Enter);
  const quint32 scan = event->nativeScanCode();
  int8_t* held = scan < keyOfScanCode_.size() ? &keyOfScanCode_[scan] : nullptr;
  if (held && scan != 0) {
    if (down && key >= 0) *held = int8_t(key);
    if (!down && *held >= 0) key = std::exchange(*held, int8_t(-1));
  }
  if (key < 0) return false;
  PcKeyDown[key].store(down ? 1 : 0, std::memory_order_relaxed);
  return true;
}
