// The board's request flags as the core sees them: one pending level and its autovector.
#include <gtest/gtest.h>

#include "board/Cpu.h"
#include "board/Keyboard.h"
#include "board/Timer.h"
#include "board/Uart.h"
#include "core/68000.h"

namespace {

struct Flags {
  uint8_t uart, keyboard, timer;
  int32_t level;
};

TEST(InterruptLevel, HighestRequestWins) {
  const Flags cases[] = {{0, 0, 0, 0}, {0, 0, 1, 1}, {0, 1, 0, 2}, {0, 1, 1, 2},
                         {1, 0, 0, 3}, {1, 0, 1, 3}, {1, 1, 1, 3}, {0, 0, 0xFF, 1}};
  for (const Flags& f : cases) {
    UartIrq = f.uart;
    KeyboardIrq = f.keyboard;
    TimerIrq = f.timer;
    UpdateInterruptLevel();
    EXPECT_EQ(M68kIntLevel.load(), f.level) << int(f.uart) << int(f.keyboard) << int(f.timer);
  }
  UartIrq = KeyboardIrq = TimerIrq = 0;
  UpdateInterruptLevel();
}

TEST(InterruptLevel, AutovectorsByLevel) {
  EXPECT_EQ(InterruptVector(0), 0);
  for (int level = 1; level <= 7; ++level) EXPECT_EQ(InterruptVector(level), 24 + level);
  EXPECT_EQ(InterruptVector(9), 25);  // only the low three bits count
}

}  // namespace
