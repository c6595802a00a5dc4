// Temporary folders, whole files, a file size limit and an unprivileged user for tests
// that work with the board's files.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kqtest {

// A new folder, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> Entries() const;

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
// The file's bytes; empty if it cannot be read.
std::vector<uint8_t> ReadFile(const std::string& path);

// While it lives, no file of this process can grow beyond the limit: a write past it
// fails as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(size_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  unsigned long long saved_;
  void (*savedSignal_)(int);
};

// What run returns (0 to 255), run in a child process that is, where this one is the
// superuser, the user and group kUnprivileged with no other groups, whom permission
// bits stop; -1 where the child did not end by returning.
constexpr uid_t kUnprivileged = 65534;
int RunAsUser(const std::function<int()>& run);

}  // namespace kqtest
