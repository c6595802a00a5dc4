// The 16 KB battery-backed patch memory. Loaded from "Tarvelion.nvr" (else the factory
// state "Factory.nvr") at start and written back to "Tarvelion.nvr" at exit, both in the
// patch-memory directory: the window program's own directory. Without a directory (the
// headless runner without one, tests) the patch memory starts blank and touches no file.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

#include "board/Files.h"
#include "board/Io.h"

extern uint8_t NvrImage[kNvrSize];

inline constexpr const char* kNvrFileName = "Tarvelion.nvr";
inline constexpr const char* kFactoryNvrFileName = "Factory.nvr";

uint32_t NvrReadByte(uint32_t address);
uint32_t NvrReadWord(uint32_t address);
uint32_t NvrReadLong(uint32_t address);
void NvrWriteByte(uint32_t address, uint32_t value);
void NvrWriteWord(uint32_t address, uint32_t value);
void NvrWriteLong(uint32_t address, uint32_t value);

void NvrMap();

// Where "Tarvelion.nvr" and "Factory.nvr" live, with a trailing '/'; empty: nowhere,
// as at program start. Set it before BoardInit.
void SetNvrDirectory(const std::string& folder);
std::string NvrDirectory();

// A file of exactly 16384 bytes replaces the patch memory; any other leaves it as it was
// and gives false, with the reason in error if given.
bool LoadNvrFile(const std::string& name, std::error_code* error = nullptr);
// Replaces the file with the patch memory; on failure the old file stays as it was and
// error, if given, holds the reason.
bool SaveNvrFile(const std::string& name, std::error_code* error = nullptr);
// The factory state, "Factory.nvr", into the patch memory (false without a directory).
bool LoadFactoryNvr();

// The patch memory's keeper for one run of the program, in the directory set at its
// construction (none: zeros, no file touched). Its constructor takes the lock on the
// directory, so that two programs never both write one "Tarvelion.nvr", and loads the
// patch memory: zeros, then "Tarvelion.nvr", else "Factory.nvr". Its destructor writes
// "Tarvelion.nvr", whether or not anything changed, unless another program holds the
// directory or the save was found impossible at the construction. A "Tarvelion.nvr" that
// exists but could not be used at the start is first kept beside it, so that the save
// never destroys the user's bytes.
class TNVR {
 public:
  TNVR();
  ~TNVR();
  TNVR(const TNVR&) = delete;
  TNVR& operator=(const TNVR&) = delete;

  // The run ends without the program's end (a process that builds the board again, or
  // ends without the way out): the destructor writes nothing.
  void Discard() { discarded_ = true; }
  // Another program holds the directory: this one reads the patch memory but never
  // writes it.
  bool InUseElsewhere() const { return lockFailure_ == FileError::Locked; }
  // Why the directory is not held: FileError::Locked (another program holds it), or the
  // system's reason where no lock could be taken (a folder without read permission, a
  // file system without locks); nothing while held or without a directory.
  std::error_code LockFailure() const { return lockFailure_; }
  // Why an existing "Tarvelion.nvr" could not be used at the start (the system's reason,
  // or FileError::WrongSize), so that the factory state runs; nothing when it was loaded,
  // is missing, or there is no directory.
  std::error_code UnusableFailure() const { return unusableFailure_; }
  // Why the save at exit cannot be made, as things were at the construction, with the
  // save's own checks: an unusable file that cannot be kept aside (no regular file, a
  // folder where it may not be renamed, no free kept name), or a file that cannot be
  // replaced or made (a link into a missing folder, a file the user may not write).
  // Such a save is not tried: the destructor writes nothing. Nothing where the save can
  // be made, another program holds the directory, or there is no directory.
  std::error_code UnsavableFailure() const { return unsavableFailure_; }

 private:
  const std::string directory_;
  FolderLock lock_;
  std::error_code lockFailure_;
  std::error_code unusableFailure_;
  std::error_code unsavableFailure_;
  bool discarded_ = false;
};

// At start: builds the one TNVR. One left from an earlier start goes without writing.
void NvrInit();
// True while another program holds the patch-memory directory: this one will not save.
bool NvrInUseElsewhere();
// TNVR::LockFailure of the one TNVR. A directory that could not be locked for a reason
// of the system's own is still saved to at exit: the program cannot tell whether another
// uses it, and the user is told so.
std::error_code NvrLockFailure();
// TNVR::UnusableFailure of the one TNVR: at start, why "Tarvelion.nvr" exists but could
// not be used, so that the factory state (or zeros) runs instead; nothing otherwise.
std::error_code NvrUnusableFailure();
// TNVR::UnsavableFailure of the one TNVR: at start, why the patch memory will not be
// saved at exit; nothing otherwise.
std::error_code NvrUnsavableFailure();
// The run changed nothing worth keeping (its ROM never loaded): NvrShutdown writes nothing.
void NvrDiscard();
// At exit: destroys the TNVR, which writes "Tarvelion.nvr". False, with the system's
// reason in error, when that save failed; true when it succeeded or nothing was to be
// written (another program holds the directory, or no NvrInit since the last shutdown).
// A save found impossible at the start (NvrUnsavableFailure) is not tried: false, with
// that reason, and nothing is touched.
// Before the save, a "Tarvelion.nvr" that could not be used at the start is kept beside
// it (for a symbolic link, the file it leads to, beside that file) under a new name,
// never over another: "Tarvelion.nvr.unusable", else "Tarvelion.nvr.unusable-2", ...,
// the name cut short where it would not fit in a name of the folder.
// If it cannot be kept, nothing is saved, the file stays, and the reason is the
// failure's. If the save fails, the kept file is put back under its name where it can be.
bool NvrShutdown(std::error_code* error = nullptr);
// After NvrShutdown: the name the unusable file was kept under; empty if none was kept
// (or it was put back after a failed save).
std::string NvrKeptFile();
