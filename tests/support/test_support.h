#pragma once
// Helpers shared by the test programs.
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes. Safe for tests running in parallel.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Writes bytes to a file, creating missing folders.
void WriteFile(const std::filesystem::path& file, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& file);

// Kills (SIGKILL) and reaps every child of `pids` still running; children
// already reaped, and pids that are no child of this process, are left
// alone. A test that stopped at a failed assertion would otherwise leave its
// program running: it goes on writing into the test database, and into the
// database of a later process that gets the same name.
void EndChildren(const std::vector<pid_t>& pids);

}  // namespace testing_support
