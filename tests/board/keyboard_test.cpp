// The key-event FIFO: its capacity, its reads and its level-2 request.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "board/Keyboard.h"
#include "core/68000.h"
#include "core/bus.h"
#include "tests/board/board_fixture.h"

namespace {

using KeyboardTest = kqtest::BoardTest;

int Held() { return uint8_t(KeyFifoWrite - KeyFifoRead); }

TEST_F(KeyboardTest, AnEventIsTwoBytesThenAnEmptyReadEndsTheRequest) {
  EXPECT_TRUE(KeyboardPushEvent(0xC8, 127));
  EXPECT_EQ(KeyboardIrq, 1);
  EXPECT_EQ(M68kIntLevel, 2);
  EXPECT_EQ(m68k::ReadByte(0x1E200), 0xC8u);
  EXPECT_EQ(KeyboardIrq, 1);
  EXPECT_EQ(m68k::ReadWord(0x1E2F0), 127u);  // any offset, zero-extended
  EXPECT_EQ(KeyboardIrq, 1);
  EXPECT_EQ(m68k::ReadLong(0x1F2F1), 0u);
  EXPECT_EQ(KeyboardIrq, 0);
  EXPECT_EQ(M68kIntLevel, 0);
}

TEST_F(KeyboardTest, ReadingWhenEmptyGivesZero) {
  EXPECT_EQ(m68k::ReadByte(0x1E200), 0u);
  EXPECT_EQ(KeyboardIrq, 0);
  EXPECT_EQ(M68kIntLevel, 0);
}

TEST_F(KeyboardTest, HoldsAtMost255Bytes) {
  // Read one byte first so that the ring is not aligned with its start.
  ASSERT_TRUE(KeyboardPushEvent(1, 1));
  KeyboardRead();
  for (int i = 0; i < 126; ++i) ASSERT_TRUE(KeyboardPushEvent(uint8_t(i), uint8_t(~i)));
  ASSERT_EQ(Held(), 253);
  EXPECT_TRUE(KeyboardPushEvent(0x80, 0x81));
  EXPECT_EQ(Held(), 255);
  EXPECT_FALSE(KeyboardPushEvent(0x90, 0x91));
  KeyboardRead();
  ASSERT_EQ(Held(), 254);
  EXPECT_FALSE(KeyboardPushEvent(0x90, 0x91));
  EXPECT_EQ(Held(), 254);

  // Everything comes out in order, across the end of the ring.
  for (int i = 0; i < 126; ++i) {
    EXPECT_EQ(KeyboardRead(), uint8_t(i));
    EXPECT_EQ(KeyboardRead(), uint8_t(~i));
  }
  EXPECT_EQ(KeyboardRead(), 0x80);
  EXPECT_EQ(KeyboardRead(), 0x81);
  EXPECT_EQ(KeyboardRead(), 0);
  EXPECT_EQ(KeyboardIrq, 0);
}

TEST_F(KeyboardTest, WritesToThePageChangeNothing) {
  KeyboardPushEvent(0x48, 0);
  m68k::WriteByte(0x1E200, 0x55);
  m68k::WriteLong(0x1F200, 0x55555555);
  EXPECT_EQ(Held(), 2);
  EXPECT_EQ(KeyboardRead(), 0x48);
}

TEST_F(KeyboardTest, AnEventPushedDuringAnEmptyReadKeepsItsRequest) {
  // Round after round the window's thread pushes one event while the firmware keeps
  // reading the empty FIFO; once the push is done, the event must have its request.
  constexpr int kRounds = 20000;
  std::atomic<int> round{-1};
  std::atomic<int> pushed{-1};
  std::thread window([&] {
    for (int r = 0; r < kRounds; ++r) {
      while (round.load() != r) {
      }
      KeyboardPushEvent(0x90, uint8_t(r));
      pushed.store(r);
    }
  });
  int lost = 0;
  for (int r = 0; r < kRounds; ++r) {
    round.store(r);
    while (pushed.load() != r) KeyboardRead();
    if (KeyFifoRead != KeyFifoWrite) {
      lost += KeyboardIrq == 0;
      KeyboardRead();
      KeyboardRead();
    }
    KeyboardRead();
    ASSERT_EQ(KeyboardIrq, 0);
  }
  window.join();
  EXPECT_EQ(lost, 0);
}

}  // namespace
