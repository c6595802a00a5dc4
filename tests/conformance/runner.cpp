// Single-instruction conformance runner: executes each recorded 68000 test (processor
// state before and after one instruction, gzip JSON, one file per instruction group) on
// our core and compares the result.
//
// Where this core departs from a real 68000 by design, or a record of the suite is known
// to be wrong, a named rule skips the test or masks part of the comparison, and every
// rule's count is reported:
//   alias            two addresses of the test meet on the 17-bit bus: skipped
//   address-error    the real processor took an address error: skipped
//   a7-byte          a byte operand through (A7)+ or -(A7): skipped
//   trace            the initial SR has T set: skipped
//   btst-imm         BTST Dn,#imm, illegal here: skipped
//   sr-unassigned    instructions that load SR or CCR from data: SR compared through 0xA71F
//   undefined-flags  CHK, DIVU, DIVS, ABCD, SBCD, NBCD: a flag that the records set
//                    otherwise than this core is not compared in the records where the
//                    two differ
//   damaged-record   a record whose final state is not the instruction's result: skipped
//   asr-overshift    ASR of a negative operand by a register count above its width: the
//                    records clear X and C, though the sign bit is the last bit shifted
//                    out; X and C not compared
//
// Usage: m68k-conformance [--unbuilt FILE] DIR [NAME...]
// Exit status 1 when a compared test fails in a file that is not listed as unbuilt.

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "board/Io.h"
#include "board/Memory.h"
#include "core/68000.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// ---- The test's memory -----------------------------------------------------------------

uint8_t Ram[0x20000];

uint32_t RdB(uint32_t a) { return ImageReadByte(Ram, a); }
uint32_t RdW(uint32_t a) { return ImageReadWord(Ram, a); }
uint32_t RdL(uint32_t a) { return ImageReadLong(Ram, a); }
void WrB(uint32_t a, uint32_t v) { ImageWriteByte(Ram, a, v); }
void WrW(uint32_t a, uint32_t v) { ImageWriteWord(Ram, a, v); }
void WrL(uint32_t a, uint32_t v) { ImageWriteLong(Ram, a, v); }

// ---- Reading the suite -----------------------------------------------------------------

bool ReadGzip(const fs::path& path, std::string& out) {
  gzFile f = gzopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[1 << 16];
  int n;
  while ((n = gzread(f, buf, sizeof buf)) > 0) out.append(buf, size_t(n));
  bool ok = n == 0;
  gzclose(f);
  return ok;
}

const char* const kRules[] = {"alias",         "address-error",   "a7-byte",        "trace",        "btst-imm",
                              "sr-unassigned", "undefined-flags", "damaged-record", "asr-overshift"};
enum Rule {
  kAlias,
  kAddressError,
  kA7Byte,
  kTrace,
  kBtstImm,
  kSrUnassigned,
  kUndefinedFlags,
  kDamagedRecord,
  kAsrOvershift,
  kRuleCount
};

// Records whose final registers have nothing to do with the instruction (ASL.B #2 that
// changes all 32 bits of its register).
const std::set<std::string> kDamagedRecords = {"e502 [ASL.b Q, D2] 1761"};

struct Counts {
  long tests = 0, compared = 0, passed = 0, failed = 0, skipped = 0;
  std::array<long, kRuleCount> rule{};
  void Add(const Counts& o) {
    tests += o.tests;
    compared += o.compared;
    passed += o.passed;
    failed += o.failed;
    skipped += o.skipped;
    for (int i = 0; i < kRuleCount; ++i) rule[i] += o.rule[i];
  }
};

// The mnemonic and operand text of a test name such as "4e71 [NOP] 1".
std::string Disassembly(const std::string& name) {
  auto open = name.find('['), close = name.rfind(']');
  if (open == std::string::npos || close == std::string::npos || close < open) return "";
  return name.substr(open + 1, close - open - 1);
}

bool ByteThroughA7(const std::string& text) {
  if (text.find("(A7)+") == std::string::npos && text.find("-(A7)") == std::string::npos) return false;
  std::string mnemonic = text.substr(0, text.find(' '));
  static const std::set<std::string> byteOnly = {"Scc", "TAS", "NBCD", "ABCD", "SBCD",
                                                 "BTST", "BCHG", "BCLR", "BSET"};
  return mnemonic.ends_with(".b") || byteOnly.count(mnemonic) > 0;
}

bool LoadsStatusRegister(uint16_t op) {
  return (op & 0xFFC0) == 0x46C0 || (op & 0xFFC0) == 0x44C0 || op == 0x003C || op == 0x007C || op == 0x023C ||
         op == 0x027C || op == 0x0A3C || op == 0x0A7C || op == 0x4E73 || op == 0x4E77;
}

bool ReadsAddress(const json& transactions, uint32_t address) {
  for (const auto& t : transactions)
    if (t.size() >= 4 && t[0] == "r" && (t[3].get<uint32_t>() & 0xFFFFFF) == address) return true;
  return false;
}

const char* const kRegNames[16] = {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7",
                                   "a0", "a1", "a2", "a3", "a4", "a5", "a6", "a7"};

// The result byte of ABCD, SBCD or NBCD: the low byte of the final data register, or
// the byte the instruction wrote; -1 when the record does not show it.
int DecimalResult(const json& test, bool memory, unsigned reg) {
  if (!memory) return int(test["final"][kRegNames[reg]].get<uint32_t>() & 0xFF);
  int written = -1;
  if (test.contains("transactions"))
    for (const auto& t : test["transactions"])
      if (t.size() >= 6 && t[0] == "w" && t[4] == ".b") written = int(t[5].get<uint32_t>() & 0xFF);
  return written;
}

struct Outcome {
  bool skipped = false;
  Rule skipRule = kAlias;
  bool masked[kRuleCount] = {};
  std::string difference;  // empty when the test passed
};

Outcome RunTest(const json& test) {
  Outcome out;
  const json& in = test["initial"];
  const json& fin = test["final"];
  const std::string name = test["name"].get<std::string>();
  const uint32_t pc = in["pc"];
  const uint16_t sr0 = in["sr"];
  const uint16_t opcode = in["prefetch"][0];

  // Skips, in the order of the rules.
  std::set<uint32_t> addresses;
  for (uint32_t i = 0; i < 4; ++i) addresses.insert((pc + i) & 0xFFFFFF);
  for (const json* state : {&in, &fin})
    for (const auto& pair : (*state)["ram"]) addresses.insert(pair[0].get<uint32_t>() & 0xFFFFFF);
  std::set<uint32_t> bus;
  for (uint32_t a : addresses) bus.insert(a & 0x1FFFF);
  auto skip = [&](Rule r) {
    out.skipped = true;
    out.skipRule = r;
    return out;
  };
  if (bus.size() != addresses.size()) return skip(kAlias);
  if (test.contains("transactions") && ReadsAddress(test["transactions"], 0x0C)) return skip(kAddressError);
  if (ByteThroughA7(Disassembly(name))) return skip(kA7Byte);
  if (sr0 & 0x8000) return skip(kTrace);
  if ((opcode & 0xF1FF) == 0x013C) return skip(kBtstImm);
  if (kDamagedRecords.count(name)) return skip(kDamagedRecord);

  // Load the state.
  for (uint32_t a : addresses) Ram[a & 0x1FFFF] = 0;
  WrW(pc, in["prefetch"][0].get<uint32_t>());
  WrW(pc + 2, in["prefetch"][1].get<uint32_t>());
  for (const auto& pair : in["ram"]) WrB(pair[0].get<uint32_t>(), pair[1].get<uint32_t>());
  for (int i = 0; i < 8; ++i) M68kRegs[i] = in[kRegNames[i]];
  for (int i = 0; i < 7; ++i) M68kRegs[8 + i] = in[kRegNames[8 + i]];
  const uint32_t usp = in["usp"], ssp = in["ssp"];
  M68kSR = sr0;
  M68kRegs[15] = (sr0 & 0x2000) ? ssp : usp;
  M68kUSP = usp;
  M68kSSP = ssp;
  M68kPC = pc;
  M68kRunState = kM68kRunning;
  M68kIntLevel.store(0);

  M68kStep();

  // Compare.
  uint16_t flagMask = 0;  // flags not compared
  uint16_t srMask = 0xFFFF;
  if (LoadsStatusRegister(opcode)) {
    srMask = 0xA71F;
    out.masked[kSrUnassigned] = true;
  }
  const uint16_t expectedSR = fin["sr"];
  bool trapped = false;  // the instruction took its trap and stacked its SR
  auto readsVector = [&](uint32_t address) {
    return test.contains("transactions") && ReadsAddress(test["transactions"], address);
  };
  if ((opcode & 0xF1C0) == 0x4180) {  // CHK
    // The records clear V and C, clear Z for a nonzero value and keep N for a value
    // within the bound, where this core keeps Z, V and C and clears N: each flag is
    // masked only where the two differ. No record shows Z for a zero value.
    trapped = readsVector(0x18);
    const int16_t value = int16_t(in[kRegNames[(opcode >> 9) & 7]].get<uint32_t>());
    flagMask = uint16_t(sr0 & (kSrV | kSrC));
    flagMask |= value == 0 ? kSrZ : uint16_t(sr0 & kSrZ);
    if (value >= 0 && !trapped) flagMask |= uint16_t(sr0 & kSrN);
  } else if ((opcode & 0xF0C0) == 0x80C0) {  // DIVU, DIVS
    // On overflow the records keep N and Z as this core does; no record shows the
    // flags that a zero divisor stacks.
    trapped = readsVector(0x14);
    if (trapped) flagMask = kSrN | kSrZ | kSrV | kSrC;
  } else if ((opcode & 0xB1F0) == 0x8100 || (opcode & 0xFFC0) == 0x4800) {  // ABCD, SBCD, NBCD
    // The records take N from bit 7 of the result byte, clear Z for a nonzero byte and
    // keep it for a zero one, and set V from the binary sum or difference before the
    // decimal correction. This core keeps N and V of ABCD and SBCD and sets Z for a
    // zero byte; NBCD sets N and clears Z on a borrow, the other way round without
    // one, and keeps V. V is never compared, N and Z only where the two agree.
    const bool nbcd = (opcode & 0xFFC0) == 0x4800;
    const int result = DecimalResult(test, nbcd ? (opcode & 0x38) != 0 : (opcode & 8) != 0,
                                     nbcd ? opcode & 7 : (opcode >> 9) & 7);
    flagMask = kSrV;
    if (result < 0) {
      flagMask |= kSrN | kSrZ;
    } else {
      const uint16_t theirs = uint16_t((result & 0x80 ? kSrN : 0) | (result ? 0 : sr0 & kSrZ));
      uint16_t ours;
      if (nbcd)
        ours = (expectedSR & kSrX) ? kSrN : kSrZ;  // X is the borrow, compared in full
      else
        ours = uint16_t((sr0 & kSrN) | (result ? 0 : kSrZ));
      flagMask |= uint16_t((theirs ^ ours) & (kSrN | kSrZ));
    }
  }
  if (flagMask) out.masked[kUndefinedFlags] = true;
  if ((opcode & 0xF138) == 0xE020 && (opcode & 0x00C0) != 0x00C0) {  // ASR Dx,Dy
    const unsigned width = 8u << ((opcode >> 6) & 3);
    const uint32_t count = in[kRegNames[(opcode >> 9) & 7]].get<uint32_t>() & 63;
    const uint32_t operand = in[kRegNames[opcode & 7]];
    if (count > width && ((operand >> (width - 1)) & 1)) {
      flagMask |= 0x0011;
      out.masked[kAsrOvershift] = true;
    }
  }
  srMask &= uint16_t(~flagMask);

  char buf[160];
  auto differ = [&](const char* what, uint32_t got, uint32_t want) {
    std::snprintf(buf, sizeof buf, "%s: got 0x%08X, expected 0x%08X", what, got, want);
    out.difference = buf;
  };
  for (int i = 0; i < 15 && out.difference.empty(); ++i) {
    uint32_t want = fin[kRegNames[i]];
    if (M68kRegs[i] != want) differ(kRegNames[i], M68kRegs[i], want);
  }
  const bool super = expectedSR & 0x2000;
  const uint32_t wantA7 = super ? fin["ssp"].get<uint32_t>() : fin["usp"].get<uint32_t>();
  const uint32_t wantOther = super ? fin["usp"].get<uint32_t>() : fin["ssp"].get<uint32_t>();
  if (out.difference.empty() && M68kRegs[15] != wantA7) differ("a7", M68kRegs[15], wantA7);
  if (out.difference.empty()) {
    uint32_t other = super ? M68kUSP : M68kSSP;
    if (other != wantOther) differ(super ? "usp" : "ssp", other, wantOther);
  }
  if (out.difference.empty() && (M68kSR & srMask) != (expectedSR & srMask))
    differ("sr", M68kSR & srMask, expectedSR & srMask);
  if (out.difference.empty() && M68kPC != fin["pc"].get<uint32_t>()) differ("pc", M68kPC, fin["pc"]);
  if (out.difference.empty()) {
    // A trap stacks the flags as they are, undefined ones too: its stacked SR's low byte
    // is compared through the same mask.
    const uint32_t stackedFlags = trapped ? (wantA7 + 1) & 0xFFFFFF : ~0u;
    for (const auto& pair : fin["ram"]) {
      uint32_t a = pair[0], want = pair[1];
      const uint32_t mask = (a & 0xFFFFFF) == stackedFlags ? uint8_t(~flagMask) : 0xFFu;
      if ((RdB(a) & mask) != (want & mask)) {
        std::snprintf(buf, sizeof buf, "byte at 0x%06X: got 0x%02X, expected 0x%02X", a, RdB(a), want);
        out.difference = buf;
        break;
      }
    }
  }
  return out;
}

std::set<std::string> ReadList(const fs::path& path) {
  std::set<std::string> names;
  std::ifstream f(path);
  std::string line;
  while (std::getline(f, line)) {
    line.erase(0, line.find_first_not_of(" \t"));
    line.erase(line.find_last_not_of(" \t\r") + 1);
    if (!line.empty() && line[0] != '#') names.insert(line);
  }
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path dir;
  fs::path unbuiltFile;
  std::set<std::string> only;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--unbuilt" && i + 1 < argc)
      unbuiltFile = argv[++i];
    else if (dir.empty())
      dir = arg;
    else
      only.insert(arg);
  }
  if (dir.empty() || !fs::is_directory(dir)) {
    std::fprintf(stderr, "usage: m68k-conformance [--unbuilt FILE] DIR [NAME...]\n");
    return 2;
  }
  std::set<std::string> unbuilt;
  if (!unbuiltFile.empty()) unbuilt = ReadList(unbuiltFile);

  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::string file = entry.path().filename().string();
    if (!file.ends_with(".json.gz")) continue;
    std::string name = file.substr(0, file.size() - 8);
    if (only.empty() || only.count(name)) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());

  MapReadHandlers(0, kBusSize, RdB, RdW, RdL);
  MapWriteHandlers(0, kBusSize, WrB, WrW, WrL);

  Counts total;
  bool failure = false;
  for (const auto& path : files) {
    std::string file = path.filename().string();
    std::string name = file.substr(0, file.size() - 8);
    bool isUnbuilt = unbuilt.count(name) > 0;
    std::string text;
    if (!ReadGzip(path, text)) {
      std::printf("%s: cannot read\n", name.c_str());
      failure = true;
      continue;
    }
    json tests = json::parse(text);
    Counts c;
    int shown = 0;
    for (const auto& test : tests) {
      ++c.tests;
      Outcome o = RunTest(test);
      if (o.skipped) {
        ++c.skipped;
        ++c.rule[o.skipRule];
        continue;
      }
      ++c.compared;
      for (int r = 0; r < kRuleCount; ++r)
        if (o.masked[r]) ++c.rule[r];
      if (o.difference.empty()) {
        ++c.passed;
      } else {
        ++c.failed;
        if (!isUnbuilt && shown++ < 10)
          std::printf("  FAIL %s: %s\n", test["name"].get<std::string>().c_str(), o.difference.c_str());
      }
    }
    if (c.failed && !isUnbuilt) failure = true;
    std::string rules;
    for (int r = 0; r < kRuleCount; ++r)
      if (c.rule[r]) rules += " " + std::string(kRules[r]) + " " + std::to_string(c.rule[r]);
    std::printf("%s: tests %ld compared %ld passed %ld failed %ld skipped %ld%s%s%s\n", name.c_str(), c.tests,
                c.compared, c.passed, c.failed, c.skipped, rules.empty() ? "" : " |", rules.c_str(),
                isUnbuilt ? " (still to be built)" : "");
    total.Add(c);
  }
  std::string rules;
  for (int r = 0; r < kRuleCount; ++r) rules += " " + std::string(kRules[r]) + " " + std::to_string(total.rule[r]);
  std::printf("rules:%s\n", rules.c_str());
  std::printf("conformance: tests %ld compared %ld passed %ld failed %ld skipped %ld\n", total.tests, total.compared,
              total.passed, total.failed, total.skipped);
  return failure ? 1 : 0;
}
