// Whole-file reads and the replacement of a file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "board/Files.h"
#include "tests/board/board_fixture.h"

namespace {

using kqtest::Pattern;
using kqtest::ReadFile;
using kqtest::TempDir;
using kqtest::WriteFile;

TEST(ReadWholeFile, TakesFilesUpToTheLimit) {
  TempDir dir;
  auto bytes = Pattern(300, 1);
  WriteFile(dir.File("f"), bytes);
  EXPECT_EQ(ReadWholeFile(dir.File("f"), 300), bytes);
  EXPECT_EQ(ReadWholeFile(dir.File("f"), 1000), bytes);
  EXPECT_EQ(ReadWholeFile(dir.File("f"), 299), std::nullopt);
  WriteFile(dir.File("empty"), {});
  EXPECT_EQ(ReadWholeFile(dir.File("empty"), 10), std::vector<uint8_t>{});
}

TEST(ReadWholeFile, RefusesWhatIsNoFile) {
  TempDir dir;
  EXPECT_EQ(ReadWholeFile(dir.File("absent"), 100), std::nullopt);
  EXPECT_EQ(ReadWholeFile(dir.Path(), 1 << 20), std::nullopt);
  EXPECT_EQ(ReadWholeFile("", 100), std::nullopt);
}

TEST(LoadImageFile, CopiesOnlyACompleteImage) {
  TempDir dir;
  uint8_t image[64];
  std::fill(std::begin(image), std::end(image), 0x5A);
  WriteFile(dir.File("short"), Pattern(63, 1));
  WriteFile(dir.File("long"), Pattern(65, 1));
  EXPECT_FALSE(LoadImageFile(dir.File("short"), image));
  EXPECT_FALSE(LoadImageFile(dir.File("long"), image));
  EXPECT_EQ(std::count(std::begin(image), std::end(image), 0x5A), 64);
  auto exact = Pattern(64, 2);
  WriteFile(dir.File("exact"), exact);
  EXPECT_TRUE(LoadImageFile(dir.File("exact"), image));
  EXPECT_EQ(std::vector<uint8_t>(std::begin(image), std::end(image)), exact);
}

TEST(ReplaceFile, WritesANewFileAndReplacesAnOldOne) {
  TempDir dir;
  auto first = Pattern(5000, 1), second = Pattern(100, 2);
  ASSERT_TRUE(ReplaceFile(dir.File("f"), first));
  EXPECT_EQ(ReadFile(dir.File("f")), first);
  ASSERT_TRUE(ReplaceFile(dir.File("f"), second));
  EXPECT_EQ(ReadFile(dir.File("f")), second);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"f"}));
}

TEST(ReplaceFile, KeepsThePermissionsOfTheFileItReplaces) {
  TempDir dir;
  WriteFile(dir.File("f"), Pattern(10, 1));
  ASSERT_EQ(chmod(dir.File("f").c_str(), 0640), 0);
  ASSERT_TRUE(ReplaceFile(dir.File("f"), Pattern(10, 2)));
  struct stat st;
  ASSERT_EQ(stat(dir.File("f").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ReplaceFile, OnAShortWriteTheOldFileStays) {
  TempDir dir;
  auto old = Pattern(2000, 1);
  WriteFile(dir.File("f"), old);
  {
    kqtest::FileSizeLimit full(1500);
    EXPECT_FALSE(ReplaceFile(dir.File("f"), Pattern(4000, 2)));
  }
  EXPECT_EQ(ReadFile(dir.File("f")), old);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"f"}));
}

TEST(ReplaceFile, FailsWhereNoFileCanBe) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("sub"));
  EXPECT_FALSE(ReplaceFile(dir.File("sub"), Pattern(10, 1)));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("sub")));
  EXPECT_FALSE(ReplaceFile(dir.File("missing/f"), Pattern(10, 1)));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"sub"}));
}

}  // namespace
