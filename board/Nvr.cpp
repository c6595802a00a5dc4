#include "board/Nvr.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "board/Files.h"
#include "board/Memory.h"

uint8_t NvrImage[kNvrSize];

namespace {
std::string directory;  // empty: no files
}

uint32_t NvrReadByte(uint32_t address) { return ImageReadByte(NvrImage, address); }
uint32_t NvrReadWord(uint32_t address) { return ImageReadWord(NvrImage, address); }
uint32_t NvrReadLong(uint32_t address) { return ImageReadLong(NvrImage, address); }
void NvrWriteByte(uint32_t address, uint32_t value) { ImageWriteByte(NvrImage, address, value); }
void NvrWriteWord(uint32_t address, uint32_t value) { ImageWriteWord(NvrImage, address, value); }
void NvrWriteLong(uint32_t address, uint32_t value) { ImageWriteLong(NvrImage, address, value); }

void NvrMap() {
  MapReadHandlers(kNvrBase, kNvrSize, NvrReadByte, NvrReadWord, NvrReadLong);
  MapWriteHandlers(kNvrBase, kNvrSize, NvrWriteByte, NvrWriteWord, NvrWriteLong);
}

void SetNvrDirectory(const std::string& folder) {
  directory = folder;
  if (!directory.empty() && directory.back() != '/') directory += '/';
}

std::string NvrDirectory() { return directory; }

bool LoadNvrFile(const std::string& name, std::error_code* error) { return LoadImageFile(name, NvrImage, error); }

bool SaveNvrFile(const std::string& name, std::error_code* error) { return ReplaceFile(name, NvrImage, error); }

bool LoadFactoryNvr() { return !directory.empty() && LoadNvrFile(directory + kFactoryNvrFileName); }

namespace {

std::error_code saveError;  // what the last destructor's save came to
std::string keptFile;       // where it kept an unusable file

// The one TNVR, from NvrInit to NvrShutdown. A process that ends without NvrShutdown
// (tests, the headless runner) writes nothing.
struct NvrOwner {
  std::optional<TNVR> nvr;
  ~NvrOwner() {
    if (nvr) nvr->Discard();
  }
} owner;

std::error_code LastError() { return {errno, std::generic_category()}; }

// Renames from to to, never over a file at to; errno holds the reason of a failure. Where
// the file system cannot rename so, a second hard link and the removal of the first do
// the same (a copy could fail half-way).
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (link(from.c_str(), to.c_str()) != 0) return false;
  if (unlink(from.c_str()) == 0) return true;
  const int reason = errno;
  unlink(to.c_str());
  errno = reason;
  return false;
}

// The n-th name the kept file may take beside the file: "<file>.unusable", then
// "<file>.unusable-2", ..., its name cut short where the whole would not fit in a name of
// its folder, as a temporary's is.
std::string KeptName(const std::string& file, int n) {
  const std::string suffix = ".unusable" + (n > 1 ? "-" + std::to_string(n) : "");
  return file.substr(0, file.rfind('/') + 1) + NameThatFits(file, suffix.size()) + suffix;
}

// Whether nothing is under the name; errno holds EEXIST, or the reason it cannot be told.
bool Free(const std::string& name) {
  struct stat st;
  if (lstat(name.c_str(), &st) == 0) errno = EEXIST;
  return errno == ENOENT;
}

// Moves the file at path aside, before a save replaces it, to the first free name of
// KeptName beside it, never over another; for a symbolic link the file is the one it
// leads to. original gets the file's name and kept the new one. No regular file at path
// is nothing to keep: the save makes the file, or refuses what is there. With move
// false nothing changes: it only tells whether the file could be moved as things stand
// (its folder lets the user rename it) and under which name.
bool KeepAside(const std::string& path, bool move, std::string& original, std::string& kept,
               std::error_code& error) {
  original = path;
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* target = realpath(path.c_str(), nullptr)) {  // else stat below gives the reason
      original = target;
      std::free(target);
    }
  }
  if (stat(original.c_str(), &st) != 0) {
    if (errno == ENOENT) return true;
    error = LastError();
    return false;
  }
  if (!S_ISREG(st.st_mode)) return true;
  const std::string folder = original.substr(0, original.rfind('/') + 1);
  const char* in = folder.empty() ? "." : folder.c_str();
  if (move || faccessat(AT_FDCWD, in, W_OK | X_OK, AT_EACCESS) == 0) {
    for (int n = 1;; ++n) {
      kept = KeptName(original, n);
      if (move ? RenameNoReplace(original, kept) : Free(kept)) return true;
      if (errno != EEXIST) break;
    }
  }
  error = LastError();
  kept.clear();
  return false;
}

// Why the save at exit could not be made as things stand, or nothing where it can: the
// file is first kept aside where it could not be used, then replaced (or made) by the
// save, which checks what it would find.
std::error_code SaveFailure(const std::string& file, bool unusable) {
  std::error_code reason;
  std::string original, kept;
  if (unusable && (!KeepAside(file, false, original, kept, reason) || !kept.empty())) return reason;
  CheckReplaceable(file, &reason);
  return reason;
}

}  // namespace

TNVR::TNVR() : directory_(directory) {
  std::memset(NvrImage, 0, sizeof NvrImage);
  if (directory_.empty()) return;
  lock_.Acquire(directory_, &lockFailure_);
  const std::string file = directory_ + kNvrFileName;
  std::error_code reason;
  if (!LoadNvrFile(file, &reason)) {
    if (reason != std::errc::no_such_file_or_directory) unusableFailure_ = reason;
    LoadFactoryNvr();
  }
  if (!InUseElsewhere()) unsavableFailure_ = SaveFailure(file, bool(unusableFailure_));
}

TNVR::~TNVR() {
  if (discarded_ || directory_.empty() || InUseElsewhere()) return;
  // Said at the start: not tried, and not made to look like a new failure.
  if (unsavableFailure_) {
    saveError = unsavableFailure_;
    return;
  }
  const std::string file = directory_ + kNvrFileName;
  std::string original, kept;
  if (unusableFailure_ && !KeepAside(file, true, original, kept, saveError)) return;
  // After a failed save the old file goes back under its name, where nothing took it.
  if (!SaveNvrFile(file, &saveError) && !kept.empty() && RenameNoReplace(kept, original)) kept.clear();
  keptFile = kept;
}

void NvrInit() {
  if (owner.nvr) owner.nvr->Discard();
  owner.nvr.emplace();
}

bool NvrInUseElsewhere() { return owner.nvr && owner.nvr->InUseElsewhere(); }

std::error_code NvrLockFailure() { return owner.nvr ? owner.nvr->LockFailure() : std::error_code(); }

std::error_code NvrUnusableFailure() {
  return owner.nvr ? owner.nvr->UnusableFailure() : std::error_code();
}

std::error_code NvrUnsavableFailure() {
  return owner.nvr ? owner.nvr->UnsavableFailure() : std::error_code();
}

void NvrDiscard() {
  if (owner.nvr) owner.nvr->Discard();
}

bool NvrShutdown(std::error_code* error) {
  saveError.clear();
  keptFile.clear();
  owner.nvr.reset();
  if (error) *error = saveError;
  return !saveError;
}

std::string NvrKeptFile() { return keptFile; }
