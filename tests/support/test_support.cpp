#include "tests/support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "integrador-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void EndChildren(const std::vector<pid_t>& pids) {
  for (pid_t pid : pids) {
    if (pid <= 0) continue;
    int status = 0;
    // 0: a child of ours that is still running. A reaped child's pid may
    // belong to another process by now, and waitpid refuses it (ECHILD).
    if (waitpid(pid, &status, WNOHANG) != 0) continue;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
}

}  // namespace testing_support
