// The start-up and linker script of the KQ map, on a bus of ROM, work RAM and nothing
// else: the image is the whole ROM with its vectors, initialised data reaches work RAM
// from ROM, zeroed data is cleared over RAM full of noise, and nothing is written
// outside work RAM.
#include <gtest/gtest.h>

#include <cstring>

#include "board/Cpu.h"
#include "board/Io.h"
#include "core/68000.h"
#include "firmware/host/programs.h"
#include "firmware/runtime/mailbox.h"
#include "tests/support/flat_memory.h"

namespace {

constexpr uint32_t kRamBase = 0x1C000;
constexpr uint32_t kRamSize = 0x1000;

uint8_t Rom[0x10000];
uint8_t WorkRam[kRamSize];
std::vector<uint32_t> StrayWrites;

template <uint8_t* Memory, uint32_t Mask, int Bytes> uint32_t ReadMemory(uint32_t a) {
  uint32_t v = 0;
  for (int i = 0; i < Bytes; ++i) v = v << 8 | Memory[(a + i) & Mask];
  return v;
}
template <int Bytes> void WriteRam(uint32_t a, uint32_t v) {
  for (int i = Bytes - 1; i >= 0; --i, v >>= 8) WorkRam[(a + i) & (kRamSize - 1)] = uint8_t(v);
}
void StrayWrite(uint32_t a, uint32_t) { StrayWrites.push_back(a); }

void MapKqMemories() {
  CpuInit();
  InitMemoryMap();
  MapWriteHandlers(0, kBusSize, StrayWrite, StrayWrite, StrayWrite);
  MapReadHandlers(0, sizeof Rom, ReadMemory<Rom, 0xFFFF, 1>, ReadMemory<Rom, 0xFFFF, 2>, ReadMemory<Rom, 0xFFFF, 4>);
  for (uint32_t base : {kRamBase, kRamBase + kRamSize}) {
    MapReadHandlers(base, kRamSize, ReadMemory<WorkRam, kRamSize - 1, 1>, ReadMemory<WorkRam, kRamSize - 1, 2>,
                    ReadMemory<WorkRam, kRamSize - 1, 4>);
    MapWriteHandlers(base, kRamSize, WriteRam<1>, WriteRam<2>, WriteRam<4>);
  }
}

const firmware::ProgramImage& StartupImage() {
  const firmware::ProgramImage* image = firmware::FindProgram("startup", "O2");
  EXPECT_NE(image, nullptr);
  return *image;
}

uint32_t BigEndianLong(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

TEST(KqMapStartup, ImageIsTheWholeRomWithItsVectors) {
  const firmware::ProgramImage& image = StartupImage();
  EXPECT_EQ(image.map, firmware::MemoryMap::Kq);
  ASSERT_EQ(image.size, 0x10000u);
  EXPECT_EQ(BigEndianLong(image.data), kRamBase + kRamSize) << "stack at the top of work RAM";
  EXPECT_LT(BigEndianLong(image.data + 4), 0x10000u) << "entry in ROM";
  for (uint32_t vector = 2; vector < 64; ++vector) EXPECT_LT(BigEndianLong(image.data + 4 * vector), 0x10000u);
  EXPECT_EQ(image.data[0xFFFF], 0xFF) << "unused ROM is erased";
}

TEST(KqMapStartup, RunsFromRomWithItsDataInWorkRam) {
  const firmware::ProgramImage& image = StartupImage();
  ASSERT_EQ(image.size, sizeof Rom);
  std::memcpy(Rom, image.data, sizeof Rom);
  std::memset(WorkRam, 0xA5, sizeof WorkRam);
  StrayWrites.clear();
  MapKqMemories();
  std::memset(M68kRegs, 0, sizeof M68kRegs);
  M68kSR = kSrS;
  M68kReset();

  firmware::CoreRun run = firmware::RunUntilStop(1'000'000);
  firmware::Mailbox box = firmware::ReadMailbox(KQ_MAILBOX_KQ, KQ_MAILBOX_KQ_SIZE);
  EXPECT_EQ(box.exception, 0u) << "unexpected exception at " << kqtest::Hex(box.exceptionPc);
  ASSERT_TRUE(run.stopped);
  EXPECT_TRUE(StrayWrites.empty()) << "first stray write at " << kqtest::Hex(StrayWrites.front());
  const firmware::HostResults& host = firmware::RunOnHost(image);
  ASSERT_EQ(box.values.size(), host.values.size());
  for (size_t i = 0; i < host.values.size(); ++i) EXPECT_EQ(box.values[i], host.values[i]) << host.names[i];
}

}  // namespace
