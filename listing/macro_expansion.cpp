// Reading a macro call's expansion out of a -Le listing.
#include "listing/macro_expansion.h"

#include "listing/listing_line.h"

namespace torvane {

std::vector<std::string> MacroExpansionOfLine(std::string_view listing, int line) {
  std::vector<std::string> lines;
  bool inside = false;
  for (std::size_t at = 0; at < listing.size();) {
    std::size_t end = listing.find('\n', at);
    if (end == std::string_view::npos) {
      end = listing.size();
    }
    TListingLine parsed;
    const TListingLineKind kind = ParseListingLine(listing.substr(at, end - at), parsed);
    at = end + 1;
    if (kind != TListingLineKind::lkSource) {
      continue;
    }
    if (parsed.Level == 0) {
      if (inside) {
        break;  // the next line of the file: the expansion is over
      }
      inside = parsed.SourceLine == line;
      continue;
    }
    if (!inside) {
      continue;
    }
    std::string_view text = parsed.Text;
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos || text.substr(first, 3) != ";;;") {
      continue;
    }
    text.remove_prefix(first + 3);
    if (!text.empty() && text.front() == ' ') {
      text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
      text.remove_suffix(1);
    }
    lines.emplace_back(text);
  }
  return lines;
}

}  // namespace torvane
