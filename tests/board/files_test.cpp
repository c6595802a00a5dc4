// Whole-file reads, the replacement of a file and the lock on a folder.
#include <gtest/gtest.h>
#include <grp.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "board/Files.h"
#include "tests/board/board_fixture.h"

namespace {
// While set, every flush of a folder fails as on a failing disk.
bool failFolderFlushes = false;
}  // namespace

// The board library is linked into the test program, so its calls of fsync come here.
extern "C" int fsync(int fd) {
  struct stat st;
  if (failFolderFlushes && fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    errno = EIO;
    return -1;
  }
  return int(syscall(SYS_fsync, fd));
}

namespace {

using kqtest::Pattern;
using kqtest::ReadFile;
using kqtest::TempDir;
using kqtest::WriteFile;

std::error_code Errno(std::errc error) { return std::make_error_code(error); }
std::error_code LastErrno() { return {errno, std::generic_category()}; }

// The reason run gives, run in a child process so that what it changes of the process
// (its user, the calls that fail) ends with it. A category is at one address in both.
std::error_code InChild(const std::function<std::error_code()>& run) {
  std::pair<int, const std::error_category*> reason{ENOTRECOVERABLE, &std::generic_category()};
  int channel[2];
  if (pipe(channel) != 0) return LastErrno();
  if (fork() == 0) {
    const std::error_code error = run();
    reason = {error.value(), &error.category()};
    _exit(write(channel[1], &reason, sizeof reason) == sizeof reason ? 0 : 1);
  }
  close(channel[1]);
  if (read(channel[0], &reason, sizeof reason) != sizeof reason) ADD_FAILURE() << "the child gave no reason";
  close(channel[0]);
  wait(nullptr);
  return {reason.first, *reason.second};
}

// From here on, every fsync of this process fails as on a failing disk.
std::error_code FailFlushes() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fsync, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const sock_fprog program = {sizeof filter / sizeof *filter, filter};
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
    return LastErrno();
  return {};
}

// Leaves a temporary of the file as a save killed before its end does: begun in a child
// that ends at once.
void LeaveStaleTemporary(const std::string& path) {
  const std::error_code error = InChild([&] {
    std::error_code reason;
    (new FileReplacement)->Begin(path, &reason);  // never abandoned: the child just ends
    return reason;
  });
  EXPECT_FALSE(error) << error.message();
}

// While it lives, a call that blocks ends the test program rather than hanging it.
class Deadline {
 public:
  Deadline() { alarm(10); }
  ~Deadline() { alarm(0); }
};

// Every entry under the folder: its kind, inode, links, permissions and content.
std::map<std::string, std::string> Snapshot(const TempDir& dir) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path())) {
    struct stat st;
    lstat(entry.path().c_str(), &st);
    std::string& line = entries[entry.path().string()];
    line = std::to_string(st.st_mode) + " " + std::to_string(st.st_ino) + " " + std::to_string(st.st_nlink);
    if (S_ISLNK(st.st_mode)) line += " -> " + std::filesystem::read_symlink(entry.path()).string();
    if (S_ISREG(st.st_mode)) {
      auto bytes = ReadFile(entry.path());
      line += " " + std::string(bytes.begin(), bytes.end());
    }
  }
  return entries;
}

// An ACL as the system stores it: a version, then entries sorted by tag (owner, named
// user, group, mask, others); chmod sets the owner, mask and others from the mode.
struct AclEntry {
  uint16_t tag, permissions;
  uint32_t id;
};
const struct {
  uint32_t version;
  AclEntry entries[5];
} kAcl = {2, {{0x01, 6, ~0u}, {0x02, 4, 1234}, {0x04, 6, ~0u}, {0x10, 6, ~0u}, {0x20, 0, ~0u}}};
constexpr char kAccessAcl[] = "system.posix_acl_access";

// The value of an extended attribute of the file; empty where it has none.
std::string Attribute(const std::string& path, const char* name) {
  char value[256];
  const ssize_t length = lgetxattr(path.c_str(), name, value, sizeof value);
  return length > 0 ? std::string(value, size_t(length)) : "";
}

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

TEST(ReadWholeFile, RefusesWhatIsNoFileAtOnce) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
  const struct {
    std::string path;
    std::error_code error;
  } cases[] = {
      {dir.File("absent"), Errno(std::errc::no_such_file_or_directory)},
      {dir.Path(), Errno(std::errc::is_a_directory)},
      {"", Errno(std::errc::no_such_file_or_directory)},
      {dir.File("fifo"), FileError::NotARegularFile},  // with no writer: opening it must not wait
  };
  Deadline deadline;
  for (const auto& c : cases) {
    std::error_code error;
    EXPECT_EQ(ReadWholeFile(c.path, 1 << 20, &error), std::nullopt) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
    uint8_t image[4];
    EXPECT_FALSE(LoadImageFile(c.path, image, &error)) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
  }
}

TEST(LoadImageFile, CopiesOnlyACompleteImage) {
  TempDir dir;
  uint8_t image[64];
  std::fill(std::begin(image), std::end(image), 0x5A);
  WriteFile(dir.File("short"), Pattern(63, 1));
  WriteFile(dir.File("long"), Pattern(65, 1));
  std::error_code error;
  EXPECT_FALSE(LoadImageFile(dir.File("short"), image, &error));
  EXPECT_EQ(error, FileError::WrongSize);
  EXPECT_FALSE(LoadImageFile(dir.File("long"), image, &error));
  EXPECT_EQ(error, FileError::WrongSize);
  EXPECT_EQ(std::count(std::begin(image), std::end(image), 0x5A), 64);
  auto exact = Pattern(64, 2);
  WriteFile(dir.File("exact"), exact);
  EXPECT_TRUE(LoadImageFile(dir.File("exact"), image, &error));
  EXPECT_FALSE(error);
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

  // The folder's flush after the rename fails: the file holds the new bytes, but the
  // save is not known to last, and says so.
  failFolderFlushes = true;
  std::error_code error;
  EXPECT_FALSE(ReplaceFile(dir.File("f"), first, &error));
  failFolderFlushes = false;
  EXPECT_EQ(error, std::errc::io_error) << error.message();
  EXPECT_EQ(ReadFile(dir.File("f")), first);
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

// What a save meets beside a plain file of its own. Where it fails, everything in the
// folder stays as it was and no temporary is left; the reason is the system's.
TEST(ReplaceFile, KeepsWhatTheUserProtected) {
  const auto old = Pattern(2000, 1), fresh = Pattern(4000, 2);
  const auto inode = [](const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
  };
  ino_t before = 0;
  FileReplacement inProgress;     // a save of the file in progress elsewhere
  std::vector<std::string> kept;  // entries a save must leave
  int channel[2] = {-1, -1};      // a pipe
  struct Case {
    const char* what;
    std::function<std::string(const TempDir&)> setUp;  // gives the name saved to
    std::error_code error;                              // none: saved
    std::function<void(const TempDir&)> check = {};     // after a save
    size_t diskLeft = 0;                                // 0: room enough
    size_t length = 0;                                  // of fresh saved; 0: all of it
    bool failingFlushes = false;                        // every fsync fails
    bool notRestored = false;                           // error is the failed write's
    bool staged = false;  // the content is staged first, so the disk fills at Commit
  };
  const std::string longName(255, 'n'), otherLongName = std::string(254, 'n') + 'o';
  bool acls = false;  // the file system has ACLs
  const Case cases[] = {
      {"a read-only file (for the superuser too: it has no write permission at all)",
       [&](const TempDir& dir) {
         WriteFile(dir.File("f"), old);
         chmod(dir.File("f").c_str(), 0444);
         return "f";
       },
       Errno(std::errc::permission_denied)},
      {"a chain of symbolic links to a file in another folder",
       [&](const TempDir& dir) {
         std::filesystem::create_directory(dir.File("sub"));
         WriteFile(dir.File("sub/t"), old);
         symlink("sub/t", dir.File("m").c_str());
         symlink("m", dir.File("l").c_str());
         return "l";
       },
       {},
       [&](const TempDir& dir) {
         EXPECT_EQ(ReadFile(dir.File("sub/t")), fresh);
         EXPECT_EQ(std::filesystem::read_symlink(dir.File("l")), "m");
         EXPECT_EQ(std::filesystem::read_symlink(dir.File("m")), "sub/t");
         EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"l", "m", "sub"}));
         EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("sub")), {}), 1);
       }},
      {"a symbolic link to nothing",
       [&](const TempDir& dir) {
         std::filesystem::create_directory(dir.File("sub"));
         symlink("sub/new", dir.File("l").c_str());
         return "l";
       },
       {},
       [&](const TempDir& dir) {
         EXPECT_EQ(ReadFile(dir.File("sub/new")), fresh);
         EXPECT_TRUE(std::filesystem::is_symlink(dir.File("l")));
       }},
      {"a hard link",
       [&](const TempDir& dir) {
         WriteFile(dir.File("f"), old);
         link(dir.File("f").c_str(), dir.File("g").c_str());
         before = inode(dir.File("f"));
         return "f";
       },
       {},
       [&](const TempDir& dir) {
         EXPECT_EQ(ReadFile(dir.File("g")), fresh);
         EXPECT_EQ(inode(dir.File("f")), before);
         EXPECT_EQ(inode(dir.File("g")), before);
         EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"f", "g"}));
       }},
      {"a folder",
       [&](const TempDir& dir) {
         std::filesystem::create_directory(dir.File("sub"));
         return "sub";
       },
       Errno(std::errc::is_a_directory)},
      {"a folder that is not there", [&](const TempDir&) { return "missing/f"; },
       Errno(std::errc::no_such_file_or_directory)},
      {"a FIFO with no reader",
       [&](const TempDir& dir) {
         mkfifo(dir.File("p").c_str(), 0644);
         return "p";
       },
       FileError::NotARegularFile},
      {"a full disk",
       [&](const TempDir& dir) {
         WriteFile(dir.File("f"), old);
         return "f";
       },
       Errno(std::errc::file_too_large), {}, 1500},
      {"a full disk under a hard link: the bytes written are put back, and no more, which would not fit",
       [&](const TempDir& dir) {
         WriteFile(dir.File("f"), old);
         link(dir.File("f").c_str(), dir.File("g").c_str());
         return "f";
       },
       Errno(std::errc::file_too_large), {}, 1500},
      {"a failing disk under a hard link, after a shorter content cut the file: every old byte is put back, "
       "but not known to be on disk",
       [&](const TempDir& dir) {
         WriteFile(dir.File("f"), old);
         link(dir.File("f").c_str(), dir.File("g").c_str());
         return "f";
       },
       Errno(std::errc::io_error), {}, 0, 1000, true, true},
      {"a full disk under a hard link once the content is staged: the old bytes and the old size are put back",
       [&](const TempDir& dir) {
         WriteFile(dir.File("f"), old);
         link(dir.File("f").c_str(), dir.File("g").c_str());
         return "f";
       },
       Errno(std::errc::file_too_large), {}, 3000, 0, false, false, true},
      {"a new file of the longest name",
       [&](const TempDir&) { return longName; },
       {},
       [&](const TempDir& dir) {
         EXPECT_EQ(ReadFile(dir.File(longName)), fresh);
         EXPECT_EQ(dir.Entries(), std::vector<std::string>{longName});
       }},
      {"an old file of the longest name",
       [&](const TempDir& dir) {
         WriteFile(dir.File(longName), old);
         return longName;
       },
       {},
       [&](const TempDir& dir) {
         EXPECT_EQ(ReadFile(dir.File(longName)), fresh);
         EXPECT_EQ(dir.Entries(), std::vector<std::string>{longName});
       }},
      {"a file with an ACL that names another user",
       [&](const TempDir& dir) {
         WriteFile(dir.File("f"), old);
         acls = setxattr(dir.File("f").c_str(), kAccessAcl, &kAcl, sizeof kAcl, 0) == 0;
         return "f";
       },
       {},
       [&](const TempDir& dir) {
         EXPECT_EQ(Attribute(dir.File("f"), kAccessAcl),
                   acls ? std::string(reinterpret_cast<const char*>(&kAcl), sizeof kAcl) : "");
       }},
      {"a file without the ACL that its folder gives new files",
       [&](const TempDir& dir) {
         WriteFile(dir.File("f"), old);
         setxattr(dir.Path().c_str(), "system.posix_acl_default", &kAcl, sizeof kAcl, 0);
         return "f";
       },
       {},
       [&](const TempDir& dir) { EXPECT_EQ(Attribute(dir.File("f"), kAccessAcl), ""); }},
      {"a temporary of the file left by a killed save, beside a save in progress, one of another file, and "
       "files the user named like temporaries",
       [&](const TempDir& dir) {
         WriteFile(dir.File("f"), old);
         EXPECT_TRUE(inProgress.Begin(dir.File("f")));
         LeaveStaleTemporary(dir.File("g"));
         for (const char* name : {"f.tarvelion-AbC123", "f.tarvelion-backup", "f.tarvelion-AbC123AbC123",
                                  "f.tarvelion-AbC12", "g.tarvelion-AbC123", "f.AbC123"})
           WriteFile(dir.File(name), old);
         kept = dir.Entries();
         LeaveStaleTemporary(dir.File("f"));
         EXPECT_EQ(dir.Entries().size(), kept.size() + 1);
         return "f";
       },
       {},
       [&](const TempDir& dir) {
         EXPECT_EQ(ReadFile(dir.File("f")), fresh);
         EXPECT_EQ(dir.Entries(), kept);
         inProgress.Abandon();
       }},
      {"a temporary of a file of the longest name left by a killed save, whose name is cut short, beside one "
       "of another name cut alike and a file the user named like them",
       [&](const TempDir& dir) {
         WriteFile(dir.File(longName), old);
         LeaveStaleTemporary(dir.File(otherLongName));
         // The name cut so that the mark and twelve letters or digits fit.
         WriteFile(dir.File(longName.substr(0, 255 - 23) + ".tarvelion-AbC123AbC123"), old);
         kept = dir.Entries();
         LeaveStaleTemporary(dir.File(longName));
         EXPECT_EQ(dir.Entries().size(), kept.size() + 1);
         return longName;
       },
       {},
       [&](const TempDir& dir) {
         EXPECT_EQ(ReadFile(dir.File(longName)), fresh);
         EXPECT_EQ(dir.Entries(), kept);
       }},
      {"a pipe, by the name the system gives its descriptor",
       [&](const TempDir&) {
         EXPECT_EQ(pipe2(channel, O_CLOEXEC), 0);
         return "/proc/self/fd/" + std::to_string(channel[1]);
       },
       FileError::NotARegularFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string name = c.setUp(dir), path = name.starts_with('/') ? name : dir.File(name);
    const auto untouched = Snapshot(dir);
    const std::span<const uint8_t> content(fresh.data(), c.length ? c.length : fresh.size());
    std::error_code error;
    bool saved;
    {
      Deadline deadline;
      FileReplacement staged;
      if (c.staged) {
        ASSERT_TRUE(staged.Begin(path) && staged.Write(content));
      }
      std::optional<kqtest::FileSizeLimit> full;
      if (c.diskLeft) full.emplace(c.diskLeft);
      if (c.staged) {
        saved = staged.Commit(&error);
      } else if (c.failingFlushes) {
        error = InChild([&] {
          std::error_code reason = FailFlushes();
          if (!reason) ReplaceFile(path, content, &reason);
          return reason;
        });
        saved = !error;
      } else {
        saved = ReplaceFile(path, content, &error);
      }
    }
    EXPECT_EQ(IsNotRestored(error), c.notRestored);
    if (c.notRestored) {
      EXPECT_EQ(error.message(),
                c.error.message() + "; written only in part, and the old content could not be put back");
      error = {error.value(), std::generic_category()};
    }
    EXPECT_EQ(error, c.error) << error.message();
    EXPECT_EQ(saved, !c.error);
    if (c.error)
      EXPECT_EQ(Snapshot(dir), untouched);
    else
      c.check(dir);
  }
  close(channel[0]);
  close(channel[1]);
}

// Saves by another user who shares the folder through a group: the file keeps its owner,
// group, permissions and extended attributes, written in place where a new file could
// not have them all.
TEST(ReplaceFile, KeepsOwnerGroupAndAttributesOfASharedFile) {
  if (geteuid() != 0) GTEST_SKIP() << "only the superuser can save as another user";
  constexpr uid_t kUser = 65534;
  constexpr gid_t kGroup = 4242, kOtherGroup = 4243;  // the user is in the first only
  const auto fresh = Pattern(3000, 2);
  const struct {
    const char* what;
    mode_t folderMode;  // the folder belongs to the superuser and the group
    uid_t owner;        // of the file, whose group is the group
    mode_t fileMode;
    bool inPlace;
    gid_t group = kGroup;
    mode_t dropped = 0;  // bits that any write by the user may lose (Linux 6.2 on)
  } cases[] = {
      {"a file of the superuser that the group may write", 0775, 0, 0664, true},
      {"a file of the user's own, set-group-ID", 0775, kUser, 02660, false},
      {"a folder the user cannot read, so not open for its flush", 0730, kUser, 0640, false},
      {"a file of the user's own in a folder where the user makes no file", 0755, kUser, 0640, true},
      {"a file of the user's own, set-group-ID for a group the user is not in, whose bit a new file would lose",
       02777, kUser, 02660, true, kOtherGroup, S_ISGID},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string file = dir.File("f");
    WriteFile(file, Pattern(2000, 1));
    ASSERT_EQ(chown(dir.Path().c_str(), 0, c.group) | chmod(dir.Path().c_str(), c.folderMode), 0);
    ASSERT_EQ(chown(file.c_str(), c.owner, c.group), 0);
    const bool attributes = setxattr(file.c_str(), "user.bank", "A", 1, 0) == 0;  // not on every file system
    ASSERT_EQ(chmod(file.c_str(), c.fileMode), 0);
    struct stat before, after;
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    const std::error_code error = InChild([&] {
      const gid_t groups[] = {kGroup};
      std::error_code reason = LastErrno();
      if (setgroups(1, groups) == 0 && setgid(kUser) == 0 && setuid(kUser) == 0) ReplaceFile(file, fresh, &reason);
      return reason;
    });
    EXPECT_FALSE(error) << error.message();
    EXPECT_EQ(ReadFile(file), fresh);
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, c.owner);
    EXPECT_EQ(after.st_gid, c.group);
    EXPECT_EQ(after.st_mode & 07777 & ~c.dropped, c.fileMode & ~c.dropped);
    EXPECT_EQ(after.st_ino == before.st_ino, c.inPlace);
    char bank = 0;
    EXPECT_TRUE(!attributes || getxattr(file.c_str(), "user.bank", &bank, 1) == 1);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"f"});
  }
}

// Content written piece by piece, its header last, into a file written in place and so
// copied in pieces; a replacement not committed leaves the file and folder as they were.
TEST(FileReplacement, WritesPiecesAndLeavesNothingUncommitted) {
  TempDir dir;
  const auto old = Pattern(10, 1), body = Pattern(200000, 2), header = Pattern(4, 3);
  WriteFile(dir.File("f"), old);
  {
    FileReplacement abandoned, destroyed;
    ASSERT_TRUE(abandoned.Begin(dir.File("f")) && abandoned.Write(body));
    ASSERT_TRUE(destroyed.Begin(dir.File("f")) && destroyed.Write(body));
    abandoned.Abandon();
    EXPECT_FALSE(abandoned.Begun());
    EXPECT_EQ(dir.Entries().size(), 2u);
  }
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"f"});
  EXPECT_EQ(ReadFile(dir.File("f")), old);

  ASSERT_EQ(link(dir.File("f").c_str(), dir.File("g").c_str()), 0);
  FileReplacement replacement;
  std::error_code error;
  ASSERT_TRUE(replacement.Begin(dir.File("f"), &error)) << error.message();
  ASSERT_TRUE(replacement.Write(std::vector<uint8_t>(header.size())) && replacement.Write(body) &&
              replacement.WriteAt(0, header));
  EXPECT_EQ(replacement.Size(), header.size() + body.size());
  ASSERT_TRUE(replacement.Commit(&error)) << error.message();
  EXPECT_FALSE(replacement.Begun());
  auto expected = header;
  expected.insert(expected.end(), body.begin(), body.end());
  EXPECT_EQ(ReadFile(dir.File("g")), expected);
  EXPECT_FALSE(replacement.Commit(&error));

  // Made read-only after Begin: Commit looks at the file as it is then.
  WriteFile(dir.File("r"), old);
  FileReplacement late;
  ASSERT_TRUE(late.Begin(dir.File("r")) && late.Write(body));
  ASSERT_EQ(chmod(dir.File("r").c_str(), 0444), 0);
  EXPECT_FALSE(late.Commit(&error));
  EXPECT_EQ(error, std::errc::permission_denied) << error.message();
  EXPECT_EQ(ReadFile(dir.File("r")), old);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"f", "g", "r"}));

  // A hard-linked file whose old content cannot be set aside, where $TMPDIR is no
  // folder: the check and Begin say so, naming the folder, before anything is written.
  const char* const variable = getenv("TMPDIR");
  const std::optional<std::string> tmpdir = variable ? std::optional<std::string>(variable) : std::nullopt;
  const auto untouched = Snapshot(dir);
  const std::string why = "its old content cannot be set aside in " + Quoted(dir.File("none")) +
                          " ($TMPDIR): No such file or directory";
  setenv("TMPDIR", dir.File("none").c_str(), 1);
  EXPECT_FALSE(CheckReplaceable(dir.File("f"), &error));
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);
  EXPECT_EQ(error.message(), why);
  EXPECT_FALSE(replacement.Begin(dir.File("f"), &error));
  EXPECT_EQ(error.message(), why);
  if (tmpdir)
    setenv("TMPDIR", tmpdir->c_str(), 1);
  else
    unsetenv("TMPDIR");
  EXPECT_EQ(Snapshot(dir), untouched);
}

// One file by two names: the same inode where either exists, else the same place.
TEST(SameFile, ByInodeElseByPlace) {
  TempDir dir;
  const std::string here = std::filesystem::current_path();
  ASSERT_EQ(chdir(dir.Path().c_str()), 0);
  WriteFile("f", {});
  link("f", "hard");
  symlink("f", "soft");
  symlink("sub/new", "dangling");
  std::filesystem::create_directory("sub");
  const struct {
    const char *a, *b;
    bool same;
  } cases[] = {
      {"f", "hard", true},           {"f", "soft", true},          {"f", "new", false},
      {"new", "./new", true},        {"sub/../new", "new", true},  {"dangling", "sub/new", true},
      {"dangling", "./sub//new", true}, {"new", "other", false},   {"sub/new", "new", false},
      {"sub/new", "toSub/new", true},   {"toSub/new", "new", false}, {"sub/new", "view/new", true},
  };
  // One folder by two names: a link, and a bind mount where the user may make one.
  symlink("sub", "toSub");
  std::filesystem::create_directory("view");
  const bool mounted = mount("sub", "view", nullptr, MS_BIND, nullptr) == 0;
  for (const auto& c : cases) {
    if (!mounted && std::string(c.b).starts_with("view/")) continue;
    EXPECT_EQ(SameFile(c.a, c.b), c.same) << c.a << " " << c.b;
    EXPECT_EQ(SameFile(dir.File(c.a), c.b), c.same) << c.a << " " << c.b;
  }
  if (mounted) umount2("view", MNT_DETACH);
  ASSERT_EQ(chdir(here.c_str()), 0);
}

// Held by one object at a time, across saves in the folder.
TEST(FolderLock, KeepsASecondHolderOutUntilReleased) {
  TempDir dir;
  std::error_code error;
  FolderLock first, second;
  ASSERT_TRUE(first.Acquire(dir.Path(), &error)) << error.message();
  ASSERT_TRUE(ReplaceFile(dir.File("f"), Pattern(10, 1)));
  EXPECT_FALSE(second.Acquire(dir.Path(), &error));
  EXPECT_EQ(error, FileError::Locked);
  { FolderLock moved = std::move(first); }
  EXPECT_TRUE(second.Acquire(dir.Path(), &error));
  EXPECT_FALSE(first.Acquire(dir.File("f"), &error));
  EXPECT_EQ(error, std::errc::not_a_directory);
}

}  // namespace
