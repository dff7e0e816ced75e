// Search over the line store: ASCII needles are matched on the bytes (the
// common case, and what keeps a search through a million lines fast), the
// rest on decoded lines whose UTF-16 offsets map back to character starts.
#include "editor/text_search.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <cstring>

#include "document/string_list.h"
#include "editor/position_mapping.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

using TSpan = std::pair<std::size_t, std::size_t>;

bool HasNonAscii(std::string_view text) {
  unsigned char any = 0;
  for (const char c : text) {
    any |= static_cast<unsigned char>(c);
  }
  return (any & 0x80) != 0;
}

// Code pages whose second bytes can be ASCII: a match of ASCII bytes may
// start inside a character there.
bool AsciiCanTrail(CodePageKind kind) {
  return kind == CodePageKind::Gbk || kind == CodePageKind::ShiftJis ||
         kind == CodePageKind::Big5 || kind == CodePageKind::Uhc;
}

// The ASCII characters some non-ASCII character folds to (KELVIN SIGN to
// 'k', LONG S to 's'); only BMP characters fold across that border.
const std::array<bool, 128>& AsciiFoldTargets() {
  static const std::array<bool, 128> targets = [] {
    std::array<bool, 128> t{};
    for (char32_t c = 0x80; c < 0x10000; ++c) {
      const char32_t folded = QChar::toCaseFolded(c);
      if (folded < 0x80) {
        t[folded] = true;
      }
    }
    return t;
  }();
  return targets;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

void AppendCodePoint(QString& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    c = 0xFFFD;
  }
  if (c >= 0x10000) {
    out.append(QChar(QChar::highSurrogate(c)));
    out.append(QChar(QChar::lowSurrogate(c)));
  } else {
    out.append(QChar(static_cast<char16_t>(c)));
  }
}

// Lines past the scope's ends take no part; the scope's first and last lines
// only their part inside it.
struct TLineWindow {
  std::size_t lo;
  std::size_t hi;
};

TLineWindow WindowOf(const TSearchScope& scope, int line, std::string_view text) {
  const std::size_t length = text.size();
  TLineWindow w{0, length};
  if (scope.Columns && !scope.Whole) {
    const auto [from, to] =
        line_cells::ColumnBlockChars(text, scope.FirstColumn, scope.LastColumn, scope.TabWidth);
    // A block past the line's end holds nothing of it, not even its end.
    w.lo = static_cast<std::size_t>(std::max(from, 1) - 1);
    w.hi = std::min(static_cast<std::size_t>(std::max(to, 1) - 1), length);
    return w;
  }
  if (line == scope.Begin.Line) {
    w.lo = std::min(static_cast<std::size_t>(std::max(scope.Begin.Char, 1) - 1), length);
  }
  if (line == scope.End.Line) {
    w.hi = std::min(static_cast<std::size_t>(std::max(scope.End.Char, 1) - 1), length);
  }
  return w;
}

std::size_t ByteIndex(int ch) {
  return static_cast<std::size_t>(std::max(ch, 1) - 1);
}

}  // namespace

// --- decoded lines ---------------------------------------------------------

std::size_t TTextSearch::TDecodedLine::ByteOf(qsizetype unit) const {
  if (byte_of_unit.empty()) {
    return static_cast<std::size_t>(unit);
  }
  return byte_of_unit[static_cast<std::size_t>(unit)];
}

qsizetype TTextSearch::TDecodedLine::UnitOf(std::size_t byte) const {
  if (byte_of_unit.empty()) {
    return static_cast<qsizetype>(std::min(byte, static_cast<std::size_t>(text.size())));
  }
  return std::lower_bound(byte_of_unit.begin(), byte_of_unit.end(), byte) - byte_of_unit.begin();
}

TTextSearch::TDecodedLine TTextSearch::DecodeLine(std::string_view text) {
  TDecodedLine line;
  if (!HasNonAscii(text)) {
    line.text = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    return line;
  }
  // One code point per character of the code page, as drawing decodes it.
  const CodePage& page = CodePage::Current();
  line.text.reserve(static_cast<qsizetype>(text.size()));
  line.byte_of_unit.reserve(text.size() + 1);
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    const qsizetype before = line.text.size();
    std::size_t len = 1;
    if (b < 0x80) {
      line.text.append(QChar(static_cast<char16_t>(b)));
    } else {
      AppendCodePoint(line.text, page.DecodeChar(text, i));
      len = static_cast<std::size_t>(std::max(page.CharLength(text, i), 1));
    }
    for (qsizetype u = before; u < line.text.size(); ++u) {
      line.byte_of_unit.push_back(i);
    }
    i += len;
  }
  line.byte_of_unit.push_back(text.size());
  return line;
}

// --- the pattern -----------------------------------------------------------

bool TTextSearch::SetPattern(const QString& pattern, const TSearchOptions& options,
                             const TWordChars& word_chars) {
  pattern_ = pattern;
  options_ = options;
  word_chars_ = word_chars;
  error_.clear();
  ascii_needle_ = false;
  needle_bytes_.clear();
  needle_folds_from_non_ascii_ = false;
  needs_non_ascii_ = false;
  regex_ = QRegularExpression();
  run_regex_ = QRegularExpression(QStringLiteral("("));  // invalid: no runs
  valid_ = !pattern.isEmpty();
  if (!valid_) {
    return false;
  }
  if (options.regex) {
    QRegularExpression::PatternOptions flags = QRegularExpression::NoPatternOption;
    if (!options.match_case) {
      flags |= QRegularExpression::CaseInsensitiveOption;
    }
    regex_ = QRegularExpression(pattern, flags);
    valid_ = regex_.isValid();
    if (!valid_) {
      error_ = regex_.errorString();
      return false;
    }
    regex_.optimize();
    // Assertions and options could look past a line's end or change what
    // one is; such patterns are matched line by line only.
    static const QRegularExpression kLineBound(QStringLiteral("\\(\\?[^:]|\\\\[AzZG]"));
    if (!pattern.contains(kLineBound)) {
      run_regex_ = QRegularExpression(pattern, flags | QRegularExpression::MultilineOption);
      run_regex_.optimize();
    }
    return true;
  }
  ascii_needle_ =
      std::all_of(pattern.begin(), pattern.end(), [](QChar c) { return c.unicode() < 0x80; });
  if (ascii_needle_) {
    for (const QChar c : pattern) {
      const char b = static_cast<char>(c.unicode());
      needle_bytes_ += options.match_case ? b : LowerAscii(b);
      if (!options.match_case && AsciiFoldTargets()[static_cast<unsigned char>(LowerAscii(b))]) {
        needle_folds_from_non_ascii_ = true;
      }
    }
    return true;
  }
  for (const QChar c : pattern) {
    const char16_t folded = options.match_case ? c.unicode() : c.toCaseFolded().unicode();
    if (folded >= 0x80) {
      needs_non_ascii_ = true;
    }
  }
  return true;
}

// --- one line --------------------------------------------------------------

bool TTextSearch::UsesBytes(std::string_view text) const {
  return ascii_needle_ && !(needle_folds_from_non_ascii_ && HasNonAscii(text));
}

std::optional<TSpan> TTextSearch::FindInLine(std::string_view text, const TLineQuery& query) const {
  if (!valid_ || query.lo > query.hi || query.hi > text.size()) {
    return std::nullopt;
  }
  if (UsesBytes(text)) {
    return FindBytes(text, query);
  }
  if (needs_non_ascii_ && !HasNonAscii(text)) {
    return std::nullopt;
  }
  return FindDecoded(text, query);
}

std::size_t TTextSearch::NextBytes(std::string_view text, std::size_t from) const {
  const std::size_t n = needle_bytes_.size();
  if (from > text.size() || text.size() - from < n) {
    return std::string_view::npos;
  }
  if (options_.match_case) {
    const void* hit = memmem(text.data() + from, text.size() - from, needle_bytes_.data(), n);
    return hit == nullptr ? std::string_view::npos
                          : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
  }
  const char first = needle_bytes_[0];
  const char first_upper =
      first >= 'a' && first <= 'z' ? static_cast<char>(first - ('a' - 'A')) : first;
  const std::size_t last = text.size() - n;
  for (std::size_t i = from; i <= last; ++i) {
    const char c = text[i];
    if (c != first && c != first_upper) {
      continue;
    }
    std::size_t k = 1;
    while (k < n && LowerAscii(text[i + k]) == needle_bytes_[k]) {
      ++k;
    }
    if (k == n) {
      return i;
    }
  }
  return std::string_view::npos;
}

bool TTextSearch::IsWholeWord(std::string_view text, std::size_t start, std::size_t end) const {
  // A character that is not there is no word character.
  if (start > 0 && IsWordCharAt(word_chars_, text, start - 1)) {
    return false;
  }
  return !IsWordCharAt(word_chars_, text, end);
}

std::optional<TSpan> TTextSearch::FindBytes(std::string_view text, const TLineQuery& q) const {
  const std::size_t n = needle_bytes_.size();
  const CodePage& page = CodePage::Current();
  const bool check_starts = AsciiCanTrail(page.Kind());
  std::size_t walk = 0;  // a character start at or before the candidate
  std::optional<TSpan> best;
  std::size_t from = q.lo;
  while (true) {
    const std::size_t s = NextBytes(text, from);
    if (s == std::string_view::npos || s > q.start_max || s + n > q.hi) {
      break;
    }
    from = s + 1;
    if (check_starts) {
      while (walk < s) {
        walk += static_cast<std::size_t>(std::max(page.CharLength(text, walk), 1));
      }
      if (walk != s) {
        continue;
      }
    }
    const std::size_t e = s + n;
    if (e < q.end_min || (options_.whole_word && !IsWholeWord(text, s, e))) {
      continue;
    }
    if (!q.backward) {
      return TSpan{s, e};
    }
    best = TSpan{s, e};
  }
  return best;
}

std::optional<TSpan> TTextSearch::FindDecoded(std::string_view text, const TLineQuery& q) const {
  const TDecodedLine line = DecodeLine(text);
  const Qt::CaseSensitivity cs = options_.match_case ? Qt::CaseSensitive : Qt::CaseInsensitive;
  std::optional<TSpan> best;
  qsizetype unit = line.UnitOf(q.lo);
  while (unit <= line.text.size()) {
    qsizetype at = -1;
    qsizetype length = 0;
    if (options_.regex) {
      const QRegularExpressionMatch m = regex_.match(line.text, unit);
      if (m.hasMatch()) {
        at = m.capturedStart();
        length = m.capturedLength();
      }
    } else {
      at = line.text.indexOf(pattern_, unit, cs);
      length = pattern_.size();
    }
    if (at < 0) {
      break;
    }
    const std::size_t s = line.ByteOf(at);
    const std::size_t e = line.ByteOf(at + length);
    if (s > q.start_max || s > q.hi) {
      break;
    }
    unit = at + (at + 1 < line.text.size() && line.text[at].isHighSurrogate() ? 2 : 1);
    if (e > q.hi || e < q.end_min || (s == e && s == q.skip_empty) ||
        (options_.whole_word && !IsWholeWord(text, s, e))) {
      continue;
    }
    if (!q.backward) {
      return TSpan{s, e};
    }
    best = TSpan{s, e};
  }
  return best;
}

// --- skipping lines a regular expression cannot match ----------------------

// Matching a regular expression line by line costs a call per line. Runs of
// lines joined by '\n' are searched in one call instead (multi-line mode, so
// ^ and $ hold at each line's ends): every line with a match of its own also
// matches there, as long as no assertion looks past a line's end, so the
// lines without a match in the run are skipped; the others are matched on
// their own as before.
class TTextSearch::TLineSkipper {
 public:
  TLineSkipper(const TTextSearch& search, const TSrcEditStringList& lines)
      : search_(search), lines_(lines), active_(search.run_regex_.isValid() && search.valid_) {}

  // The first line from `line` up to `last` that may hold a match; last + 1
  // when none does.
  int Next(int line, int last) {
    if (!active_) {
      return line;
    }
    while (line <= last) {
      if (line < first_ || line > last_) {
        Build(line, std::min(last, line + NextRunLength() - 1));
      }
      const QRegularExpressionMatch m = search_.run_regex_.match(text_, LineStart(line));
      if (!m.hasMatch()) {
        line = last_ + 1;
        continue;
      }
      return LineAt(m.capturedStart());
    }
    return last + 1;
  }

  // The last line from `line` down to `first` that may hold a match; first
  // - 1 when none does.
  int Previous(int line, int first) {
    if (!active_) {
      return line;
    }
    while (line >= first) {
      if (line < first_ || line > last_) {
        Build(std::max(first, line - NextRunLength() + 1), line);
        FindCandidates();
      }
      const auto it = std::upper_bound(candidates_.begin(), candidates_.end(), line);
      if (it == candidates_.begin()) {
        line = first_ - 1;
        continue;
      }
      return *(it - 1);
    }
    return first - 1;
  }

 private:
  // Runs grow, so a match near the start costs little and a long search
  // few calls.
  int NextRunLength() {
    const int n = run_length_;
    run_length_ = std::min(run_length_ * 4, 1 << 16);
    return n;
  }

  void Build(int first, int last) {
    first_ = first;
    last_ = last;
    text_.clear();
    starts_.clear();
    candidates_.clear();
    for (int line = first; line <= last; ++line) {
      starts_.push_back(text_.size());
      const std::string_view bytes = lines_.GetLine(line - 1);
      if (HasNonAscii(bytes)) {
        text_ += DecodeLine(bytes).text;
      } else {
        text_ += QLatin1String(bytes.data(), static_cast<qsizetype>(bytes.size()));
      }
      text_ += QLatin1Char('\n');
    }
  }

  // The run's lines with a match, first to last.
  void FindCandidates() {
    qsizetype at = 0;
    while (at <= text_.size()) {
      const QRegularExpressionMatch m = search_.run_regex_.match(text_, at);
      if (!m.hasMatch()) {
        break;
      }
      const int line = LineAt(m.capturedStart());
      candidates_.push_back(line);
      if (line >= last_) {
        break;
      }
      at = LineStart(line + 1);
    }
  }

  qsizetype LineStart(int line) const { return starts_[static_cast<std::size_t>(line - first_)]; }
  // The line whose text or closing '\n' holds unit `at`.
  int LineAt(qsizetype at) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), at);
    return first_ + static_cast<int>(it - starts_.begin()) - 1;
  }

  const TTextSearch& search_;
  const TSrcEditStringList& lines_;
  const bool active_;
  int run_length_ = 2;
  int first_ = 0;
  int last_ = -1;
  QString text_;
  std::vector<qsizetype> starts_;
  std::vector<int> candidates_;
};

// --- the document ----------------------------------------------------------

bool ScopeHolds(const TSearchScope& scope, const TSrcEditStringList& lines, TBufferPos start,
                TBufferPos end) {
  if (scope.Whole) {
    return true;
  }
  if (start < scope.Begin || scope.End < end || start.Line != end.Line || start.Line < 1 ||
      start.Line > lines.LineCount()) {
    return false;
  }
  const TLineWindow w = WindowOf(scope, start.Line, lines.GetLine(start.Line - 1));
  return ByteIndex(start.Char) >= w.lo && ByteIndex(end.Char) <= w.hi;
}

std::optional<TSearchMatch> TTextSearch::Find(const TSrcEditStringList& lines, TBufferPos from,
                                              bool backward, const TSearchScope& scope,
                                              bool wrap) const {
  return FindFrom(lines, from, backward, scope, wrap, true);
}

std::optional<TSearchMatch> TTextSearch::FindFrom(const TSrcEditStringList& lines, TBufferPos from,
                                                  bool backward, const TSearchScope& scope_in,
                                                  bool wrap, bool skip_empty_at_from,
                                                  TLineSkipper* shared_skip) const {
  const int count = lines.LineCount();
  if (!valid_ || count == 0) {
    return std::nullopt;
  }
  TSearchScope scope = scope_in;
  if (scope.Whole) {
    scope.Begin = {1, 1};
    scope.End = {static_cast<int>(lines.GetLine(count - 1).size()) + 1, count};
  }
  scope.Begin.Line = std::clamp(scope.Begin.Line, 1, count);
  scope.End.Line = std::clamp(scope.End.Line, 1, count);
  if (scope.End < scope.Begin) {
    return std::nullopt;
  }
  // A start outside the scope searches all of it, from the end one meets
  // first in the search's direction.
  if (from < scope.Begin || from > scope.End) {
    from = backward ? scope.End : scope.Begin;
    wrap = false;
    skip_empty_at_from = false;
  }
  const std::size_t from_byte = ByteIndex(from.Char);

  auto search_line = [&](int line, TLineQuery query) -> std::optional<TSearchMatch> {
    const std::string_view text = lines.GetLine(line - 1);
    const TLineWindow w = WindowOf(scope, line, text);
    query.lo = std::max(query.lo, w.lo);
    query.hi = std::min(query.hi, w.hi);
    query.backward = backward;
    if (line == from.Line && skip_empty_at_from) {
      query.skip_empty = from_byte;
    }
    const auto span = FindInLine(text, query);
    if (!span) {
      return std::nullopt;
    }
    return TSearchMatch{{static_cast<int>(span->first) + 1, line},
                        {static_cast<int>(span->second) + 1, line}};
  };

  TLineSkipper own_skip(*this, lines);
  TLineSkipper& skip = shared_skip != nullptr ? *shared_skip : own_skip;
  if (!backward) {
    for (int line = from.Line;; ++line) {
      line = skip.Next(line, scope.End.Line);
      if (line > scope.End.Line) {
        break;
      }
      TLineQuery q;
      q.hi = SIZE_MAX;
      q.lo = line == from.Line ? from_byte : 0;
      if (auto m = search_line(line, q)) {
        return m;
      }
    }
    for (int line = scope.Begin.Line; wrap; ++line) {
      line = skip.Next(line, from.Line);
      if (line > from.Line) {
        break;
      }
      TLineQuery q;
      q.hi = SIZE_MAX;
      if (line == from.Line) {
        if (from_byte == 0) {
          break;
        }
        q.start_max = from_byte - 1;
      }
      if (auto m = search_line(line, q)) {
        m->Wrapped = true;
        return m;
      }
    }
    return std::nullopt;
  }
  for (int line = from.Line;; --line) {
    line = skip.Previous(line, scope.Begin.Line);
    if (line < scope.Begin.Line) {
      break;
    }
    TLineQuery q;
    q.hi = line == from.Line ? from_byte : SIZE_MAX;
    if (auto m = search_line(line, q)) {
      return m;
    }
  }
  for (int line = scope.End.Line; wrap; --line) {
    line = skip.Previous(line, from.Line);
    if (line < from.Line) {
      break;
    }
    TLineQuery q;
    q.hi = SIZE_MAX;
    if (line == from.Line) {
      q.end_min = from_byte + 1;
    }
    if (auto m = search_line(line, q)) {
      m->Wrapped = true;
      return m;
    }
  }
  return std::nullopt;
}

std::vector<TSearchMatch> TTextSearch::FindAll(const TSrcEditStringList& lines,
                                               const TSearchScope& scope) const {
  std::vector<TSearchMatch> all;
  if (!valid_ || lines.LineCount() == 0) {
    return all;
  }
  TSearchScope s = scope;
  if (s.Whole) {
    s.Begin = {1, 1};
    s.End = {static_cast<int>(lines.GetLine(lines.LineCount() - 1).size()) + 1, lines.LineCount()};
    s.Whole = false;
  }
  // As global replacing does elsewhere: an empty match may follow a
  // non-empty one directly, and after an empty match the next starts one
  // character further on.
  TBufferPos from = s.Begin;
  TLineSkipper skip(*this, lines);
  while (true) {
    auto m = FindFrom(lines, from, false, s, false, false, &skip);
    if (!m) {
      break;
    }
    all.push_back(*m);
    from = m->End;
    if (m->Start == m->End) {
      // Step over one character so the next match starts after this one.
      const std::string_view text = lines.GetLine(from.Line - 1);
      const std::size_t i = ByteIndex(from.Char);
      if (i >= text.size()) {
        if (from.Line >= s.End.Line) {
          break;
        }
        from = {1, from.Line + 1};
      } else {
        from.Char += std::max(CodePage::Current().CharLength(text, i), 1);
      }
    }
    if (s.End < from) {
      break;
    }
  }
  return all;
}

bool TTextSearch::IsMatch(const TSrcEditStringList& lines, TBufferPos start, TBufferPos end) const {
  if (!valid_ || start.Line != end.Line || start.Line < 1 || start.Line > lines.LineCount() ||
      end < start) {
    return false;
  }
  const std::string_view text = lines.GetLine(start.Line - 1);
  TLineQuery q;
  q.lo = ByteIndex(start.Char);
  q.start_max = q.lo;
  q.hi = std::min(ByteIndex(end.Char), text.size());
  q.end_min = q.hi;
  const auto span = FindInLine(text, q);
  return span && span->first == q.lo && span->second == ByteIndex(end.Char);
}

std::string TTextSearch::ReplacementFor(const TSrcEditStringList& lines, const TSearchMatch& match,
                                        const QString& replacement) const {
  if (!options_.regex) {
    return EncodeText(replacement);
  }
  const std::string_view text = lines.GetLine(match.Start.Line - 1);
  const TDecodedLine line = DecodeLine(text);
  const QRegularExpressionMatch m =
      regex_.match(line.text, line.UnitOf(ByteIndex(match.Start.Char)),
                   QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
  QString out;
  for (qsizetype i = 0; i < replacement.size(); ++i) {
    const QChar c = replacement[i];
    const QChar next = i + 1 < replacement.size() ? replacement[i + 1] : QChar();
    if ((c == u'$' || c == u'\\') && next.isDigit() && next.unicode() < 0x80) {
      out += m.captured(next.digitValue());
      ++i;
    } else if ((c == u'$' || c == u'\\') && next == c) {
      out += c;
      ++i;
    } else {
      out += c;
    }
  }
  return EncodeText(out);
}

}  // namespace torvane
