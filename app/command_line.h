// `torvane [FILE]`: the file named on the command line.
#pragma once

#include <string>

namespace torvane {

// The file argument as an absolute path (relative names are taken from the
// current directory), or empty when there is none. Qt has already taken its
// own options out of argv; "--" ends the options, after which a name may
// begin with '-'.
std::string CommandLineFile(int argc, char** argv);

}  // namespace torvane
