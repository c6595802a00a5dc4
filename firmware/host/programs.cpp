#include "firmware/host/programs.h"

#include <cstring>
#include <map>

#include "board/Cpu.h"
#include "board/Io.h"
#include "board/Memory.h"
#include "core/68000.h"
#include "core/bus.h"
#include "firmware/runtime/mailbox.h"
#include "firmware/runtime/program.h"

namespace firmware {

const ProgramImage* FindProgram(std::string_view name, std::string_view level) {
  for (const ProgramImage& image : ProgramImages())
    if (name == image.name && level == image.level) return &image;
  return nullptr;
}

Mailbox ReadMailbox(uint32_t address, uint32_t size) {
  Mailbox box;
  box.exception = m68k::ReadLong(address + KQ_MAILBOX_EXCEPTION);
  box.exceptionPc = m68k::ReadLong(address + KQ_MAILBOX_EXCEPTION_PC);
  box.exceptionSr = m68k::ReadLong(address + KQ_MAILBOX_EXCEPTION_SR);
  box.count = m68k::ReadLong(address + KQ_MAILBOX_COUNT);
  uint32_t stored = std::min<uint32_t>(box.count, KQ_MAILBOX_CAPACITY(size));
  for (uint32_t i = 0; i < stored; ++i) box.values.push_back(m68k::ReadLong(address + KQ_MAILBOX_VALUES + 4 * i));
  return box;
}

// ---- Host builds ---------------------------------------------------------------------

static HostResults* Collecting = nullptr;

extern "C" void kq_report(const char* what, uint32_t value) {
  if (!Collecting) return;
  Collecting->names.emplace_back(what);
  Collecting->values.push_back(value);
}

const HostResults& RunOnHost(const ProgramImage& image) {
  static std::map<std::string, HostResults> done;
  auto [at, fresh] = done.try_emplace(image.name);
  if (fresh && image.host) {
    Collecting = &at->second;
    image.host();
    Collecting = nullptr;
  }
  return at->second;
}

// ---- Flat RAM ------------------------------------------------------------------------

static uint8_t Ram[kBusSize];

static uint32_t RamReadByte(uint32_t a) { return ImageReadByte(Ram, a); }
static uint32_t RamReadWord(uint32_t a) { return ImageReadWord(Ram, a); }
static uint32_t RamReadLong(uint32_t a) { return ImageReadLong(Ram, a); }
static void RamWriteByte(uint32_t a, uint32_t v) { ImageWriteByte(Ram, a, v); }
static void RamWriteWord(uint32_t a, uint32_t v) { ImageWriteWord(Ram, a, v); }
static void RamWriteLong(uint32_t a, uint32_t v) { ImageWriteLong(Ram, a, v); }

void LoadFlat(const ProgramImage& image) {
  CpuInit();
  MapReadHandlers(0, kBusSize, RamReadByte, RamReadWord, RamReadLong);
  MapWriteHandlers(0, kBusSize, RamWriteByte, RamWriteWord, RamWriteLong);
  std::memset(Ram, 0, sizeof Ram);
  std::memcpy(Ram, image.data, std::min<size_t>(image.size, kBusSize));
  std::memset(M68kRegs, 0, sizeof M68kRegs);
  M68kUSP = M68kSSP = 0;
  M68kSR = kSrS;
  M68kIntLevel.store(0);
  M68kReset();
}

CoreRun RunUntilStop(uint64_t limit) {
  CoreRun run;
  constexpr uint32_t kSlice = 1u << 20;
  while (M68kRunState != kM68kStopped && run.instructions < limit) run.instructions += M68kRun(kSlice);
  run.stopped = M68kRunState == kM68kStopped;
  return run;
}

FlatRun RunFlat(const ProgramImage& image, uint64_t limit) {
  FlatRun result;
  LoadFlat(image);
  result.run = RunUntilStop(limit);
  result.mailbox = ReadMailbox(KQ_MAILBOX_FLAT, KQ_MAILBOX_FLAT_SIZE);
  return result;
}

}  // namespace firmware
