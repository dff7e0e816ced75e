// Feeds arbitrary bytes to every highlighter of the list, line by line, under
// a code page the first byte picks: the tokens of a line must cover it from
// its first byte to its last (or to a NUL byte, which ends the scan; the
// painter draws the rest plainly) without gap or overlap, each at least one
// byte long, and a scan resumed at any token start must find the same tokens from
// there on. Reads past the line (the scanners rely on NULs after it) show up
// under the address sanitizer.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "highlight/custom_highlighter.h"
#include "highlight/highlighter_list.h"
#include "platform/codepage.h"

namespace {

using torvane::TSrcCustomHighlighter;

struct TToken {
  int start;
  int length;
  int kind;
  const void* attribute;
};

std::vector<TToken> Scan(TSrcCustomHighlighter& h, std::string_view line, int offset) {
  // An exact-size copy, so a read past the caller's text is caught.
  const std::unique_ptr<char[]> exact(new char[line.size() + 1]);
  std::copy(line.begin(), line.end(), exact.get());
  const std::string_view text(exact.get(), line.size());
  if (offset > 0) {
    h.StartLineAt(text, 0, offset);
  } else {
    h.StartLine(text, 0);
  }
  std::vector<TToken> tokens;
  for (; !h.AtLineEnd(); h.AdvanceToken()) {
    const TToken t{h.TokenStart(), h.TokenLength(), h.TokenKind(), h.TokenAttributes()};
    const std::size_t end = static_cast<std::size_t>(t.start) + static_cast<std::size_t>(t.length);
    if (t.length <= 0 || end > line.size() || h.TokenText() != line.substr(t.start, t.length)) {
      std::abort();
    }
    if (!tokens.empty() && tokens.back().start + tokens.back().length != t.start) {
      std::abort();
    }
    tokens.push_back(t);
    if (tokens.size() > line.size()) {
      std::abort();  // more tokens than bytes: the scan does not advance
    }
  }
  return tokens;
}

bool Same(const TToken& a, const TToken& b) {
  return a.start == b.start && a.length == b.length && a.kind == b.kind &&
         a.attribute == b.attribute;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  static const char* const kPages[] = {"UTF-8", "GBK", "ISO-8859-1"};
  const torvane::ScopedCodePage page(kPages[data[0] % 3]);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  // Lines as the store gives them, and the whole input as one line with its
  // line breaks and NULs.
  std::vector<std::string_view> lines{bytes};
  for (std::size_t from = 0; from <= bytes.size();) {
    const std::size_t lf = bytes.find('\n', from);
    const std::size_t to = lf == std::string_view::npos ? bytes.size() : lf;
    lines.push_back(bytes.substr(from, to - from));
    from = to + 1;
  }
  const auto& list = torvane::HighlighterList();
  for (int i = 0; i < list.Count(); ++i) {
    const std::unique_ptr<TSrcCustomHighlighter> h = list.Item(i)->Create();
    h->ResetRangeState();
    for (const std::string_view line : lines) {
      const std::vector<TToken> tokens = Scan(*h, line, 0);
      const int covered = tokens.empty() ? 0 : tokens.back().start + tokens.back().length;
      if (static_cast<std::size_t>(covered) != std::min(line.find('\0'), line.size())) {
        std::abort();
      }
      if (!h->ResumesAtTokens() || tokens.size() < 2) {
        continue;
      }
      const std::size_t from = tokens.size() / 2;
      const std::vector<TToken> resumed = Scan(*h, line, tokens[from].start);
      if (resumed.size() != tokens.size() - from) {
        std::abort();
      }
      for (std::size_t k = 0; k < resumed.size(); ++k) {
        if (!Same(resumed[k], tokens[from + k])) {
          std::abort();
        }
      }
    }
  }
  return 0;
}
