// The condition-code rules against an independent model that follows the published
// definitions literally: sign-extended operands, unsigned comparisons, 32-bit sums.
#include <gtest/gtest.h>

#include <random>

#include "core/flags.h"

using namespace m68k;

namespace {

struct Model {
  bool x, n, z, v, c;
};

template <Size S> uint32_t Sext(uint32_t v) { return SignExtend<S>(v & kMask<S>); }
template <Size S> bool Negative(uint32_t v) { return v & kSign<S>; }
template <Size S> bool InRange(int64_t v) {
  int64_t lo = -int64_t(kSign<S>), hi = int64_t(kSign<S>) - 1;
  return v >= lo && v <= hi;
}

template <Size S> Model AddModel(uint32_t src, uint32_t dst) {
  uint32_t res = (dst + src) & kMask<S>;
  Model m{};
  if constexpr (S == Size::L) {
    m.c = src > ~dst;
    m.v = (Negative<S>(src) == Negative<S>(dst)) && Negative<S>(res) != Negative<S>(src);
  } else {
    m.c = Sext<S>(src) > ~Sext<S>(dst);
    m.v = !InRange<S>(int64_t(int32_t(Sext<S>(dst))) + int32_t(Sext<S>(src)));
  }
  m.x = m.c;
  m.z = res == 0;
  m.n = Negative<S>(res);
  return m;
}

template <Size S> Model SubModel(uint32_t src, uint32_t dst) {
  uint32_t res = (dst - src) & kMask<S>;
  Model m{};
  if constexpr (S == Size::L) {
    m.c = src > dst;
    m.v = (Negative<S>(src) != Negative<S>(dst)) && Negative<S>(res) == Negative<S>(src);
  } else {
    m.c = Sext<S>(src) > Sext<S>(dst);
    m.v = !InRange<S>(int64_t(int32_t(Sext<S>(dst))) - int32_t(Sext<S>(src)));
  }
  m.x = m.c;
  m.z = res == 0;
  m.n = Negative<S>(res);
  return m;
}

template <Size S> Model ExtendModel(bool sub, uint32_t src, uint32_t dst, bool xin, bool zin) {
  src &= kMask<S>;
  dst &= kMask<S>;
  uint32_t res = (sub ? dst - src - xin : dst + src + xin) & kMask<S>;
  uint32_t s = S == Size::L ? src : Sext<S>(src), d = S == Size::L ? dst : Sext<S>(dst);
  Model m{};
  if (sub)
    m.c = xin ? s >= d : s > d;
  else
    m.c = xin ? s >= ~d : s > ~d;
  bool sn = Negative<S>(src), dn = Negative<S>(dst), rn = Negative<S>(res);
  m.v = sub ? (sn != dn && rn == sn) : (sn == dn && rn != sn);
  m.x = m.c;
  m.z = res == 0 ? zin : false;
  m.n = rn;
  return m;
}

void ExpectFlags(const Model& m, uint16_t sr, bool checkX, const char* what, uint32_t src, uint32_t dst) {
  SCOPED_TRACE(::testing::Message() << what << " src=" << std::hex << src << " dst=" << dst);
  if (checkX) {
    EXPECT_EQ(bool(sr & kSrX), m.x);
  }
  EXPECT_EQ(bool(sr & kSrN), m.n);
  EXPECT_EQ(bool(sr & kSrZ), m.z);
  EXPECT_EQ(bool(sr & kSrV), m.v);
  EXPECT_EQ(bool(sr & kSrC), m.c);
}

// Operands with the interesting edges over-represented.
uint32_t Operand(std::mt19937& rng) {
  static const uint32_t edges[] = {0, 1, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
  if (rng() % 4 == 0) return edges[rng() % std::size(edges)] ^ (rng() % 2 ? 0 : 0xFFFFFF00 & rng());
  return rng();
}

template <Size S> void CheckSize() {
  std::mt19937 rng(static_cast<uint32_t>(S) * 7919);
  for (int i = 0; i < 20000; ++i) {
    uint32_t src = Operand(rng), dst = Operand(rng);
    // Unassigned bits and the system byte must survive every rule.
    uint16_t start = uint16_t(0x27E0 | (rng() & 0x1F));

    M68kSR = start;
    M68kFlagsAdd<S, Arith::Add>(src, dst, dst + src);
    ExpectFlags(AddModel<S>(src, dst), M68kSR, true, "add", src, dst);
    EXPECT_EQ(M68kSR & 0xFFE0, 0x27E0);

    M68kSR = start;
    M68kFlagsAdd<S, Arith::Sub>(src, dst, dst - src);
    ExpectFlags(SubModel<S>(src, dst), M68kSR, true, "sub", src, dst);

    M68kSR = start;
    M68kFlagsCompare<S>(src, dst);
    ExpectFlags(SubModel<S>(src, dst), M68kSR, false, "cmp", src, dst);
    EXPECT_EQ(M68kSR & kSrX, start & kSrX);

    for (bool sub : {false, true}) {
      M68kSR = start;
      bool xin = start & kSrX, zin = start & kSrZ;
      uint32_t res = sub ? dst - src - xin : dst + src + xin;
      if (sub)
        M68kFlagsExtend<S, Arith::Sub>(src, dst, res);
      else
        M68kFlagsExtend<S, Arith::Add>(src, dst, res);
      ExpectFlags(ExtendModel<S>(sub, src, dst, xin, zin), M68kSR, true, sub ? "subx" : "addx", src, dst);
    }

    M68kSR = start;
    M68kFlagsLogical<S>(dst);
    EXPECT_EQ(bool(M68kSR & kSrN), Negative<S>(dst));
    EXPECT_EQ(bool(M68kSR & kSrZ), (dst & kMask<S>) == 0);
    EXPECT_EQ(M68kSR & (kSrV | kSrC), 0);
    EXPECT_EQ(M68kSR & kSrX, start & kSrX);
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(Flags, ByteRulesMatchTheModel) { CheckSize<Size::B>(); }
TEST(Flags, WordRulesMatchTheModel) { CheckSize<Size::W>(); }
TEST(Flags, LongRulesMatchTheModel) { CheckSize<Size::L>(); }

TEST(Flags, EdgeCases) {
  M68kSR = kSrC;
  M68kFlagsLogical<Size::B>(0x12345600);
  EXPECT_EQ(M68kSR, kSrZ);
  M68kFlagsLogical<Size::B>(0x12345680);
  EXPECT_EQ(M68kSR, kSrN);

  M68kSR = 0;
  M68kFlagsAdd<Size::B, Arith::Add>(0x01, 0xFF, 0x100);
  EXPECT_EQ(M68kSR, kSrX | kSrZ | kSrC);
  M68kFlagsAdd<Size::B, Arith::Add>(0x01, 0x7F, 0x80);
  EXPECT_EQ(M68kSR, kSrN | kSrV);
  M68kFlagsAdd<Size::L, Arith::Add>(0x80000000, 0x80000000, 0);
  EXPECT_EQ(M68kSR, kSrX | kSrZ | kSrV | kSrC);

  // NEG of the most negative value keeps it, with V, C and X set.
  for (uint32_t v : {0x80u, 0x8000u, 0x80000000u}) {
    M68kSR = 0;
    if (v == 0x80) M68kFlagsNeg<Size::B>(v, 0 - v);
    if (v == 0x8000) M68kFlagsNeg<Size::W>(v, 0 - v);
    if (v == 0x80000000) M68kFlagsNeg<Size::L>(v, 0 - v);
    EXPECT_EQ(M68kSR, kSrX | kSrN | kSrV | kSrC) << std::hex << v;
  }
  M68kSR = kSrX | kSrC;
  M68kFlagsNeg<Size::W>(0, 0);
  EXPECT_EQ(M68kSR, kSrZ);

  // NEGX keeps Z on a zero result and clears it otherwise.
  M68kSR = kSrZ;
  M68kFlagsExtend<Size::B, Arith::Sub>(0, 0, 0);
  EXPECT_EQ(M68kSR, kSrZ);
  M68kSR = kSrZ | kSrX;
  M68kFlagsExtend<Size::B, Arith::Sub>(0, 0, 0xFF);
  EXPECT_EQ(M68kSR, kSrX | kSrN | kSrC);
  M68kSR = 0;
  M68kFlagsExtend<Size::B, Arith::Sub>(0x80, 0, 0x80);
  EXPECT_EQ(M68kSR, kSrX | kSrN | kSrV | kSrC);
  M68kSR = kSrX;
  M68kFlagsExtend<Size::B, Arith::Sub>(0x80, 0, 0x7F);
  EXPECT_EQ(M68kSR, kSrX | kSrC);
}

}  // namespace
