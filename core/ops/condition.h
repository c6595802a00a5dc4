// The sixteen condition tests of Scc, DBcc and the branches. Each reads only C, V, Z
// and N of the status register; the code is fixed by the handler's dispatch slot, so
// the test compiles to a few bit operations.
#pragma once

#include "core/ops/common.h"

namespace m68k {

enum Condition : unsigned {
  kCondT, kCondF, kCondHI, kCondLS, kCondCC, kCondCS, kCondNE, kCondEQ,
  kCondVC, kCondVS, kCondPL, kCondMI, kCondGE, kCondLT, kCondGT, kCondLE,
};

template <unsigned Code> inline bool M68kCondition() {
  static_assert(Code < 16);
  const unsigned sr = M68kSR;
  const bool c = sr & kSrC, v = sr & kSrV, z = sr & kSrZ, n = sr & kSrN;
  if constexpr (Code == kCondT) return true;
  else if constexpr (Code == kCondF) return false;
  else if constexpr (Code == kCondHI) return !c && !z;
  else if constexpr (Code == kCondLS) return c || z;
  else if constexpr (Code == kCondCC) return !c;
  else if constexpr (Code == kCondCS) return c;
  else if constexpr (Code == kCondNE) return !z;
  else if constexpr (Code == kCondEQ) return z;
  else if constexpr (Code == kCondVC) return !v;
  else if constexpr (Code == kCondVS) return v;
  else if constexpr (Code == kCondPL) return !n;
  else if constexpr (Code == kCondMI) return n;
  else if constexpr (Code == kCondGE) return n == v;
  else if constexpr (Code == kCondLT) return n != v;
  else if constexpr (Code == kCondGT) return n == v && !z;
  else return z || n != v;
}

}  // namespace m68k
