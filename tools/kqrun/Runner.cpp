#include "tools/kqrun/Runner.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <map>
#include <ostream>

#include <unistd.h>

#include "board/Adc.h"
#include "board/Files.h"
#include "board/Panel.h"
#include "board/Ram.h"
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
    "                        another Tarvelion uses DIR or DIR cannot be locked; without\n"
    "                        it the patch memory starts blank and no file is read or\n"
    "                        written for it\n"
    "  --wav FILE            write the run's audio, 44100 Hz 16-bit stereo\n"
    "  --dump-ram FILE       write the 4 KB of work RAM as it is at the end\n"
    "--midi, --sysex, --press and --key may be given more than once.\n"
    "Prints lcd1:, lcd2:, digits:, leds: and instructions: lines.\n";

namespace {

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

// The files the run writes can be written: checked before the first slice, so that a
// wrong path costs no run and no patch memory is saved by a run that then fails.
bool CheckOutputs(const RunOptions& options, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code failure;
  auto writable = [](const fs::path& folder) { return access(folder.c_str(), W_OK | X_OK) == 0; };
  if (!options.nvrDirectory.empty()) {
    const std::string quoted = "\"" + options.nvrDirectory + "\"";
    if (!fs::is_directory(options.nvrDirectory, failure)) {
      error = "--nvr-dir " + quoted + " is not a folder";
      return false;
    }
    if (!writable(options.nvrDirectory)) {
      error = "--nvr-dir " + quoted + " cannot be written: " + std::strerror(errno);
      return false;
    }
  }
  for (auto [option, file] : {std::pair{"--wav", &options.wavFile}, std::pair{"--dump-ram", &options.ramFile}}) {
    if (file->empty()) continue;
    fs::path folder = fs::path(*file).parent_path();
    if (folder.empty()) folder = ".";
    if (!fs::is_directory(folder, failure)) {
      error = std::string(option) + " \"" + *file + "\": the folder \"" + folder.string() + "\" does not exist";
      return false;
    }
    if (!writable(folder)) {
      error = std::string(option) + " \"" + *file + "\": the folder \"" + folder.string() +
              "\" cannot be written: " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

// Why a file was not written.
bool CannotWrite(const std::string& file, std::error_code reason, std::string& error) {
  error = "cannot write \"" + file + "\": " + reason.message();
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
  if (!CheckOutputs(options, error)) return false;
  // The SysEx files are read before the run; each is queued whole at its slice.
  std::vector<std::vector<uint8_t>> midiBytes;
  for (const MidiInput& input : options.midi) {
    if (input.sysexFile.empty()) {
      midiBytes.push_back(input.bytes);
      continue;
    }
    const std::string quoted = "\"" + input.sysexFile + "\"";
    std::error_code failure;
    const uintmax_t size = std::filesystem::file_size(input.sysexFile, failure);
    if (!failure && size > kMidiQueueCapacity) {
      error = "SysEx file " + quoted + " is " + std::to_string(size) + " bytes, larger than the MIDI input queue (" +
              std::to_string(kMidiQueueCapacity) + " bytes)";
      return false;
    }
    auto bytes = ReadWholeFile(input.sysexFile, kMidiQueueCapacity);
    if (!bytes) {
      error = "SysEx file " + quoted + " cannot be read";
      return false;
    }
    midiBytes.push_back(std::move(*bytes));
  }

  HeadlessBoard board(options.keepAudio || !options.wavFile.empty());
  if (!board.Start(options.rom, options.nvrDirectory, error)) return false;
  for (const AdcSetting& setting : options.adc) AdcInputs[setting.channel] = setting.value;

  for (uint32_t slice = 0; slice < options.slices; ++slice) {
    ApplyHolds(options.buttons, slice, ButtonPressed);
    ApplyHolds(options.keys, slice, PcKeyDown);
    for (size_t i = 0; i < options.midi.size(); ++i) {
      const MidiInput& input = options.midi[i];
      if (input.slice != slice) continue;
      if (!UartQueueMidiIn(int32_t(midiBytes[i].size()), midiBytes[i].data())) {
        error = "the MIDI input queue has no room for " +
                (input.sysexFile.empty() ? std::string("the --midi bytes") : "\"" + input.sysexFile + "\"") +
                " at slice " + std::to_string(slice);
        return false;
      }
    }
    board.RunSlice();
  }

  result.panel = ReadPanel();
  result.instructions = board.Instructions();
  result.audio = board.Audio();
  std::error_code failure;
  if (!options.wavFile.empty() && !WriteWavFile(options.wavFile, result.audio, &failure))
    return CannotWrite(options.wavFile, failure, error);
  if (!options.ramFile.empty() && !ReplaceFile(options.ramFile, RamImage, &failure))
    return CannotWrite(options.ramFile, failure, error);
  // Last, and only after the outputs: a run that failed leaves the patch memory as it
  // found it, so that running it again starts from the same state.
  return board.Finish(error);
}

int RunMain(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::string error;
  bool help = false;
  std::optional<RunOptions> options = ParseArguments(args, error, &help);
  if (help) {
    out << kUsage;
    return 0;
  }
  if (!options) {
    err << "kq-run: " << error << "\n" << kUsage;
    return 2;
  }
  RunResult result;
  if (!Run(*options, result, error)) {
    err << "kq-run: " << error << "\n";
    return 1;
  }
  out << FormatPanel(result.panel, result.instructions);
  return 0;
}

}  // namespace kqrun
