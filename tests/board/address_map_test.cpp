// The whole 128 KB bus after board set-up, page by page, against the board's address
// map; the ROM's installation and the reset that follows it.
#include <gtest/gtest.h>

#include <vector>

#include "board/Adc.h"
#include "board/Cartridge.h"
#include "board/Dac.h"
#include "board/Io.h"
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
#include "core/68000.h"
#include "core/bus.h"
#include "tests/board/board_fixture.h"

namespace {

using kqtest::BoardTest;

struct PageHandlers {
  MemReadHandler rb = OpenBusReadByte, rw = OpenBusReadWord, rl = OpenBusReadLong;
  MemWriteHandler wb = IgnoreWriteByte, ww = IgnoreWriteWord, wl = IgnoreWriteLong;
  const char* device = "nothing";
};

class AddressMap {
 public:
  AddressMap() : pages_(512) {}
  void Reads(uint32_t base, uint32_t size, const char* device, MemReadHandler b, MemReadHandler w,
             MemReadHandler l) {
    for (uint32_t a = base; a < base + size; a += 0x100) {
      auto& p = pages_[a >> 8];
      p.rb = b, p.rw = w, p.rl = l, p.device = device;
    }
  }
  void Writes(uint32_t base, uint32_t size, const char* device, MemWriteHandler b,
              MemWriteHandler w, MemWriteHandler l) {
    for (uint32_t a = base; a < base + size; a += 0x100) {
      auto& p = pages_[a >> 8];
      p.wb = b, p.ww = w, p.wl = l, p.device = device;
    }
  }
  const PageHandlers& operator[](uint32_t page) const { return pages_[page]; }

 private:
  std::vector<PageHandlers> pages_;
};

// The board's map as its hardware decodes it; device pages at 0x1Exxx and 0x1Fxxx.
AddressMap BoardMap(bool romInstalled) {
  AddressMap m;
  if (romInstalled) m.Reads(0x00000, 0x10000, "ROM", RomReadByte, RomReadWord, RomReadLong);
  m.Reads(0x10000, 0x4000, "cartridge", CartridgeReadByte, CartridgeReadWord, CartridgeReadLong);
  m.Writes(0x10000, 0x4000, "cartridge", CartridgeWriteByte, CartridgeWriteWord, CartridgeWriteLong);
  m.Writes(0x16000, 0x2000, "wave registers", WaveRegWriteByte, WaveRegWriteWord, WaveRegWriteLong);
  m.Reads(0x18000, 0x4000, "patch memory", NvrReadByte, NvrReadWord, NvrReadLong);
  m.Writes(0x18000, 0x4000, "patch memory", NvrWriteByte, NvrWriteWord, NvrWriteLong);
  for (uint32_t base : {0x1C000u, 0x1D000u}) {
    m.Reads(base, 0x1000, "RAM", RamReadByte, RamReadWord, RamReadLong);
    m.Writes(base, 0x1000, "RAM", RamWriteByte, RamWriteWord, RamWriteLong);
  }
  for (uint32_t mirror : {0x0000u, 0x1000u}) {
    auto reads = [&](uint32_t page, const char* device, MemReadHandler b, MemReadHandler w,
                     MemReadHandler l) { m.Reads(page + mirror, 0x100, device, b, w, l); };
    auto writes = [&](uint32_t page, const char* device, MemWriteHandler b, MemWriteHandler w,
                      MemWriteHandler l) { m.Writes(page + mirror, 0x100, device, b, w, l); };
    reads(0x1E000, "serial port", UartReadByte, UartReadWord, UartReadLong);
    writes(0x1E000, "serial port", UartWriteByte, UartWriteWord, UartWriteLong);
    reads(0x1E100, "LCD", LcdReadByte, LcdReadWord, LcdReadLong);
    writes(0x1E100, "LCD", LcdWriteByte, LcdWriteWord, LcdWriteLong);
    reads(0x1E200, "key FIFO", KeyboardReadByte, KeyboardReadWord, KeyboardReadLong);
    reads(0x1E300, "switches", SwitchesReadByte, SwitchesReadWord, SwitchesReadLong);
    writes(0x1E400, "digit latch", DigitLatchWriteByte, DigitLatchWriteWord, DigitLatchWriteLong);
    writes(0x1E500, "light latch", LedLatchWriteByte, LedLatchWriteWord, LedLatchWriteLong);
    reads(0x1E600, "ADC select", AdcSelectReadByte, AdcSelectReadWord, AdcSelectReadLong);
    writes(0x1E600, "ADC select", AdcSelectWriteByte, AdcSelectWriteWord, AdcSelectWriteLong);
    writes(0x1E700, "DAC", DacWriteByte, DacWriteWord, DacWriteLong);
    writes(0x1E800, "wave port A", WaveRamWriteByteA, WaveRamWriteWordA, WaveRamWriteLongA);
    writes(0x1E900, "wave port B", WaveRamWriteByteB, WaveRamWriteWordB, WaveRamWriteLongB);
    writes(0x1EA00, "wave port C", WaveRamWriteByteC, WaveRamWriteWordC, WaveRamWriteLongC);
    writes(0x1EB00, "wave port D", WaveRamWriteByteD, WaveRamWriteWordD, WaveRamWriteLongD);
    reads(0x1EC00, "timer ack", TimerAckReadByte, TimerAckReadWord, TimerAckReadLong);
    writes(0x1EC00, "timer ack", TimerAckWriteByte, TimerAckWriteWord, TimerAckWriteLong);
    reads(0x1ED00, "wave strobe", WaveStrobeReadByte, WaveStrobeReadWord, WaveStrobeReadLong);
    writes(0x1ED00, "wave strobe", WaveStrobeWriteByte, WaveStrobeWriteWord, WaveStrobeWriteLong);
    reads(0x1EF00, "ADC result", AdcResultReadByte, AdcResultReadWord, AdcResultReadLong);
  }
  return m;
}

void ExpectBusIs(const AddressMap& expected) {
  for (uint32_t page = 0; page < kPageCount; ++page) {
    const PageHandlers& p = expected[page];
    SCOPED_TRACE(testing::Message() << "page 0x" << std::hex << (page << 8) << " " << p.device);
    EXPECT_EQ(MemReadByte[page], p.rb);
    EXPECT_EQ(MemReadWord[page], p.rw);
    EXPECT_EQ(MemReadLong[page], p.rl);
    EXPECT_EQ(MemWriteByte[page], p.wb);
    EXPECT_EQ(MemWriteWord[page], p.ww);
    EXPECT_EQ(MemWriteLong[page], p.wl);
  }
}

std::vector<uint8_t> RomWithVectors(uint32_t ssp, uint32_t pc) {
  std::vector<uint8_t> rom = kqtest::Pattern(0x10000, 7);
  for (int i = 0; i < 4; ++i) {
    rom[i] = uint8_t(ssp >> (24 - 8 * i));
    rom[4 + i] = uint8_t(pc >> (24 - 8 * i));
  }
  return rom;
}

TEST_F(BoardTest, EveryPageOfTheBusAfterSetUp) {
  BuildBoard(RomWithVectors(0x1D000, 0x400));
  ExpectBusIs(BoardMap(true));
}

TEST_F(BoardTest, WithoutARomImageTheRomWindowStaysOpenBus) {
  ExpectBusIs(BoardMap(false));
  EXPECT_EQ(m68k::ReadLong(0), 0xFFFFFFFFu);
  // The processor was not reset from the open bus.
  EXPECT_FALSE(RomInstalled);
  EXPECT_EQ(M68kPC, 0u);
  EXPECT_EQ(M68kRegs[15], 0u);
}

TEST_F(BoardTest, AMissingRomImageIsReportedAndEndsTheProgram) {
  ASSERT_EQ(window.messages.size(), 1u);
  const auto& box = window.messages[0];
  EXPECT_EQ(box.caption, "ROM image missing");
  EXPECT_EQ(box.text, "Can't locate \"" + dir.File("kq.bin") + "\"\nProgram terminating");
  EXPECT_EQ(box.buttons, MessageButtons::Ok);
  EXPECT_EQ(box.icon, MessageIcon::Error);
  EXPECT_EQ(window.quitRequests, 1);
  // Set-up still completes.
  EXPECT_EQ(window.status[0], "Running");
}

TEST_F(BoardTest, RomImagesOfAnyOtherSizeCountAsMissing) {
  for (size_t size : {size_t(0), size_t(65535), size_t(65537)}) {
    window.messages.clear();
    BuildBoard(kqtest::Pattern(size, 3));
    EXPECT_EQ(window.messages.size(), 1u) << size;
    EXPECT_EQ(MemReadByte[0], OpenBusReadByte) << size;
  }
}

TEST_F(BoardTest, TheProcessorStartsFromTheRomVectors) {
  BuildBoard(RomWithVectors(0x1D000, 0x400));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(window.quitRequests, 0);
  EXPECT_EQ(window.status[0], "Running");
  EXPECT_EQ(M68kPC, 0x400u);
  EXPECT_EQ(M68kRegs[15], 0x1D000u);
  EXPECT_EQ(M68kSR & (kSrS | kSrMask | kSrT), kSrS | kSrMask);
}

TEST_F(BoardTest, TheBoardRepeatsAboveItsWindow) {
  BuildBoard(RomWithVectors(0x1D000, 0x400));
  EXPECT_EQ(m68k::ReadWord(0x1E0000), 0x0001u);  // ROM bytes 0 and 1
  m68k::WriteLong(0x21C000, 0xCAFEF00D);
  EXPECT_EQ(RamImage[0], 0xCA);
  EXPECT_EQ(m68k::ReadLong(0x1C000), 0xCAFEF00Du);
}

TEST_F(BoardTest, UndecodedPagesAreOpenBus) {
  for (uint32_t a : {0x14000u, 0x15FFFu, 0x1EE00u, 0x1FEFFu}) {
    m68k::WriteLong(a, 0);
    EXPECT_EQ(m68k::ReadByte(a), 0xFFu);
    EXPECT_EQ(m68k::ReadWord(a), 0xFFFFu);
    EXPECT_EQ(m68k::ReadLong(a), 0xFFFFFFFFu);
  }
}

}  // namespace
