#include "bench/support/bench_data.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace torvane::bench {

std::string AsmFile(int lines) {
  const char* tmp = std::getenv("TMPDIR");
  const std::filesystem::path dir = std::filesystem::path(tmp ? tmp : "/tmp") / "torvane-bench";
  std::filesystem::create_directories(dir);
  const auto path = dir / ("asm_" + std::to_string(lines) + ".asm");
  if (!std::filesystem::exists(path)) {
    const std::string command = std::string("python3 '") + TORVANE_GEN_ASM + "' " +
                                std::to_string(lines) + " '" + path.string() + "'";
    if (std::system(command.c_str()) != 0) {
      throw std::runtime_error("cannot generate " + path.string());
    }
  }
  return path.string();
}

std::string AsmBytes(int lines) {
  std::ifstream in(AsmFile(lines), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

long PeakRssBytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmHWM:") {
      long kb = 0;
      status >> kb;
      return kb * 1024;
    }
  }
  return 0;
}

}  // namespace torvane::bench
