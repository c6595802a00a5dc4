// The processor programs at every optimisation level run on the core until they stop,
// and give what the same C gives on the host.
#include <gtest/gtest.h>

#include <string>

#include "core/68000.h"
#include "core/bus.h"
#include "firmware/host/programs.h"
#include "firmware/runtime/mailbox.h"
#include "tests/support/flat_memory.h"

namespace firmware {
// Names the program in test output instead of printing the pointer.
void PrintTo(const ProgramImage* image, std::ostream* os) { *os << image->name << " -" << image->level; }
}  // namespace firmware

namespace {

using firmware::MemoryMap;
using firmware::ProgramImage;

// Well above the longest program (about 10 million instructions at -O0), low enough that
// a program that runs away ends its test quickly.
constexpr uint64_t kInstructionLimit = 40'000'000;

std::vector<const ProgramImage*> FlatPrograms() {
  std::vector<const ProgramImage*> images;
  for (const ProgramImage& image : firmware::ProgramImages())
    if (image.map == MemoryMap::Flat) images.push_back(&image);
  return images;
}

class ProcessorProgram : public testing::TestWithParam<const ProgramImage*> {};

TEST_P(ProcessorProgram, GivesTheHostResults) {
  const ProgramImage& image = *GetParam();
  const firmware::HostResults& host = firmware::RunOnHost(image);
  ASSERT_FALSE(host.values.empty());

  firmware::FlatRun core = firmware::RunFlat(image, kInstructionLimit);
  EXPECT_EQ(core.mailbox.exception, 0u) << "unexpected exception, stacked PC " << kqtest::Hex(core.mailbox.exceptionPc)
                                        << " SR " << kqtest::Hex(core.mailbox.exceptionSr);
  ASSERT_TRUE(core.run.stopped) << "still running after " << core.run.instructions << " instructions, PC "
                                << kqtest::Hex(M68kPC);
  ASSERT_EQ(core.mailbox.count, host.values.size());
  for (size_t i = 0; i < host.values.size(); ++i)
    EXPECT_EQ(kqtest::Hex(core.mailbox.values[i]), kqtest::Hex(host.values[i])) << host.names[i];
}

// A program that breaks down ends in the start-up's catch-all, which notes the vector and
// the stacked PC and SR for the host and stops.
TEST(ProgramRuntime, UnexpectedExceptionIsReportedAndStops) {
  const ProgramImage* image = firmware::FindProgram("sieve", "O2");
  ASSERT_NE(image, nullptr);
  firmware::LoadFlat(*image);
  uint32_t entry = M68kPC;
  m68k::WriteWord(entry, 0x4AFC);  // ILLEGAL
  firmware::CoreRun run = firmware::RunUntilStop(1000);
  firmware::Mailbox box = firmware::ReadMailbox(KQ_MAILBOX_FLAT, KQ_MAILBOX_FLAT_SIZE);
  EXPECT_TRUE(run.stopped);
  EXPECT_LT(run.instructions, 10u);
  EXPECT_EQ(box.exception, kVecIllegal);
  EXPECT_EQ(box.exceptionPc, entry);
  EXPECT_EQ(box.exceptionSr, 0x2700u);
  EXPECT_EQ(box.count, 0u);
}

INSTANTIATE_TEST_SUITE_P(AllLevels, ProcessorProgram, testing::ValuesIn(FlatPrograms()),
                         [](const testing::TestParamInfo<const ProgramImage*>& info) {
                           return std::string(info.param->name) + "_" + info.param->level;
                         });

}  // namespace
