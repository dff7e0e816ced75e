// The search model: a seeded random comparison with a naive search that
// decodes every line and tries the pattern at each character, for every
// option combination, both directions, scopes and code pages (replacing every
// match in an editor model, and one undo, included); then the cases a person
// would try first.
#include "editor/text_search.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <limits>
#include <random>

#include "document/string_list.h"
#include "editor/edit_controller.h"
#include "editor/edit_model.h"
#include "editor/position_mapping.h"
#include "editor/text_replace.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

struct TRefMatch {
  int line;  // 1-based
  std::size_t s;
  std::size_t e;
  TBufferPos Start() const { return {static_cast<int>(s) + 1, line}; }
  TBufferPos End() const { return {static_cast<int>(e) + 1, line}; }
};

// Every match of the pattern, tried at each character start of each line of
// the decoded text, in document order.
std::vector<TRefMatch> NaiveMatches(const std::vector<std::string>& lines, const QString& pattern,
                                    const TSearchOptions& options) {
  const CodePage& page = CodePage::Current();
  const TWordChars words = DefaultWordChars();
  const Qt::CaseSensitivity cs = options.match_case ? Qt::CaseSensitive : Qt::CaseInsensitive;
  QRegularExpression re(pattern, options.match_case ? QRegularExpression::NoPatternOption
                                                    : QRegularExpression::CaseInsensitiveOption);
  std::vector<TRefMatch> out;
  for (std::size_t li = 0; li < lines.size(); ++li) {
    const std::string& text = lines[li];
    std::vector<std::size_t> starts;  // byte start of each character
    std::vector<qsizetype> units;     // its unit in the decoded text
    QString decoded;
    for (std::size_t i = 0; i < text.size();) {
      const std::size_t len = static_cast<std::size_t>(page.CharLength(text, i));
      starts.push_back(i);
      units.push_back(decoded.size());
      decoded += page.Decode(std::string_view(text).substr(i, len));
      i += len;
    }
    starts.push_back(text.size());
    units.push_back(decoded.size());
    auto word_char = [&](std::size_t k) {
      if (k + 1 >= starts.size()) {
        return false;
      }
      return starts[k + 1] - starts[k] > 1 ||
             words.test(static_cast<unsigned char>(text[starts[k]]));
    };
    for (std::size_t k = 0; k < starts.size(); ++k) {
      qsizetype end_unit = -1;
      if (options.regex) {
        const auto m = re.match(decoded, units[k], QRegularExpression::NormalMatch,
                                QRegularExpression::AnchorAtOffsetMatchOption);
        if (m.hasMatch()) {
          end_unit = m.capturedEnd();
        }
      } else if (units[k] + pattern.size() <= decoded.size() &&
                 QStringView(decoded).mid(units[k], pattern.size()).compare(pattern, cs) == 0) {
        end_unit = units[k] + pattern.size();
      }
      const auto end_it = std::find(units.begin(), units.end(), end_unit);
      if (end_unit < 0 || end_it == units.end()) {
        continue;
      }
      const std::size_t ek = static_cast<std::size_t>(end_it - units.begin());
      if (options.whole_word && ((k > 0 && word_char(k - 1)) || word_char(ek))) {
        continue;
      }
      out.push_back({static_cast<int>(li) + 1, starts[k], starts[ek]});
    }
  }
  return out;
}

std::optional<TRefMatch> NaiveFind(const std::vector<TRefMatch>& all, TBufferPos from,
                                   bool backward, bool* wrapped) {
  auto empty_at_from = [&](const TRefMatch& m) { return m.s == m.e && m.Start() == from; };
  *wrapped = false;
  std::optional<TRefMatch> found;
  for (const TRefMatch& m : all) {
    if (empty_at_from(m)) {
      continue;
    }
    if (!backward && m.Start() >= from) {
      return m;
    }
    if (backward && m.End() <= from) {
      found = m;
    }
  }
  if (found) {
    return found;
  }
  // Round the end: the first (last) match that is not empty at the start.
  for (std::size_t n = 0; n < all.size(); ++n) {
    const TRefMatch& m = all[backward ? all.size() - 1 - n : n];
    if (!empty_at_from(m)) {
      *wrapped = true;
      return m;
    }
  }
  return std::nullopt;
}

// Replace-all's matches: from each match's end on, the first match starting
// there or later (an empty one steps one character further).
std::vector<TRefMatch> NaiveAll(const std::vector<TRefMatch>& all,
                                const std::vector<std::string>& lines) {
  std::vector<TRefMatch> out;
  TBufferPos from{1, 1};
  for (const TRefMatch& m : all) {
    if (m.Start() < from) {
      continue;
    }
    out.push_back(m);
    from = m.End();
    if (m.s == m.e) {
      const std::string& text = lines[static_cast<std::size_t>(m.line) - 1];
      from = m.e >= text.size() ? TBufferPos{1, m.line + 1}
                                : TBufferPos{from.Char + CharLength(text, m.e), m.line};
    }
  }
  return out;
}

// Replace-all in an editor model against the naive matches replaced by
// hand; one undo restores the text.
template <typename TWhere>
void CompareReplaceAll(const std::vector<std::string>& lines, const TTextSearch& search,
                       const std::vector<TRefMatch>& matches, TWhere where,
                       TSearchScope scope = {}) {
  TSrcEditModel model;
  TSrcEditController controller(model);
  for (const std::string& line : lines) {
    model.Lines().AppendLine(line);
  }
  const bool regex = search.Options().regex;
  std::vector<std::string> want = lines;
  for (std::size_t k = matches.size(); k-- > 0;) {
    const TRefMatch& m = matches[k];
    std::string& text = want[static_cast<std::size_t>(m.line) - 1];
    const std::string taken = text.substr(m.s, m.e - m.s);
    text.replace(m.s, m.e - m.s, regex ? "<" + taken + "$>" : std::string("<r>"));
  }
  const int count = ReplaceAllMatches(controller, search, scope,
                                      regex ? QStringLiteral("<$0$$>") : QStringLiteral("<r>"));
  ASSERT_EQ(count, static_cast<int>(matches.size())) << where();
  for (std::size_t k = 0; k < lines.size(); ++k) {
    ASSERT_EQ(model.LineText(static_cast<int>(k) + 1), want[k]) << where() << " line " << k + 1;
  }
  controller.Undo();
  for (std::size_t k = 0; k < lines.size(); ++k) {
    ASSERT_EQ(model.LineText(static_cast<int>(k) + 1), lines[k]) << where() << " undone";
  }
}

// Characters that exist in the code page, among them ones whose bytes look
// like ASCII letters in a double-byte page, case pairs and the characters
// that fold to ASCII.
QStringList Alphabet() {
  QStringList candidates = {"a", "b",  "A",  "B",  "k", "K", "s",      "S",      "_",         " ",
                            ".", "\t", "中", "文", "é", "É", "\u212A", "\u017F", "\U0001F600"};
  const CodePage& page = CodePage::Current();
  if (page.Kind() == CodePageKind::Gbk) {
    for (const char* bytes : {"\x81\x61", "\x81\x62", "\x81\x41", "\xA3\xC1"}) {
      candidates << page.Decode(bytes);
    }
  }
  QStringList usable;
  for (const QString& c : candidates) {
    const std::string bytes = page.Encode(c);
    if (!bytes.empty() && page.Decode(bytes) == c &&
        page.CharLength(bytes, 0) == static_cast<int>(bytes.size())) {
      usable << c;
    }
  }
  return usable;
}

QString RandomPattern(std::mt19937& rng, const QStringList& alphabet, const QString& sample,
                      bool regex) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  if (regex && pick(2) == 0) {
    static const QStringList kRegexes = {"a+",   "[ab]k",  "b.", "^a", "a$",     "x*",      "\\bab",
                                         "中.",  "(a|b)b", "k",  "s+", "a(?=b)", "(?<=a)b", ".",
                                         "\\w+", "[^ ]a",  "B?", "$",  "é|文"};
    return kRegexes[pick(static_cast<int>(kRegexes.size()))];
  }
  QString p;
  if (!sample.isEmpty() && pick(3) != 0) {
    // A piece of the text, its case changed at random.
    const int from = pick(static_cast<int>(sample.size()));
    const int len = 1 + pick(3);
    for (const QChar c : QStringView(sample).mid(from, len)) {
      p += pick(2) == 0 ? c.toUpper() : c;
    }
  }
  if (p.isEmpty() || p.back().isHighSurrogate() || p.front().isLowSurrogate()) {
    p = alphabet[pick(static_cast<int>(alphabet.size()))];
  }
  return regex ? QRegularExpression::escape(p) : p;
}

// Short documents by default; long ones (many lines, few matches) cross
// the runs of lines that regular expressions are searched in.
struct TDocShape {
  int max_lines = 4;
  int trials = 60;
  int plain_in = 1;  // one character in this many from the whole alphabet
};

void CompareWithNaive(const char* page_name, unsigned seed, TDocShape shape = {}) {
  ScopedCodePage page(page_name);
  const QStringList alphabet = Alphabet();
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  int found = 0;
  for (int combo = 0; combo < 16; ++combo) {
    TSearchOptions options;
    options.match_case = (combo & 1) != 0;
    options.whole_word = (combo & 2) != 0;
    options.regex = (combo & 4) != 0;
    const bool in_scope = (combo & 8) != 0;
    for (int trial = 0; trial < shape.trials; ++trial) {
      std::vector<std::string> lines(static_cast<std::size_t>(1 + pick(shape.max_lines)));
      QString sample;
      TSrcEditStringList store;
      for (std::string& line : lines) {
        QString decoded;
        const int n = pick(12);
        for (int k = 0; k < n; ++k) {
          decoded += pick(shape.plain_in) == 0 ? alphabet[pick(static_cast<int>(alphabet.size()))]
                                               : QStringLiteral(" ");
        }
        sample += decoded;
        line = EncodeText(decoded);
        store.AppendLine(line);
      }
      auto random_pos = [&] {
        const int l = 1 + pick(static_cast<int>(lines.size()));
        const std::string& text = lines[static_cast<std::size_t>(l) - 1];
        std::size_t i = 0;
        const int steps = pick(14);
        for (int k = 0; k < steps && i < text.size(); ++k) {
          i += static_cast<std::size_t>(CharLength(text, i));
        }
        return TBufferPos{static_cast<int>(i) + 1, l};
      };
      TSearchScope scope;
      if (in_scope) {
        scope.Whole = false;
        scope.Begin = random_pos();
        scope.End = random_pos();
        if (scope.End < scope.Begin) {
          std::swap(scope.Begin, scope.End);
        }
        // Every other trial a column block over the same lines, as the find
        // bar takes it from a column selection.
        if (trial % 2 == 1) {
          scope.Columns = true;
          scope.FirstColumn = 1 + pick(8);
          scope.LastColumn = scope.FirstColumn + pick(8);
          scope.TabWidth = 1 + pick(4);
          scope.Begin.Char = 1;
          scope.End.Char = std::numeric_limits<int>::max() / 2;
        }
      }
      auto in_scope_naive = [&](const TRefMatch& m) {
        if (scope.Whole) {
          return true;
        }
        if (m.Start() < scope.Begin || scope.End < m.End()) {
          return false;
        }
        if (!scope.Columns) {
          return true;
        }
        const auto [from, to] =
            line_cells::ColumnBlockChars(lines[static_cast<std::size_t>(m.Start().Line) - 1],
                                         scope.FirstColumn, scope.LastColumn, scope.TabWidth);
        return m.Start().Char >= from && m.End().Char <= to;
      };
      const QString pattern = RandomPattern(rng, alphabet, sample, options.regex);
      TTextSearch search;
      ASSERT_TRUE(search.SetPattern(pattern, options)) << pattern.toStdString();
      std::vector<TRefMatch> all;
      for (const TRefMatch& m : NaiveMatches(lines, pattern, options)) {
        if (in_scope_naive(m)) {
          all.push_back(m);
        }
      }
      auto where = [&] {
        std::string s =
            std::string(page_name) + " combo " + std::to_string(combo) + " pattern '" +
            pattern.toStdString() + "' scope " +
            (scope.Whole
                 ? std::string("all")
                 : std::to_string(scope.Begin.Line) + ":" + std::to_string(scope.Begin.Char) + "-" +
                       std::to_string(scope.End.Line) + ":" + std::to_string(scope.End.Char)) +
            " text";
        for (const std::string& l : lines) {
          s += " [" + l + "]";
        }
        return s;
      };
      for (int q = 0; q < 8 * shape.trials / 60 + 8; ++q) {
        TBufferPos from = random_pos();
        const bool backward = (q & 1) != 0;
        const auto got = search.Find(store, from, backward, scope);
        bool wrapped = false;
        std::optional<TRefMatch> want;
        if (!scope.Whole && (from < scope.Begin || from > scope.End)) {
          // The whole scope, from the end met first.
          if (!all.empty()) {
            want = backward ? all.back() : all.front();
          }
        } else {
          want = NaiveFind(all, from, backward, &wrapped);
        }
        ASSERT_EQ(got.has_value(), want.has_value())
            << where() << " from " << from.Line << ":" << from.Char << " back " << backward;
        if (got) {
          ++found;
          ASSERT_EQ(got->Start, want->Start())
              << where() << " from " << from.Line << ":" << from.Char << " back " << backward;
          ASSERT_EQ(got->End, want->End()) << where();
          ASSERT_EQ(got->Wrapped, wrapped) << where();
          ASSERT_TRUE(search.IsMatch(store, got->Start, got->End)) << where();
          ASSERT_TRUE(ScopeHolds(scope, store, got->Start, got->End)) << where();
        }
      }
      if (scope.Whole || scope.Columns) {
        const std::vector<TRefMatch> want = NaiveAll(all, lines);
        const std::vector<TSearchMatch> got = search.FindAll(store, scope);
        ASSERT_EQ(got.size(), want.size()) << where();
        for (std::size_t k = 0; k < got.size(); ++k) {
          ASSERT_EQ(got[k].Start, want[k].Start()) << where() << " #" << k;
          ASSERT_EQ(got[k].End, want[k].End()) << where() << " #" << k;
        }
        CompareReplaceAll(lines, search, want, where, scope);
      }
    }
  }
  EXPECT_GT(found, 100 * shape.trials / 6);  // about matches, not only misses
}

TEST(TextSearchTest, AgreesWithANaiveDecodedSearchInEveryModeAndCodePage) {
  CompareWithNaive("UTF-8", 19);
  CompareWithNaive("GBK", 20);
  CompareWithNaive("ISO-8859-1", 21);
}

TEST(TextSearchTest, AgreesWithTheNaiveSearchOverLongDocumentsWithFewMatches) {
  CompareWithNaive("UTF-8", 22, {.max_lines = 1500, .trials = 2, .plain_in = 40});
  CompareWithNaive("GBK", 23, {.max_lines = 1500, .trials = 2, .plain_in = 40});
}

std::unique_ptr<TSrcEditStringList> Store(std::initializer_list<std::string> lines) {
  auto store = std::make_unique<TSrcEditStringList>();
  for (const std::string& line : lines) {
    store->AppendLine(line);
  }
  return store;
}

TEST(TextSearchTest, MatchesAreWholeCharactersAndReportWrapping) {
  ScopedCodePage page("GBK");
  // 0x81 0x61 is one character whose second byte reads as 'a'.
  const auto owned =
      Store({"\x81\x61"
             "a mov",
             "; \xd6\xd0\xce\xc4 MOV"});
  const TSrcEditStringList& store = *owned;
  TTextSearch search;
  ASSERT_TRUE(search.SetPattern("a", {}));
  auto m = search.Find(store, {1, 1}, false);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Start, (TBufferPos{3, 1}));  // not the second byte of the first character
  ASSERT_TRUE(search.SetPattern(QStringLiteral("中文"), {}));
  m = search.Find(store, {1, 1}, false);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Start, (TBufferPos{3, 2}));
  EXPECT_EQ(m->End, (TBufferPos{7, 2}));
  ASSERT_TRUE(search.SetPattern("mov", {.match_case = true}));
  m = search.Find(store, {5, 1}, false);
  ASSERT_TRUE(m);
  EXPECT_FALSE(m->Wrapped);
  m = search.Find(store, {7, 1}, false);  // past the only one: round to it
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->Wrapped);
  EXPECT_EQ(m->Start, (TBufferPos{5, 1}));
  m = search.Find(store, {7, 1}, false, {}, false);
  EXPECT_FALSE(m);
  ASSERT_TRUE(search.SetPattern("mov", {}));
  m = search.Find(store, {5, 1}, true);  // backward from its start: round to the last
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->Wrapped);
  EXPECT_EQ(m->Start, (TBufferPos{8, 2}));
}

TEST(TextSearchTest, InvalidOrEmptyPatternsFindNothing) {
  const auto owned = Store({"abc"});
  const TSrcEditStringList& store = *owned;
  TTextSearch search;
  EXPECT_FALSE(search.SetPattern("", {}));
  EXPECT_FALSE(search.Find(store, {1, 1}, false));
  EXPECT_FALSE(search.SetPattern("(ab", {.regex = true}));
  EXPECT_FALSE(search.Error().isEmpty());
  EXPECT_FALSE(search.Find(store, {1, 1}, false));
  EXPECT_TRUE(search.FindAll(store).empty());
  EXPECT_TRUE(search.SetPattern("(ab", {}));  // as plain text it is fine
  EXPECT_TRUE(search.Error().isEmpty());
}

TEST(TextSearchTest, RegexReplacementsExpandCapturedGroups) {
  ScopedCodePage page("UTF-8");
  const auto owned = Store({"mov eax, 中文"});
  const TSrcEditStringList& store = *owned;
  TTextSearch search;
  ASSERT_TRUE(search.SetPattern(QStringLiteral("(\\w+) (\\w+), (\\S+)"), {.regex = true}));
  const auto m = search.Find(store, {1, 1}, false);
  ASSERT_TRUE(m);
  EXPECT_EQ(search.ReplacementFor(store, *m, QStringLiteral("$1 $3, \\2 $$ \\\\ $9")),
            "mov 中文, eax $ \\ ");
  ASSERT_TRUE(search.SetPattern("eax", {}));
  EXPECT_EQ(search.ReplacementFor(store, {{5, 1}, {8, 1}}, QStringLiteral("$1")), "$1");
}

}  // namespace
}  // namespace torvane
