// Whether a process still runs, for tests that end programs they started.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/file_access.h"

namespace torvane {

// True while pid names a process that has not ended (a zombie has ended).
inline bool Running(pid_t pid) {
  std::string stat;
  if (!ReadFileBytes("/proc/" + std::to_string(pid) + "/stat", &stat)) {
    return false;
  }
  const std::size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

}  // namespace torvane
