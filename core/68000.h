// The 68000 core: processor state, status-register operations, exception entries,
// reset and the run loop. Every handler works on this module-level state; nothing is
// passed as an argument.
#pragma once

#include <atomic>
#include <csetjmp>
#include <cstdint>

#include "board/Io.h"

// ---- Processor state -------------------------------------------------------------

// D0-D7 in entries 0-7, A0-A7 in entries 8-15; A7 is always the live stack pointer.
extern uint32_t M68kRegs[16];
// A0-A7 as an array of eight, indexed by an opcode's register field. A constant view,
// so that it is valid before the first reset too.
inline uint32_t* const M68kAddrRegs = M68kRegs + 8;

extern uint32_t M68kUSP;     // user stack pointer while S = 1
extern uint32_t M68kSSP;     // supervisor stack pointer while S = 0
extern uint32_t M68kPC;      // kept unmasked; reduced to 17 bits at each access
extern uint16_t M68kOpcode;  // opcode word of the instruction being executed
extern uint16_t M68kSR;

// Pending interrupt level 0-3; written by the board from more than one thread.
extern std::atomic<int32_t> M68kIntLevel;

constexpr int8_t kM68kRunning = int8_t(0xFF);
constexpr int8_t kM68kStopped = int8_t(0xFE);
extern int8_t M68kRunState;

extern uint32_t M68kBudget;  // budget of the current M68kRun call, 0 = no limit
extern uint32_t M68kCount;   // instructions counted in the current M68kRun call
extern std::jmp_buf M68kJumpBuf;

// Status register bits.
constexpr uint16_t kSrC = 0x0001;
constexpr uint16_t kSrV = 0x0002;
constexpr uint16_t kSrZ = 0x0004;
constexpr uint16_t kSrN = 0x0008;
constexpr uint16_t kSrX = 0x0010;
constexpr uint16_t kSrMask = 0x0700;
constexpr uint16_t kSrS = 0x2000;
constexpr uint16_t kSrT = 0x8000;

// Exception vectors the core takes.
constexpr uint32_t kVecIllegal = 4;
constexpr uint32_t kVecZeroDivide = 5;
constexpr uint32_t kVecChk = 6;
constexpr uint32_t kVecTrapV = 7;
constexpr uint32_t kVecPrivilege = 8;
constexpr uint32_t kVecTrace = 9;
constexpr uint32_t kVecLineA = 10;
constexpr uint32_t kVecLineF = 11;
constexpr uint32_t kVecTrap0 = 32;

// ---- Status register ---------------------------------------------------------------

inline uint16_t M68kGetSR() { return M68kSR; }
inline uint8_t M68kGetCCR() { return uint8_t(M68kSR & 0x00FF); }
// All eight bits of the value become the low byte; mask, S and T are untouched.
inline void M68kSetCCR(uint32_t value) { M68kSR = uint16_t((M68kSR & 0xFF00) | (value & 0xFF)); }
// Stores all 16 bits. Callers are privileged, so A7 is the supervisor stack pointer here.
void M68kSetSR(uint32_t value);

// ---- Exceptions --------------------------------------------------------------------

void M68kException(uint32_t vector);      // backs PC over the opcode for 4, 8, 10, 11
void M68kTrapException(uint32_t vector);  // stacks PC as the instruction left it
void M68kInterrupt();
void M68kTraceException();

// Handlers for the slots that hold no instruction.
void M68kIllegal();
void M68kLineA();
void M68kLineF();

// ---- Run loop ----------------------------------------------------------------------

using M68kHandler = void (*)();
extern M68kHandler const M68kOpTable[8192];
extern const char* const M68kOpNames[8192];  // handler name per slot, for tests and tools

uint32_t M68kRun(uint32_t budget);
[[noreturn]] void M68kLeaveRun();
void M68kStop();  // STOP #imm; returns only after a privilege violation
void M68kReset();

// Executes exactly one instruction as the run loop does (fetch, dispatch, early exit
// handled), without an interrupt test or trace. For tests and the conformance runner.
void M68kStep();
