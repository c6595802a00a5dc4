#include "tools/kqrun/Runner.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <filesystem>
#include <map>
#include <new>
#include <ostream>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "board/Adc.h"
#include "board/Files.h"
#include "board/Nvr.h"
#include "board/Panel.h"
#include "board/Ram.h"
#include "board/Sound.h"
#include "board/Uart.h"

namespace kqrun {

const char* const kUsage =
    "usage: kq-run ROM [options]\n"
    "Runs the board without windows from a 64 KB ROM image, slice after slice (8192\n"
    "instructions, 1.024 ms of emulated time each) as fast as it can, and prints what the\n"
    "panel shows at the end. Slices are numbered from 0.\n"
    "  --slices N            slices to run (default 1000)\n"
    "  --midi HEX@S          queue MIDI bytes, e.g. \"90 3C 7F\", before slice S runs\n"
    "  --sysex FILE@S        queue the bytes of a SysEx file before slice S runs\n"
    "  --press BUTTON@S1-S2  hold a panel button, by its field name (ProgramSelect3,\n"
    "                        Split, ...), from slice S1 through slice S2\n"
    "  --key K@S1-S2         hold a PC key, 0-9 or Enter, likewise\n"
    "  --adc CH=V            analog input CH (0-7, or JoystickX, JoystickY, DataEntry,\n"
    "                        Volume, Balance) at V (0-255) from the start; otherwise\n"
    "                        volume 255, the others 128\n"
    "  --nvr-dir DIR         patch memory from DIR/Tarvelion.nvr (else DIR/Factory.nvr),\n"
    "                        written back to DIR/Tarvelion.nvr at the end, after the\n"
    "                        other files and only if they were written; refused while\n"
    "                        another Tarvelion uses DIR or DIR cannot be locked, and\n"
    "                        when DIR/Tarvelion.nvr cannot be used (not 16384 bytes,\n"
    "                        unreadable) rather than replaced; without it the patch\n"
    "                        memory starts blank and no file is read or written for it\n"
    "  --wav FILE            write the run's audio, 44100 Hz 16-bit stereo (at most\n"
    "                        4 GiB: some 23.7 million slices)\n"
    "  --dump-ram FILE       write the 4 KB of work RAM as it is at the end\n"
    "--midi, --sysex, --press and --key may be given more than once; the MIDI bytes\n"
    "queued at one slice must fit the MIDI input queue (65535 bytes).\n"
    "Files that cannot be read or written, empty SysEx files, and outputs naming an\n"
    "input (the ROM image, a SysEx file, DIR's Tarvelion.nvr or Factory.nvr), each\n"
    "other, or the file that standard output or standard error goes to, are refused\n"
    "before the first slice.\n"
    "Ctrl+C, SIGTERM or SIGHUP stops the run: the outputs not yet in place are dropped\n"
    "(one being put in place is finished first), the patch memory is not saved, and\n"
    "kq-run ends by that signal.\n"
    "Prints lcd1:, lcd2:, digits:, leds: and instructions: lines.\n"
    "Exit status: 0 when the run is done and its report printed; 1 when the run failed\n"
    "or was refused (the ROM image, a file, the patch memory, memory) or its report\n"
    "could not be written; 2 for bad arguments.\n";

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Set by the handler, read by the run between slices and between outputs.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch a lock-free atomic");

void CatchStop(int signal) {
  int none = 0;
  stopSignal.compare_exchange_strong(none, signal);
}

sigset_t StopSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kStopSignals) sigaddset(&set, signal);
  return set;
}

// Holds the stop signals back while a file is put in place, so that none cuts a call of
// it short (a reservation of room on tmpfs fails with EINTR rather than restart): the
// file is whole, new or old, when the run next looks for a signal.
class StopSignalsHeld {
 public:
  StopSignalsHeld() {
    const sigset_t stops = StopSignalSet();
    pthread_sigmask(SIG_BLOCK, &stops, &before_);
  }
  ~StopSignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
  sigset_t before_;
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return lower;
}

template <typename T> bool ParseNumber(std::string_view text, T& value, int base = 10) {
  const char* end = text.data() + text.size();
  auto [at, failure] = std::from_chars(text.data(), end, value, base);
  return !text.empty() && failure == std::errc() && at == end;
}

// "TEXT@WHEN", split at the last '@' (a file name may hold one).
bool SplitAt(std::string_view value, std::string_view& what, std::string_view& when) {
  const size_t at = value.rfind('@');
  if (at == std::string_view::npos || at == 0) return false;
  what = value.substr(0, at);
  when = value.substr(at + 1);
  return true;
}

// "S" or "S1-S2".
bool ParseSliceRange(std::string_view text, uint32_t& first, uint32_t& last) {
  const size_t dash = text.find('-');
  if (dash == std::string_view::npos) return ParseNumber(text, first) && ParseNumber(text, last);
  return ParseNumber(text.substr(0, dash), first) && ParseNumber(text.substr(dash + 1), last);
}

// Hex bytes, with or without spaces between them: "90 3C 7F", "903C7F".
bool ParseHexBytes(std::string_view text, std::vector<uint8_t>& bytes) {
  std::string digits;
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) digits += c;
  if (digits.empty() || digits.size() % 2 != 0) return false;
  for (size_t i = 0; i < digits.size(); i += 2) {
    uint8_t byte;
    if (!ParseNumber(std::string_view(digits).substr(i, 2), byte, 16)) return false;
    bytes.push_back(byte);
  }
  return true;
}

std::optional<int> FindPcKey(std::string_view name) {
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') return int(PcKey::Digit0) + (name[0] - '0');
  if (Lower(name) == "enter") return int(PcKey::Enter);
  return std::nullopt;
}

std::optional<int> FindAdcChannel(std::string_view name) {
  int channel;
  if (ParseNumber(name, channel)) return channel >= 0 && channel < 8 ? std::optional(channel) : std::nullopt;
  static const std::map<std::string, int> names = {
      {"joystickx", kAdcJoystickX}, {"joysticky", kAdcJoystickY}, {"dataentry", kAdcDataEntry},
      {"volume", kAdcVolume},       {"balance", kAdcBalance},
  };
  auto found = names.find(Lower(name));
  return found == names.end() ? std::nullopt : std::optional(found->second);
}

// One option with its value; false with the reason if the value does not parse.
bool ApplyOption(std::string_view name, std::string_view value, RunOptions& options, std::string& error) {
  std::string_view what, when;
  uint32_t first, last;
  auto bad = [&](const std::string& expected) {
    error = "--" + std::string(name) + " " + std::string(value) + ": expected " + expected;
    return false;
  };
  if (value.empty()) return bad("a value");
  if (name == "slices") {
    if (!ParseNumber(value, options.slices) || options.slices == 0) return bad("a number of slices above 0");
  } else if (name == "midi") {
    MidiInput input{};
    if (!SplitAt(value, what, when) || !ParseHexBytes(what, input.bytes) || !ParseNumber(when, input.slice))
      return bad("hex bytes and a slice, e.g. \"90 3C 7F@100\"");
    options.midi.push_back(std::move(input));
  } else if (name == "sysex") {
    MidiInput input{};
    if (!SplitAt(value, what, when) || !ParseNumber(when, input.slice)) return bad("FILE@SLICE");
    input.sysexFile = what;
    options.midi.push_back(std::move(input));
  } else if (name == "press" || name == "key") {
    const bool button = name == "press";
    if (!SplitAt(value, what, when) || !ParseSliceRange(when, first, last) || first > last)
      return bad(button ? "BUTTON@S1-S2 with S1 <= S2" : "K@S1-S2 with S1 <= S2");
    std::optional<int> input;
    if (button) {
      if (auto b = FindPanelButton(what)) input = int(*b);
    } else {
      input = FindPcKey(what);
    }
    if (!input) return bad(button ? "a panel button's field name, e.g. ProgramSelect3" : "a key 0-9 or Enter");
    (button ? options.buttons : options.keys).push_back({*input, first, last});
  } else if (name == "adc") {
    const size_t equals = value.find('=');
    std::optional<int> channel = FindAdcChannel(value.substr(0, equals));
    uint8_t level;
    if (equals == std::string_view::npos || !channel || !ParseNumber(value.substr(equals + 1), level))
      return bad("CH=V with CH 0-7 or an input's name and V 0-255");
    options.adc.push_back({*channel, level});
  } else if (name == "nvr-dir") {
    options.nvrDirectory = value;
  } else if (name == "wav") {
    options.wavFile = value;
  } else if (name == "dump-ram") {
    options.ramFile = value;
  } else {
    error = "unknown option --" + std::string(name);
    return false;
  }
  return true;
}

// Every input lies inside the run.
bool CheckSchedule(const RunOptions& options, std::string& error) {
  auto outside = [&](const char* option, uint32_t slice) {
    error = std::string(option) + " at slice " + std::to_string(slice) + " lies beyond the run's " +
            std::to_string(options.slices) + " slices (numbered from 0)";
    return false;
  };
  for (const MidiInput& input : options.midi)
    if (input.slice >= options.slices) return outside(input.sysexFile.empty() ? "--midi" : "--sysex", input.slice);
  for (const Hold& hold : options.buttons)
    if (hold.first >= options.slices) return outside("--press", hold.first);
  for (const Hold& hold : options.keys)
    if (hold.first >= options.slices) return outside("--key", hold.first);
  return true;
}

namespace fs = std::filesystem;

// The patch memory folder exists, and its patch memory file, if there is one, can be
// used and written back: one that cannot would be replaced at the end by the factory
// state or zeros.
bool CheckPatchMemory(const std::string& folder, std::string& error) {
  std::error_code reason;
  struct stat st;
  if (stat(folder.c_str(), &st) != 0)
    reason = {errno, std::generic_category()};
  else if (!S_ISDIR(st.st_mode))
    reason = std::make_error_code(std::errc::not_a_directory);
  if (reason) {
    error = "--nvr-dir " + Quoted(folder) + " cannot be used: " + reason.message();
    return false;
  }
  const std::string file = (fs::path(folder) / kNvrFileName).string();
  std::vector<uint8_t> image(kNvrSize);
  if (!LoadImageFile(file, image, &reason) && reason != std::errc::no_such_file_or_directory) {
    std::error_code sizeFailure;
    const uintmax_t size = fs::file_size(file, sizeFailure);
    error = "patch memory " + Quoted(file) + " cannot be used: " +
            (reason == FileError::WrongSize && !sizeFailure
                 ? "it is " + std::to_string(size) + " bytes, not " + std::to_string(kNvrSize)
                 : reason.message());
    return false;
  }
  if (!CheckReplaceable(file, &reason)) {
    error = "patch memory " + Quoted(file) + " cannot be written: " + reason.message();
    return false;
  }
  return true;
}

// A file the run writes, begun before the first slice and committed after the last.
struct Output {
  const char* option;
  const std::string& file;
  FileReplacement& replacement;
  std::string Named() const { return std::string(option) + " " + Quoted(file); }
};

// Whether the file at path is the regular file open as fd. One of the program's own
// standard streams replaced by an output would lose what was written to it before (a
// log the report is appended to) and take the report into the old file, then nameless.
// A pipe or terminal needs no such check: no replacement begins on one.
bool IsOpenAs(const std::string& path, int fd) {
  struct stat open, named;
  return fstat(fd, &open) == 0 && S_ISREG(open.st_mode) && stat(path.c_str(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// The outputs replace none of the run's inputs nor each other, and each can be written:
// its replacement is begun, so that a wrong path costs no run and a run that then fails
// has changed no file.
bool BeginOutputs(const RunOptions& options, std::span<const Output> outputs, std::string& error) {
  std::vector<std::pair<std::string, std::string>> inputs = {{"the ROM image", options.rom}};
  for (const MidiInput& input : options.midi)
    if (!input.sysexFile.empty()) inputs.emplace_back("the SysEx file", input.sysexFile);
  if (!options.nvrDirectory.empty()) {
    const fs::path folder(options.nvrDirectory);
    inputs.emplace_back("the run's patch memory file", (folder / kNvrFileName).string());
    inputs.emplace_back("the factory patch memory", (folder / kFactoryNvrFileName).string());
  }
  for (const Output& output : outputs)
    for (const auto& [what, file] : inputs)
      if (SameFile(output.file, file)) {
        error = output.Named() + " is " + what + " " + Quoted(file);
        return false;
      }
  if (outputs.size() == 2 && SameFile(outputs[0].file, outputs[1].file)) {
    error = outputs[0].Named() + " and " + outputs[1].Named() + " are the same file";
    return false;
  }
  for (const Output& output : outputs)
    for (const auto& [fd, what] : {std::pair(STDOUT_FILENO, "output"), std::pair(STDERR_FILENO, "error")})
      if (IsOpenAs(output.file, fd)) {
        error = output.Named() + " is the report's standard " + what;
        return false;
      }
  auto wavFits = [](uint32_t slices) { return MostFramesPlayed(slices) * kSoundFrameBytes <= kWavMostDataBytes; };
  if (!options.wavFile.empty() && !wavFits(options.slices)) {
    uint32_t fits = 0, fitsNot = options.slices;
    while (fitsNot - fits > 1) {
      const uint32_t middle = fits + (fitsNot - fits) / 2;
      (wavFits(middle) ? fits : fitsNot) = middle;
    }
    error = "--wav " + Quoted(options.wavFile) + ": " + std::to_string(options.slices) +
            " slices can make more audio than a WAV file holds (4 GiB); at most " + std::to_string(fits) +
            " slices";
    return false;
  }
  for (const Output& output : outputs) {
    std::error_code reason;
    if (!output.replacement.Begin(output.file, &reason)) {
      error = output.Named() + " cannot be written: " + reason.message();
      return false;
    }
  }
  return true;
}

// The run's audio into the WAV file's replacement as it plays, through a small buffer;
// the header's sizes are filled in at the end.
class WavStream {
 public:
  explicit WavStream(FileReplacement& file) : file_(file) { buffer_.reserve(kBufferBytes); }

  bool Start(std::error_code& failure) { return file_.Write(WavHeader(0), &failure); }
  bool Add(std::span<const int16_t> samples, std::error_code& failure) {
    if (buffer_.size() + 2 * samples.size() > kBufferBytes && !Flush(failure)) return false;
    for (int16_t sample : samples) {
      buffer_.push_back(uint8_t(sample));
      buffer_.push_back(uint8_t(uint16_t(sample) >> 8));
    }
    return true;
  }
  bool Finish(std::error_code& failure) {
    if (!Flush(failure)) return false;
    const uint64_t dataBytes = file_.Size() - kWavHeaderBytes;
    if (dataBytes > kWavMostDataBytes) {
      failure = std::make_error_code(std::errc::file_too_large);
      return false;
    }
    return file_.WriteAt(0, WavHeader(uint32_t(dataBytes)), &failure);
  }

 private:
  static constexpr size_t kBufferBytes = 64 * 1024;

  bool Flush(std::error_code& failure) {
    const bool written = file_.Write(buffer_, &failure);
    buffer_.clear();
    return written;
  }

  FileReplacement& file_;
  std::vector<uint8_t> buffer_;
};

// The bytes queued at each slice fit the empty MIDI input queue.
bool CheckMidiQueue(const RunOptions& options, const std::vector<std::vector<uint8_t>>& midiBytes,
                    std::string& error) {
  std::map<uint32_t, size_t> queued;
  for (size_t i = 0; i < options.midi.size(); ++i) queued[options.midi[i].slice] += midiBytes[i].size();
  for (const auto& [slice, bytes] : queued) {
    if (bytes <= size_t(kMidiQueueCapacity)) continue;
    error = "the MIDI inputs at slice " + std::to_string(slice) + " come to " + std::to_string(bytes) +
            " bytes, more than the MIDI input queue holds (" + std::to_string(kMidiQueueCapacity) + " bytes)";
    return false;
  }
  return true;
}

// Why a file was not written.
bool CannotWrite(const std::string& file, std::error_code reason, std::string& error) {
  error = "cannot write " + Quoted(file) + ": " + reason.message();
  return false;
}

// The reason of a run that a stop signal ended: when, and what it wrote and did not.
bool Interrupted(const RunOptions& options, std::span<const Output> outputs, const std::string& when,
                 std::string& error, bool nvrSaved = false) {
  const int signal = StopSignal();
  error = std::string("interrupted by ") + (signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP") +
          " " + when;
  std::string written, unwritten, said;
  auto add = [](std::string& list, const std::string& item, const char* between) {
    list += (list.empty() ? "" : between) + item;
  };
  for (const Output& output : outputs) add(output.replacement.Begun() ? unwritten : written, output.Named(), " and ");
  if (!written.empty()) add(said, written + " written", "; ");
  if (!unwritten.empty()) add(said, unwritten + " not written", "; ");
  if (!options.nvrDirectory.empty())
    add(said, nvrSaved ? "the patch memory saved" : "the patch memory not saved", "; ");
  if (!said.empty()) error += ": " + said;
  return false;
}

// Writes text on out: false, with the reason on err, where it does not all arrive (a
// full disk, a closed pipe).
bool Print(std::ostream& out, const std::string& text, const char* what, std::ostream& err) {
  errno = 0;
  out << text << std::flush;
  if (out) return true;
  const int reason = errno;
  err << "kq-run: " << what << " cannot be written: "
      << (reason ? std::error_code(reason, std::generic_category()).message() : "the output failed") << "\n";
  return false;
}

// Sets each held input's state for the slice.
void ApplyHolds(const std::vector<Hold>& holds, uint32_t slice, std::atomic<uint8_t>* states) {
  for (const Hold& hold : holds) states[hold.input] = 0;
  for (const Hold& hold : holds)
    if (slice >= hold.first && slice <= hold.last) states[hold.input] = 1;
}

}  // namespace

std::optional<RunOptions> ParseArguments(std::span<const std::string> args, std::string& error, bool* help) {
  RunOptions options;
  bool haveRom = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      if (help) *help = true;
      return std::nullopt;
    }
    if (arg.rfind("--", 0) != 0 || arg.size() == 2) {
      if (haveRom) {
        error = "more than one ROM image given: " + options.rom + ", " + arg;
        return std::nullopt;
      }
      options.rom = arg;
      haveRom = true;
      continue;
    }
    std::string_view name = std::string_view(arg).substr(2), value;
    const size_t equals = name.find('=');
    if (equals != std::string_view::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      error = "--" + std::string(name) + " needs a value";
      return std::nullopt;
    }
    if (!ApplyOption(name, value, options, error)) return std::nullopt;
  }
  if (!haveRom) {
    error = "no ROM image given";
    return std::nullopt;
  }
  if (!CheckSchedule(options, error)) return std::nullopt;
  return options;
}

bool Run(const RunOptions& options, RunResult& result, std::string& error) {
  if (!options.nvrDirectory.empty() && !CheckPatchMemory(options.nvrDirectory, error)) return false;
  FileReplacement wavFile, ramFile;
  std::vector<Output> outputs;
  if (!options.wavFile.empty()) outputs.push_back({"--wav", options.wavFile, wavFile});
  if (!options.ramFile.empty()) outputs.push_back({"--dump-ram", options.ramFile, ramFile});
  if (!BeginOutputs(options, outputs, error)) return false;
  // The SysEx files are read before the run; each is queued whole at its slice.
  std::vector<std::vector<uint8_t>> midiBytes;
  for (const MidiInput& input : options.midi) {
    if (input.sysexFile.empty()) {
      midiBytes.push_back(input.bytes);
      continue;
    }
    const std::string quoted = Quoted(input.sysexFile);
    std::error_code failure;
    const uintmax_t size = std::filesystem::file_size(input.sysexFile, failure);
    if (!failure && size > kMidiQueueCapacity) {
      error = "SysEx file " + quoted + " is " + std::to_string(size) + " bytes, larger than the MIDI input queue (" +
              std::to_string(kMidiQueueCapacity) + " bytes)";
      return false;
    }
    auto bytes = ReadWholeFile(input.sysexFile, kMidiQueueCapacity, &failure);
    if (!bytes) {
      error = "SysEx file " + quoted + " cannot be read: " + failure.message();
      return false;
    }
    if (bytes->empty()) {
      error = "SysEx file " + quoted + " is empty: it holds no bytes to queue";
      return false;
    }
    midiBytes.push_back(std::move(*bytes));
  }
  if (!CheckMidiQueue(options, midiBytes, error)) return false;

  HeadlessBoard board(options.keepAudio);
  if (!board.Start(options.rom, options.nvrDirectory, error)) return false;
  for (const AdcSetting& setting : options.adc) AdcInputs[setting.channel] = setting.value;
  std::error_code failure;
  WavStream wav(wavFile);
  if (wavFile.Begun() && !wav.Start(failure)) return CannotWrite(options.wavFile, failure, error);

  for (uint32_t slice = 0; slice < options.slices; ++slice) {
    if (StopSignal())
      return Interrupted(options, outputs,
                         "after " + std::to_string(slice) + " of " + std::to_string(options.slices) + " slices", error);
    ApplyHolds(options.buttons, slice, ButtonPressed);
    ApplyHolds(options.keys, slice, PcKeyDown);
    for (size_t i = 0; i < options.midi.size(); ++i) {
      const MidiInput& input = options.midi[i];
      if (input.slice != slice) continue;
      if (!UartQueueMidiIn(int32_t(midiBytes[i].size()), midiBytes[i].data())) {
        error = "the MIDI input queue has no room for " +
                (input.sysexFile.empty() ? std::string("the --midi bytes") : Quoted(input.sysexFile)) +
                " at slice " + std::to_string(slice);
        return false;
      }
    }
    board.RunSlice();
    if (wavFile.Begun() && !wav.Add(board.SliceAudio(), failure)) return CannotWrite(options.wavFile, failure, error);
  }

  result.panel = ReadPanel();
  result.instructions = board.Instructions();
  if (options.keepAudio) result.audio = board.Audio();
  // Each file is put in place with the stop signals held back; one that comes meanwhile
  // ends the run before the next file.
  const std::string atTheEnd = "after all " + std::to_string(options.slices) + " slices";
  if (wavFile.Begun()) {
    if (StopSignal()) return Interrupted(options, outputs, atTheEnd, error);
    const StopSignalsHeld held;
    if (!(wav.Finish(failure) && wavFile.Commit(&failure))) return CannotWrite(options.wavFile, failure, error);
  }
  if (ramFile.Begun()) {
    if (StopSignal()) return Interrupted(options, outputs, atTheEnd, error);
    const StopSignalsHeld held;
    if (!(ramFile.Write(RamImage, &failure) && ramFile.Commit(&failure)))
      return CannotWrite(options.ramFile, failure, error);
  }
  // Last, and only after the outputs: a run that failed or was stopped leaves the patch
  // memory as it found it, so that running it again starts from the same state.
  if (StopSignal()) return Interrupted(options, outputs, atTheEnd, error);
  {
    const StopSignalsHeld held;
    if (!board.Finish(error)) return false;
  }
  // One that came during the save ends the program as any other: said, and by the signal.
  return !StopSignal() || Interrupted(options, outputs, atTheEnd, error, true);
}

int RunMain(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  try {
    std::string error;
    bool help = false;
    std::optional<RunOptions> options = ParseArguments(args, error, &help);
    if (help) return Print(out, kUsage, "the usage", err) ? 0 : 1;
    if (!options) {
      err << "kq-run: " << error << "\n" << kUsage;
      return 2;
    }
    RunResult result;
    if (!Run(*options, result, error)) {
      err << "kq-run: " << error << "\n";
      return StopSignal() ? 128 + StopSignal() : 1;
    }
    // A report that does not arrive is a failure, whatever the run did.
    return Print(out, FormatPanel(result.panel, result.instructions), "the report", err) ? 0 : 1;
  } catch (const std::bad_alloc&) {
    err << "kq-run: out of memory: the system refused the memory the run needs\n";
  } catch (const std::exception& failure) {
    err << "kq-run: " << failure.what() << "\n";
  }
  return 1;
}

void CatchStopSignals() {
  struct sigaction action = {};
  action.sa_handler = CatchStop;
  action.sa_mask = StopSignalSet();
  // A slow call that a signal comes into (the report into a pipe) goes on.
  action.sa_flags = SA_RESTART;
  for (int signal : kStopSignals) {
    struct sigaction before;
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
  const sigset_t stops = StopSignalSet();
  sigprocmask(SIG_UNBLOCK, &stops, nullptr);
}

int StopSignal() { return stopSignal.load(); }

void EndByStopSignal() {
  const int signal = StopSignal();
  if (signal == 0) return;
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace kqrun
