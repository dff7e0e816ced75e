// The base of every highlighter: its attributes, change listeners, filter and
// word separators, and the per-line protocol the editor drives it through:
//   ResetRangeState (first line) or RestoreRangeState(range of the line above);
//   StartLine(text, index); while !AtLineEnd(): read the token, AdvanceToken();
//   SaveRangeState() is the state at the end of the line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/string_list.h"
#include "highlight/fold_regions.h"
#include "highlight/highlighter_attributes.h"
#include "highlight/keyword_hash.h"
#include "highlight/notify_event_chain.h"

namespace torvane {

// The six attributes every highlighter can be asked for (DefaultAttributeFor).
enum TSrcDefaultRole : int {
  drComment = 0,
  drIdentifier = 1,
  drKeyword = 2,
  drString = 3,
  drWhitespace = 4,
  drSymbol = 5,
};

enum TSrcHighlighterFeature : unsigned { hcRegistry = 1u << 0 };
using TSrcHighlighterFeatures = unsigned;

class TSrcCustomHighlighter;

// What the class of a highlighter answers without an instance.
struct TSrcHighlighterClass {
  const char* ClassName;
  const TSrcHighlighterClass* Parent;  // the class it derives from, or null
  std::string (*LanguageTitle)();
  TSrcHighlighterFeatures (*SupportedFeatures)();
  std::unique_ptr<TSrcCustomHighlighter> (*Create)();  // null for an abstract class

  bool InheritsFrom(const TSrcHighlighterClass& other) const;
};

class TSrcCustomHighlighter : public TSrcComponent {
 public:
  TSrcCustomHighlighter();
  ~TSrcCustomHighlighter() override;

  static const TSrcHighlighterClass& StaticClass();
  virtual const TSrcHighlighterClass& ClassType() const { return StaticClass(); }

  // --- The virtual operations, in their slot order.
  virtual int AttributeCount() const;
  // In sorted name order; null when out of range.
  virtual TSrcHighlighterAttributes* AttributeAt(int index) const;
  virtual TSrcHighlighterAttributes* DefaultAttributeFor(int role) const = 0;
  virtual std::string DefaultFilter() const { return default_filter_; }
  virtual TSrcCharSet IdentifierCharacters() const;
  virtual std::string SampleText() const { return {}; }
  // Whether a stored form keeps the filter.
  virtual bool IsFilterStored() const { return true; }
  virtual void SetDefaultFilter(const std::string& filter) { default_filter_ = filter; }
  virtual void SetSampleText(const std::string& /*text*/) {}
  virtual void SetWordSeparators(const TSrcCharSet& separators) { word_separators_ = separators; }
  std::string LanguageTitle() const { return ClassType().LanguageTitle(); }
  TSrcHighlighterFeatures SupportedFeatures() const { return ClassType().SupportedFeatures(); }
  static std::string ClassLanguageTitle() { return "<Unknown>"; }
  static TSrcHighlighterFeatures ClassSupportedFeatures() { return hcRegistry; }
  virtual bool MatchesFileName(const std::string& file_name) const;
  virtual bool AtLineEnd() const = 0;
  virtual TRangeState SaveRangeState() const { return 0; }
  virtual std::string TokenText() const = 0;
  virtual TSrcHighlighterAttributes* TokenAttributes() const = 0;
  virtual int TokenKind() const = 0;
  // 0-based byte offset of the current token in the line given to StartLine.
  virtual int TokenStart() const = 0;
  virtual bool IsKnownKeyword(std::string_view /*text*/) const { return false; }
  virtual void AdvanceToken() = 0;
  // Makes the first token of the line current. The highlighter keeps what it
  // needs of the text; the caller's buffer may go away afterwards.
  virtual void StartLine(std::string_view text, int line_index) = 0;
  // True when a scan may begin at any token start of an earlier scan of the
  // same line and find the tokens a scan from the line's start finds there:
  // nothing but the position carries from one token to the next.
  virtual bool ResumesAtTokens() const { return false; }
  // StartLine for a scan that begins at byte `offset`, a token start. Only
  // the part the scan reaches is copied, so `text` must stay valid until the
  // scan is done. Without ResumesAtTokens, the scan begins at the line's
  // start and the tokens before `offset` come first.
  virtual void StartLineAt(std::string_view text, int line_index, int /*offset*/) {
    StartLine(text, line_index);
  }
  // The current token's length in bytes, without copying its text.
  virtual int TokenLength() const { return static_cast<int>(TokenText().size()); }
  virtual void RestoreRangeState(TRangeState /*state*/) {}
  virtual void ResetRangeState() {}
  // False for a language whose lines never depend on the lines above: its
  // SaveRangeState is always what it gives after ResetRangeState, and the
  // editor then keeps no states at all.
  virtual bool HasRangeStates() const { return true; }
  virtual bool ApplyUserSettings(int /*setting_index*/) { return false; }
  virtual void ListUserSettings(std::vector<std::string>& settings) const { settings.clear(); }
  virtual bool LoadAttributesFromRegistry(TRegistryRoot root, const std::string& key_path);
  virtual bool SaveAttributesToRegistry(TRegistryRoot root, const std::string& key_path) const;
  virtual bool LoadAttributesFromIni(const std::string& file_name);
  virtual bool SaveAttributesToIni(const std::string& file_name) const;

  // --- The rest.
  bool Enabled() const { return enabled_; }
  // Fires the change chain when the value changes.
  void SetEnabled(bool value);
  const TSrcCharSet& WordSeparators() const { return word_separators_; }
  TFoldRegions& FoldRegions() { return fold_regions_; }
  const TFoldRegions& FoldRegions() const { return fold_regions_; }

  // Listeners run on every attribute change and on a change of Enabled.
  void AddChangeListener(TSrcNotifyEvent event) { change_chain_.Add(std::move(event)); }
  void RemoveChangeListener(const void* receiver) { change_chain_.Remove(receiver); }

  // Calls AdvanceToken until AtLineEnd.
  void SkipToLineEnd();
  // Copies same-named attributes, sample text (same class), word separators,
  // filter and Enabled from another highlighter.
  void CopyFrom(const TSrcCustomHighlighter& source);
  // Fires the change chain with `sender` unless loading.
  void NotifyAttributeChange(TSrcPersistent* sender);
  void Loaded() override;

 protected:
  // Takes ownership; raises when an attribute of the same name (ignoring
  // case) is registered already.
  TSrcHighlighterAttributes* RegisterAttribute(std::unique_ptr<TSrcHighlighterAttributes> attr);
  // The concrete constructor's last step: wires change notification and
  // makes the current values the defaults.
  void WireAttributes();

 private:
  TSrcNotifyEventChain change_chain_;
  bool enabled_ = true;
  TSrcCharSet word_separators_;
  TFoldRegions fold_regions_;
  // invariant: sorted by name, ignoring ASCII case, without duplicates
  std::vector<std::unique_ptr<TSrcHighlighterAttributes>> attributes_;
  std::string default_filter_;
};

// The separators a new highlighter starts with.
TSrcCharSet DefaultWordSeparators();

}  // namespace torvane
