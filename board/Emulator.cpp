#include "board/Emulator.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

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
#include "board/Speedthrottle.h"
#include "board/Switches.h"
#include "board/Timer.h"
#include "board/Uart.h"
#include "board/Wave.h"
#include "core/68000.h"
#include "platform/UiThread.h"

Bitmap LcdDisplay;
Bitmap SevenSegmentDisplay;
std::atomic<int32_t> LastSliceCount{0};

namespace {

std::unique_ptr<std::thread> emulatorThread;
std::atomic<bool> terminateRequested{false};
std::atomic<bool> paused{false};

// Guards the two below; ended is signalled when the thread leaves its loop.
std::mutex sliceLoopMutex;
std::condition_variable sliceLoopEnded;
bool sliceLoopActive = false;
std::deque<std::function<void()>> betweenSlices;

void RunOperationsBetweenSlices() {
  for (;;) {
    std::function<void()> operation;
    {
      std::lock_guard lock(sliceLoopMutex);
      if (betweenSlices.empty()) return;
      operation = std::move(betweenSlices.front());
      betweenSlices.pop_front();
    }
    operation();
  }
}

void Execute(const std::string& romFile) {
  try {
    RunOnUiThread([&] { BoardSetup(romFile); });
    while (!terminateRequested.load()) {
      if (paused.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        LastSliceCount = 0;
      } else {
        LastSliceCount = int32_t(CpuRun(SliceLength));
      }
      RunOnUiThread([] { SliceService(LastSliceCount); });
    }
  } catch (...) {
    // A failed set-up or slice service ends the emulation; the windows carry on.
  }
  {
    std::lock_guard lock(sliceLoopMutex);
    sliceLoopActive = false;
  }
  sliceLoopEnded.notify_all();
}

}  // namespace

void BoardInit(std::unique_ptr<SoundDevice> sound, PerformanceCounter* pacing) {
  CpuInit();
  KeyboardInit();
  CartridgeRemove();
  NvrInit();
  ClearRom();
  ClearRam();
  SpeedthrottleInit(pacing);
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
  SetSpeedPanel(StatusPanel::Speed);
}

void SliceService(int32_t count) {
  RunOperationsBetweenSlices();
  SoundUpdate();
  CartridgeCheck(count);
  TimerTick(count);
  LcdService(count);
  UartService(count);
  OutputService(count);
  ThrottleSlice(count);  // last: its sleep follows all other work of the slice
}

void BoardShutdown() { NvrShutdown(); }

void StartEmulation(const std::string& romFile) {
  if (emulatorThread) return;
  terminateRequested = false;
  {
    std::lock_guard lock(sliceLoopMutex);
    sliceLoopActive = true;
  }
  try {
    emulatorThread = std::make_unique<std::thread>(Execute, romFile);
  } catch (const std::system_error&) {
    {
      std::lock_guard lock(sliceLoopMutex);
      sliceLoopActive = false;
    }
    Host().ShowMessage("Unable to create emulation thread", kApplicationTitle, MessageButtons::Ok,
                       MessageIcon::Error);
    Host().RequestQuit();
  }
}

void StopEmulation() {
  if (!emulatorThread) return;
  terminateRequested = true;
  // The thread may be waiting for its slice service: serve it until the loop has ended.
  std::unique_lock lock(sliceLoopMutex);
  while (sliceLoopActive) {
    lock.unlock();
    ServeUiThreadCalls();
    lock.lock();
    sliceLoopEnded.wait_for(lock, std::chrono::milliseconds(1), [] { return !sliceLoopActive; });
  }
  lock.unlock();
  emulatorThread->join();
  emulatorThread.reset();
  // What came too late for the last slice.
  RunOperationsBetweenSlices();
}

void SetPaused(bool pause) {
  paused = pause;
  Host().SetStatusText(StatusPanel::RunState, pause ? "Paused" : "Running");
}

bool IsPaused() { return paused.load(); }

bool EmulationRunning() {
  std::lock_guard lock(sliceLoopMutex);
  return sliceLoopActive;
}

void RunBetweenSlices(std::function<void()> operation) {
  {
    std::lock_guard lock(sliceLoopMutex);
    if (sliceLoopActive) {
      betweenSlices.push_back(std::move(operation));
      return;
    }
  }
  RunOperationsBetweenSlices();  // left by a thread that ended meanwhile
  operation();
}

void BoardRestoreStartValues() {
  InitMemoryMap();
  std::memset(M68kRegs, 0, sizeof M68kRegs);
  M68kUSP = M68kSSP = M68kPC = 0;
  M68kSR = 0;
  M68kIntLevel = 0;
  paused = false;
  LastSliceCount = 0;
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
