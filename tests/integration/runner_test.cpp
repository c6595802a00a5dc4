// The headless runner: its command line, its report and exit status, its audio file, and
// runs that repeat exactly.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "board/Adc.h"
#include "board/Files.h"
#include "board/Panel.h"
#include "tests/integration/firmware_run.h"

namespace {

using kqrun::ParseArguments;
using kqrun::RunOptions;
using Args = std::vector<std::string>;

struct Outcome {
  int status;
  std::string out, err;
};

Outcome RunProgram(const Args& args) {
  std::ostringstream out, err;
  int status = kqrun::RunMain(args, out, err);
  return {status, out.str(), err.str()};
}

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = kqtest::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// Starts the kq-run program itself with SIGXFSZ and the stop signals at their default
// actions, whatever this process does with them, and the signals of `blocked` blocked.
// Its report goes to the folder's stdout.txt, or is appended to the file reportTo, its
// messages to stderr.txt. Started by fork, not posix_spawn: a child that shares this
// process's memory until it starts the program has this process's peak resident size
// for its own.
pid_t StartTheProgram(const kqtest::TempDir& dir, const Args& args, const std::string& reportTo = "",
                      const sigset_t* blocked = nullptr) {
  const std::string out = reportTo.empty() ? dir.File("stdout.txt") : reportTo, errFile = dir.File("stderr.txt");
  const int outFlags = O_WRONLY | O_CREAT | (reportTo.empty() ? O_TRUNC : O_APPEND);
  std::vector<char*> argv = {const_cast<char*>(KQ_RUN_PROGRAM)};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child != 0) return child;
  // Only calls that are safe between fork and exec.
  for (int signal : {SIGXFSZ, SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);
  if (blocked) sigprocmask(SIG_BLOCK, blocked, nullptr);
  const int outFd = open(out.c_str(), outFlags, 0644);
  const int errFd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (outFd < 0 || errFd < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0) _exit(126);
  execv(KQ_RUN_PROGRAM, argv.data());
  _exit(127);
}

// The wait status of the started program once it has ended, and its resource use; -1
// where it has not ended within two minutes (it is killed then).
int WaitForTheProgram(pid_t child, rusage* usage = nullptr) {
  rusage ignored;
  int status = -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  for (;;) {
    const pid_t ended = wait4(child, &status, WNOHANG, usage ? usage : &ignored);
    if (ended == child) return status;
    if (ended < 0) return -1;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// The kq-run program run to its end as StartTheProgram starts it; the status is 128 +
// the signal that ended it, if one did. The report is read back unless it went to
// reportTo.
Outcome RunTheProgram(const kqtest::TempDir& dir, const Args& args, const std::string& reportTo = "",
                      rusage* usage = nullptr) {
  const pid_t child = StartTheProgram(dir, args, reportTo);
  const int status = child > 0 ? WaitForTheProgram(child, usage) : -1;
  const int code = status == -1          ? -1
                   : WIFEXITED(status)   ? WEXITSTATUS(status)
                   : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                         : -1;
  return {code, reportTo.empty() ? ReadText(dir.File("stdout.txt")) : "", ReadText(dir.File("stderr.txt"))};
}

TEST(RunnerArguments, EveryOptionAndItsSchedule) {
  std::string error;
  std::optional<RunOptions> options = ParseArguments(
      Args{"kq.bin", "--slices", "500", "--midi", "90 3C 7F@100", "--sysex=dump.syx@120", "--midi", "803C00@300",
           "--press", "ProgramSelect3@10-20", "--key", "Enter@30-30", "--key", "7@40", "--adc", "Volume=0",
           "--adc", "3=200", "--nvr-dir", "/tmp/n", "--wav", "out.wav", "--dump-ram", "ram.bin"},
      error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->rom, "kq.bin");
  EXPECT_EQ(options->slices, 500u);
  ASSERT_EQ(options->midi.size(), 3u) << "in the order given";
  EXPECT_EQ(options->midi[0].bytes, (std::vector<uint8_t>{0x90, 0x3C, 0x7F}));
  EXPECT_EQ(options->midi[0].slice, 100u);
  EXPECT_EQ(options->midi[1].sysexFile, "dump.syx");
  EXPECT_EQ(options->midi[1].slice, 120u);
  EXPECT_EQ(options->midi[2].bytes, (std::vector<uint8_t>{0x80, 0x3C, 0x00}));
  ASSERT_EQ(options->buttons.size(), 1u);
  EXPECT_EQ(options->buttons[0].input, int(PanelButton::ProgramSelect3));
  EXPECT_EQ(options->buttons[0].first, 10u);
  EXPECT_EQ(options->buttons[0].last, 20u);
  ASSERT_EQ(options->keys.size(), 2u);
  EXPECT_EQ(options->keys[0].input, int(PcKey::Enter));
  EXPECT_EQ(options->keys[1].input, int(PcKey::Digit7));
  EXPECT_EQ(options->keys[1].last, 40u);
  ASSERT_EQ(options->adc.size(), 2u);
  EXPECT_EQ(options->adc[0].channel, kAdcVolume);
  EXPECT_EQ(options->adc[0].value, 0);
  EXPECT_EQ(options->adc[1].channel, kAdcJoystickY);
  EXPECT_EQ(options->adc[1].value, 200);
  EXPECT_EQ(options->nvrDirectory, "/tmp/n");
  EXPECT_EQ(options->wavFile, "out.wav");
  EXPECT_EQ(options->ramFile, "ram.bin");

  options = ParseArguments(Args{"rom"}, error);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->slices, kqrun::kDefaultSlices);
}

TEST(RunnerArguments, ArgumentsThatMakeNoRunAreRefusedWithTheReason) {
  const std::vector<Args> refused = {
      {},
      {"a.bin", "b.bin"},
      {"kq.bin", "--slices", "0"},
      {"kq.bin", "--slices", "12x"},
      {"kq.bin", "--slices"},
      {"kq.bin", "--frobnicate", "1"},
      {"kq.bin", "--midi", "90 3C 7@5"},
      {"kq.bin", "--midi", "90 3C 7F"},
      {"kq.bin", "--midi", "GG@5"},
      {"kq.bin", "--midi", "90@1000"},  // beyond the default 1000 slices
      {"kq.bin", "--slices", "10", "--press", "Split@10-20"},
      {"kq.bin", "--press", "Split@20-10"},
      {"kq.bin", "--press", "Splitt@1-2"},
      {"kq.bin", "--key", "A@1-2"},
      {"kq.bin", "--key", "10@1-2"},
      {"kq.bin", "--adc", "8=1"},
      {"kq.bin", "--adc", "Volume=256"},
      {"kq.bin", "--adc", "Volume"},
      {"kq.bin", "--sysex", "@5"},
      {"kq.bin", "--wav="},
  };
  for (const Args& args : refused) {
    std::string error;
    EXPECT_FALSE(ParseArguments(args, error)) << ::testing::PrintToString(args);
    EXPECT_FALSE(error.empty()) << ::testing::PrintToString(args);
    Outcome outcome = RunProgram(args);
    EXPECT_EQ(outcome.status, 2) << ::testing::PrintToString(args);
    EXPECT_NE(outcome.err.find("kq-run: " + error), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
}

TEST(RunnerArguments, HelpPrintsTheUsage) {
  Outcome outcome = RunProgram({"--help"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, kqrun::kUsage);
}

using RunnerProgram = kqtest::FirmwareRun;

TEST_F(RunnerProgram, PrintsWhatThePanelShows) {
  Outcome outcome = RunProgram({Rom(), "--slices", "100", "--press", "Double@50-99"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::string instructions = outcome.out.substr(outcome.out.rfind(": ") + 2);
  EXPECT_EQ(outcome.out,
            "lcd1: KQ BOARD TEST?  \n"
            "lcd2: SWITCH R2 B1    \n"
            "digits: 0 1\n"
            "leds: Double\n"
            "instructions: " + instructions);
  EXPECT_GE(std::stoul(instructions), 100u * 8192);
  EXPECT_EQ(outcome.err, "");
}

TEST_F(RunnerProgram, AMissingOrWrongSizeRomEndsWithStatusOne) {
  Outcome missing = RunProgram({dir.File("none.bin")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "kq-run: ROM image \"" + dir.File("none.bin") + "\" not found\n");
  EXPECT_EQ(missing.out, "");

  for (size_t size : {size_t(65535), size_t(65537), size_t(0)}) {
    kqtest::WriteFile(dir.File("odd.bin"), std::vector<uint8_t>(size, 0x4E));
    Outcome odd = RunProgram({dir.File("odd.bin")});
    EXPECT_EQ(odd.status, 1);
    EXPECT_EQ(odd.err, "kq-run: ROM image \"" + dir.File("odd.bin") + "\" is " + std::to_string(size) +
                           " bytes, not 65536\n");
    EXPECT_EQ(odd.out, "");
  }
  EXPECT_EQ(RunProgram({dir.Path()}).status, 1) << "a folder";
  ASSERT_EQ(mkfifo(dir.File("fifo.bin").c_str(), 0600), 0);
  EXPECT_EQ(RunProgram({dir.File("fifo.bin")}).status, 1) << "a FIFO, refused without waiting for a writer";
  if (geteuid() != 0) {  // permission bits do not stop the superuser
    kqtest::WriteFile(dir.File("locked.bin"), std::vector<uint8_t>(65536, 0x4E));
    chmod(dir.File("locked.bin").c_str(), 0);
    Outcome unreadable = RunProgram({dir.File("locked.bin")});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_NE(unreadable.err.find("cannot be read: Permission denied"), std::string::npos) << unreadable.err;
  }
}

// Files that cannot be read or written, and outputs that would replace an input or each
// other, are refused before the first slice: the patch memory of the run's folder is not
// touched, and the reason is given.
TEST_F(RunnerProgram, FilesThatCannotBeReadOrWrittenAreRefusedBeforeTheRun) {
  namespace fs = std::filesystem;
  fs::create_directory(dir.File("nvr"));
  fs::create_directory(dir.File("fresh"));
  fs::create_directory(dir.File("partial"));
  const std::vector<uint8_t> patches(0x4000, 0x5A);
  kqtest::WriteFile(dir.File("nvr/Tarvelion.nvr"), patches);
  std::vector<uint8_t> longer = patches;
  longer.push_back(0);
  kqtest::WriteFile(dir.File("partial/Tarvelion.nvr"), longer);
  kqtest::WriteFile(dir.File("big.syx"), std::vector<uint8_t>(65536, 0xF8));
  kqtest::WriteFile(dir.File("half.syx"), std::vector<uint8_t>(40000, 0xF8));
  kqtest::WriteFile(dir.File("empty.syx"), {});
  kqtest::WriteFile(dir.File("readonly.wav"), {});
  chmod(dir.File("readonly.wav").c_str(), 0444);
  fs::create_symlink("nvr/Tarvelion.nvr", dir.File("patches.bin"));
  fs::create_symlink("kq.bin", dir.File("rom.bin"));
  const std::string kept = "--nvr-dir=" + dir.File("nvr");
  auto relative = [&](const std::string& name) { return fs::relative(dir.File(name)).string(); };
  const struct {
    Args args;
    std::string reason;
  } refused[] = {
      {{"--sysex", dir.File("none.syx") + "@1"}, "cannot be read"},
      {{"--sysex", dir.File("big.syx") + "@1"}, "larger than the MIDI input queue"},
      {{"--sysex", dir.File("empty.syx") + "@1"}, "\"" + dir.File("empty.syx") + "\" is empty"},
      {{"--wav", dir.File("no/such/folder.wav")}, "cannot be written: No such file or directory"},
      {{"--dump-ram", dir.File("no/such/ram.bin")}, "cannot be written: No such file or directory"},
      {{"--nvr-dir", dir.File("no/such")}, "cannot be used: No such file or directory"},
      {{"--nvr-dir", dir.File("partial")}, "cannot be used: it is 16385 bytes, not 16384"},
      {{"--wav", dir.Path()}, "cannot be written: Is a directory"},
      {{"--wav", dir.File("readonly.wav")}, "cannot be written: Permission denied"},  // the superuser too
      {{"--dump-ram", dir.File("nvr/Tarvelion.nvr")}, "is the run's patch memory file"},
      {{"--dump-ram", dir.File("nvr/./Tarvelion.nvr")}, "is the run's patch memory file"},
      {{"--dump-ram", dir.File("patches.bin")}, "is the run's patch memory file"},  // a link to it
      {{"--nvr-dir", relative("fresh"), "--wav", dir.File("fresh/Tarvelion.nvr")}, "is the run's patch memory file"},
      {{"--wav", dir.File("nvr/Factory.nvr")}, "is the factory patch memory"},
      {{"--dump-ram", dir.File("kq.bin")}, "\"" + dir.File("kq.bin") + "\" is the ROM image"},
      {{"--wav", dir.File("rom.bin")}, "is the ROM image"},
      {{"--sysex", dir.File("half.syx") + "@1", "--wav", relative("half.syx")}, "is the SysEx file"},
      {{"--wav", dir.File("out.bin"), "--dump-ram", dir.File("nvr/../out.bin")}, "are the same file"},
      {{"--wav", relative("s.out"), "--dump-ram", dir.File("s.out")}, "are the same file"},
      {{"--slices", "30000000", "--wav", dir.File("long.wav")}, "more audio than a WAV file holds (4 GiB)"},
      {{"--sysex", dir.File("half.syx") + "@1", "--midi", "90 3C 7F@2", "--sysex", dir.File("half.syx") + "@1"},
       "at slice 1 come to 80000 bytes, more than the MIDI input queue holds"},
  };
  for (const auto& row : refused) {
    Args args = {Rom(), "--slices", "5", kept};
    args.insert(args.end(), row.args.begin(), row.args.end());
    if (row.args[0] == "--nvr-dir") args.erase(args.begin() + 3);
    const Outcome outcome = RunProgram(args);
    EXPECT_EQ(outcome.status, 1) << row.args[1];
    EXPECT_NE(outcome.err.find(row.reason), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(kqtest::ReadFile(dir.File("nvr/Tarvelion.nvr")), patches) << row.args[1] << ": no run took place";
  }
  EXPECT_EQ(kqtest::ReadFile(dir.File("partial/Tarvelion.nvr")), longer);
  EXPECT_EQ(kqtest::ReadFile(dir.File("kq.bin")).size(), 65536u);
  for (const std::string& entry : dir.Entries())
    EXPECT_EQ(entry.find(".tarvelion-"), std::string::npos) << entry << ": no staging file is left";
  FolderLock otherProgram;
  ASSERT_TRUE(otherProgram.Acquire(dir.File("nvr")));
  const Outcome held = RunProgram({Rom(), "--slices", "5", kept});
  EXPECT_EQ(held.status, 1);
  EXPECT_NE(held.err.find("in use by another Tarvelion"), std::string::npos) << held.err;
  EXPECT_EQ(kqtest::ReadFile(dir.File("nvr/Tarvelion.nvr")), patches);
  otherProgram.Release();

  // A patch memory its user cannot read (the superuser can: the run is a user's).
  fs::create_directory(dir.File("locked"));
  const std::string unreadable = dir.File("locked/Tarvelion.nvr");
  kqtest::WriteFile(unreadable, patches);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(dir.File("locked").c_str(), kqtest::kUnprivileged, kqtest::kUnprivileged), 0);
    ASSERT_EQ(chown(unreadable.c_str(), kqtest::kUnprivileged, kqtest::kUnprivileged), 0);
    fs::permissions(dir.Path(), fs::perms::others_exec, fs::perm_options::add);
  }
  chmod(unreadable.c_str(), 0200);
  const int status = kqtest::RunAsUser([&] {
    const Outcome outcome = RunProgram({Rom(), "--slices", "5", "--nvr-dir", dir.File("locked")});
    return outcome.err.find("\"" + unreadable + "\" cannot be used: Permission denied") != std::string::npos
               ? outcome.status
               : 254;
  });
  EXPECT_EQ(status, 1);
  chmod(unreadable.c_str(), 0600);
  EXPECT_EQ(kqtest::ReadFile(unreadable), patches);

  // An output that is the program's own standard output or standard error, a log that
  // it appends to, by any name: the log keeps what it had.
  const std::string log = dir.File("run.log");
  const struct {
    Args args;
    std::string reason;
  } streams[] = {
      {{"--dump-ram", "/dev/stdout"}, "--dump-ram \"/dev/stdout\" is the report's standard output"},
      {{"--dump-ram", log}, "--dump-ram \"" + log + "\" is the report's standard output"},
      {{"--wav", "/dev/stderr"}, "--wav \"/dev/stderr\" is the report's standard error"},
  };
  for (const auto& row : streams) {
    kqtest::WriteFile(log, {'l', 'o', 'g', '\n'});
    Args args = {Rom(), "--slices", "5"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const Outcome outcome = RunTheProgram(dir, args, log);
    EXPECT_EQ(outcome.status, 1) << row.args[1];
    EXPECT_NE(outcome.err.find(row.reason), std::string::npos) << outcome.err;
    EXPECT_TRUE(ReadText(log) == "log\n") << row.args[1] << ": the log keeps what it had";
  }
}

// The outputs are written before the patch memory, which is not saved when one of them
// fails: the failed run, run again, starts from the same state.
TEST_F(RunnerProgram, ThePatchMemoryIsSavedOnlyAfterTheOutputs) {
  std::filesystem::create_directory(dir.File("nvr"));
  const std::string kept = "--nvr-dir=" + dir.File("nvr");
  ASSERT_EQ(RunProgram({Rom(), "--slices", "50", kept}).status, 0);
  const std::vector<uint8_t> patches = kqtest::ReadFile(dir.File("nvr/Tarvelion.nvr"));
  ASSERT_EQ(patches.size(), 0x4000u);
  {
    kqtest::FileSizeLimit full(20000);  // the patch memory fits, 200 slices of audio (36 KB) do not
    const Outcome failed = RunProgram({Rom(), "--slices", "200", kept, "--wav", dir.File("run.wav")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "kq-run: cannot write \"" + dir.File("run.wav") + "\": File too large\n");
    EXPECT_EQ(failed.out, "");
  }
  EXPECT_EQ(kqtest::ReadFile(dir.File("nvr/Tarvelion.nvr")), patches);
  EXPECT_FALSE(std::filesystem::exists(dir.File("run.wav")));
  {
    // The RAM dump fails after the WAV file is in place: it is written in place (a second
    // link), and its old 30000 bytes cannot be set aside under the limit.
    kqtest::WriteFile(dir.File("ram.bin"), std::vector<uint8_t>(30000, 0xAB));
    ASSERT_EQ(link(dir.File("ram.bin").c_str(), dir.File("ram.link").c_str()), 0);
    kqtest::FileSizeLimit limit(20000);  // the patch memory and 50 slices of audio fit
    const Outcome failed =
        RunProgram({Rom(), "--slices", "50", kept, "--wav", dir.File("run.wav"), "--dump-ram", dir.File("ram.bin")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "kq-run: cannot write \"" + dir.File("ram.bin") + "\": File too large\n");
    EXPECT_TRUE(std::filesystem::exists(dir.File("run.wav")));
    EXPECT_EQ(std::filesystem::file_size(dir.File("ram.bin")), 30000u);
  }
  EXPECT_EQ(kqtest::ReadFile(dir.File("nvr/Tarvelion.nvr")), patches);
  const Outcome again = RunProgram({Rom(), "--slices", "50", kept});
  EXPECT_NE(again.out.find("lcd2: BOOT 00002"), std::string::npos) << again.out << again.err;
}

// Where kq-run's own writes fail it says so and ends with status 1: a report it cannot
// print, and a file past the file size limit, whose old bytes stay (SIGXFSZ kills no
// write half-way).
TEST_F(RunnerProgram, TheProgramEndsWithTheReasonWhereAWriteFails) {
  const Outcome full = RunTheProgram(dir, {Rom(), "--slices", "10"}, "/dev/full");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "kq-run: the report cannot be written: No space left on device\n");
  const Outcome help = RunTheProgram(dir, {"--help"}, "/dev/full");
  EXPECT_EQ(help.status, 1);
  EXPECT_EQ(help.err, "kq-run: the usage cannot be written: No space left on device\n");

  const std::vector<uint8_t> old(100, 0xAB);
  kqtest::WriteFile(dir.File("ram.bin"), old);
  ASSERT_EQ(link(dir.File("ram.bin").c_str(), dir.File("shared.bin").c_str()), 0);  // written in place
  Outcome limited;
  {
    kqtest::FileSizeLimit limit(2000);
    limited = RunTheProgram(dir, {Rom(), "--slices", "10", "--dump-ram", dir.File("ram.bin")});
  }
  EXPECT_EQ(limited.status, 1) << "128 + SIGXFSZ: killed";
  EXPECT_EQ(limited.err, "kq-run: cannot write \"" + dir.File("ram.bin") + "\": File too large\n");
  EXPECT_EQ(kqtest::ReadFile(dir.File("ram.bin")), old);
}

// Ctrl+C, SIGTERM and SIGHUP stop a run between slices: the files it was writing are
// abandoned, no staging file is left, the patch memory is not saved, and the program
// ends by the signal, also where it was started with them blocked.
TEST_F(RunnerProgram, AStopSignalEndsTheRunWithNothingWritten) {
  namespace fs = std::filesystem;
  fs::create_directory(dir.File("nvr"));
  sigset_t stops;
  sigemptyset(&stops);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
  const struct {
    int signal;
    const char* name;
    bool blocked;
  } rows[] = {{SIGTERM, "SIGTERM", false}, {SIGINT, "SIGINT", false}, {SIGHUP, "SIGHUP", false},
              {SIGTERM, "SIGTERM", true}};
  auto staging = [&] {
    return std::count_if(fs::directory_iterator(dir.Path()), fs::directory_iterator(), [](const auto& entry) {
      return entry.path().filename().string().find(".tarvelion-") != std::string::npos;
    });
  };
  for (const auto& row : rows) {
    const pid_t child = StartTheProgram(dir,
                                        {Rom(), "--slices", "3000000", "--nvr-dir", dir.File("nvr"), "--wav",
                                         dir.File("song.wav"), "--dump-ram", dir.File("ram.bin")},
                                        "", row.blocked ? &stops : nullptr);
    ASSERT_GT(child, 0);
    // Both staging files are made before the first slice.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (staging() < 2 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(staging(), 2);
    kill(child, row.signal);
    const int status = WaitForTheProgram(child);
    EXPECT_TRUE(status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == row.signal)
        << row.name << (row.blocked ? " blocked" : "") << ": status " << status;
    const std::string err = ReadText(dir.File("stderr.txt"));
    EXPECT_EQ(err.rfind(std::string("kq-run: interrupted by ") + row.name + " after ", 0), 0u) << err;
    EXPECT_NE(err.find("not written; the patch memory not saved"), std::string::npos) << err;
    EXPECT_EQ(ReadText(dir.File("stdout.txt")), "");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"kq.bin", "nvr", "stderr.txt", "stdout.txt"}));
    EXPECT_TRUE(fs::is_empty(dir.File("nvr")));
  }
}

// The WAV file is written as the run goes through a small buffer: a run that writes one
// takes no more memory than one that does not.
TEST_F(RunnerProgram, TheAudioIsNotKeptInMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's shadow memory and quarantine make the resident size say little";
#endif
  rusage without{}, with{};
  ASSERT_EQ(RunTheProgram(dir, {Rom(), "--slices", "20000"}, "", &without).status, 0);
  ASSERT_EQ(RunTheProgram(dir, {Rom(), "--slices", "20000", "--wav", dir.File("run.wav")}, "", &with).status, 0);
  ASSERT_GT(std::filesystem::file_size(dir.File("run.wav")), 3'000'000u) << "the audio is larger than the margin";
  // ru_maxrss is in kilobytes.
  EXPECT_LT(std::abs(with.ru_maxrss - without.ru_maxrss), 2048)
      << "peak resident size " << with.ru_maxrss << " KB with the WAV file, " << without.ru_maxrss << " KB without";
}

// Memory the system refuses ends the run with status 1 and the reason, not an abort.
TEST(RunnerMemory, MemoryTheSystemRefusesEndsTheRunWithTheReason) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's allocator aborts where memory is refused";
#endif
  const Args args = {"kq.bin", "--midi", std::string(64 << 20, '9') + "@0"};  // copied while parsed
  kqtest::TempDir dir;
  const pid_t child = fork();
  if (child == 0) {
    unsigned long pages = 0;
    FILE* statm = fopen("/proc/self/statm", "r");
    if (!statm || fscanf(statm, "%lu", &pages) != 1) _exit(253);
    const rlim_t bytes = pages * sysconf(_SC_PAGESIZE) + (16 << 20);
    const rlimit limit = {bytes, bytes};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(253);
    Outcome outcome;
    try {
      outcome = RunProgram(args);
    } catch (...) {
      _exit(254);  // out of RunMain
    }
    kqtest::WriteFile(dir.File("err.txt"), std::vector<uint8_t>(outcome.err.begin(), outcome.err.end()));
    _exit(outcome.status);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(ReadText(dir.File("err.txt")), "kq-run: out of memory: the system refused the memory the run needs\n");
}

// Without --nvr-dir no patch memory is kept: the program's own folder is neither locked,
// read nor written, so a run goes ahead while another program holds that folder.
TEST_F(RunnerProgram, WithoutAPatchMemoryFolderItsOwnFolderIsLeftAlone) {
  const std::string folder = ProgramDirectory(), file = folder + "Tarvelion.nvr";
  const bool existed = std::filesystem::exists(file);
  FolderLock otherProgram;
  ASSERT_TRUE(otherProgram.Acquire(folder));
  const Outcome outcome = RunProgram({Rom(), "--slices", "50"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("lcd2: BOOT 00001"), std::string::npos) << "a blank patch memory: " << outcome.out;
  EXPECT_EQ(std::filesystem::exists(file), existed);
}

TEST_F(RunnerProgram, WritesTheAudioAndTheWorkRam) {
  const std::string ramFile = dir.File(std::string(246, 'r') + ".bin");  // a name of 250 bytes
  Outcome outcome = RunProgram({Rom(), "--slices", "200", "--midi", "90 45 7F@20", "--wav", dir.File("run.wav"),
                                "--dump-ram", ramFile});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  RunOptions options = Options(200);
  options.keepAudio = true;
  options.midi.push_back({20, {0x90, 0x45, 0x7F}, ""});
  kqrun::RunResult again = Run(options);

  const std::vector<uint8_t> wav = kqtest::ReadFile(dir.File("run.wav"));
  ASSERT_EQ(wav.size(), 44 + 2 * again.audio.size());
  const uint8_t header[36] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0,
                              0,   0,   1,   0,   2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0};
  for (size_t i = 0; i < 36; ++i) {
    if (i >= 4 && i < 8) continue;  // the size, below
    EXPECT_EQ(wav[i], header[i]) << "header byte " << i;
  }
  EXPECT_EQ(wav[4] | wav[5] << 8 | wav[6] << 16 | wav[7] << 24, int(wav.size() - 8));
  EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
  EXPECT_EQ(wav[40] | wav[41] << 8 | wav[42] << 16 | wav[43] << 24, int(wav.size() - 44));
  for (size_t i = 0; i < again.audio.size(); ++i) {
    const auto sample = int16_t(wav[44 + 2 * i] | wav[45 + 2 * i] << 8);
    ASSERT_EQ(sample, again.audio[i]) << "sample " << i << ": the same run gives the same sound";
  }
  EXPECT_GT(kqtest::Rms(kqtest::LeftChannel(again.audio, 0, again.audio.size() / 2)), 1000.0);

  const std::vector<uint8_t> ram = kqtest::ReadFile(ramFile);
  ASSERT_EQ(ram.size(), 4096u);
  EXPECT_EQ(std::string(ram.begin() + 0x10, ram.begin() + 0x14), "KQBT");
}

TEST_F(RunnerProgram, ThePlayPositionFollowsTheInstructionsExecuted) {
  RunOptions options = Options(300);
  options.keepAudio = true;
  kqrun::RunResult result = Run(options);
  EXPECT_EQ(result.audio.size() / 2, result.instructions * 44100 / 8'000'000);
}

}  // namespace
