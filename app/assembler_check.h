// Whether the configured assembler can be started at all, said in Chinese
// before an assembly rather than as a missing log afterwards.
#pragma once

#include <QString>
#include <string>

namespace torvane {

// Why the program at path cannot be run (empty, missing, a folder, not
// executable, a bare name PATH does not know), or empty when it can.
QString AssemblerProblem(const std::string& path);
// The nasm PATH finds, or empty.
std::string NasmOnPath();

}  // namespace torvane
