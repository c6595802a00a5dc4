#include "board/Cpu.h"

#include "board/Io.h"
#include "board/Keyboard.h"
#include "board/Timer.h"
#include "board/Uart.h"
#include "core/68000.h"

const int32_t AutovectorTable[8] = {0, 25, 26, 27, 28, 29, 30, 31};

void CpuInit() {
  static bool done = false;
  if (done) return;
  done = true;
  InitMemoryMap();
}

void CpuReset() { M68kReset(); }

uint32_t CpuRun(uint32_t budget) {
  UpdateInterruptLevel();
  return M68kRun(budget);
}

void UpdateInterruptLevel() {
  int32_t level = 0;
  if (UartIrq.load(std::memory_order_relaxed))
    level = 3;
  else if (KeyboardIrq.load(std::memory_order_relaxed))
    level = 2;
  else if (TimerIrq.load(std::memory_order_relaxed))
    level = 1;
  M68kIntLevel.store(level, std::memory_order_relaxed);
}

int32_t InterruptVector(int32_t level) { return AutovectorTable[level & 7]; }
