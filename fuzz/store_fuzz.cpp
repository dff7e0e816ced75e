// Feeds arbitrary bytes to the line store: reading them, writing them back
// and reading that again must give the same lines, and tab expansion must
// agree with the cached lengths, whatever the bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "document/src_stream.h"
#include "document/string_list.h"

using torvane::TSrcEditStringList;
using torvane::TSrcMemoryStream;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TSrcEditStringList store;
  store.SetTabWidth(size > 0 ? 1 + data[0] % 9 : 8);
  store.ReadFromBytes(bytes);
  TSrcMemoryStream out;
  store.WriteToStream(out);

  TSrcEditStringList again;
  again.ReadFromBytes(out.Bytes());
  again.SetTabWidth(store.TabWidth());
  if (again.LineCount() != store.LineCount()) {
    std::abort();
  }
  for (int i = 0; i < store.LineCount(); ++i) {
    if (again.GetLine(i) != store.GetLine(i)) {
      std::abort();
    }
    const int cells = store.GetExpandedLength(i);
    const std::string expanded(store.GetExpandedLine(i));
    if (cells < 0 || expanded.size() < store.GetLine(i).size() ||
        cells != again.GetExpandedLength(i)) {
      std::abort();
    }
  }
  (void)store.LongestLineLength();
  store.SetAllText(bytes);
  return 0;
}
