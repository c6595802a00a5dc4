// The emulation thread against a user-interface thread played by the test itself: the
// thread's calls wait until the test serves them, as a window's event loop would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "board/Cpu.h"
#include "board/Emulator.h"
#include "board/Nvr.h"
#include "board/Ram.h"
#include "board/Timer.h"
#include "board/Uart.h"
#include "board/UiThread.h"
#include "core/68000.h"
#include "tests/board/board_fixture.h"
#include "tests/board/fake_counter.h"

namespace {

using namespace std::chrono_literals;

// Counts up a long at the start of work RAM, with interrupts masked.
std::vector<uint8_t> CountingFirmware() {
  std::vector<uint8_t> rom(0x10000, 0);
  const uint16_t words[] = {0x0001, 0xD000, 0x0000, 0x0400};  // SSP 0x1D000, PC 0x400
  const uint16_t loop[] = {0x52B8, 0xC000,                    // ADDQ.L #1,$C000.W
                           0x60FA};                           // BRA.S back to it
  auto put = [&](uint32_t at, const uint16_t* w, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      rom[at + 2 * i] = uint8_t(w[i] >> 8);
      rom[at + 2 * i + 1] = uint8_t(w[i]);
    }
  };
  put(0, words, 4);
  put(0x400, loop, 3);
  return rom;
}

class TestUiThread final : public QueuedUiThread {
 public:
  void Call(const std::function<void()>& f) override {
    ++calls;
    QueuedUiThread::Call(f);
  }
  std::atomic<int> calls{0};

 protected:
  void Wake() override {}  // the test serves by polling
};

class EmulationTest : public ::testing::Test {
 protected:
  void SetUp() override { Build(nullptr); }
  void TearDown() override {
    clock.onSleep = nullptr;  // runs only on this thread, which serves the slice services
    StopEmulation();
    SetUiThread(nullptr);
  }

  void Build(PerformanceCounter* pacing) {
    BoardRestoreStartValues();
    SetNvrDirectory(dir.Path());
    BoardInit(nullptr, pacing);
    kqtest::WriteFile(rom, CountingFirmware());
    SetUiThread(&ui);
  }

  // Serves the thread's calls on this thread until done() holds; false after 10 s.
  bool ServeUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      ui.ServePending();
      std::this_thread::sleep_for(20us);
    }
    return true;
  }

  void StartAndServeSetUp() {
    StartEmulation(rom);
    ASSERT_TRUE(ServeUntil([&] { return window.status[0] == "Running"; }));
  }

  // Runs f between two slices and serves the thread until it has run.
  void BetweenSlices(std::function<void()> f) {
    auto ran = std::make_shared<bool>(false);
    RunBetweenSlices([f = std::move(f), ran] {
      f();
      *ran = true;
    });
    ASSERT_TRUE(ServeUntil([&] { return *ran; }));
  }

  // The firmware's count; read only between slices.
  static uint32_t Counted() {
    return uint32_t(RamImage[0]) << 24 | RamImage[1] << 16 | RamImage[2] << 8 | RamImage[3];
  }

  int RunStateTexts(const std::string& text) const {
    int n = 0;
    for (const auto& [panel, t] : window.statusLog) n += panel == StatusPanel::RunState && t == text;
    return n;
  }

  kqtest::TempDir dir;
  const std::string rom = dir.File("kq.bin");
  kqtest::FakeWindow window;
  TestUiThread ui;
  kqtest::FakeCounter clock;  // outlives the thread, which TearDown stops
};

TEST_F(EmulationTest, TheBoardIsBuiltAndServicedOnTheUiThreadBetweenFullSlices) {
  StartEmulation(rom);
  EXPECT_TRUE(EmulationRunning());
  std::this_thread::sleep_for(5ms);
  EXPECT_EQ(window.status[0], "");  // the set-up waits for this thread
  ASSERT_TRUE(ServeUntil([&] { return window.status[0] == "Running"; }));
  EXPECT_EQ(window.status[3], "CPU:");

  uint32_t first = 0, second = 0;
  BetweenSlices([&] {
    first = Counted();
    EXPECT_GE(LastSliceCount, int32_t(SliceLength));
    EXPECT_LE(LastSliceCount, int32_t(SliceLength) + 7);
  });
  // Nothing runs on the processor while an operation runs between slices.
  BetweenSlices([&] {
    const uint32_t now = Counted();
    std::this_thread::sleep_for(3ms);
    EXPECT_EQ(Counted(), now);
    second = now;
  });
  EXPECT_GT(second, first);

  // Operations waiting together run in the order given.
  std::vector<int> order;
  for (int i = 0; i < 5; ++i) RunBetweenSlices([&order, i] { order.push_back(i); });
  ASSERT_TRUE(ServeUntil([&] { return order.size() == 5; }));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(EmulationTest, ASecondStartCreatesNoSecondThreadAndAStoppedOneCanStartAgain) {
  StartAndServeSetUp();
  StartEmulation(rom);
  for (int i = 0; i < 20; ++i) BetweenSlices([] {});
  EXPECT_EQ(RunStateTexts("Running"), 1);

  StopEmulation();
  EXPECT_FALSE(EmulationRunning());
  StartEmulation(rom);
  EXPECT_TRUE(ServeUntil([&] { return RunStateTexts("Running") == 2; }));
}

TEST_F(EmulationTest, StopBeforeStartAndASecondStopDoNothing) {
  StopEmulation();
  EXPECT_FALSE(EmulationRunning());
  EXPECT_TRUE(window.statusLog.empty());
  EXPECT_EQ(ui.calls, 0);

  StartAndServeSetUp();
  StopEmulation();
  const int calls = ui.calls;
  StopEmulation();
  EXPECT_EQ(ui.calls, calls);
}

TEST_F(EmulationTest, StopServesTheSliceServiceTheThreadWaitsFor) {
  StartAndServeSetUp();
  bool ran = false;
  RunBetweenSlices([&] { ran = true; });
  // Not served here: the thread is held in its call, and only StopEmulation can let it go.
  std::this_thread::sleep_for(5ms);
  EXPECT_FALSE(ran);
  StopEmulation();
  EXPECT_TRUE(ran);
  EXPECT_FALSE(EmulationRunning());

  // A process that ends inside the very call the thread waits for (as the window system
  // ends it inside a box) never gets past that call: at its exit the thread is let go
  // instead of waited for, and the process ends. The alarm fails a hang.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        alarm(60);
        StartEmulation(rom);
        RunBetweenSlices([] { std::exit(3); });
        ServeUntil([] { return false; });
      },
      ::testing::ExitedWithCode(3), "");
}

TEST_F(EmulationTest, WhilePausedEveryPassReportsNoInstructionsAndTheServicesGoOn) {
  StartAndServeSetUp();
  SetPaused(true);
  EXPECT_TRUE(IsPaused());
  EXPECT_EQ(window.status[0], "Paused");
  // The slice under way when the switch moved may still be a full one.
  bool stood = false;
  for (int i = 0; i < 100 && !stood; ++i) BetweenSlices([&] { stood = LastSliceCount == 0; });
  ASSERT_TRUE(stood);

  uint32_t counted = 0;
  int32_t timer = 0;
  BetweenSlices([&] {
    counted = Counted();
    timer = TimerCounter;
    UartQueueMidiIn(3, reinterpret_cast<const uint8_t*>("\x90\x45\x7F"));
  });
  for (int i = 0; i < 10; ++i) {
    BetweenSlices([&] {
      EXPECT_EQ(LastSliceCount, 0);
      EXPECT_EQ(Counted(), counted);
      EXPECT_EQ(TimerCounter, timer);
    });
  }
  // The serial port's service still moved the queued bytes on.
  BetweenSlices([] { EXPECT_FALSE(UartFifoEmpty(UartRx)); });

  SetPaused(false);
  EXPECT_FALSE(IsPaused());
  EXPECT_EQ(window.status[0], "Running");
  ASSERT_TRUE(ServeUntil([&] { return LastSliceCount != 0; }));
  BetweenSlices([&] { EXPECT_GT(Counted(), counted); });
}

TEST_F(EmulationTest, AResetWhilePausedTakesEffectAtOnceAndRunsWhenReleased) {
  StartAndServeSetUp();
  SetPaused(true);
  bool stood = false;
  for (int i = 0; i < 100 && !stood; ++i) BetweenSlices([&] { stood = LastSliceCount == 0; });
  ASSERT_TRUE(stood);
  BetweenSlices([] {
    M68kPC = 0x1234;  // somewhere else entirely
    CpuReset();
    EXPECT_EQ(M68kPC, 0x400u);
  });
  for (int i = 0; i < 5; ++i) BetweenSlices([] { EXPECT_EQ(M68kPC, 0x400u); });
  SetPaused(false);
  ASSERT_TRUE(ServeUntil([&] { return LastSliceCount != 0; }));
}

// Without a ROM image the user sees the box and the program is asked to end with status
// 1; meanwhile no instruction runs (the processor is not even reset), and the way out
// writes no patch memory: an existing file is not even written again (an open-bus
// processor would stack its exception frames all through it), an unusable one is not
// kept aside, and none is made where there was none (a blank one would hide the factory
// state at every later start). The old file is held open meanwhile, so that a file that
// replaced it could not be given its inode.
TEST_F(EmulationTest, WithoutARomImageNothingRunsAndNoPatchMemoryIsWritten) {
  const std::string nvr = dir.File("Tarvelion.nvr");
  for (const size_t size : {size_t(0x4000), size_t(0x4001), size_t(0)}) {
    SCOPED_TRACE(size ? "a patch memory file of " + std::to_string(size) + " bytes" : "no patch memory file");
    std::filesystem::remove(nvr);
    struct stat before {}, after {};
    int old = -1;
    if (size) {
      kqtest::WriteFile(nvr, kqtest::Pattern(size, 7));
      const timespec longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
      ASSERT_EQ(utimensat(AT_FDCWD, nvr.c_str(), longAgo, 0), 0);
      old = open(nvr.c_str(), O_RDONLY | O_CLOEXEC);
      ASSERT_GE(old, 0);
      ASSERT_EQ(fstat(old, &before), 0);
    }
    window.messages.clear();
    window.quitRequests = 0;
    ui.calls = 0;
    Build(nullptr);
    StartEmulation(dir.File("none.bin"));
    ASSERT_TRUE(ServeUntil([&] { return ui.calls > 50; }));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].caption, "ROM image missing");
    EXPECT_EQ(window.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(window.quitRequests, 1);
    EXPECT_EQ(LastSliceCount, 0);
    EXPECT_EQ(M68kPC, 0u);
    EXPECT_EQ(M68kRegs[15], 0u);
    StopEmulation();
    EXPECT_TRUE(BoardShutdown());
    EXPECT_EQ(dir.Entries(), (size ? std::vector<std::string>{"Tarvelion.nvr", "kq.bin"}
                                   : std::vector<std::string>{"kq.bin"}));
    if (size) {
      EXPECT_EQ(kqtest::ReadFile(nvr), kqtest::Pattern(size, 7));
      ASSERT_EQ(stat(nvr.c_str(), &after), 0);
      EXPECT_EQ(after.st_dev, before.st_dev);
      EXPECT_EQ(after.st_ino, before.st_ino);
      EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
      close(old);
    }
  }
}

TEST_F(EmulationTest, AnExceptionInASliceServiceEndsTheThreadAndTheWindowsCarryOn) {
  StartAndServeSetUp();
  RunBetweenSlices([] { throw std::runtime_error("device failure"); });
  ASSERT_TRUE(ServeUntil([] { return !EmulationRunning(); }));
  const int calls = ui.calls;
  std::this_thread::sleep_for(5ms);
  ui.ServePending();
  EXPECT_EQ(ui.calls, calls);  // no more slices
  // Operations now run at once, on this thread.
  bool ran = false;
  RunBetweenSlices([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(window.messages.empty());  // nothing reported
  StopEmulation();
  EXPECT_EQ(window.status[0], "Running");
}

TEST_F(EmulationTest, WithoutAUiThreadEverythingRunsOnTheEmulationThread) {
  SetUiThread(nullptr);
  StartEmulation(rom);
  std::atomic<bool> ran{false};
  std::thread::id where;
  RunBetweenSlices([&] {
    where = std::this_thread::get_id();
    ran = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!ran && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(100us);
  ASSERT_TRUE(ran);
  StopEmulation();
  EXPECT_NE(where, std::this_thread::get_id());
  EXPECT_EQ(window.status[0], "Running");
  EXPECT_GT(Counted(), 0u);
}

TEST_F(EmulationTest, ASliceServiceRunsTheWaitingOperationsFirstAndThePacingLast) {
  Build(&clock);
  // What the pacing's sleep sees of the serial port that the operation fed.
  std::vector<std::string> log;
  clock.onSleep = [&] { log.push_back(UartFifoEmpty(UartRx) ? "sleep, nothing received" : "sleep, received"); };
  StartAndServeSetUp();
  BetweenSlices([] {});  // past the first slice, which the pacing does not count
  log.clear();
  BetweenSlices([&] {
    log.push_back("operation");
    UartQueueMidiIn(1, reinterpret_cast<const uint8_t*>("\xF8"));
  });
  ASSERT_TRUE(ServeUntil([&] { return log.size() >= 2; }));
  EXPECT_EQ(log[0], "operation");
  EXPECT_EQ(log[1], "sleep, received");
}

}  // namespace
