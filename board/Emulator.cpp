#include "board/Emulator.h"

#include "board/Adc.h"
#include "board/Cartridge.h"
#include "board/Cpu.h"
#include "board/Dac.h"
#include "board/Host.h"
#include "board/Keyboard.h"
#include "board/Lcd.h"
#include "board/Nvr.h"
#include "board/Output.h"
#include "board/Ram.h"
#include "board/Rom.h"
#include "board/Switches.h"
#include "board/Timer.h"
#include "board/Uart.h"
#include "board/Wave.h"

Bitmap LcdDisplay;
Bitmap SevenSegmentDisplay;

void BoardInit() {
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
}

void BoardSetup(const std::string& romFile) {
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
  CartridgeCheck(count);
  TimerTick(count);
  LcdService(count);
  UartService(count);
  OutputService(count);
}

void BoardShutdown() { NvrShutdown(); }
