#include "core/68000.h"

#include "board/Cpu.h"
#include "core/bus.h"

using namespace m68k;

uint32_t M68kRegs[16];
uint32_t M68kUSP;
uint32_t M68kSSP;
uint32_t M68kPC;
uint16_t M68kOpcode;
uint16_t M68kSR;
std::atomic<int32_t> M68kIntLevel{0};
int8_t M68kRunState;
uint32_t M68kBudget;
uint32_t M68kCount;
std::jmp_buf M68kJumpBuf;

static inline uint32_t& A7() { return M68kRegs[15]; }
static inline int32_t InterruptMask() { return (M68kSR & kSrMask) >> 8; }

void M68kSetSR(uint32_t value) {
  M68kSR = uint16_t(value);
  M68kSSP = A7();
  if (!(value & kSrS)) A7() = M68kUSP;
}

// ---- Exceptions ----------------------------------------------------------------------

// Steps shared by every entry once the old SR is taken and the PC is adjusted: switch to
// the supervisor stack, stack PC and SR, load the vector.
static void EnterException(uint16_t oldSR, uint32_t vector) {
  if (M68kSR & kSrS)
    M68kSSP = A7();
  else
    M68kUSP = A7();
  M68kSR = uint16_t((M68kSR | kSrS) & ~kSrT);
  A7() = M68kSSP;
  PushLong(M68kPC);
  PushWord(oldSR);
  M68kPC = ReadLong(vector * 4);
  M68kRunState = kM68kRunning;
}

void M68kException(uint32_t vector) {
  uint16_t oldSR = M68kGetSR();
  if (vector == kVecIllegal || vector == kVecPrivilege || vector == kVecLineA || vector == kVecLineF)
    M68kPC -= 2;
  EnterException(oldSR, vector);
}

void M68kTrapException(uint32_t vector) { EnterException(M68kGetSR(), vector); }

void M68kInterrupt() {
  uint16_t oldSR = M68kGetSR();
  // One read: another thread may change the level while we are here.
  int32_t level = M68kIntLevel.load(std::memory_order_relaxed);
  uint32_t vector = uint32_t(InterruptVector(level));
  M68kSR = uint16_t((M68kSR & 0xF8FF) | ((uint32_t(level) << 8) & kSrMask));
  EnterException(oldSR, vector);
}

void M68kTraceException() { EnterException(M68kGetSR(), kVecTrace); }

void M68kIllegal() { M68kException(kVecIllegal); }
void M68kLineA() { M68kException(kVecLineA); }
void M68kLineF() { M68kException(kVecLineF); }

// ---- Reset ---------------------------------------------------------------------------

void M68kReset() {
  if (!(M68kSR & kSrS)) M68kUSP = A7();
  M68kSR |= kSrS;
  A7() = ReadLong(0);
  M68kPC = ReadLong(4);
  M68kSR = uint16_t((M68kSR & 0xF8FF) | 0x0700);
  M68kSR &= uint16_t(~kSrT);
  M68kRunState = kM68kRunning;
}

// ---- Run loop ------------------------------------------------------------------------

static inline void InterruptTest() {
  if (InterruptMask() < M68kIntLevel.load(std::memory_order_relaxed)) M68kInterrupt();
}

static inline void FetchAndDispatch() {
  uint32_t address = M68kPC & kBusMask;
  M68kOpcode = uint16_t(MemReadWord[address >> kPageShift](address));
  M68kPC += 2;
  M68kOpTable[M68kOpcode >> 3]();
}

static inline bool BudgetSpent(uint32_t count) { return M68kBudget != 0 && count >= M68kBudget; }

// Only globals are used across the setjmp: a local changed after it would be unreliable
// after the jump back.
uint32_t M68kRun(uint32_t budget) {
  M68kBudget = budget;
  if (setjmp(M68kJumpBuf) == 0) {
    M68kCount = 0;
  } else {
    // The instruction that left the loop counts as one; the rest of its round does not.
    M68kCount += 1;
    // Without this a stream of early exits would never reach the budget test.
    if (BudgetSpent(M68kCount)) return M68kCount;
  }
  if (M68kRunState == kM68kStopped && InterruptMask() >= M68kIntLevel.load(std::memory_order_relaxed))
    return M68kCount;

  for (;;) {
    if (M68kSR & kSrT) {
      InterruptTest();
      FetchAndDispatch();
      M68kTraceException();
      uint32_t before = M68kCount++;
      if (BudgetSpent(before)) return M68kCount;
      continue;  // the trace exception cleared T: the next round is a fast one
    }
    for (;;) {
      InterruptTest();
      FetchAndDispatch();
      FetchAndDispatch();
      FetchAndDispatch();
      FetchAndDispatch();
      FetchAndDispatch();
      FetchAndDispatch();
      FetchAndDispatch();
      FetchAndDispatch();
      M68kCount += 8;
      if (BudgetSpent(M68kCount)) return M68kCount;
    }
  }
}

void M68kLeaveRun() { std::longjmp(M68kJumpBuf, 1); }

void M68kStop() {
  if (!(M68kSR & kSrS)) {
    M68kException(kVecPrivilege);
    return;
  }
  M68kSetSR(ReadWord(M68kPC));
  M68kPC += 2;
  M68kRunState = kM68kStopped;
  M68kLeaveRun();
}

void M68kStep() {
  if (setjmp(M68kJumpBuf) == 0) FetchAndDispatch();
}
