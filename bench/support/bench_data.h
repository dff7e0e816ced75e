// Benchmark inputs: NASM files made by the shared deterministic generator at
// run time (never committed), cached under $TMPDIR/torvane-bench.
#pragma once

#include <string>

namespace torvane::bench {

// Path of a generated file of exactly `lines` lines; generated on first use.
std::string AsmFile(int lines);
// The whole file's bytes.
std::string AsmBytes(int lines);
// Peak resident set size of this process in bytes (from /proc/self/status).
long PeakRssBytes();

}  // namespace torvane::bench
