#include "board/Emulator.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include <pthread.h>

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
#include "board/UiThread.h"
#include "board/Wave.h"
#include "core/68000.h"

Bitmap LcdDisplay;
Bitmap SevenSegmentDisplay;
std::atomic<int32_t> LastSliceCount{0};

namespace {

// The pause switch, read by the emulation thread before every slice.
std::atomic<bool> Paused{false};

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

void EndSliceLoop() {
  {
    std::lock_guard lock(sliceLoopMutex);
    sliceLoopActive = false;
  }
  sliceLoopEnded.notify_all();
}

// The emulation thread: runs Execute from its construction (std::system_error when the
// host cannot start a thread) until it is asked to terminate.
class TEmulatorThread {
 public:
  explicit TEmulatorThread(std::string romFile)
      : romFile_(std::move(romFile)), thread_(&TEmulatorThread::Execute, this) {
    pthread_setname_np(thread_.native_handle(), "kq-emulation");  // as top and gdb show it
  }
  // Terminates the thread and waits for it.
  ~TEmulatorThread() {
    Terminate();
    WaitFor();
  }
  TEmulatorThread(const TEmulatorThread&) = delete;
  TEmulatorThread& operator=(const TEmulatorThread&) = delete;

  // The loop ends before its next slice.
  void Terminate() { terminated_ = true; }
  // The thread goes on without anyone waiting for it: the process may end.
  void Detach() {
    if (thread_.joinable()) thread_.detach();
  }
  // On the user-interface thread: the thread may be waiting for its slice service, so its
  // calls are served until the loop has ended; then the thread is joined.
  void WaitFor() {
    if (!thread_.joinable()) return;
    std::unique_lock lock(sliceLoopMutex);
    while (sliceLoopActive) {
      lock.unlock();
      ServeUiThreadCalls();
      lock.lock();
      sliceLoopEnded.wait_for(lock, std::chrono::milliseconds(1), [] { return !sliceLoopActive; });
    }
    lock.unlock();
    thread_.join();
  }

 private:
  void Execute() {
    try {
      RunOnUiThread([this] { BoardSetup(romFile_); });
      while (!terminated_.load()) {
        // Without a ROM image the processor never runs: its vectors would be open bus,
        // and its exception frames would walk down through the patch memory.
        if (Paused.load() || !RomInstalled.load()) {
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
    EndSliceLoop();
  }

  const std::string romFile_;
  std::atomic<bool> terminated_{false};
  std::thread thread_;  // last: it starts once the members above are in place
};

// The one emulation thread, from StartEmulation to StopEmulation. At exit without
// StopEmulation (the program's way out let it go, or ended elsewhere) nobody waits for
// it: the thread may be held for good in a call that the exit left unfinished.
struct EmulatorThreadOwner {
  std::unique_ptr<TEmulatorThread> thread;
  ~EmulatorThreadOwner() { LetGoOfEmulation(); }
} Emulation;
std::unique_ptr<TEmulatorThread>& EmulatorThread = Emulation.thread;
TEmulatorThread* letGo = nullptr;  // by LetGoOfEmulation

}  // namespace

void BoardInit(std::unique_ptr<SoundOutput> sound, PerformanceCounter* pacing) {
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
  if (InstallRom(romFile)) CpuReset();
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

bool BoardShutdown(std::error_code* error) {
  // A run whose ROM never loaded ran nothing: the patch memory file stays as it was, and
  // none is made where there was none (it would hide the factory state at every start).
  if (!RomInstalled) NvrDiscard();
  return NvrShutdown(error);
}

void StartEmulation(const std::string& romFile) {
  if (EmulatorThread) return;
  {
    std::lock_guard lock(sliceLoopMutex);
    sliceLoopActive = true;
  }
  try {
    EmulatorThread = std::make_unique<TEmulatorThread>(romFile);
  } catch (const std::system_error&) {
    EndSliceLoop();
    Host().ShowMessage("Unable to create emulation thread", kApplicationTitle, MessageButtons::Ok,
                       MessageIcon::Error);
    Host().RequestQuit();
  }
}

void StopEmulation() {
  if (!EmulatorThread) return;
  EmulatorThread.reset();  // terminates the thread and waits for it, serving its calls
  // What came too late for the last slice.
  RunOperationsBetweenSlices();
}

void LetGoOfEmulation() {
  if (!EmulatorThread) return;
  EmulatorThread->Terminate();
  EmulatorThread->Detach();
  // The thread still reads its object: it is never freed.
  letGo = EmulatorThread.release();
}

void SetPaused(bool paused) {
  Paused = paused;
  Host().SetStatusText(StatusPanel::RunState, paused ? "Paused" : "Running");
}

bool IsPaused() { return Paused.load(); }

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
  SetNvrDirectory("");
  std::memset(M68kRegs, 0, sizeof M68kRegs);
  M68kUSP = M68kSSP = M68kPC = 0;
  M68kSR = 0;
  M68kIntLevel = 0;
  Paused = false;
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
