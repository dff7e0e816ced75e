// Whether a process still runs, for tests that end programs they started.
#pragma once

#include <sys/types.h>

#include <fstream>
#include <iterator>
#include <string>

namespace torvane {

// True while pid names a process that has not ended (a zombie has ended).
// /proc's files report a size of 0, so they are read as streams, not by size.
inline bool Running(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

}  // namespace torvane
