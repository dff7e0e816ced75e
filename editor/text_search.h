// Finding text in the document's lines: plain or regular-expression patterns
// matched against the decoded text of the current code page, with matches
// reported as whole characters (byte positions of the line store).
#pragma once

#include <QRegularExpression>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/positions.h"
#include "editor/word_chars.h"

namespace torvane {

class TSrcEditStringList;

struct TSearchOptions {
  bool match_case = false;
  bool whole_word = false;
  bool regex = false;
};

// A match never spans lines: [Start, End) on Start.Line.
struct TSearchMatch {
  TBufferPos Start;
  TBufferPos End;
  // Found only after the search went round the end (or the start) of the
  // searched range.
  bool Wrapped = false;
};

// The searched part of the document: everything, or the text between two
// positions (a selection). Matches must lie wholly inside.
struct TSearchScope {
  TBufferPos Begin{1, 1};
  TBufferPos End{1, 1};
  bool Whole = true;
  // A column selection: on the lines from Begin to End only the characters
  // of the block over display columns [FirstColumn, LastColumn) count.
  bool Columns = false;
  int FirstColumn = 1;
  int LastColumn = 1;
  int TabWidth = 8;
};

// True when [start, end) on one line lies wholly inside the scope.
bool ScopeHolds(const TSearchScope& scope, const TSrcEditStringList& lines, TBufferPos start,
                TBufferPos end);

// The matches of a pattern are, per line, the matches anchored at each
// character start; a whole-word match has no word character just before or
// just after it. Forward from a position means the first match starting there
// or later; backward the last match ending there or earlier; an empty match
// at the position itself never counts, so repeating a search moves on.
class TTextSearch {
 public:
  // False for an empty pattern or an invalid regular expression; Error()
  // then says what is wrong.
  bool SetPattern(const QString& pattern, const TSearchOptions& options,
                  const TWordChars& word_chars = DefaultWordChars());
  bool Valid() const { return valid_; }
  const QString& Error() const { return error_; }
  const QString& Pattern() const { return pattern_; }
  const TSearchOptions& Options() const { return options_; }

  // The next match from `from` in the scope; with `wrap` the search goes on
  // from the other end of the scope up to `from`.
  std::optional<TSearchMatch> Find(const TSrcEditStringList& lines, TBufferPos from, bool backward,
                                   const TSearchScope& scope = {}, bool wrap = true) const;
  // Every match in the scope, in document order, none overlapping the one
  // before (what "replace all" replaces).
  std::vector<TSearchMatch> FindAll(const TSrcEditStringList& lines,
                                    const TSearchScope& scope = {}) const;
  // True when [start, end) is a match (the selection is the current match).
  bool IsMatch(const TSrcEditStringList& lines, TBufferPos start, TBufferPos end) const;
  // The text that replaces a match: `replacement` as it stands, or for a
  // regular expression with $0..$9 and \0..\9 standing for the captured
  // groups ($$ and \\ for the characters themselves); in the code page's bytes.
  std::string ReplacementFor(const TSrcEditStringList& lines, const TSearchMatch& match,
                             const QString& replacement) const;

  // One line's matches in byte offsets [start, end), from 0: the first
  // (forward) or the last (backward) match with lo <= start, end <= hi,
  // start <= start_max and end >= end_min that is not empty at `skip_empty`.
  struct TLineQuery {
    std::size_t lo = 0;
    std::size_t hi = 0;
    std::size_t start_max = SIZE_MAX;
    std::size_t end_min = 0;
    std::size_t skip_empty = SIZE_MAX;
    bool backward = false;
  };
  std::optional<std::pair<std::size_t, std::size_t>> FindInLine(std::string_view text,
                                                                const TLineQuery& query) const;

 private:
  class TLineSkipper;
  // A line decoded for matching: its UTF-16 text and, per unit, the byte
  // offset of the character it belongs to (plus the line length at the end).
  struct TDecodedLine {
    QString text;
    std::vector<std::size_t> byte_of_unit;  // empty: one byte per unit
    std::size_t ByteOf(qsizetype unit) const;
    qsizetype UnitOf(std::size_t byte) const;
  };
  static TDecodedLine DecodeLine(std::string_view text);

  std::optional<TSearchMatch> FindFrom(const TSrcEditStringList& lines, TBufferPos from,
                                       bool backward, const TSearchScope& scope, bool wrap,
                                       bool skip_empty_at_from,
                                       TLineSkipper* shared_skip = nullptr) const;

  bool UsesBytes(std::string_view text) const;
  std::optional<std::pair<std::size_t, std::size_t>> FindBytes(std::string_view text,
                                                               const TLineQuery& query) const;
  std::optional<std::pair<std::size_t, std::size_t>> FindDecoded(std::string_view text,
                                                                 const TLineQuery& query) const;
  // The next byte offset at or after `from` where the ASCII needle occurs.
  std::size_t NextBytes(std::string_view text, std::size_t from) const;
  bool IsWholeWord(std::string_view text, std::size_t start, std::size_t end) const;

  QString pattern_;
  TSearchOptions options_;
  TWordChars word_chars_ = DefaultWordChars();
  bool valid_ = false;
  QString error_;
  QRegularExpression regex_;
  // The pattern in multi-line mode for searching runs of lines at once;
  // invalid when the pattern may only be matched line by line.
  QRegularExpression run_regex_;
  // A plain pattern of ASCII characters is matched on the bytes themselves;
  // case-blind, the needle is lower-cased.
  bool ascii_needle_ = false;
  std::string needle_bytes_;
  // Case-blind, some non-ASCII characters fold to ASCII letters (KELVIN SIGN
  // to k): lines with non-ASCII bytes are then matched decoded.
  bool needle_folds_from_non_ascii_ = false;
  // Only lines with non-ASCII bytes can hold a match.
  bool needs_non_ascii_ = false;
};

}  // namespace torvane
