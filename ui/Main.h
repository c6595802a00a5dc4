// The main window: the instrument's front panel with its displays, buttons, slider,
// knobs, joystick and cartridge port, the status bar and the menus. It is the board's
// host window (status texts, message boxes, the request to end the program), and it
// hands the PC's digit keys and Enter to the switch matrix as panel keys.
#pragma once

#include <QMainWindow>
#include <array>
#include <cstdint>

#include "board/Host.h"
#include "board/Panel.h"
#include "ui/PanelLayout.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTimer;
class TBitmapView;
class TCartridgeFrame;
class TJoystick;
class TKnob;
class TKQButton;
class TSlider;

class TMainForm : public QMainWindow, public HostWindow {
  Q_OBJECT

 public:
  // Emulate: once the event loop runs, start the emulation and show the MIDI device
  // dialog. None: neither (tests).
  enum class StartUp { Emulate, None };

  explicit TMainForm(StartUp startUp = StartUp::Emulate);
  // Closes the MIDI ports and stops the emulation thread, serving its last calls.
  ~TMainForm() override;

  // HostWindow.
  void SetStatusText(StatusPanel panel, const std::string& text) override;
  MessageChoice ShowMessage(const std::string& text, const std::string& caption,
                            MessageButtons buttons, MessageIcon icon) override;
  void RequestQuit() override;
  // RequestQuit was called on a main window of this process, also during its
  // destruction (the emulation thread's last calls): the exit status is 1, however the
  // event loop ended.
  static bool QuitRequested() { return quitRequested_; }

  TKQButton* Button(PanelButton button) const { return buttons_[size_t(button)]; }
  TSlider* DataEntry() const { return dataEntry_; }
  TKnob* Balance() const { return balance_; }
  TKnob* Volume() const { return volume_; }
  TJoystick* ImageJoystick() const { return joystick_; }
  TCartridgeFrame* CartridgeFrame1() const { return cartridge_; }
  TBitmapView* LCDDisplay() const { return lcd_; }
  TBitmapView* _7SegDisplay() const { return digits_; }
  QStatusBar* StatusBar() const { return statusBar(); }
  QLabel* StatusBarPanel(StatusPanel panel) const { return statusPanels_[size_t(panel)]; }
  QWidget* Client() const { return client_; }

  QMenuBar* MainMenu1() const { return menuBar(); }
  QMenu* File1() const { return file1_; }
  QMenu* MenuHardware() const { return menuHardware_; }
  QMenu* MIDI1() const { return midi1_; }
  QMenu* MenuDebug() const { return menuDebug_; }
  QMenu* About1() const { return about1_; }
  QAction* MenuHardwarePause() const { return pause_; }
  QAction* MenuHardwareReset() const { return reset_; }
  QAction* N1() const { return n1_; }
  QAction* MenuHarwareRestoreFactoryState() const { return restoreFactory_; }
  QAction* MenuMidiSelectDevices() const { return selectDevices_; }
  QAction* MenuMIDILoadSysex() const { return loadSysex_; }
  QAction* MenuHelpAbout() const { return about_; }
  QAction* MenuFileExit() const { return exit_; }
  // The Debug menu's items, in its order: DAC, I/O, Keyboard, LCD, Outputs, UART, Wave.
  const std::array<QAction*, 7>& MenuDebugItems() const { return debugItems_; }
  QAction* MenuDebugDAC() const { return debugItems_[0]; }
  QAction* MenuDebugIO() const { return debugItems_[1]; }
  QAction* MenuDebugKeyboard() const { return debugItems_[2]; }
  QAction* MenuDebugLCD() const { return debugItems_[3]; }
  QAction* MenuDebugOutputs() const { return debugItems_[4]; }
  QAction* MenuDebugUART() const { return debugItems_[5]; }
  QAction* MenuDebugWave() const { return debugItems_[6]; }

  // The stick's place and the ADC's joystick inputs.
  void SetJoystick(uint8_t x, uint8_t y);
  // Draws what the board drew since the last time: the LCD, the digits, the lights.
  void RefreshPanel();

  void WMStartup();
  // May the window close? canClose is cleared when the cartridge port says no.
  void FormCloseQuery(bool& canClose);
  // A key that reaches the window itself (Qt's key code).
  void FormKeyDown(int key);
  void MenuFileExitClick();
  void MenuHardwareClick();
  void MenuHardwarePauseClick();
  void MenuHardwareResetClick();
  void MenuHarwareRestoreFactoryStateClick();
  void MenuMidiSelectDevicesClick();
  void MenuMIDILoadSysexClick();
  void MenuDebugClick();
  // Each shows its window if hidden, hides it if shown.
  void MenuDebugDACClick();
  void MenuDebugIOClick();
  void MenuDebugKeyboardClick();
  void MenuDebugLCDClick();
  void MenuDebugOutputsClick();
  void MenuDebugUARTClick();
  void MenuDebugWaveClick();
  void MenuHelpAboutClick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildStatusBar();
  // The PC keys that stand for panel keys, from any of the program's windows.
  bool PcKeyEvent(QKeyEvent* event, bool down);

  QWidget* client_;
  PanelButtons buttons_{};
  TSlider* dataEntry_;
  TKnob* balance_;
  TKnob* volume_;
  TJoystick* joystick_;
  TCartridgeFrame* cartridge_;
  TBitmapView* lcd_;
  TBitmapView* digits_;
  std::array<QLabel*, 4> statusPanels_{};
  QTimer* refreshTimer_;

  QMenu* file1_ = nullptr;
  QMenu* menuHardware_ = nullptr;
  QMenu* midi1_ = nullptr;
  QMenu* menuDebug_ = nullptr;
  QMenu* about1_ = nullptr;
  QAction* exit_ = nullptr;
  QAction* pause_ = nullptr;
  QAction* reset_ = nullptr;
  QAction* n1_ = nullptr;
  QAction* restoreFactory_ = nullptr;
  QAction* selectDevices_ = nullptr;
  QAction* loadSysex_ = nullptr;
  QAction* about_ = nullptr;
  std::array<QAction*, 7> debugItems_{};

  // The PC key held under each native scan code, so that a release is matched to its
  // press even when a modifier changed the key's symbol in between.
  std::array<int8_t, 256> keyOfScanCode_;
  static inline bool quitRequested_ = false;
};
