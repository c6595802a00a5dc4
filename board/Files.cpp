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
#include <random>
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
      case FileError::NotRestored: return "written only in part; the old content could not be put back";
    }
    return "unknown file error";
  }
};

std::error_code SystemError(int number) { return {number, std::generic_category()}; }
std::error_code LastError() { return SystemError(errno); }

// The reason for refusing a file of this type.
std::error_code NotAFile(mode_t mode) {
  return S_ISDIR(mode) ? SystemError(EISDIR) : make_error_code(FileError::NotARegularFile);
}

// Opens path without waiting (a FIFO opens at once, with or without a writer), and keeps
// it only if it is a regular file, then with ordinary blocking reads and writes.
int OpenRegularFile(const std::string& path, int flags, struct stat& st, std::error_code& reason) {
  int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    reason = LastError();
    return -1;
  }
  const bool stated = fstat(fd, &st) == 0;
  if (!stated || !S_ISREG(st.st_mode)) {
    reason = stated ? NotAFile(st.st_mode) : LastError();
    close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// All n bytes at the offset; false with errno set on an error, errno 0 at the end of
// the file.
bool ReadAt(int fd, uint8_t* bytes, size_t n, off_t offset) {
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
bool WriteAt(int fd, const uint8_t* bytes, size_t n, off_t offset, size_t* written = nullptr) {
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

// The folder part of a path, with its trailing '/' ("" for a bare name), and the rest.
std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }
std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }
const char* FolderArgument(const std::string& folder) { return folder.empty() ? "." : folder.c_str(); }

// Whether path still names the file open as fd.
bool StillNamed(int fd, const std::string& path) {
  struct stat open, named;
  return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

// Temporaries are "<name>.tarvelion-" and six letters or digits.
constexpr char kTemporaryMark[] = ".tarvelion-";
constexpr size_t kTemporaryRandom = 6;

bool IsTemporaryOf(const std::string& entry, const std::string& name) {
  const std::string prefix = name + kTemporaryMark;
  return entry.size() == prefix.size() + kTemporaryRandom && entry.compare(0, prefix.size(), prefix) == 0 &&
         std::all_of(entry.begin() + long(prefix.size()), entry.end(), [](char c) {
           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
         });
}

// A new temporary for the file, open for writing and locked, so that no other save
// takes it for one left by a killed process. Such a save may have removed it in the
// instant before the lock: then it is no longer under its name, and another is made.
int CreateTemporary(const std::string& folder, const std::string& name, mode_t mode, std::string& temporary) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = folder + name + kTemporaryMark;
    for (size_t i = 0; i < kTemporaryRandom; ++i) temporary += kAlphabet[random() % (sizeof kAlphabet - 1)];
    int fd = open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    // Where the file system has no locks, no save can remove the temporary either.
    flock(fd, LOCK_EX);
    if (StillNamed(fd, temporary)) return fd;
    close(fd);
  }
  errno = EEXIST;
  return -1;
}

// Removes the temporaries of the file that no save holds: those of killed processes.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
  DIR* listing = opendir(FolderArgument(folder));
  if (!listing) return;
  while (const dirent* entry = readdir(listing)) {
    if (!IsTemporaryOf(entry->d_name, name)) continue;
    const std::string path = folder + entry->d_name;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, path)) unlink(path.c_str());
    close(fd);
  }
  closedir(listing);
}

// The file that path names once symbolic links are followed; exists tells whether there
// is anything under that name, and st what it is.
bool FollowLinks(std::string path, std::string& target, bool& exists, struct stat& st, std::error_code& reason) {
  for (int links = 0; links <= 40; ++links) {
    if (lstat(path.c_str(), &st) != 0) {
      if (errno != ENOENT) {
        reason = LastError();
        return false;
      }
      exists = false;
      target = path;
      return true;
    }
    if (!S_ISLNK(st.st_mode)) {
      exists = true;
      target = path;
      return true;
    }
    const std::string link = std::filesystem::read_symlink(path, reason).string();
    if (reason) return false;
    path = !link.empty() && link[0] == '/' ? link : FolderOf(path) + link;
  }
  reason = SystemError(ELOOP);
  return false;
}

// Writes the bytes over the file itself, keeping its inode and so its hard links. The
// whole old content is read first, so that a failed write can put back all it changed.
bool WriteInPlace(const std::string& path, std::span<const uint8_t> bytes, std::error_code& reason) {
  struct stat st;
  // Without read access (a file open only for writing) there is nothing to put back.
  int fd = OpenRegularFile(path, O_RDWR | O_NOFOLLOW, st, reason);
  bool readable = fd >= 0;
  if (fd < 0 && reason == std::errc::permission_denied) fd = OpenRegularFile(path, O_WRONLY | O_NOFOLLOW, st, reason);
  if (fd < 0) return false;
  const size_t oldSize = size_t(st.st_size);
  std::vector<uint8_t> old(readable ? oldSize : 0);
  readable = readable && ReadAt(fd, old.data(), oldSize, 0);
  // How many bytes from the start may no longer be the old ones.
  size_t changed = 0;
  // Room for a longer file first: on a full disk nothing has changed yet.
  bool written = (bytes.size() <= oldSize || fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) == 0 ||
                  errno == EOPNOTSUPP || errno == ENOSYS) &&
                 WriteAt(fd, bytes.data(), bytes.size(), 0, &changed);
  if (written && bytes.size() < oldSize) {
    written = ftruncate(fd, off_t(bytes.size())) == 0;
    if (written) changed = oldSize;  // the old tail is gone too
  }
  written = written && fsync(fd) == 0;
  if (!written) {
    reason = LastError();
    const bool restored = changed == 0 || (readable && WriteAt(fd, old.data(), std::min(changed, oldSize), 0) &&
                                           ftruncate(fd, off_t(oldSize)) == 0 && fsync(fd) == 0);
    if (!restored) reason = FileError::NotRestored;
  }
  close(fd);
  return written;
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
  return fstat(fd, &now) == 0 && (now.st_mode & 07777) == (old.st_mode & 07777);
}

bool InPlaceMayHelp(int error) { return error == EACCES || error == EPERM; }

bool Replace(const std::string& path, std::span<const uint8_t> bytes, std::error_code& reason) {
  std::string target;
  bool exists;
  struct stat st;
  if (!FollowLinks(path, target, exists, st, reason)) return false;
  const std::string folder = FolderOf(target), name = NameOf(target);
  if (exists && !S_ISREG(st.st_mode)) {
    reason = NotAFile(st.st_mode);
    return false;
  }
  if (name.empty()) {
    reason = SystemError(ENOENT);
    return false;
  }
  if (exists && ((st.st_mode & 0222) == 0 || faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)) {
    reason = (st.st_mode & 0222) == 0 ? SystemError(EACCES) : LastError();
    return false;
  }
  RemoveStaleTemporaries(folder, name);
  if (exists && st.st_nlink > 1) return WriteInPlace(target, bytes, reason);

  // A temporary that replaces a file is private until it is complete.
  std::string temporary;
  int fd = CreateTemporary(folder, name, exists ? 0600 : 0666, temporary);
  if (fd < 0) {
    if (exists && InPlaceMayHelp(errno)) return WriteInPlace(target, bytes, reason);
    reason = LastError();
    return false;
  }
  bool written = WriteAt(fd, bytes.data(), bytes.size(), 0);
  // A replacement that cannot be what the old file was gives way to a write in place.
  const bool kept = !written || !exists || KeepWhatTheFileWas(fd, target, st);
  written = written && kept && fsync(fd) == 0;
  // The temporary stays locked until it is renamed: a save of the same file in another
  // process must not take it for a stale one.
  if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    close(fd);
    if (!kept || (written && exists && InPlaceMayHelp(error))) return WriteInPlace(target, bytes, reason);
    reason = SystemError(error);
    return false;
  }
  close(fd);
  // The rename is an entry of the folder: on disk only once the folder is. A file system
  // that does not flush folders says EINVAL.
  int folderFd = open(FolderArgument(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool synced = folderFd >= 0 && (fsync(folderFd) == 0 || errno == EINVAL);
  if (!synced) reason = LastError();
  if (folderFd >= 0) close(folderFd);
  return synced;
}

}  // namespace

const std::error_category& FileErrorCategory() {
  static const FileErrorCategoryType category;
  return category;
}

std::error_code make_error_code(FileError error) { return {int(error), FileErrorCategory()}; }

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t maxBytes,
                                                  std::error_code* error) {
  std::error_code reason;
  std::optional<std::vector<uint8_t>> content;
  struct stat st;
  int fd = OpenRegularFile(path, O_RDONLY, st, reason);
  if (fd >= 0) {
    if (uint64_t(st.st_size) > maxBytes) {
      reason = std::make_error_code(std::errc::file_too_large);
    } else {
      std::vector<uint8_t> bytes(size_t(st.st_size));
      // One byte more than expected must not be there: the file did not grow meanwhile.
      uint8_t more;
      if (!ReadAt(fd, bytes.data(), bytes.size(), 0))
        reason = errno != 0 ? LastError() : make_error_code(FileError::WrongSize);
      else if (ReadAt(fd, &more, 1, st.st_size))
        reason = FileError::WrongSize;
      else if (errno != 0)
        reason = LastError();
      else
        content = std::move(bytes);
    }
    close(fd);
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
  std::error_code reason;
  const bool replaced = Replace(path, bytes, reason);
  if (error) *error = replaced ? std::error_code() : reason;
  return replaced;
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
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    reason = LastError();
  } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    reason = errno == EWOULDBLOCK ? make_error_code(FileError::Locked) : LastError();
    close(fd);
  } else {
    fd_ = fd;
  }
  if (error) *error = reason;
  return fd_ >= 0;
}

void FolderLock::Release() {
  if (fd_ >= 0) close(std::exchange(fd_, -1));
}
