#include "board/Emulator.h"

#include <cstring>

#include "board/Adc.h"
#include "board/Cartridge.h"
#include "board/Cpu.h"
#include "board/Dac.h"
#include "board/Host.h"
#include "board/Keyboard.h"
#include "board/Lcd.h"
#include "board/Nvr.h"
#include "board/Output.h"
#include "board/Panel.h"
#include "board/Ram.h"
#include "board/Rom.h"
#include "board/Sound.h"
#include "board/Switches.h"
#include "board/Timer.h"
#include "board/Uart.h"
#include "board/Wave.h"
#include "core/68000.h"

Bitmap LcdDisplay;
Bitmap SevenSegmentDisplay;

void BoardInit(std::unique_ptr<SoundDevice> sound) {
  CpuInit();
  KeyboardInit();
  CartridgeRemove();
  NvrInit();
  ClearRom();
  ClearRam();
  UartInit();
  LcdInit();
  OutputInit();
  WaveInit();
  SoundCreate(std::move(sound));
}

void BoardSetup(const std::string& romFile) {
  SoundInit();  // without sound the board runs all the same
  RamMap();
  NvrMap();
  CartridgeMap();
  TimerMap();
  LcdReset(LcdDisplay);
  AdcMap();
  DacMap();
  UartReset();
  KeyboardMap();
  SwitchesMap();
  OutputReset(SevenSegmentDisplay);
  WaveReset();
  InstallRom(romFile);
  CpuReset();
  Host().SetStatusText(StatusPanel::RunState, "Running");
}

void SliceService(int32_t count) {
  SoundUpdate();
  CartridgeCheck(count);
  TimerTick(count);
  LcdService(count);
  UartService(count);
  OutputService(count);
}

void BoardShutdown() { NvrShutdown(); }

void BoardRestoreStartValues() {
  InitMemoryMap();
  std::memset(M68kRegs, 0, sizeof M68kRegs);
  M68kUSP = M68kSSP = M68kPC = 0;
  M68kSR = 0;
  M68kIntLevel = 0;
  TimerCounter = 0;
  TimerIrq = 0;
  KeyboardIrq = 0;
  UartIrq = 0;
  for (auto& input : AdcInputs) input = 0;
  AdcResult = 0;
  for (auto& p : ButtonPressed) p = 0;
  for (auto& l : ButtonLED) l = kLedNone;
  for (auto& k : PcKeyDown) k = 0;
  for (float* target : DacTargets) *target = 0.0f;
  LeftDigit = RightDigit = -1;
  RightChorusOn = LeftChorusOn = OutputEnable = BacklightEnable = Baud = Wrsel = 0;
  std::memset(LedStates, 0, sizeof LedStates);
  LcdDdramAddress = LcdCgramAddress = 0;
  LcdIncrement = 1;
  LcdDdramSelected = true;
  LcdDisplayOn = LcdCursorOn = LcdBlinkOn = false;
  LcdCgramChanged = true;
  LcdCursorShown = 0xFF;
  std::memset(LcdShadow, 0, sizeof LcdShadow);
  std::memset(CgramShadow, 0, sizeof CgramShadow);
}
