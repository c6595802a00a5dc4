#include "board/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string_view>
#include <utility>

namespace {

class FileErrorCategoryType final : public std::error_category {
 public:
  const char* name() const noexcept override { return "file"; }
  std::string message(int value) const override {
    switch (FileError(value)) {
      case FileError::NotARegularFile: return "not a regular file";
      case FileError::WrongSize: return "wrong size";
      case FileError::Locked: return "in use by another process";
    }
    return "unknown file error";
  }
};

// A write in place that failed part-way and whose put-back failed too: the value is the
// write's own error number, and the code compares equal to it as a condition.
class NotRestoredCategoryType final : public std::error_category {
 public:
  const char* name() const noexcept override { return "file not restored"; }
  std::string message(int value) const override {
    return std::generic_category().message(value) +
           "; written only in part, and the old content could not be put back";
  }
  std::error_condition default_error_condition(int value) const noexcept override {
    return std::generic_category().default_error_condition(value);
  }
};

// An unnamed temporary that could not be made: the value is the system's error number,
// and the code compares equal to it as a condition. The message says what the temporary
// was for and in which folder, as the user may not know that one is needed there.
class TemporaryCategoryType final : public std::error_category {
 public:
  constexpr explicit TemporaryCategoryType(const char* purpose) : purpose_(purpose) {}
  const char* name() const noexcept override { return "temporary file"; }
  std::string message(int value) const override;
  std::error_condition default_error_condition(int value) const noexcept override {
    return std::generic_category().default_error_condition(value);
  }

 private:
  const char* purpose_;
};

// The categories are never destroyed: the program's way out may run from an atexit
// handler registered before a category's first use, and such a handler runs after the
// destructors of objects made later. Constant-initialized, they are also at one address
// in a forked child.
template <typename Category>
union Immortal {
  template <typename... Args>
  constexpr explicit Immortal(Args... args) : category(args...) {}
  ~Immortal() {}
  Category category;
};
constinit Immortal<FileErrorCategoryType> fileErrors;
constinit Immortal<NotRestoredCategoryType> notRestoredErrors;
// The put-back copy of a file's old content, and the staged new content of a file to be
// written in place.
constinit Immortal<TemporaryCategoryType> setAsideErrors("its old content cannot be set aside in");
constinit Immortal<TemporaryCategoryType> stagingErrors("its new content cannot be staged in");

std::error_code SystemError(int number) { return {number, std::generic_category()}; }
std::error_code LastError() { return SystemError(errno); }

std::error_code NotRestored(const std::error_code& failure) {
  const int number = failure.category() == std::generic_category() ? failure.value() : EIO;
  return {number, notRestoredErrors.category};
}

// A file descriptor, closed at the end of its owner's scope, however that ends.
class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  int get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }
  explicit operator bool() const { return fd_ >= 0; }
  void Close() {
    if (fd_ >= 0) close(std::exchange(fd_, -1));
  }

 private:
  int fd_ = -1;
};

// The reason for refusing a file of this type.
std::error_code NotAFile(mode_t mode) {
  return S_ISDIR(mode) ? SystemError(EISDIR) : make_error_code(FileError::NotARegularFile);
}

// Opens path without waiting (a FIFO opens at once, with or without a writer), and keeps
// it only if it is a regular file, then with ordinary blocking reads and writes.
Descriptor OpenRegularFile(const std::string& path, int flags, struct stat& st, std::error_code& reason) {
  Descriptor fd(open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    reason = LastError();
    return fd;
  }
  const bool stated = fstat(fd.get(), &st) == 0;
  if (!stated || !S_ISREG(st.st_mode)) {
    reason = stated ? NotAFile(st.st_mode) : LastError();
    return Descriptor();
  }
  fcntl(fd.get(), F_SETFL, fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// All n bytes at the offset; false with errno set on an error, errno 0 at the end of
// the file.
bool ReadAllAt(int fd, uint8_t* bytes, size_t n, off_t offset) {
  while (n > 0) {
    ssize_t done = pread(fd, bytes, n, offset);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      if (done == 0) errno = 0;
      return false;
    }
    bytes += done, n -= size_t(done), offset += done;
  }
  return true;
}

// All n bytes at the offset; false with errno set on an error. written, if given, gets
// how many bytes did get written, all or some.
bool WriteAllAt(int fd, const uint8_t* bytes, size_t n, off_t offset, size_t* written = nullptr) {
  if (written) *written = 0;
  while (n > 0) {
    ssize_t done = pwrite(fd, bytes, n, offset);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) return false;
    bytes += done, n -= size_t(done), offset += done;
    if (written) *written += size_t(done);
  }
  return true;
}

// Copies n bytes from the start of one file to the start of another, a piece at a time,
// so that no more than a piece is ever in memory. copied, if given, gets how many bytes
// did get written, all or some.
bool CopyContent(int from, int to, uint64_t n, std::error_code& reason, uint64_t* copied = nullptr) {
  constexpr uint64_t kPiece = 64 * 1024;
  if (copied) *copied = 0;
  std::vector<uint8_t> piece(size_t(std::min(n, kPiece)));
  for (uint64_t at = 0; at < n;) {
    const size_t length = size_t(std::min(n - at, kPiece));
    if (!ReadAllAt(from, piece.data(), length, off_t(at))) {
      // A source that ends early changed while it was copied.
      reason = errno != 0 ? LastError() : make_error_code(FileError::WrongSize);
      return false;
    }
    size_t written;
    const bool complete = WriteAllAt(to, piece.data(), length, off_t(at), &written);
    if (copied) *copied += written;
    if (!complete) {
      reason = LastError();
      return false;
    }
    at += length;
  }
  return true;
}

// The folder of unnamed temporaries: $TMPDIR, else /tmp. variable, if given, tells
// whether it is $TMPDIR's.
std::string TemporaryFolder(bool* variable = nullptr) {
  const char* value = getenv("TMPDIR");
  const bool set = value && *value;
  if (variable) *variable = set;
  return set ? value : "/tmp";
}

std::string TemporaryCategoryType::message(int value) const {
  bool variable;
  const std::string folder = TemporaryFolder(&variable);
  return std::string(purpose_) + " " + Quoted(folder) + (variable ? " ($TMPDIR)" : "") + ": " +
         std::generic_category().message(value);
}

// A new file with no name in $TMPDIR or /tmp, gone once closed. A failure's reason is
// of the category of what the file was for.
Descriptor UnnamedTemporary(const std::error_category& purpose, std::error_code& reason) {
  const std::string folder = TemporaryFolder();
  Descriptor fd(open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (fd) return fd;
  // A file system without unnamed files: a named one, unnamed at once.
  std::string name = folder + "/tarvelion-XXXXXX";
  fd = Descriptor(mkostemp(name.data(), O_CLOEXEC));
  if (!fd)
    reason = {errno, purpose};
  else
    unlink(name.c_str());
  return fd;
}

// The folder part of a path, with its trailing '/' ("" for a bare name), and the rest.
std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }
std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }
const char* FolderArgument(const std::string& folder) { return folder.empty() ? "." : folder.c_str(); }

bool SameInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether path still names the file open as fd.
bool StillNamed(int fd, const std::string& path) {
  struct stat open, named;
  return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 && SameInode(open, named);
}

// Temporaries are "<stem>.tarvelion-", six random letters or digits and six that check
// them: a hash of the random part and the file's whole name, keyed with the program's
// own key, so that no file the user made or named is taken for a temporary, and two long
// names cut to one stem do not take each other's. The stem is the file's name cut short
// enough for the whole to fit in a name of the folder.
constexpr char kTemporaryMark[] = ".tarvelion-";
constexpr size_t kTemporaryRandom = 6, kTemporaryCheck = 6;
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string TemporaryCheck(const std::string& name, std::string_view random) {
  // FNV-1a from the key over the name, a 0 that ends it, and the random part; then
  // mixed so that every bit of them reaches every character.
  uint64_t hash = 0x6b71d3a95c2e8f41;
  for (const char c : name + '\0' + std::string(random)) hash = (hash ^ uint8_t(c)) * 0x100000001b3;
  hash = (hash ^ (hash >> 30)) * 0xbf58476d1ce4e5b9;
  hash = (hash ^ (hash >> 27)) * 0x94d049bb133111eb;
  hash ^= hash >> 31;
  std::string check;
  for (size_t i = 0; i < kTemporaryCheck; ++i, hash /= sizeof kAlphabet - 1)
    check += kAlphabet[hash % (sizeof kAlphabet - 1)];
  return check;
}

std::string TemporaryPrefix(const std::string& folder, const std::string& name) {
  return NameThatFits(folder + name, sizeof kTemporaryMark - 1 + kTemporaryRandom + kTemporaryCheck) +
         kTemporaryMark;
}

bool IsTemporaryOf(const std::string& entry, const std::string& prefix, const std::string& name) {
  if (entry.size() != prefix.size() + kTemporaryRandom + kTemporaryCheck ||
      entry.compare(0, prefix.size(), prefix) != 0)
    return false;
  const std::string_view random(entry.data() + prefix.size(), kTemporaryRandom);
  return entry.compare(prefix.size() + kTemporaryRandom, kTemporaryCheck, TemporaryCheck(name, random)) == 0;
}

// A new temporary for the file, open for writing and locked, so that no other save
// takes it for one left by a killed process. Such a save may have removed it in the
// instant before the lock: then it is no longer under its name, and another is made.
// temporary gets its name only once it is made.
Descriptor CreateTemporary(const std::string& folder, const std::string& name, mode_t mode,
                           std::string& temporary, std::error_code& reason) {
  const std::string prefix = folder + TemporaryPrefix(folder, name);
  std::random_device device;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string random;
    for (size_t i = 0; i < kTemporaryRandom; ++i) random += kAlphabet[device() % (sizeof kAlphabet - 1)];
    std::string candidate = prefix + random + TemporaryCheck(name, random);
    Descriptor fd(open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!fd && errno == EEXIST) continue;
    if (!fd) {
      reason = LastError();
      return fd;
    }
    // Where the file system has no locks, no save can remove the temporary either.
    flock(fd.get(), LOCK_EX);
    if (StillNamed(fd.get(), candidate)) {
      temporary = std::move(candidate);
      return fd;
    }
  }
  reason = SystemError(EEXIST);
  return Descriptor();
}

// Removes the temporaries of the file that no save holds: those of killed processes.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(FolderArgument(folder)), closedir);
  if (!listing) return;
  const std::string prefix = TemporaryPrefix(folder, name);
  while (const dirent* entry = readdir(listing.get())) {
    if (!IsTemporaryOf(entry->d_name, prefix, name)) continue;
    const std::string path = folder + entry->d_name;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (!fd && errno == EACCES)
      fd = Descriptor(open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (fd && flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && StillNamed(fd.get(), path)) unlink(path.c_str());
  }
}

// The file that path names once symbolic links are followed; exists tells whether there
// is anything under that name, and st what it is. A link whose text leads nowhere but
// that the system resolves itself ("pipe:[1234]" for /proc/self/fd/1 on a pipe) is
// refused: what it leads to has no name beside which a temporary could be made.
bool FollowLinks(const std::string& path, std::string& target, bool& exists, struct stat& st,
                 std::error_code& reason) {
  std::string name = path;
  for (int links = 0; links <= 40; ++links) {
    if (lstat(name.c_str(), &st) != 0) {
      if (errno != ENOENT) {
        reason = LastError();
        return false;
      }
      // The text leads nowhere, yet the system finds something: a pipe, socket or
      // terminal is no regular file, and a regular file (a deleted one) has no name.
      if (links > 0 && stat(path.c_str(), &st) == 0) {
        reason = S_ISREG(st.st_mode) ? SystemError(ENOENT) : NotAFile(st.st_mode);
        return false;
      }
      exists = false;
      target = name;
      return true;
    }
    if (!S_ISLNK(st.st_mode)) {
      exists = true;
      target = name;
      return true;
    }
    const std::string link = std::filesystem::read_symlink(name, reason).string();
    if (reason) return false;
    name = !link.empty() && link[0] == '/' ? link : FolderOf(name) + link;
  }
  reason = SystemError(ELOOP);
  return false;
}

// What a save finds under the name of the file it replaces, links already followed:
// nothing, or a regular file that it may write. Anything else is refused with the reason.
bool Inspect(const std::string& target, bool& exists, struct stat& st, std::error_code& reason) {
  exists = lstat(target.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) {
    reason = LastError();
    return false;
  }
  if (!exists) return true;
  if (!S_ISREG(st.st_mode)) {
    reason = NotAFile(st.st_mode);
    return false;
  }
  // No write permission for anyone: protected on purpose, even from the superuser.
  if ((st.st_mode & 0222) == 0 || faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    reason = (st.st_mode & 0222) == 0 ? SystemError(EACCES) : LastError();
    return false;
  }
  return true;
}

// CheckReplaceable, giving the file the links lead to and what it is.
bool Check(const std::string& path, std::string& target, bool& exists, struct stat& st, std::error_code& reason) {
  if (!FollowLinks(path, target, exists, st, reason) || !Inspect(target, exists, st, reason)) return false;
  if (NameOf(target).empty()) {
    reason = SystemError(ENOENT);
    return false;
  }
  // A new file is made in its folder, and so is the temporary of most old ones.
  const bool folderWritable =
      faccessat(AT_FDCWD, FolderArgument(FolderOf(target)), W_OK | X_OK, AT_EACCESS) == 0;
  if (!exists && !folderWritable) {
    reason = LastError();
    return false;
  }
  // A file written in place needs an unnamed temporary for its old content: one that
  // cannot be made is found now, before anything is written.
  if (exists && (st.st_nlink > 1 || !folderWritable) && !UnnamedTemporary(setAsideErrors.category, reason))
    return false;
  return true;
}

// Writes the content of source, size bytes, over the open file of oldSize bytes and
// flushes it; changed gets how many bytes from the start may no longer be the old ones.
std::error_code Overwrite(int fd, int source, uint64_t size, uint64_t oldSize, uint64_t& changed) {
  std::error_code failure;
  // Room for a longer file first: on a full disk nothing has changed yet.
  if (size > oldSize && fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(size)) != 0 && errno != EOPNOTSUPP &&
      errno != ENOSYS)
    return LastError();
  if (!CopyContent(source, fd, size, failure, &changed)) return failure;
  if (size < oldSize) {
    if (ftruncate(fd, off_t(size)) != 0) return LastError();
    changed = oldSize;  // the old tail is gone too
  }
  return fsync(fd) == 0 ? std::error_code() : LastError();
}

// Writes the content of source, size bytes, over the file itself, keeping its inode and
// so its hard links. The old content is first copied aside into an unnamed temporary,
// so that a failed write can put back all it changed and the old size.
bool WriteInPlace(const std::string& path, int source, uint64_t size, std::error_code& reason) {
  struct stat st;
  // Without read access (a file open only for writing) there is nothing to put back.
  Descriptor fd = OpenRegularFile(path, O_RDWR | O_NOFOLLOW, st, reason);
  const bool readable = bool(fd);
  if (!fd && reason == std::errc::permission_denied) fd = OpenRegularFile(path, O_WRONLY | O_NOFOLLOW, st, reason);
  if (!fd) return false;
  const uint64_t oldSize = uint64_t(st.st_size);
  // The old content, set aside so that a write that fails part-way can put it back.
  Descriptor old;
  if (readable && oldSize > 0) {
    old = UnnamedTemporary(setAsideErrors.category, reason);
    if (!old || !CopyContent(fd.get(), old.get(), oldSize, reason)) return false;
  }
  // How many bytes from the start may no longer be the old ones.
  uint64_t changed = 0;
  const std::error_code failure = Overwrite(fd.get(), source, size, oldSize, changed);
  if (!failure) return true;
  std::error_code ignored;
  const bool restored =
      changed == 0 || (readable && CopyContent(old.get(), fd.get(), std::min(changed, oldSize), ignored) &&
                       ftruncate(fd.get(), off_t(oldSize)) == 0 && fsync(fd.get()) == 0);
  reason = restored ? failure : NotRestored(failure);
  return false;
}

// What get(buffer, size) gives, a list or value of extended attributes, whose size is
// asked first (a size of 0) and may grow before it is read; false with errno set.
template <typename Get>
bool GetSized(Get get, std::vector<char>& out) {
  for (;;) {
    ssize_t size = get(nullptr, 0);
    if (size < 0) return false;
    out.resize(size_t(size));
    size = get(out.data(), out.size());
    if (size >= 0) {
      out.resize(size_t(size));
      return true;
    }
    if (errno != ERANGE) return false;
  }
}

// The names in a list of extended attributes, each ended by a 0.
std::vector<std::string> AttributeNames(const std::vector<char>& list) {
  std::vector<std::string> names;
  for (size_t at = 0; at < list.size(); at += names.back().size() + 1) names.emplace_back(&list[at]);
  return names;
}

// Gives the open file the extended attributes of the file at path (ACLs among them), and
// only those; false where any cannot be read, set or removed. A file system without
// them has none to copy.
bool CopyAttributes(const std::string& path, int fd) {
  std::vector<char> list, value, present;
  if (!GetSized([&](char* b, size_t n) { return llistxattr(path.c_str(), b, n); }, list)) return errno == ENOTSUP;
  const std::vector<std::string> names = AttributeNames(list);
  if (!GetSized([&](char* b, size_t n) { return flistxattr(fd, b, n); }, list))
    return errno == ENOTSUP && names.empty();
  // A new file may come with attributes of its own, such as an ACL taken from the folder.
  for (const std::string& name : AttributeNames(list))
    if (std::find(names.begin(), names.end(), name) == names.end() && fremovexattr(fd, name.c_str()) != 0)
      return false;
  for (const std::string& name : names) {
    if (!GetSized([&](char* b, size_t n) { return lgetxattr(path.c_str(), name.c_str(), b, n); }, value))
      return false;
    // An equal value is not set again: that may need a permission the user lacks.
    const bool same = GetSized([&](char* b, size_t n) { return fgetxattr(fd, name.c_str(), b, n); }, present) &&
                      present == value;
    if (!same && fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0) return false;
  }
  return true;
}

// Gives the temporary everything of the old file but its content: owner, group,
// extended attributes and permissions; false where the system does not allow all of
// them (only a superuser gives a file away; others may keep a group of theirs).
bool KeepWhatTheFileWas(int fd, const std::string& path, const struct stat& old) {
  struct stat now;
  const bool owned = fchown(fd, old.st_uid, old.st_gid) == 0 ||
                     (fstat(fd, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid);
  // The permissions last: a change of owner or ACL can clear the set-user and set-group bits.
  if (!owned || !CopyAttributes(path, fd) || fchmod(fd, old.st_mode & 07777) != 0) return false;
  // fchmod may succeed yet drop the set-group bit, for a user not in the file's group.
  return fstat(fd, &now) == 0 && (now.st_mode & 07777) == (old.st_mode & 07777);
}

bool InPlaceMayHelp(int error) { return error == EACCES || error == EPERM; }

}  // namespace

// A replacement in progress: the file it replaces and the staging file of its content.
struct FileReplacement::State {
  State() = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  // The temporary is unlocked only once it has no name left.
  ~State() {
    if (!temporary.empty()) unlink(temporary.c_str());
  }

  // Makes the staging file of a replacement of path.
  bool Prepare(const std::string& path, std::error_code& reason);
  // Puts the staged content, size bytes, in place of the file.
  bool Put(uint64_t size, std::error_code& reason);

  std::string target;      // links followed
  Descriptor staging;      // open for reading and writing
  std::string temporary;   // the staging file's name beside the target; none: unnamed
  std::error_code failed;  // the reason of a failed write, given again by Commit
};

bool FileReplacement::State::Put(uint64_t size, std::error_code& reason) {
  if (failed) {
    reason = failed;
    return false;
  }
  // The file as it is now: the content may have taken long to come.
  bool exists;
  struct stat st;
  if (!Inspect(target, exists, st, reason)) return false;
  if (temporary.empty()) return WriteInPlace(target, staging.get(), size, reason);
  const int fd = staging.get();
  // A replacement that cannot be what the old file was gives way to a write in place,
  // and so does a file of more than one name.
  const bool kept = !exists || (st.st_nlink == 1 && KeepWhatTheFileWas(fd, target, st));
  if (kept && fsync(fd) != 0) {
    reason = LastError();
    return false;
  }
  // The temporary stays locked until it is renamed: a save of the same file in another
  // process must not take it for a stale one.
  if (!kept || rename(temporary.c_str(), target.c_str()) != 0) {
    const int renameError = kept ? errno : 0;
    // The content stays readable through the descriptor.
    unlink(std::exchange(temporary, {}).c_str());
    if (!kept || (exists && InPlaceMayHelp(renameError))) return WriteInPlace(target, fd, size, reason);
    reason = SystemError(renameError);
    return false;
  }
  temporary.clear();
  // The rename is an entry of the folder: on disk only once the folder is. A file system
  // that does not flush folders says EINVAL; a folder the user may write but not read
  // cannot be opened for its flush, which is then not the user's to make.
  const Descriptor folder(open(FolderArgument(FolderOf(target)), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if ((!folder && errno != EACCES) || (folder && fsync(folder.get()) != 0 && errno != EINVAL)) {
    reason = LastError();
    return false;
  }
  return true;
}

bool FileReplacement::State::Prepare(const std::string& path, std::error_code& reason) {
  bool exists;
  struct stat st;
  if (!Check(path, target, exists, st, reason)) return false;
  const std::string folder = FolderOf(target), name = NameOf(target);
  RemoveStaleTemporaries(folder, name);
  if (!exists || st.st_nlink == 1) {
    // A temporary that replaces a file is private until it is complete.
    staging = CreateTemporary(folder, name, exists ? 0600 : 0666, temporary, reason);
    if (staging) return true;
    if (!exists || !InPlaceMayHelp(reason.value())) return false;
    reason.clear();
  }
  // To be written in place: the content is staged apart.
  staging = UnnamedTemporary(stagingErrors.category, reason);
  return bool(staging);
}

const std::error_category& FileErrorCategory() { return fileErrors.category; }

std::error_code make_error_code(FileError error) { return {int(error), FileErrorCategory()}; }

bool IsNotRestored(const std::error_code& error) { return error.category() == notRestoredErrors.category; }

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t maxBytes,
                                                  std::error_code* error) {
  std::error_code reason;
  std::optional<std::vector<uint8_t>> content;
  struct stat st;
  const Descriptor fd = OpenRegularFile(path, O_RDONLY, st, reason);
  if (fd) {
    if (uint64_t(st.st_size) > maxBytes) {
      reason = std::make_error_code(std::errc::file_too_large);
    } else {
      std::vector<uint8_t> bytes(size_t(st.st_size));
      // One byte more than expected must not be there: the file did not grow meanwhile.
      uint8_t more;
      if (!ReadAllAt(fd.get(), bytes.data(), bytes.size(), 0))
        reason = errno != 0 ? LastError() : make_error_code(FileError::WrongSize);
      else if (ReadAllAt(fd.get(), &more, 1, st.st_size))
        reason = FileError::WrongSize;
      else if (errno != 0)
        reason = LastError();
      else
        content = std::move(bytes);
    }
  }
  if (error) *error = reason;
  return content;
}

bool LoadImageFile(const std::string& path, std::span<uint8_t> image, std::error_code* error) {
  std::error_code reason;
  auto content = ReadWholeFile(path, image.size(), &reason);
  if (content && content->size() == image.size())
    std::memcpy(image.data(), content->data(), image.size());
  else if (content || reason == std::errc::file_too_large)
    reason = FileError::WrongSize;
  if (error) *error = reason;
  return !reason;
}

bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes, std::error_code* error) {
  FileReplacement replacement;
  return replacement.Begin(path, error) && replacement.Write(bytes, error) && replacement.Commit(error);
}

FileReplacement::FileReplacement() = default;

FileReplacement::~FileReplacement() { Abandon(); }

FileReplacement::FileReplacement(FileReplacement&& other) noexcept
    : state_(std::exchange(other.state_, nullptr)), size_(std::exchange(other.size_, 0)) {}

FileReplacement& FileReplacement::operator=(FileReplacement&& other) noexcept {
  if (this != &other) {
    Abandon();
    state_ = std::exchange(other.state_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool FileReplacement::Begin(const std::string& path, std::error_code* error) {
  Abandon();
  std::error_code reason;
  auto state = std::make_unique<State>();
  const bool begun = state->Prepare(path, reason);
  if (begun) state_ = state.release();
  if (error) *error = begun ? std::error_code() : reason;
  return begun;
}

bool FileReplacement::Write(std::span<const uint8_t> bytes, std::error_code* error) {
  return WriteAt(size_, bytes, error);
}

bool FileReplacement::WriteAt(uint64_t offset, std::span<const uint8_t> bytes, std::error_code* error) {
  std::error_code reason;
  if (!state_)
    reason = SystemError(EBADF);
  else if (state_->failed)
    reason = state_->failed;
  else if (!WriteAllAt(state_->staging.get(), bytes.data(), bytes.size(), off_t(offset)))
    reason = state_->failed = LastError();
  else
    size_ = std::max(size_, offset + bytes.size());
  if (error) *error = reason;
  return !reason;
}

bool FileReplacement::Commit(std::error_code* error) {
  // Over either way: the state goes, and with it any temporary left.
  const std::unique_ptr<State> state(std::exchange(state_, nullptr));
  const uint64_t size = std::exchange(size_, 0);
  std::error_code reason = state ? std::error_code() : SystemError(EBADF);
  const bool committed = state && state->Put(size, reason);
  if (error) *error = committed ? std::error_code() : reason;
  return committed;
}

void FileReplacement::Abandon() {
  delete std::exchange(state_, nullptr);
  size_ = 0;
}

bool CheckReplaceable(const std::string& path, std::error_code* error) {
  std::string target;
  bool exists;
  struct stat st;
  std::error_code reason;
  Check(path, target, exists, st, reason);
  if (error) *error = reason;
  return !reason;
}

namespace {

// The absolute place a name leads to, links followed and the folder resolved.
std::filesystem::path Place(const std::string& path) {
  std::string target = path;
  bool exists;
  struct stat st;
  std::error_code reason;
  if (!FollowLinks(path, target, exists, st, reason)) target = path;
  const std::filesystem::path absolute = std::filesystem::absolute(target, reason);
  std::filesystem::path place = std::filesystem::weakly_canonical(absolute, reason);
  return reason ? absolute.lexically_normal() : place;
}

// Where a name not there yet would be made, links followed: its folder, which must
// exist, and its name in it.
bool NewFileFolder(const std::string& path, struct stat& folder, std::string& name) {
  std::string target;
  bool exists;
  struct stat st;
  std::error_code reason;
  if (!FollowLinks(path, target, exists, st, reason) || exists) return false;
  name = NameOf(target);
  return stat(FolderArgument(FolderOf(target)), &folder) == 0 && S_ISDIR(folder.st_mode);
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  const bool firstExists = stat(a.c_str(), &first) == 0, secondExists = stat(b.c_str(), &second) == 0;
  if (firstExists || secondExists) return firstExists && secondExists && SameInode(first, second);
  // Folders compared by inode are seen through mounts too, which places are not.
  std::string firstName, secondName;
  if (NewFileFolder(a, first, firstName) && NewFileFolder(b, second, secondName))
    return SameInode(first, second) && firstName == secondName;
  return Place(a) == Place(b);
}

std::string NameThatFits(const std::string& path, size_t added) {
  const long most = pathconf(FolderArgument(FolderOf(path)), _PC_NAME_MAX);
  const size_t nameMax = most > 0 ? size_t(most) : 255;
  return NameOf(path).substr(0, nameMax > added ? nameMax - added : 1);
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::string ProgramDirectory() {
  std::error_code error;
  auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "./";
  std::string directory = program.parent_path().string();
  if (directory.empty() || directory.back() != '/') directory += '/';
  return directory;
}

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool FolderLock::Acquire(const std::string& folder, std::error_code* error) {
  Release();
  std::error_code reason;
  Descriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd)
    reason = LastError();
  else if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
    reason = errno == EWOULDBLOCK ? make_error_code(FileError::Locked) : LastError();
  else
    fd_ = fd.Release();
  if (error) *error = reason;
  return fd_ >= 0;
}

void FolderLock::Release() {
  if (fd_ >= 0) close(std::exchange(fd_, -1));
}
