#include "board/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t maxBytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  std::optional<std::vector<uint8_t>> content;
  struct stat st;
  if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= maxBytes) {
    std::vector<uint8_t> bytes(size_t(st.st_size));
    // One byte more than expected must not be there: the file did not grow meanwhile.
    bool whole = bytes.empty() || std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (whole && std::fgetc(f) == EOF && !std::ferror(f))
      content = std::move(bytes);
  }
  std::fclose(f);
  return content;
}

bool LoadImageFile(const std::string& path, std::span<uint8_t> image) {
  auto content = ReadWholeFile(path, image.size());
  if (!content || content->size() != image.size()) return false;
  std::memcpy(image.data(), content->data(), image.size());
  return true;
}

bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes) {
  std::string temporary = path + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  // The replacement keeps the permissions of the file it replaces.
  struct stat st;
  fchmod(fd, stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0644);
  FILE* f = fdopen(fd, "wb");
  if (!f) {
    close(fd);
    unlink(temporary.c_str());
    return false;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() &&
                 std::fflush(f) == 0 && fsync(fd) == 0;
  bool closed = std::fclose(f) == 0;
  if (written && closed && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

std::string ProgramDirectory() {
  std::error_code error;
  auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "./";
  std::string directory = program.parent_path().string();
  if (directory.empty() || directory.back() != '/') directory += '/';
  return directory;
}
