// The entry of benchmarks that need a QApplication: offscreen platform and a
// UTF-8 code page unless the caller set others.
#pragma once

namespace torvane::bench {

int RunWidgetBenchmarks(int argc, char** argv);

}  // namespace torvane::bench
