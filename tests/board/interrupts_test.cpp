// The interval timer and the interrupt level that the devices' request flags give.
#include <gtest/gtest.h>

#include "board/Cpu.h"
#include "board/Emulator.h"
#include "board/Keyboard.h"
#include "board/Ram.h"
#include "board/Timer.h"
#include "board/Uart.h"
#include "core/68000.h"
#include "core/bus.h"
#include "tests/board/board_fixture.h"

namespace {

using kqtest::BoardTest;

int32_t Level() { return M68kIntLevel.load(); }

using TimerTest = BoardTest;

TEST_F(TimerTest, TheFirstTickRaisesTheRequestWhateverItsCount) {
  TimerTick(1);
  EXPECT_EQ(TimerIrq, 1);
  EXPECT_EQ(TimerCounter, 8191);
}

TEST_F(TimerTest, TicksOnceEvery8192Instructions) {
  TimerTick(1);
  TimerIrq = 0;
  TimerTick(8000);
  TimerTick(190);
  EXPECT_EQ(TimerIrq, 0);
  EXPECT_EQ(TimerCounter, 1);
  TimerTick(1);
  EXPECT_EQ(TimerIrq, 1);
  EXPECT_EQ(TimerCounter, 8192);
}

TEST_F(TimerTest, FullSlicesTickEverySlice) {
  for (int slice = 0; slice < 5; ++slice) {
    TimerIrq = 0;
    TimerTick(8192);
    EXPECT_EQ(TimerIrq, 1);
    EXPECT_EQ(TimerCounter, 0);
  }
}

TEST_F(TimerTest, WhilePausedItTicksOnceAndThenWaits) {
  TimerTick(0);
  EXPECT_EQ(TimerIrq, 1);
  TimerIrq = 0;
  for (int i = 0; i < 10; ++i) TimerTick(0);
  EXPECT_EQ(TimerIrq, 0);
  EXPECT_EQ(TimerCounter, 8192);
}

TEST_F(TimerTest, TheRequestWaitsForTheNextLevelUpdate) {
  TimerTick(8192);
  EXPECT_EQ(Level(), 0);
  UpdateInterruptLevel();
  EXPECT_EQ(Level(), 1);
}

TEST_F(TimerTest, AnyAccessToItsPageAcknowledges) {
  struct Access {
    const char* what;
    uint32_t (*access)();
  };
  const Access accesses[] = {
      {"byte read 0x1EC05", [] { return m68k::ReadByte(0x1EC05); }},
      {"word read 0x1FCFE", [] { return m68k::ReadWord(0x1FCFE); }},
      {"long read 0x1EC80", [] { return m68k::ReadLong(0x1EC80); }},
      {"byte write 0x1FC01", [] { return m68k::WriteByte(0x1FC01, 0), 0xFFu; }},
      {"word write 0x1FC00", [] { return m68k::WriteWord(0x1FC00, 0), 0xFFFFu; }},
      {"long write 0x1EC10", [] { return m68k::WriteLong(0x1EC10, 0), 0xFFFFFFFFu; }},
  };
  const uint32_t ones[] = {0xFF, 0xFFFF, 0xFFFFFFFF, 0xFF, 0xFFFF, 0xFFFFFFFF};
  for (size_t i = 0; i < std::size(accesses); ++i) {
    TimerIrq = 1;
    UpdateInterruptLevel();
    EXPECT_EQ(accesses[i].access(), ones[i]) << accesses[i].what;
    EXPECT_EQ(TimerIrq, 0) << accesses[i].what;
    EXPECT_EQ(Level(), 0) << accesses[i].what;
  }
}

TEST(InterruptLevel, SerialPortThenKeyboardThenTimer) {
  struct Case {
    uint8_t uart, keyboard, timer;
    int32_t level;
  };
  for (Case c : {Case{0, 0, 0, 0}, Case{0, 0, 1, 1}, Case{0, 1, 0, 2}, Case{0, 1, 1, 2},
                 Case{1, 0, 0, 3}, Case{1, 0, 1, 3}, Case{1, 1, 0, 3}, Case{1, 1, 1, 3}}) {
    UartIrq = c.uart;
    KeyboardIrq = c.keyboard;
    TimerIrq = c.timer;
    UpdateInterruptLevel();
    EXPECT_EQ(Level(), c.level) << int(c.uart) << int(c.keyboard) << int(c.timer);
  }
  UartIrq = KeyboardIrq = TimerIrq = 0;
  UpdateInterruptLevel();
}

TEST(InterruptVector, IsTheAutovectorOfTheLevel) {
  EXPECT_EQ(InterruptVector(0), 0);
  for (int level = 1; level < 8; ++level) EXPECT_EQ(InterruptVector(level), 24 + level);
}

// A firmware that sleeps in STOP and whose timer handler acknowledges the tick with a
// long read of the acknowledge page (UNLK through the page, with the stack kept in USP).
std::vector<uint8_t> SleepingFirmware() {
  std::vector<uint8_t> rom(0x10000, 0);
  auto word = [&](uint32_t a, uint16_t w) {
    rom[a] = uint8_t(w >> 8);
    rom[a + 1] = uint8_t(w);
  };
  auto vector = [&](uint32_t n, uint32_t target) {
    word(n * 4, uint16_t(target >> 16));
    word(n * 4 + 2, uint16_t(target));
  };
  for (uint32_t n = 2; n < 64; ++n) vector(n, 0x600);
  vector(0, 0x1D000);
  vector(1, 0x400);
  vector(25, 0x500);
  word(0x400, 0x4E72), word(0x402, 0x2000);  // STOP #$2000
  word(0x404, 0x4E72), word(0x406, 0x2000);  // STOP #$2000
  word(0x500, 0x4E68);                       // MOVE USP,A0   A0 = the acknowledge page
  word(0x502, 0x4E67);                       // MOVE A7,USP
  word(0x504, 0x4E58);                       // UNLK A0       long read at A0
  word(0x506, 0x4E6F);                       // MOVE USP,A7
  word(0x508, 0x4E73);                       // RTE
  word(0x600, 0x4E72), word(0x602, 0x2700);  // STOP #$2700: anything unexpected
  return rom;
}

TEST_F(BoardTest, TheProcessorTakesAndAcknowledgesTheTimerInterrupt) {
  BuildBoard(SleepingFirmware());
  M68kUSP = 0x1EC00;
  CpuRun(SliceLength);
  ASSERT_EQ(M68kPC, 0x404u);
  ASSERT_EQ(M68kRunState, kM68kStopped);

  SliceService(0);  // the first tick
  ASSERT_EQ(TimerIrq, 1);
  CpuRun(SliceLength);
  EXPECT_EQ(TimerIrq, 0);
  EXPECT_EQ(Level(), 0);
  EXPECT_EQ(M68kPC, 0x408u);  // back from the handler into the second STOP
  EXPECT_EQ(M68kRegs[15], 0x1D000u);
  EXPECT_EQ(m68k::ReadWord(0x1CFFA), 0x2000u);    // stacked status register
  EXPECT_EQ(m68k::ReadLong(0x1CFFC), 0x404u);     // stacked return address
}

}  // namespace
