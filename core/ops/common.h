// What every instruction family shares: the access layer, addressing, flag rules.
#pragma once

#include "core/68000.h"
#include "core/bus.h"
#include "core/ea.h"
#include "core/flags.h"

namespace m68k {

// A privileged instruction in user state takes the privilege violation and does
// nothing else.
inline bool Privileged() {
  if (M68kSR & kSrS) return true;
  M68kException(kVecPrivilege);
  return false;
}

}  // namespace m68k
