// The processor programs at every optimisation level run on the core until they stop,
// and give what the same C gives on the host.
#include <gtest/gtest.h>

#include <string>

#include "core/68000.h"
#include "firmware/host/programs.h"
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

INSTANTIATE_TEST_SUITE_P(AllLevels, ProcessorProgram, testing::ValuesIn(FlatPrograms()),
                         [](const testing::TestParamInfo<const ProgramImage*>& info) {
                           return std::string(info.param->name) + "_" + info.param->level;
                         });

}  // namespace
