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

// Moves the file at path aside, before a save replaces it, to the first free name of
// "<file>.unusable", "<file>.unusable-2", ... beside it; for a symbolic link the file is
// the one it leads to. original gets the file's name and kept the new one. No regular
// file at path is nothing to keep: the save makes the file, or refuses what is there.
bool KeepAside(const std::string& path, std::string& original, std::string& kept, std::error_code& error) {
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
  for (int n = 1;; ++n) {
    kept = original + ".unusable" + (n > 1 ? "-" + std::to_string(n) : "");
    if (RenameNoReplace(original, kept)) return true;
    if (errno != EEXIST) break;
  }
  error = LastError();
  kept.clear();
  return false;
}

}  // namespace

TNVR::TNVR() : directory_(directory) {
  std::memset(NvrImage, 0, sizeof NvrImage);
  if (directory_.empty()) return;
  lock_.Acquire(directory_, &lockFailure_);
  std::error_code reason;
  if (LoadNvrFile(directory_ + kNvrFileName, &reason)) return;
  if (reason != std::errc::no_such_file_or_directory) unusableFailure_ = reason;
  LoadFactoryNvr();
}

TNVR::~TNVR() {
  if (discarded_ || directory_.empty() || InUseElsewhere()) return;
  const std::string file = directory_ + kNvrFileName;
  std::string original, kept;
  if (unusableFailure_ && !KeepAside(file, original, kept, saveError)) return;
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
