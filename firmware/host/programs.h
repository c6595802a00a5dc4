// The 68000 test programs built into this program, and their runs: on the core over a
// flat 128 KB of RAM until they stop, and as the same C built for the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace firmware {

enum class MemoryMap { Flat, Kq };

struct ProgramImage {
  const char* name;   // the source's name
  const char* level;  // optimisation level: "O0", "O2" or "Os"
  MemoryMap map;
  const uint8_t* data;  // the image from address 0
  size_t size;
  int (*host)();  // the same program built for the host, or none
};

// Every image, in build order.
std::span<const ProgramImage> ProgramImages();
const ProgramImage* FindProgram(std::string_view name, std::string_view level);

// What a program left in its mailbox.
struct Mailbox {
  uint32_t exception = 0;  // vector of an unexpected exception, 0 if none
  uint32_t exceptionPc = 0;
  uint32_t exceptionSr = 0;
  uint32_t count = 0;  // values reported, also those beyond the mailbox's capacity
  std::vector<uint32_t> values;
};
// Reads the mailbox of the given address and size through the bus.
Mailbox ReadMailbox(uint32_t address, uint32_t size);

// Results of the host build: the values and the names they were reported under. Each
// program's host build runs once per process (its globals are not reset), so the
// result is kept. Empty for an image without a host build.
struct HostResults {
  std::vector<std::string> names;
  std::vector<uint32_t> values;
};
const HostResults& RunOnHost(const ProgramImage& image);

// Maps a fast flat RAM over the whole bus, copies a flat-map image to address 0 and
// resets the processor from its vectors.
void LoadFlat(const ProgramImage& image);

struct CoreRun {
  uint64_t instructions = 0;
  bool stopped = false;  // reached STOP within the limit
};
// Runs the core from where it is until it stops or has executed about `limit`
// instructions.
CoreRun RunUntilStop(uint64_t limit);

// Everything in one: loads a flat-map image, runs it and reads its mailbox.
struct FlatRun {
  CoreRun run;
  Mailbox mailbox;
};
FlatRun RunFlat(const ProgramImage& image, uint64_t limit);

}  // namespace firmware
