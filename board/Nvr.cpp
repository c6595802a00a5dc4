#include "board/Nvr.h"

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
  if (!discarded_ && !directory_.empty() && !InUseElsewhere())
    SaveNvrFile(directory_ + kNvrFileName, &saveError);
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
