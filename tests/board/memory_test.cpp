// ROM, work RAM and patch memory: the 68000's byte order, mirrors, the ends of the
// images, and the patch-memory files.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "board/Emulator.h"
#include "board/Nvr.h"
#include "board/Ram.h"
#include "board/Rom.h"
#include "core/bus.h"
#include "tests/board/board_fixture.h"

namespace {

using kqtest::BoardTest;
using kqtest::Pattern;
using kqtest::ReadFile;
using kqtest::TempDir;
using kqtest::WriteFile;

class MemoryTest : public BoardTest {
 protected:
  void SetUp() override { BuildBoard(Pattern(0x10000, 1)); }
};

TEST_F(MemoryTest, ReadsAreBigEndianAtAnyAlignment) {
  const uint8_t* m = RomImage;
  EXPECT_EQ(m68k::ReadByte(0x0001), m[1]);
  EXPECT_EQ(m68k::ReadWord(0x0001), uint32_t(m[1] << 8 | m[2]));
  EXPECT_EQ(m68k::ReadLong(0x0003), uint32_t(m[3] << 24 | m[4] << 16 | m[5] << 8 | m[6]));
}

TEST_F(MemoryTest, WritesAreBigEndianAtAnyAlignment) {
  m68k::WriteLong(0x1C001, 0x11223344);
  EXPECT_EQ((std::vector<uint8_t>{RamImage[0], RamImage[1], RamImage[2], RamImage[3], RamImage[4],
                                  RamImage[5]}),
            (std::vector<uint8_t>{0, 0x11, 0x22, 0x33, 0x44, 0}));
  m68k::WriteWord(0x1800B, 0xABCD);
  EXPECT_EQ(NvrImage[0xB], 0xAB);
  EXPECT_EQ(NvrImage[0xC], 0xCD);
  m68k::WriteByte(0x1800D, 0x1234);
  EXPECT_EQ(NvrImage[0xD], 0x34);
  EXPECT_EQ(m68k::ReadLong(0x1800A), 0x00ABCD34u);
}

TEST_F(MemoryTest, AccessesAtTheEndOfAnImageWrapToItsStart) {
  // Every start position in the last bytes of the image, against byte-wise reads.
  for (uint32_t a = 0x1CFF8; a <= 0x1CFFF; ++a) {
    m68k::WriteLong(a, 0x01020304 * (a & 0xF));
    uint32_t bytes = 0, half = 0;
    for (uint32_t i = 0; i < 4; ++i) bytes = bytes << 8 | m68k::ReadByte(0x1C000 | ((a + i) & 0xFFF));
    for (uint32_t i = 0; i < 2; ++i) half = half << 8 | m68k::ReadByte(0x1C000 | ((a + i) & 0xFFF));
    EXPECT_EQ(bytes, 0x01020304 * (a & 0xF)) << std::hex << a;
    EXPECT_EQ(m68k::ReadLong(a), bytes) << std::hex << a;
    EXPECT_EQ(m68k::ReadWord(a), half) << std::hex << a;
  }
  EXPECT_EQ(m68k::ReadWord(0x0FFFF), uint32_t(RomImage[0xFFFF] << 8 | RomImage[0]));
  EXPECT_EQ(m68k::ReadLong(0x0FFFE),
            uint32_t(RomImage[0xFFFE] << 24 | RomImage[0xFFFF] << 16 | RomImage[0] << 8 | RomImage[1]));

  m68k::WriteLong(0x1CFFE, 0xA1B2C3D4);
  EXPECT_EQ(RamImage[0xFFE], 0xA1);
  EXPECT_EQ(RamImage[0xFFF], 0xB2);
  EXPECT_EQ(RamImage[0x000], 0xC3);
  EXPECT_EQ(RamImage[0x001], 0xD4);
  EXPECT_EQ(m68k::ReadLong(0x1DFFE), 0xA1B2C3D4u);

  m68k::WriteWord(0x1BFFF, 0x5A6B);
  EXPECT_EQ(NvrImage[0x3FFF], 0x5A);
  EXPECT_EQ(NvrImage[0x0000], 0x6B);
  EXPECT_EQ(m68k::ReadWord(0x1BFFF), 0x5A6Bu);
}

TEST_F(MemoryTest, TheRamAnswersInBothOfItsWindows) {
  m68k::WriteByte(0x1D010, 0x42);
  EXPECT_EQ(m68k::ReadByte(0x1C010), 0x42u);
  m68k::WriteWord(0x1C020, 0xBEEF);
  EXPECT_EQ(m68k::ReadWord(0x1D020), 0xBEEFu);
}

TEST_F(MemoryTest, TheRomIgnoresWrites) {
  std::vector<uint8_t> before(RomImage, RomImage + 0x10000);
  for (uint32_t a : {0x0000u, 0x1235u, 0xFFFCu}) {
    m68k::WriteByte(a, 0xEE);
    m68k::WriteWord(a, 0xEEEE);
    m68k::WriteLong(a, 0xEEEEEEEE);
  }
  EXPECT_EQ(std::vector<uint8_t>(RomImage, RomImage + 0x10000), before);
}

TEST_F(MemoryTest, AWrongSizedImageLeavesTheRomAsItWas) {
  std::vector<uint8_t> before(RomImage, RomImage + 0x10000);
  for (size_t size : {size_t(100), size_t(65535), size_t(65537)}) {
    WriteFile(dir.File("short.bin"), Pattern(size, 9));
    EXPECT_FALSE(LoadRomImage(dir.File("short.bin"))) << size;
  }
  EXPECT_FALSE(LoadRomImage(dir.File("absent.bin")));
  EXPECT_FALSE(LoadRomImage(""));
  EXPECT_EQ(std::vector<uint8_t>(RomImage, RomImage + 0x10000), before);
}

// ---- Patch-memory files ----------------------------------------------------------

class PatchMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override { SetNvrDirectory(dir.Path()); }
  std::vector<uint8_t> Nvr() const { return {NvrImage, NvrImage + 0x4000}; }

  TempDir dir;
};

TEST_F(PatchMemoryTest, StartsFromTheUsersFileThenTheFactoryStateThenZeros) {
  auto user = Pattern(0x4000, 1), factory = Pattern(0x4000, 2);
  WriteFile(dir.File("Tarvelion.nvr"), user);
  WriteFile(dir.File("Factory.nvr"), factory);
  NvrInit();
  EXPECT_EQ(Nvr(), user);
  EXPECT_FALSE(NvrUnusableFailure());

  WriteFile(dir.File("Tarvelion.nvr"), Pattern(0x3FFF, 3));
  NvrInit();
  EXPECT_EQ(Nvr(), factory);

  std::filesystem::remove(dir.File("Factory.nvr"));
  NvrInit();
  EXPECT_EQ(Nvr(), std::vector<uint8_t>(0x4000, 0));

  std::filesystem::remove(dir.File("Tarvelion.nvr"));  // a missing file is no unusable one
  NvrInit();
  EXPECT_FALSE(NvrUnusableFailure());
}

// The user of the tests that permission bits must stop.
constexpr uid_t kUser = 65534;

// Gives the file to kUser where the tests run as the superuser.
void GiveToUser(const std::string& path) {
  if (geteuid() == 0) {
    ASSERT_EQ(chown(path.c_str(), kUser, kUser), 0) << path;
  }
}

// Whether run succeeds as an ordinary user: for the superuser, whom permission bits do
// not stop, in a child process as kUser; else here.
bool AsOrdinaryUser(const std::function<bool()>& run) {
  if (geteuid() != 0) return run();
  const pid_t child = fork();
  if (child == 0) _exit(setgroups(0, nullptr) == 0 && setgid(kUser) == 0 && setuid(kUser) == 0 && run() ? 0 : 1);
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A file that exists but cannot be used gives its reason at the start, the factory state
// runs, and the exit's save keeps the old bytes beside the new file (for a link, beside
// the file it leads to), never over those kept by an earlier run.
TEST_F(PatchMemoryTest, ExitKeepsAnUnusableFileBesideTheSave) {
  const auto factory = Pattern(0x4000, 2);
  auto saved = factory;
  saved[0] = 0x12, saved[1] = 0x34, saved[2] = 0x56, saved[3] = 0x78;  // the run's change
  const struct {
    const char* what;
    size_t size;
    mode_t mode;
    std::string file;  // Tarvelion.nvr, or the file it is a link to
    std::error_code reason;
  } cases[] = {
      {"one byte too many", 0x4001, 0644, "Tarvelion.nvr", FileError::WrongSize},
      {"too short", 0x3FFF, 0644, "Tarvelion.nvr", FileError::WrongSize},
      {"unreadable", 0x4000, 0200, "Tarvelion.nvr", std::make_error_code(std::errc::permission_denied)},
      {"a link to a file too long", 0x4001, 0644, "sub/bank", FileError::WrongSize},
      // Its kept names are cut short to fit in a name of the folder.
      {"a link to a file of a long name", 100, 0644, "sub/" + std::string(252, 'b'), FileError::WrongSize},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir folder;
    const std::string path = std::filesystem::canonical(folder.Path()), file = path + "/" + c.file;
    SetNvrDirectory(path);
    WriteFile(folder.File("Factory.nvr"), factory);
    if (c.file != "Tarvelion.nvr") {
      std::filesystem::create_directory(folder.File("sub"));
      std::filesystem::create_symlink(file, folder.File("Tarvelion.nvr"));
      GiveToUser(folder.File("sub"));
    }
    GiveToUser(path);
    const auto keptAs = [&](const std::string& suffix) {
      const std::string name = file.substr(file.rfind('/') + 1);
      const size_t most = size_t(pathconf(path.c_str(), _PC_NAME_MAX)) - suffix.size();
      return file.substr(0, file.rfind('/') + 1) + name.substr(0, std::min(name.size(), most)) + suffix;
    };
    for (const int run : {1, 2}) {
      const std::string kept = keptAs(run == 1 ? ".unusable" : ".unusable-2");
      WriteFile(file, Pattern(c.size, run));
      ASSERT_EQ(chmod(file.c_str(), c.mode), 0);
      GiveToUser(file);
      EXPECT_TRUE(AsOrdinaryUser([&] {
        NvrInit();
        const bool started = NvrUnusableFailure() == c.reason && !NvrUnsavableFailure() && Nvr() == factory;
        NvrWriteLong(0x18000, 0x12345678);
        return NvrShutdown() && started && NvrKeptFile() == kept;
      })) << run;
      ASSERT_EQ(chmod(kept.c_str(), 0600), 0);
      EXPECT_EQ(ReadFile(kept), Pattern(c.size, run));
      EXPECT_EQ(ReadFile(folder.File("Tarvelion.nvr")), saved);
    }
    EXPECT_EQ(ReadFile(keptAs(".unusable")), Pattern(c.size, 1));
    EXPECT_EQ(folder.Entries(), c.file == "Tarvelion.nvr"
                                    ? (std::vector<std::string>{"Factory.nvr", "Tarvelion.nvr", "Tarvelion.nvr.unusable",
                                                                "Tarvelion.nvr.unusable-2"})
                                    : (std::vector<std::string>{"Factory.nvr", "Tarvelion.nvr", "sub"}));
  }
}

// A second program started from the same folder reads the patch memory but never writes
// it: the first one's save is the one that counts.
TEST_F(PatchMemoryTest, ASecondProgramOnTheSameFolderDoesNotSave) {
  const auto first = Pattern(0x4000, 6);
  WriteFile(dir.File("Tarvelion.nvr"), first);
  FolderLock firstProgram;
  ASSERT_TRUE(firstProgram.Acquire(dir.Path()));
  NvrInit();
  EXPECT_TRUE(NvrInUseElsewhere());
  EXPECT_EQ(Nvr(), first);
  NvrWriteLong(0x18000, 0x12345678);
  EXPECT_TRUE(NvrShutdown());
  EXPECT_EQ(ReadFile(dir.File("Tarvelion.nvr")), first);

  firstProgram.Release();
  NvrInit();
  EXPECT_FALSE(NvrInUseElsewhere());
}

// A folder that cannot be locked for a reason of the system's own is not taken for a free
// one: the reason is kept for the program to say, and the session is still saved to it.
TEST_F(PatchMemoryTest, AFolderThatCannotBeLockedGivesTheReason) {
  SetNvrDirectory(dir.File("missing"));
  NvrInit();
  EXPECT_EQ(NvrLockFailure(), std::errc::no_such_file_or_directory);
  EXPECT_FALSE(NvrInUseElsewhere());
  std::error_code failure;
  EXPECT_FALSE(NvrShutdown(&failure));
  EXPECT_EQ(failure, std::errc::no_such_file_or_directory);
  if (geteuid() == 0) return;  // permission bits do not stop the superuser
  std::filesystem::create_directory(dir.File("unlisted"));
  std::filesystem::permissions(dir.File("unlisted"), std::filesystem::perms::owner_write |
                                                         std::filesystem::perms::owner_exec);
  SetNvrDirectory(dir.File("unlisted"));
  NvrInit();
  EXPECT_EQ(NvrLockFailure(), std::errc::permission_denied);
  EXPECT_FALSE(NvrInUseElsewhere());
  NvrShutdown();
  std::filesystem::permissions(dir.File("unlisted"), std::filesystem::perms::owner_all);
  EXPECT_TRUE(std::filesystem::exists(dir.File("unlisted/Tarvelion.nvr")));
}

TEST_F(PatchMemoryTest, RestoringAnUnusableFactoryStateChangesNothing) {
  auto live = Pattern(0x4000, 4);
  std::copy(live.begin(), live.end(), NvrImage);
  EXPECT_FALSE(LoadFactoryNvr());
  WriteFile(dir.File("Factory.nvr"), Pattern(0x2000, 5));
  EXPECT_FALSE(LoadFactoryNvr());
  EXPECT_EQ(Nvr(), live);

  auto factory = Pattern(0x4000, 6);
  WriteFile(dir.File("Factory.nvr"), factory);
  EXPECT_TRUE(LoadFactoryNvr());
  EXPECT_EQ(Nvr(), factory);
}

TEST_F(PatchMemoryTest, AFailedSaveKeepsTheOldFile) {
  auto old = Pattern(0x4000, 7);
  WriteFile(dir.File("Tarvelion.nvr"), old);
  auto live = Pattern(0x4000, 8);
  std::copy(live.begin(), live.end(), NvrImage);
  {
    kqtest::FileSizeLimit full(1000);  // as a full disk: writes stop after 1000 bytes
    EXPECT_FALSE(SaveNvrFile(dir.File("Tarvelion.nvr")));
  }
  EXPECT_EQ(ReadFile(dir.File("Tarvelion.nvr")), old);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Tarvelion.nvr"}));

  EXPECT_TRUE(SaveNvrFile(dir.File("Tarvelion.nvr")));
  EXPECT_EQ(ReadFile(dir.File("Tarvelion.nvr")), live);

  // At exit an unusable file goes back under its name after a failed save, and one that
  // cannot be kept aside (in a folder the user may not change) stops the save; the way out
  // learns why.
  for (const bool fullDisk : {true, false}) {
    SCOPED_TRACE(fullDisk ? "a full disk" : "a folder the user may not change");
    WriteFile(dir.File("Tarvelion.nvr"), Pattern(0x4001, 9));
    GiveToUser(dir.File("Tarvelion.nvr"));
    ASSERT_EQ(chmod(dir.Path().c_str(), fullDisk ? 0700 : 0555), 0);
    const auto program = [&] {
      NvrInit();
      const std::error_code known = NvrUnsavableFailure();
      if (known != (fullDisk ? std::error_code() : std::make_error_code(std::errc::permission_denied)))
        return false;
      std::optional<kqtest::FileSizeLimit> full;
      if (fullDisk) full.emplace(1000);
      std::error_code failure;
      return !NvrShutdown(&failure) && NvrKeptFile().empty() &&
             failure == (fullDisk ? std::errc::file_too_large : std::errc::permission_denied);
    };
    EXPECT_TRUE(fullDisk ? program() : AsOrdinaryUser(program));
    ASSERT_EQ(chmod(dir.Path().c_str(), 0700), 0);
    EXPECT_EQ(ReadFile(dir.File("Tarvelion.nvr")), Pattern(0x4001, 9));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Tarvelion.nvr"}));
  }

  // A save that cannot be made as things stand at the start is known then, with the
  // reason the exit's save would give, and is not tried at exit even where it could be
  // by then (the missing folder made meanwhile): nothing is touched.
  namespace fs = std::filesystem;
  const auto reason = [](std::errc number) { return std::make_error_code(number); };
  const struct {
    const char* what;
    std::function<void(const std::string&)> make;
    std::error_code unusable, reason;
  } kinds[] = {
      {"a folder", [](const std::string& p) { fs::create_directory(p); }, reason(std::errc::is_a_directory),
       reason(std::errc::is_a_directory)},
      {"a FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); },
       FileError::NotARegularFile, FileError::NotARegularFile},
      {"a link to itself", [](const std::string& p) { fs::create_symlink("Tarvelion.nvr", p); },
       reason(std::errc::too_many_symbolic_link_levels), reason(std::errc::too_many_symbolic_link_levels)},
      {"a link to a folder",
       [](const std::string& p) {
         fs::create_directory(p + ".d");
         fs::create_symlink("Tarvelion.nvr.d", p);
       },
       reason(std::errc::is_a_directory), reason(std::errc::is_a_directory)},
      {"a link into a missing folder",
       [](const std::string& p) { fs::create_symlink("missing/Tarvelion.nvr", p); }, {},
       reason(std::errc::no_such_file_or_directory)},
  };
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.what);
    TempDir folder;
    SetNvrDirectory(folder.Path());
    const std::string file = folder.File("Tarvelion.nvr");
    kind.make(file);
    const auto entries = folder.Entries();
    NvrInit();
    EXPECT_EQ(NvrUnusableFailure(), kind.unusable);
    EXPECT_EQ(NvrUnsavableFailure(), kind.reason);
    fs::create_directory(folder.File("missing"));
    std::error_code failure;
    EXPECT_FALSE(NvrShutdown(&failure));
    EXPECT_EQ(failure, kind.reason);
    fs::remove(folder.File("missing"));
    EXPECT_EQ(folder.Entries(), entries);
  }
}

// Without a directory the patch memory starts blank and no file is read, locked or
// written, not even those of the current folder.
TEST(NvrDirectory, NoneUnlessSet) {
  SetNvrDirectory("/some/where");
  EXPECT_EQ(NvrDirectory(), "/some/where/");
  SetNvrDirectory("");
  TempDir dir;
  WriteFile(dir.File("Tarvelion.nvr"), Pattern(0x4000, 1));
  WriteFile(dir.File("Factory.nvr"), Pattern(0x4000, 2));
  const auto working = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  std::fill(NvrImage, NvrImage + 0x4000, 0x77);
  NvrInit();
  EXPECT_EQ(std::count(NvrImage, NvrImage + 0x4000, 0), 0x4000);
  EXPECT_FALSE(NvrLockFailure());
  EXPECT_FALSE(NvrUnusableFailure());
  EXPECT_FALSE(LoadFactoryNvr());
  EXPECT_EQ(std::count(NvrImage, NvrImage + 0x4000, 0), 0x4000);
  NvrWriteLong(0x18000, 0x12345678);
  EXPECT_TRUE(NvrShutdown());
  std::filesystem::current_path(working);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Factory.nvr", "Tarvelion.nvr"}));
  EXPECT_EQ(ReadFile(dir.File("Tarvelion.nvr")), Pattern(0x4000, 1));
  EXPECT_EQ(ReadFile(dir.File("Factory.nvr")), Pattern(0x4000, 2));
}

// A folder the user may write but not read cannot be opened for its flush after the
// save's rename: the patch memory is saved all the same, and the way out hears so.
TEST_F(PatchMemoryTest, SavesIntoAFolderTheUserMayWriteButNotRead) {
  namespace fs = std::filesystem;
  const std::string folder = dir.File("unlisted");
  fs::create_directory(folder);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(folder.c_str(), kqtest::kUnprivileged, kqtest::kUnprivileged), 0);
    fs::permissions(dir.Path(), fs::perms::others_exec, fs::perm_options::add);
  }
  fs::permissions(folder, fs::perms::owner_write | fs::perms::owner_exec);
  const int reason = kqtest::RunAsUser([&] {
    SetNvrDirectory(folder);
    NvrInit();
    NvrWriteLong(0x18000, 0x12345678);
    std::error_code failure;
    const bool saved = NvrShutdown(&failure);
    return saved && !failure ? 0 : failure ? failure.value() : 255;
  });
  EXPECT_EQ(reason, 0) << std::generic_category().message(reason);
  fs::permissions(folder, fs::perms::owner_all);
  std::vector<uint8_t> expected(0x4000, 0);
  std::copy_n(std::begin({0x12, 0x34, 0x56, 0x78}), 4, expected.begin());
  EXPECT_EQ(ReadFile(folder + "/Tarvelion.nvr"), expected);
}

}  // namespace
