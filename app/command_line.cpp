// Reading the file argument of the command line.
#include "app/command_line.h"

#include <string_view>

#include "app/settings.h"

namespace torvane {

std::string CommandLineFile(int argc, char** argv) {
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!options_ended && argument == "--") {
      options_ended = true;
      continue;
    }
    if (argument.empty() || (!options_ended && argument.front() == '-')) {
      continue;  // an option of no meaning here
    }
    if (argument.front() == '/') {
      return std::string(argument);
    }
    const std::string directory = CurrentDirectory();
    return (directory == "/" ? directory : directory + "/") + std::string(argument);
  }
  return {};
}

}  // namespace torvane
