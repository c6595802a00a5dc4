// The board's files: whole-file reads, and writes that replace a file only once the
// new content is completely on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The whole content of a regular file of at most maxBytes bytes; nothing if the file
// cannot be opened, is longer, or does not read completely.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t maxBytes);

// A file of exactly image.size() bytes, copied into image only once it has been read
// whole; any other file leaves image as it was and gives false.
bool LoadImageFile(const std::string& path, std::span<uint8_t> image);

// Writes the bytes to a new file beside path and renames it over path once every byte
// is written and the file is closed. On any failure the old file stays as it was, the
// new one is removed, and the result is false.
bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes);

// The directory of the running program, with its trailing '/'.
std::string ProgramDirectory();
