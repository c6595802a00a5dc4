// The headless runner: its command line, one whole run of the board from it, and the
// program around them. scripts/kq-run builds and starts the program.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/kqrun/HeadlessBoard.h"

namespace kqrun {

constexpr uint32_t kDefaultSlices = 1000;

// An input held from slice `first` through slice `last`: a PanelButton or a PcKey.
struct Hold {
  int input;
  uint32_t first;
  uint32_t last;
};

// Bytes for the MIDI input queue before a slice runs: given in hex, or a SysEx file.
struct MidiInput {
  uint32_t slice;
  std::vector<uint8_t> bytes;
  std::string sysexFile;  // set for --sysex
};

struct AdcSetting {
  int channel;
  uint8_t value;
};

struct RunOptions {
  std::string rom;
  uint32_t slices = kDefaultSlices;
  std::vector<MidiInput> midi;  // --midi and --sysex in the order given
  std::vector<Hold> buttons;    // --press
  std::vector<Hold> keys;       // --key
  std::vector<AdcSetting> adc;  // applied at start, after the built-in values
  std::string nvrDirectory;
  std::string wavFile;
  std::string ramFile;
  bool keepAudio = false;  // keep the audio in the result (a WAV file is written as it plays)
};

extern const char* const kUsage;

// The options of the arguments that follow the program's name; nothing, with the
// reason, for arguments that make no run. help is set (and nothing returned) for
// --help.
std::optional<RunOptions> ParseArguments(std::span<const std::string> args, std::string& error,
                                         bool* help = nullptr);

struct RunResult {
  PanelView panel;
  uint64_t instructions = 0;
  std::vector<int16_t> audio;  // with keepAudio: every frame played
};

// Checks the inputs and outputs, starts the board, runs the slices with the options'
// inputs while the audio goes into the WAV file's replacement, then puts the WAV file
// and the RAM dump that were asked for in place and, last, saves the patch memory. False,
// with the reason, when the ROM image is unusable, a SysEx file cannot be read or is
// empty, the inputs of a slice overfill the MIDI input queue, the patch memory folder is
// missing, in use or cannot be locked, its patch memory file cannot be used (not 16384
// bytes, unreadable) or written, an output names an input or the other output, or a file
// cannot be written, an output is the program's standard output or standard error (a
// log the report goes to); all of these but a queue still full from earlier slices and
// a write that fails during or after the run are found before the first slice. A failed
// output leaves every file as it was, the patch memory file among them. A stop signal
// (below) ends the run before its next slice, or before the next output is put in place
// (one being put in place is finished first), with the reason: what was put in place
// stays, the rest is abandoned, and the patch memory is not saved.
bool Run(const RunOptions& options, RunResult& result, std::string& error);

// The program: prints the panel lines on out and any message on err; returns the exit
// status: 0 after a run whose report was written, 1 when the run failed (a missing or
// wrong-size ROM, a file, the memory) or the report could not be written, 2 for
// arguments that make no run, 128 + the signal when a stop signal ended the run.
int RunMain(std::span<const std::string> args, std::ostream& out, std::ostream& err);

// SIGINT (Ctrl+C), SIGTERM and SIGHUP, the stop signals: once they are caught, one ends
// the run as Run says, and the program then ends by it (EndByStopSignal), so that no
// staging file is left and no output is torn. Those the program was started with
// ignored (nohup) stay ignored; blocked ones (a launcher may leave them so) are
// unblocked. Only the program calls this: the handlers are the process's.
void CatchStopSignals();
// The first stop signal caught, 0 while none has come.
int StopSignal();
// Where a stop signal was caught, ends the process by it at its default action, for its
// parent to see; returns otherwise. Called once everything the run made is cleaned up.
void EndByStopSignal();

}  // namespace kqrun
