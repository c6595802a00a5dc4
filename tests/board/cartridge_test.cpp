// The cartridge port: the RAM on the bus, the signature, the change flag and the files.
#include <gtest/gtest.h>

#include "board/Cartridge.h"
#include "board/Emulator.h"
#include "core/bus.h"
#include "tests/board/board_fixture.h"

namespace {

using kqtest::BoardTest;
using kqtest::Pattern;
using kqtest::ReadFile;
using kqtest::WriteFile;

std::vector<uint8_t> CartridgeFile(uint32_t seed, uint8_t version = 3) {
  auto bytes = Pattern(0x4000, seed);
  bytes[0x3FF8] = 'K';
  bytes[0x3FFA] = 'Q';
  bytes[0x3FFC] = version;
  return bytes;
}

std::vector<uint8_t> Image() { return {CartridgeImage, CartridgeImage + 0x4000}; }

using CartridgeTest = BoardTest;

TEST_F(CartridgeTest, StartsEmptyAbsentAndUnchanged) {
  EXPECT_EQ(Image(), std::vector<uint8_t>(0x4000, 0));
  EXPECT_FALSE(CartridgePresent);
  EXPECT_EQ(CartridgeChanged, 0);
}

TEST_F(CartridgeTest, AnyWriteMarksItChangedEvenWithNoCartridge) {
  for (int size : {1, 2, 4}) {
    CartridgeRemove();
    if (size == 1) m68k::WriteByte(0x12000, 0);
    if (size == 2) m68k::WriteWord(0x12000, 0);
    if (size == 4) m68k::WriteLong(0x12000, 0);
    EXPECT_EQ(CartridgeChanged, 1) << size;
  }
  m68k::WriteLong(0x13FFE, 0x01020304);  // wraps within the image
  EXPECT_EQ(CartridgeImage[0x3FFF], 0x02);
  EXPECT_EQ(CartridgeImage[0x0000], 0x03);
  EXPECT_EQ(m68k::ReadLong(0x13FFE), 0x01020304u);
}

TEST_F(CartridgeTest, TheFirmwareCanPlugOneInAndPullItOut) {
  m68k::WriteByte(0x13FF8, 'K');
  m68k::WriteByte(0x13FFA, 'Q');
  SliceService(0);
  EXPECT_FALSE(CartridgePresent);
  m68k::WriteWord(0x13FFC, 0x0300);
  SliceService(0);
  EXPECT_TRUE(CartridgePresent);
  m68k::WriteByte(0x13FFA, 'q');
  SliceService(0);
  EXPECT_FALSE(CartridgePresent);
}

TEST_F(CartridgeTest, NewCartridgeHoldsOnlyTheSignature) {
  m68k::WriteByte(0x10000, 0x55);
  CartridgeNew();
  auto expected = std::vector<uint8_t>(0x4000, 0);
  expected[0x3FF8] = 'K', expected[0x3FFA] = 'Q', expected[0x3FFC] = 3;
  EXPECT_EQ(Image(), expected);
  EXPECT_TRUE(CartridgePresent);
  EXPECT_EQ(CartridgeChanged, 0);
  EXPECT_EQ(m68k::ReadWord(0x13FF8), 0x4B00u);
}

TEST_F(CartridgeTest, LoadTakesOnlyValidFiles) {
  CartridgeNew();
  m68k::WriteByte(0x10010, 0x77);
  auto before = Image();
  auto wrongSize = [&](size_t n) {
    auto bytes = CartridgeFile(1);
    bytes.resize(n);
    return bytes;
  };
  WriteFile(dir.File("short.kqc"), wrongSize(0x3FFF));
  WriteFile(dir.File("long.kqc"), wrongSize(0x4001));
  WriteFile(dir.File("version2.kqc"), CartridgeFile(1, 2));
  for (const char* name : {"short.kqc", "long.kqc", "version2.kqc", "absent.kqc"}) {
    EXPECT_FALSE(CartridgeLoad(dir.File(name))) << name;
    EXPECT_EQ(Image(), before) << name;
    EXPECT_TRUE(CartridgePresent);
    EXPECT_EQ(CartridgeChanged, 1);
  }

  auto good = CartridgeFile(2);
  WriteFile(dir.File("good.kqc"), good);
  EXPECT_TRUE(CartridgeLoad(dir.File("good.kqc")));
  EXPECT_EQ(Image(), good);
  EXPECT_TRUE(CartridgePresent);
  EXPECT_EQ(CartridgeChanged, 0);
}

TEST_F(CartridgeTest, SavingALoadedCartridgeGivesTheSameFile) {
  auto good = CartridgeFile(3);
  WriteFile(dir.File("in.kqc"), good);
  ASSERT_TRUE(CartridgeLoad(dir.File("in.kqc")));
  m68k::WriteByte(0x10000, good[0]);  // changed, though to the same value
  EXPECT_EQ(CartridgeChanged, 1);
  EXPECT_TRUE(CartridgeSave(dir.File("out.kqc")));
  EXPECT_EQ(CartridgeChanged, 0);
  EXPECT_EQ(ReadFile(dir.File("out.kqc")), good);
}

TEST_F(CartridgeTest, AFailedSaveKeepsTheChangeAndTheOldFile) {
  auto old = CartridgeFile(4);
  WriteFile(dir.File("c.kqc"), old);
  CartridgeNew();
  m68k::WriteByte(0x10000, 1);
  {
    kqtest::FileSizeLimit full(8000);
    EXPECT_FALSE(CartridgeSave(dir.File("c.kqc")));
  }
  EXPECT_EQ(CartridgeChanged, 1);
  EXPECT_EQ(ReadFile(dir.File("c.kqc")), old);
  EXPECT_FALSE(CartridgeSave(dir.File("no/such/folder.kqc")));
  EXPECT_EQ(CartridgeChanged, 1);

  // A failed save of an unchanged cartridge does not mark it changed.
  CartridgeNew();
  EXPECT_FALSE(CartridgeSave(dir.File("no/such/folder.kqc")));
  EXPECT_EQ(CartridgeChanged, 0);
}

TEST_F(CartridgeTest, RemoveClearsEverything) {
  WriteFile(dir.File("c.kqc"), CartridgeFile(5));
  ASSERT_TRUE(CartridgeLoad(dir.File("c.kqc")));
  m68k::WriteByte(0x10000, 1);
  CartridgeRemove();
  EXPECT_EQ(Image(), std::vector<uint8_t>(0x4000, 0));
  EXPECT_FALSE(CartridgePresent);
  EXPECT_EQ(CartridgeChanged, 0);
}

}  // namespace
