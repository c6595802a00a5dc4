// The serial port: registers, FIFOs, its interrupt request and the MIDI input queue.
#include <gtest/gtest.h>

#include <thread>

#include "board/Uart.h"
#include "core/68000.h"
#include "core/bus.h"
#include "tests/board/board_fixture.h"

namespace {

using kqtest::Pattern;
using kqtest::WriteFile;

constexpr uint32_t kStatus = 0x1E000;
constexpr uint32_t kData = 0x1E002;

class UartTest : public kqtest::BoardTest {
 protected:
  static uint32_t Status() { return m68k::ReadByte(kStatus); }
  static bool Queue(const std::vector<uint8_t>& bytes) {
    return UartQueueMidiIn(int32_t(bytes.size()), bytes.data());
  }
  // Bytes the firmware receives over this many slices, reading everything each time.
  static std::vector<uint8_t> Receive(int slices) {
    std::vector<uint8_t> got;
    for (int s = 0; s < slices; ++s) {
      UartService(0);
      while (Status() & 1) got.push_back(uint8_t(m68k::ReadByte(kData)));
    }
    return got;
  }
  static int QueueHeld() { return uint16_t(MidiInQueue.write - MidiInQueue.read); }
};

TEST_F(UartTest, WithInterruptsOffTheStatusStillShowsTheFifos) {
  EXPECT_EQ(Status(), 0x02u);  // transmitter has room, nothing received
  Queue({0x90});
  UartService(0);
  EXPECT_EQ(Status(), 0x03u);
  for (int i = 0; i < 31; ++i) m68k::WriteByte(kData, i);
  EXPECT_EQ(Status(), 0x01u);
  EXPECT_EQ(UartIrq, 0);
}

TEST_F(UartTest, TheControlRegisterSetsTheEnables) {
  struct Case {
    uint8_t control;
    bool tx, rx;
  };
  for (Case c : {Case{0x20, true, false}, Case{0x60, false, false}, Case{0x40, false, false},
                 Case{0x00, false, false}, Case{0xA0, true, true}, Case{0x80, false, true},
                 Case{0x3F, true, false}, Case{0xFF, false, true}}) {
    m68k::WriteByte(kStatus, c.control);
    EXPECT_EQ(UartTx.interruptEnable, c.tx) << int(c.control);
    EXPECT_EQ(UartRx.interruptEnable, c.rx) << int(c.control);
    // The transmitter has room, so its enable alone raises the request.
    EXPECT_EQ(UartIrq, c.tx) << int(c.control);
    EXPECT_EQ(M68kIntLevel, c.tx ? 3 : 0) << int(c.control);
  }
}

TEST_F(UartTest, TheTransmitRequestEndsWhenItsFifoIsFull) {
  m68k::WriteByte(kStatus, 0x20);
  for (int i = 0; i < 30; ++i) m68k::WriteByte(kData, i);
  EXPECT_EQ(UartIrq, 1);
  m68k::WriteWord(kData, 0x1230);  // the 31st byte fills it
  EXPECT_EQ(UartIrq, 0);
  EXPECT_EQ(M68kIntLevel, 0);
  m68k::WriteByte(kData, 0x99);  // dropped
  UartService(0);                // one byte leaves per slice
  EXPECT_EQ(UartIrq, 1);
  int sent = 1;
  while (UartTx.read != UartTx.write) UartService(0), ++sent;
  EXPECT_EQ(sent, 31);
}

TEST_F(UartTest, TheReceiveRequestFollowsTheFifoWhileEnabled) {
  m68k::WriteByte(kStatus, 0x80);
  Queue({0xF0, 0x01, 0xF7});
  EXPECT_EQ(UartIrq, 0);
  UartService(0);
  EXPECT_EQ(UartIrq, 1);
  EXPECT_EQ(M68kIntLevel, 3);
  EXPECT_EQ(m68k::ReadWord(kData), 0xF0u);
  EXPECT_EQ(m68k::ReadLong(0x1F003), 0x01u);
  EXPECT_EQ(UartIrq, 1);
  EXPECT_EQ(m68k::ReadByte(0x1E0FE), 0xF7u);
  EXPECT_EQ(UartIrq, 0);
  EXPECT_EQ(M68kIntLevel, 0);
}

TEST_F(UartTest, AnEmptyReceiverShowsItsStaleSlot) {
  Queue({0x42});
  UartService(0);
  EXPECT_EQ(m68k::ReadByte(kData), 0x42u);
  uint8_t read = UartRx.read, write = UartRx.write;
  EXPECT_EQ(m68k::ReadByte(kData), UartRx.data[read]);
  EXPECT_EQ(UartRx.read, read);
  EXPECT_EQ(UartRx.write, write);
  EXPECT_EQ(UartIrq, 0);
}

TEST_F(UartTest, RegistersAreDecodedFromAddressBit1OnBothPages) {
  EXPECT_EQ(m68k::ReadByte(0x1E001), 0x02u);  // status
  EXPECT_EQ(m68k::ReadByte(0x1F000), 0x02u);
  EXPECT_EQ(m68k::ReadLong(0x1F0FC), 0x02u);
  m68k::WriteLong(0x1F007, 0xFFFFFF55);  // data, low byte only
  EXPECT_EQ(UartTx.data[UartTx.read], 0x55);
  EXPECT_EQ(uint8_t(UartTx.write - UartTx.read) & 31, 1);
}

TEST_F(UartTest, EachSliceDeliversAtMostFourBytes) {
  auto bytes = Pattern(40, 1);
  ASSERT_TRUE(Queue(bytes));
  std::vector<uint8_t> got;
  for (int s = 0; s < 10; ++s) {
    auto slice = Receive(1);
    EXPECT_EQ(slice.size(), 4u) << s;
    got.insert(got.end(), slice.begin(), slice.end());
  }
  EXPECT_EQ(got, bytes);
  EXPECT_TRUE(Receive(1).empty());
}

TEST_F(UartTest, TheReceiverHoldsAtMost31Bytes) {
  ASSERT_TRUE(Queue(Pattern(40, 2)));
  for (int s = 0; s < 20; ++s) UartService(0);
  EXPECT_EQ(uint8_t(UartRx.write - UartRx.read) & 31, 31);
  EXPECT_EQ(QueueHeld(), 9);
  EXPECT_EQ(Receive(1).size(), 31u);
  EXPECT_EQ(Receive(3).size(), 9u);
}

TEST_F(UartTest, TheQueueTakesWholeBlocksOfAtMost65535Bytes) {
  EXPECT_FALSE(Queue(Pattern(65536, 1)));
  EXPECT_EQ(QueueHeld(), 0);
  EXPECT_TRUE(Queue(Pattern(65535, 1)));
  EXPECT_EQ(QueueHeld(), 65535);
  EXPECT_FALSE(Queue({0x90}));
  EXPECT_TRUE(Queue({}));
  EXPECT_TRUE(UartQueueMidiIn(-5, nullptr));

  Receive(1);  // four bytes free
  EXPECT_FALSE(Queue(Pattern(5, 2)));
  EXPECT_TRUE(Queue(Pattern(4, 2)));
  EXPECT_EQ(QueueHeld(), 65535);
}

TEST_F(UartTest, BlocksWrapAroundTheEndOfTheQueue) {
  ASSERT_TRUE(Queue(Pattern(65500, 1)));
  while (QueueHeld()) Receive(8);
  auto block = Pattern(100, 3);
  ASSERT_TRUE(Queue(block));
  std::vector<uint8_t> got;
  while (got.size() < block.size()) {
    auto slice = Receive(1);
    got.insert(got.end(), slice.begin(), slice.end());
  }
  EXPECT_EQ(got, block);
}

TEST_F(UartTest, SysexFilesAreQueuedWholeOrNotAtAll) {
  auto largest = Pattern(65535, 4);
  WriteFile(dir.File("largest.syx"), largest);
  WriteFile(dir.File("full.syx"), Pattern(65536, 5));
  WriteFile(dir.File("over.syx"), Pattern(65537, 6));
  EXPECT_FALSE(UartLoadSysex(dir.File("full.syx")));
  EXPECT_FALSE(UartLoadSysex(dir.File("over.syx")));
  EXPECT_FALSE(UartLoadSysex(dir.File("absent.syx")));
  EXPECT_EQ(QueueHeld(), 0);
  EXPECT_TRUE(UartLoadSysex(dir.File("largest.syx")));
  EXPECT_EQ(QueueHeld(), 65535);
  EXPECT_EQ(std::vector<uint8_t>(MidiInQueue.data + MidiInQueue.read,
                                 MidiInQueue.data + MidiInQueue.read + 16),
            std::vector<uint8_t>(largest.begin(), largest.begin() + 16));
}

TEST_F(UartTest, ResetEmptiesEverything) {
  m68k::WriteByte(kStatus, 0xA0);
  Queue(Pattern(10, 1));
  UartService(0);
  m68k::WriteByte(kData, 1);
  UartReset();
  EXPECT_EQ(UartIrq, 0);
  EXPECT_FALSE(UartTx.interruptEnable);
  EXPECT_FALSE(UartRx.interruptEnable);
  EXPECT_EQ(Status(), 0x02u);
  EXPECT_EQ(QueueHeld(), 0);
}

TEST_F(UartTest, AppendsFromTwoThreadsDoNotInterleave) {
  // One thread queues three-byte notes, the other 200-byte SysEx blocks, while the
  // firmware side reads; every block must arrive in one piece.
  constexpr int kNotes = 3000, kBlocks = 150;
  std::vector<uint8_t> sysex(200);
  sysex.front() = 0xF0, sysex.back() = 0xF7;
  for (size_t i = 1; i + 1 < sysex.size(); ++i) sysex[i] = uint8_t(i & 0x7F);
  auto appendAll = [](int count, auto block) {
    for (int i = 0; i < count;) {
      auto bytes = block(i);
      if (UartQueueMidiIn(int32_t(bytes.size()), bytes.data())) ++i;
    }
  };
  std::thread midi(appendAll, kNotes, [](int i) { return std::vector<uint8_t>{0x90, uint8_t(i & 0x7F), uint8_t(i & 0x7F)}; });
  std::thread loader(appendAll, kBlocks, [&](int) { return sysex; });
  std::vector<uint8_t> stream;
  size_t total = kNotes * 3 + kBlocks * sysex.size();
  while (stream.size() < total) {
    auto slice = Receive(1);
    stream.insert(stream.end(), slice.begin(), slice.end());
  }
  midi.join();
  loader.join();

  int notes = 0, blocks = 0;
  for (size_t i = 0; i < stream.size();) {
    if (stream[i] == 0x90) {
      ASSERT_EQ(stream[i + 1], notes & 0x7F) << i;
      ASSERT_EQ(stream[i + 2], notes & 0x7F) << i;
      ++notes, i += 3;
    } else {
      ASSERT_TRUE(std::equal(sysex.begin(), sysex.end(), stream.begin() + ptrdiff_t(i))) << i;
      ++blocks, i += sysex.size();
    }
  }
  EXPECT_EQ(notes, kNotes);
  EXPECT_EQ(blocks, kBlocks);
}

}  // namespace
