// The highlighter base: attribute list, change chain, file-name matching and
// copying between highlighters.
#include "highlight/custom_highlighter.h"

#include <algorithm>

#include "platform/errors.h"

namespace torvane {

namespace {

int CompareIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : int{c}; };
    const int d = lower(a[i]) - lower(b[i]);
    if (d != 0) {
      return d;
    }
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::string Trimmed(std::string_view s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ') {
    ++begin;
  }
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ') {
    --end;
  }
  return std::string(s.substr(begin, end - begin));
}

std::string LowerAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c + 32);
    }
  }
  return s;
}

// The extension with its dot: from the last '.' after the last '/'.
std::string_view FileExtension(std::string_view file_name) {
  const std::size_t dot = file_name.find_last_of("./");
  if (dot == std::string_view::npos || file_name[dot] != '.') {
    return {};
  }
  return file_name.substr(dot);
}

}  // namespace

bool TSrcHighlighterClass::InheritsFrom(const TSrcHighlighterClass& other) const {
  for (const TSrcHighlighterClass* c = this; c != nullptr; c = c->Parent) {
    if (c == &other) {
      return true;
    }
  }
  return false;
}

TSrcCharSet DefaultWordSeparators() {
  TSrcCharSet set;
  for (unsigned char c : std::string_view(" !\"'()*+,-./:;=?[\\]^{|}")) {
    set.set(c);
  }
  return set;
}

const TSrcHighlighterClass& TSrcCustomHighlighter::StaticClass() {
  static const TSrcHighlighterClass kClass{"TSrcCustomHighlighter", nullptr, &ClassLanguageTitle,
                                           &ClassSupportedFeatures, nullptr};
  return kClass;
}

TSrcCustomHighlighter::TSrcCustomHighlighter()
    : change_chain_(this), word_separators_(DefaultWordSeparators()) {}

TSrcCustomHighlighter::~TSrcCustomHighlighter() = default;

int TSrcCustomHighlighter::AttributeCount() const {
  return static_cast<int>(attributes_.size());
}

TSrcHighlighterAttributes* TSrcCustomHighlighter::AttributeAt(int index) const {
  if (index < 0 || index >= AttributeCount()) {
    return nullptr;
  }
  return attributes_[static_cast<std::size_t>(index)].get();
}

TSrcCharSet TSrcCustomHighlighter::IdentifierCharacters() const {
  TSrcCharSet set;
  for (int c = '!'; c <= 255; ++c) {
    set.set(static_cast<std::size_t>(c));
  }
  return set;
}

bool TSrcCustomHighlighter::MatchesFileName(const std::string& file_name) const {
  const std::string default_filter = DefaultFilter();
  if (default_filter.empty()) {
    return false;
  }
  std::string filter = LowerAscii(Trimmed(default_filter));
  const std::size_t bar = filter.find('|');
  if (bar != std::string::npos) {
    filter.erase(0, bar + 1);
  }
  const std::string ext = LowerAscii(Trimmed(FileExtension(file_name)));
  if (ext.empty() || filter.empty()) {
    return false;
  }
  if (filter.back() != ';') {
    filter += ';';
  }
  return filter.find("*" + ext + ";") != std::string::npos;
}

void TSrcCustomHighlighter::SetEnabled(bool value) {
  if (enabled_ != value) {
    enabled_ = value;
    NotifyAttributeChange(nullptr);
  }
}

void TSrcCustomHighlighter::SkipToLineEnd() {
  while (!AtLineEnd()) {
    AdvanceToken();
  }
}

void TSrcCustomHighlighter::CopyFrom(const TSrcCustomHighlighter& source) {
  if (&source == this) {
    return;
  }
  for (int i = 0; i < AttributeCount(); ++i) {
    TSrcHighlighterAttributes* mine = AttributeAt(i);
    for (int j = 0; j < source.AttributeCount(); ++j) {
      const TSrcHighlighterAttributes* theirs = source.AttributeAt(j);
      if (theirs->Name() == mine->Name()) {
        mine->CopyFrom(*theirs);
        break;
      }
    }
  }
  if (source.ClassType().InheritsFrom(ClassType())) {
    SetSampleText(source.SampleText());
  }
  SetWordSeparators(source.WordSeparators());
  SetDefaultFilter(source.DefaultFilter());
  SetEnabled(source.Enabled());
}

void TSrcCustomHighlighter::NotifyAttributeChange(TSrcPersistent* sender) {
  if (Loading()) {
    return;
  }
  change_chain_.SetSender(sender);
  change_chain_.Fire();
}

void TSrcCustomHighlighter::Loaded() {
  TSrcComponent::Loaded();
  NotifyAttributeChange(nullptr);
}

TSrcHighlighterAttributes* TSrcCustomHighlighter::RegisterAttribute(
    std::unique_ptr<TSrcHighlighterAttributes> attr) {
  const auto at = std::lower_bound(
      attributes_.begin(), attributes_.end(), attr->Name(),
      [](const std::unique_ptr<TSrcHighlighterAttributes>& a, const std::string& name) {
        return CompareIgnoringAsciiCase(a->Name(), name) < 0;
      });
  if (at != attributes_.end() && CompareIgnoringAsciiCase((*at)->Name(), attr->Name()) == 0) {
    throw ESrcError("List does not allow duplicates");
  }
  return attributes_.insert(at, std::move(attr))->get();
}

void TSrcCustomHighlighter::WireAttributes() {
  for (std::size_t i = attributes_.size(); i-- > 0;) {
    TSrcHighlighterAttributes* attr = attributes_[i].get();
    attr->OnChange = [this](TSrcHighlighterAttributes* sender) { NotifyAttributeChange(sender); };
    attr->RememberDefaults();
  }
}

}  // namespace torvane
