// The 16 KB battery-backed patch memory. Loaded from "Tarvelion.nvr" (else the factory
// state "Factory.nvr") at start and written back to "Tarvelion.nvr" at exit, both in the
// patch-memory directory: the program's own directory unless told otherwise.
#pragma once

#include <cstdint>
#include <string>

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

// Where "Tarvelion.nvr" and "Factory.nvr" live, with a trailing '/'. Set it before
// BoardInit to use another directory than the program's (tests, tools).
void SetNvrDirectory(const std::string& directory);
std::string NvrDirectory();

// A file of exactly 16384 bytes replaces the patch memory; any other leaves it as it was.
bool LoadNvrFile(const std::string& name);
// Replaces the file with the patch memory; on failure the old file stays as it was.
bool SaveNvrFile(const std::string& name);
// The factory state, "Factory.nvr", into the patch memory.
bool LoadFactoryNvr();

// The patch memory's keeper for one run of the program. Its constructor loads the patch
// memory: zeros, then "Tarvelion.nvr", else "Factory.nvr", failures passing silently.
// Its destructor writes "Tarvelion.nvr", whether or not anything changed.
class TNVR {
 public:
  TNVR();
  ~TNVR();
  TNVR(const TNVR&) = delete;
  TNVR& operator=(const TNVR&) = delete;

  // The run ends without the program's end (a process that builds the board again, or
  // ends without the way out): the destructor writes nothing.
  void Discard() { discarded_ = true; }

 private:
  bool discarded_ = false;
};

// At start: builds the one TNVR. One left from an earlier start goes without writing.
void NvrInit();
// At exit: destroys it, which writes "Tarvelion.nvr". False when that failed, or when
// there was nothing to write (no NvrInit since the last NvrShutdown).
bool NvrShutdown();
