#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "highlight/asm_highlighter.h"
#include "highlight/custom_highlighter.h"
#include "highlight/highlighter_attributes.h"
#include "platform/errors.h"
#include "tests/highlight/stub_highlighter.h"

namespace torvane {
namespace {

// Counts change notifications of one highlighter and remembers their senders.
struct ChangeLog {
  std::vector<TSrcPersistent*> senders;
  void Listen(TSrcCustomHighlighter& h) {
    h.AddChangeListener({this, [this](TSrcPersistent* s) { senders.push_back(s); }});
  }
};

TEST(HighlighterAttributesTest, SettersNotifyOnlyOnChange) {
  TSrcHighlighterAttributes a("Comment");
  int changes = 0;
  a.OnChange = [&](TSrcHighlighterAttributes* sender) {
    EXPECT_EQ(sender, &a);
    ++changes;
  };
  a.SetForeground(clNone);
  a.SetBackground(clNone);
  a.SetStyle({});
  EXPECT_EQ(changes, 0);
  a.SetForeground(clRed);
  a.SetBackground(clWindow);
  a.SetStyle({fsBold, fsUnderline});
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(a.StyleBits(), 5);

  // Bit by bit through the setter: bold cleared first, then italic and
  // strike-out added.
  changes = 0;
  a.SetStyleBits(10);
  EXPECT_EQ(a.Style(), (TFontStyles{fsItalic, fsStrikeOut}));
  EXPECT_EQ(changes, 3);
  a.SetStyleBits(0x1F);
  EXPECT_EQ(a.StyleBits(), 15);

  TSrcHighlighterAttributes b("Other");
  int b_changes = 0;
  b.OnChange = [&](TSrcHighlighterAttributes*) { ++b_changes; };
  b.CopyFrom(a);
  EXPECT_EQ(b.Name(), "Comment");
  EXPECT_EQ(b.Foreground(), clRed);
  EXPECT_EQ(b.Background(), clWindow);
  EXPECT_EQ(b.StyleBits(), 15);
  EXPECT_EQ(b_changes, 1);
  b.CopyColorsAndStyle(a);
  EXPECT_EQ(b_changes, 1);

  EXPECT_TRUE(b.IsForegroundStored());
  b.RememberDefaults();
  EXPECT_FALSE(b.IsForegroundStored());
  EXPECT_EQ(b.ForegroundDefault(), clRed);
  EXPECT_EQ(b.BackgroundDefault(), clWindow);
}

TEST(HighlighterChangeChainTest, EnabledAndAttributeChangesReachListeners) {
  TSrcAsmHighlighter h;
  ChangeLog log;
  log.Listen(h);
  h.SetEnabled(true);
  EXPECT_TRUE(log.senders.empty());
  h.SetEnabled(false);
  ASSERT_EQ(log.senders.size(), 1u);
  EXPECT_EQ(log.senders[0], nullptr);

  h.CommentAttri()->SetForeground(clGrayText);
  ASSERT_EQ(log.senders.size(), 2u);
  EXPECT_EQ(log.senders[1], h.CommentAttri());

  // Nothing fires while loading; the after-load step fires once.
  h.BeginLoading();
  h.SetEnabled(true);
  h.NumberAttri()->SetForeground(clRed);
  EXPECT_EQ(log.senders.size(), 2u);
  h.Loaded();
  EXPECT_EQ(log.senders.size(), 3u);
  EXPECT_TRUE(h.Enabled());

  // Removal drops every entry of that receiver.
  ChangeLog other;
  other.Listen(h);
  log.Listen(h);
  h.RemoveChangeListener(&log);
  h.SetEnabled(false);
  EXPECT_EQ(log.senders.size(), 3u);
  EXPECT_EQ(other.senders.size(), 1u);
}

TEST(HighlighterChangeChainTest, ListenerErrorsFollowTheErrorHandler) {
  TSrcNotifyEventChain chain(nullptr);
  std::vector<int> calls;
  chain.Add({nullptr, [&](TSrcPersistent*) { calls.push_back(1); }});
  chain.Add({nullptr, [&](TSrcPersistent*) { throw std::runtime_error("boom"); }});
  chain.Add({nullptr, [&](TSrcPersistent*) { calls.push_back(3); }});
  EXPECT_THROW(chain.Fire(), std::runtime_error);
  EXPECT_EQ(calls, (std::vector<int>{1}));

  calls.clear();
  chain.SetExceptionHandler([](std::exception_ptr) { return true; });
  chain.Fire();
  EXPECT_EQ(calls, (std::vector<int>{1, 3}));

  calls.clear();
  chain.SetExceptionHandler([](std::exception_ptr) { return false; });
  chain.Fire();
  EXPECT_EQ(calls, (std::vector<int>{1}));

  chain.SetExceptionHandler([](std::exception_ptr) -> bool { throw std::logic_error("bad"); });
  try {
    chain.Fire();
    FAIL();
  } catch (const ESrcError& e) {
    EXPECT_STREQ(e.what(),
                 "TSrcNotifyEventChain.DoHandleException : MUST NOT occur any kind of exception "
                 "in ExceptionHandler");
  }

  // A listener that removes itself while the chain fires.
  TSrcNotifyEventChain self_removing(nullptr);
  int runs = 0;
  int tag = 0;
  self_removing.Add({&tag, [&](TSrcPersistent*) {
                       ++runs;
                       self_removing.Remove(&tag);
                     }});
  self_removing.Add({nullptr, [&](TSrcPersistent*) { ++runs; }});
  self_removing.Fire();
  self_removing.Fire();
  EXPECT_EQ(runs, 3);
}

class TwoAttributeHighlighter : public StubHighlighter {
 public:
  TwoAttributeHighlighter() {
    RegisterAttribute(std::make_unique<TSrcHighlighterAttributes>("beta"));
    RegisterAttribute(std::make_unique<TSrcHighlighterAttributes>("Alpha"))->SetForeground(clBlue);
    WireAttributes();
  }
  void Add(const char* name) {
    RegisterAttribute(std::make_unique<TSrcHighlighterAttributes>(name));
  }
};

TEST(CustomHighlighterTest, BaseDefaultsAndSortedAttributes) {
  TwoAttributeHighlighter h;
  EXPECT_TRUE(h.Enabled());
  EXPECT_EQ(h.DefaultFilter(), "");
  EXPECT_FALSE(h.MatchesFileName("x.asm"));
  EXPECT_EQ(h.LanguageTitle(), "<Unknown>");
  EXPECT_EQ(h.SampleText(), "");
  EXPECT_FALSE(h.IsKnownKeyword("mov"));
  EXPECT_FALSE(h.ApplyUserSettings(0));
  std::vector<std::string> settings = {"x"};
  h.ListUserSettings(settings);
  EXPECT_TRUE(settings.empty());
  const TSrcCharSet seps = h.WordSeparators();
  EXPECT_EQ(seps.count(), 23u);
  EXPECT_TRUE(seps[' '] && seps['|'] && seps['\\'] && seps['"']);
  EXPECT_FALSE(seps['_'] || seps['#'] || seps['<'] || seps['@']);
  const TSrcCharSet ident = h.IdentifierCharacters();
  EXPECT_EQ(ident.count(), 223u);
  EXPECT_FALSE(ident[' ']);

  ASSERT_EQ(h.AttributeCount(), 2);
  EXPECT_EQ(h.AttributeAt(0)->Name(), "Alpha");
  EXPECT_EQ(h.AttributeAt(1)->Name(), "beta");
  EXPECT_EQ(h.AttributeAt(0)->ForegroundDefault(), clBlue);
  EXPECT_THROW(h.Add("ALPHA"), ESrcError);
  EXPECT_EQ(h.AttributeCount(), 2);
  h.Add("Gamma");
  EXPECT_EQ(h.AttributeAt(2)->Name(), "Gamma");
}

TEST(CustomHighlighterTest, CopyFromMatchesAttributesByExactName) {
  TSrcAsmHighlighter source;
  source.CommentAttri()->SetForeground(clGrayText);
  source.KeyAttri()->SetStyle({});
  source.SetDefaultFilter("Asm|*.asm;*.s");
  source.SetEnabled(false);
  TSrcCharSet seps;
  seps.set(',');
  source.SetWordSeparators(seps);

  TSrcAsmHighlighter target;
  ChangeLog log;
  log.Listen(target);
  target.CopyFrom(source);
  EXPECT_EQ(target.CommentAttri()->Foreground(), clGrayText);
  EXPECT_EQ(target.KeyAttri()->Style(), TFontStyles{});
  EXPECT_EQ(target.DefaultFilter(), "Asm|*.asm;*.s");
  EXPECT_FALSE(target.Enabled());
  EXPECT_EQ(target.WordSeparators(), seps);
  // Two attribute changes and one Enabled change.
  EXPECT_EQ(log.senders.size(), 3u);

  // A highlighter of another class shares no attribute names with this one
  // ("comment" differs in case), so only the common fields are copied.
  TwoAttributeHighlighter other;
  other.CopyFrom(source);
  EXPECT_EQ(other.AttributeAt(0)->Foreground(), clBlue);
  EXPECT_FALSE(other.Enabled());
}

}  // namespace
}  // namespace torvane
