// Building the line map from a listing, and asking it.
#include "listing/line_map.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/file_access.h"

namespace torvane {
namespace {

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool SameWord(std::string_view word, std::string_view lower) {
  if (word.size() != lower.size()) {
    return false;
  }
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(word[i])) != lower[i]) {
      return false;
    }
  }
  return true;
}

// A statement's first word and what follows it: "[section .data]" and
// "section .data ; x" both give ("section", ".data"). Comments are cut.
struct TStatement {
  std::string_view Word;
  std::string_view Operand;
};

TStatement SplitStatement(std::string_view text) {
  text = Trim(text);
  bool bracketed = false;
  if (!text.empty() && text.front() == '[') {
    bracketed = true;
    text = Trim(text.substr(1));
  }
  std::size_t end = 0;
  while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != ';' &&
         text[end] != ']' && text[end] != '"' && text[end] != '\'' && text[end] != '<') {
    ++end;
  }
  TStatement statement{text.substr(0, end), text.substr(end)};
  std::string_view operand = statement.Operand;
  // Quotes may hold ';' or ']': cut only outside them.
  char quote = 0;
  for (std::size_t i = 0; i < operand.size(); ++i) {
    const char c = operand[i];
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      }
    } else if (c == '"' || c == '\'' || c == '`') {
      quote = c;
    } else if (c == ';' || (bracketed && c == ']')) {
      operand = operand.substr(0, i);
      break;
    }
  }
  statement.Operand = Trim(operand);
  return statement;
}

// The file name of "%include "x"", "%include 'x'" or "%include <x>"; empty
// when it is anything else (a macro that names the file).
std::string IncludedName(std::string_view operand) {
  if (operand.size() < 2) {
    return {};
  }
  const char open = operand.front();
  const char close = open == '<' ? '>' : open;
  if ((open != '"' && open != '\'' && open != '<') || operand.back() != close) {
    return {};
  }
  return std::string(operand.substr(1, operand.size() - 2));
}

bool IsMacroStart(std::string_view word) {
  return SameWord(word, "%macro") || SameWord(word, "%imacro") || SameWord(word, "%rmacro") ||
         SameWord(word, "%irmacro") || SameWord(word, "%rep");
}

bool IsMacroEnd(std::string_view word) {
  return SameWord(word, "%endmacro") || SameWord(word, "%endm") || SameWord(word, "%endrep");
}

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Join(const std::string& directory, const std::string& name) {
  if (name.starts_with('/') || directory.empty()) {
    return name;
  }
  return directory.ends_with('/') ? directory + name : directory + "/" + name;
}

}  // namespace

std::optional<std::uint64_t> ParseNasmNumber(std::string_view text) {
  text = Trim(text);
  if (text.empty()) {
    return std::nullopt;
  }
  std::string digits;
  int base = 10;
  auto lower = [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  };
  std::string t;
  for (const char c : text) {
    if (c != '_') {
      t.push_back(lower(c));
    }
  }
  if (t.empty()) {
    return std::nullopt;
  }
  if (t.size() > 1 && t[0] == '$' && std::isdigit(static_cast<unsigned char>(t[1]))) {
    base = 16;
    digits = t.substr(1);
  } else if (t.size() > 2 && t[0] == '0' &&
             std::string_view("xhdoqby").find(t[1]) != std::string_view::npos) {
    const char p = t[1];
    base = (p == 'x' || p == 'h') ? 16 : (p == 'd') ? 10 : (p == 'o' || p == 'q') ? 8 : 2;
    digits = t.substr(2);
  } else if (!std::isdigit(static_cast<unsigned char>(t[0])) || t == "0x" || t == "0h") {
    return std::nullopt;
  } else {
    const char s = t.back();
    if (s == 'h' || s == 'x') {
      base = 16;
      digits = t.substr(0, t.size() - 1);
    } else if (s == 'q' || s == 'o') {
      base = 8;
      digits = t.substr(0, t.size() - 1);
    } else if ((s == 'b' || s == 'y') && t.find_first_not_of("01", 0) == t.size() - 1) {
      base = 2;
      digits = t.substr(0, t.size() - 1);
    } else if (s == 'd' || s == 't') {
      digits = t.substr(0, t.size() - 1);
    } else {
      digits = t;
    }
  }
  if (digits.empty() || digits.size() > 20) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    }
    if (digit < 0 || digit >= base) {
      return std::nullopt;
    }
    const std::uint64_t next =
        value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (next / static_cast<std::uint64_t>(base) != value) {
      return std::nullopt;  // overflow
    }
    value = next;
  }
  return value;
}

std::uint64_t TLineCode::TotalSize() const {
  std::uint64_t total = 0;
  for (const TCodeChunk& chunk : Chunks) {
    total += chunk.Size;
  }
  return total;
}

std::string TLineCode::KnownBytes(std::size_t limit) const {
  std::string out;
  for (const TCodeChunk& chunk : Chunks) {
    if (chunk.Bytes.empty()) {
      return out;
    }
    for (std::uint64_t i = 0; i < chunk.Repeat; ++i) {
      for (const char byte : chunk.Bytes) {
        if (out.size() >= limit) {
          return out;
        }
        out.push_back(byte);
      }
    }
    if (chunk.Bytes.size() * chunk.Repeat < chunk.Size) {
      return out;  // the rest is not spelled out
    }
  }
  return out;
}

// Walks a listing once, keeping the nesting of files and expansions.
class TListingMapBuilder {
 public:
  TListingMapBuilder(TListingMap& map, const std::string& main_file, const std::string& directory)
      : map_(map), directory_(directory) {
    map_.files_.push_back(main_file);
    map_.lines_.emplace_back();
    map_.sections_.push_back({".text", 0});
    stack_.push_back({TContext::kFile, 0, 0});
  }

  void Line(std::string_view text, int listing_line);
  void Finish();

 private:
  struct TContext {
    enum Kind { kFile, kMacro, kUnknown } Kind;
    int File;             // kFile: the file whose lines these are; kMacro: the calling line's file
    int Line;             // kMacro: the calling line
    int Definitions = 0;  // open %macro/%rep definitions in this file's text
  };

  void Source(const TListingLine& line, int listing_line);
  void Directives(std::string_view text);
  TContext Deeper(const TContext& outer);
  int FileIndex(const std::string& name, int including_file);
  void AddBytes(const TListingLine& line);
  void Flush();

  TListingMap& map_;
  std::string directory_;
  std::vector<TContext> stack_;  // invariant: not empty; size - 1 is the current level
  // The last source line: what opens the next deeper level.
  std::string previous_text_;
  int previous_line_ = 0;
  bool have_previous_ = false;
  int section_ = 0;
  int before_struc_ = 0;  // the section a structure's definition returns to
  // The record being read: a source line and its continuation lines.
  TLineCode* record_ = nullptr;
  int record_section_ = 0;
  int record_number_ = 0;
  bool expect_more_ = false;
  std::vector<TCodeChunk> pending_;
  std::uint64_t pending_repeat_ = 0;
  std::optional<TSourcePlace> record_place_;
};

int TListingMapBuilder::FileIndex(const std::string& name, int including_file) {
  std::string path = Join(directory_, name);
  if (!Exists(path)) {
    const std::string beside = Join(DirectoryOf(map_.files_[including_file]), name);
    if (Exists(beside)) {
      path = beside;
    }
  }
  for (std::size_t i = 0; i < map_.files_.size(); ++i) {
    if (map_.files_[i] == path) {
      return static_cast<int>(i);
    }
  }
  map_.files_.push_back(path);
  map_.lines_.emplace_back();
  return static_cast<int>(map_.files_.size() - 1);
}

TListingMapBuilder::TContext TListingMapBuilder::Deeper(const TContext& outer) {
  if (!have_previous_ || outer.Kind == TContext::kUnknown) {
    return {TContext::kUnknown, 0, 0};
  }
  const TStatement statement = SplitStatement(previous_text_);
  if (SameWord(statement.Word, "%include")) {
    const std::string name = IncludedName(statement.Operand);
    if (name.empty()) {
      return {TContext::kUnknown, 0, 0};
    }
    const int including = outer.Kind == TContext::kFile ? outer.File : 0;
    return {TContext::kFile, FileIndex(name, including), 0};
  }
  if (outer.Kind == TContext::kMacro) {
    return {TContext::kMacro, outer.File, outer.Line};  // it all expands the same calling line
  }
  if (SameWord(statement.Word, "%endrep")) {
    return {TContext::kFile, outer.File, 0};  // the repeated lines, numbered in the same file
  }
  return {TContext::kMacro, outer.File, previous_line_};
}

void TListingMapBuilder::Line(std::string_view text, int listing_line) {
  TListingLine line;
  switch (ParseListingLine(text, line)) {
    case TListingLineKind::lkSource:
      Flush();
      Source(line, listing_line);
      return;
    case TListingLineKind::lkContinuation:
      if (!expect_more_ || line.SourceLine != record_number_) {
        ++map_.unplaced_;
        expect_more_ = false;
        return;
      }
      AddBytes(line);
      if (record_place_) {
        if (record_ != nullptr) {
          record_->ListingLines.push_back(listing_line);
        }
        map_.listing_places_.push_back({listing_line, *record_place_});
      }
      return;
    case TListingLineKind::lkMessage:
      return;  // about the line before; its bytes may still go on
    case TListingLineKind::lkOther:
    default:
      if (!Trim(text).empty() && text != "\r") {
        ++map_.unplaced_;
      }
      Flush();
      expect_more_ = false;
      return;
  }
}

void TListingMapBuilder::Source(const TListingLine& line, int listing_line) {
  const std::size_t level = static_cast<std::size_t>(std::max(line.Level, 0));
  if (level + 1 < stack_.size()) {
    stack_.resize(level + 1);
  } else if (level + 1 > stack_.size()) {
    if (level > 4096) {
      stack_.resize(1);
      ++map_.unplaced_;
      have_previous_ = false;
      return;
    }
    // The line before opened the first new level; a level that jumps
    // further goes on expanding the same thing, if that was a macro.
    stack_.push_back(Deeper(stack_.back()));
    while (stack_.size() < level + 1) {
      const TContext& top = stack_.back();
      stack_.push_back(top.Kind == TContext::kMacro ? TContext{TContext::kMacro, top.File, top.Line}
                                                    : TContext{TContext::kUnknown, 0, 0});
    }
  }
  TContext& context = stack_.back();
  // Definitions are listed when read and again when expanded: only the
  // expansion's lines act.
  const TStatement statement = SplitStatement(line.Text);
  if (context.Definitions > 0) {
    if (IsMacroStart(statement.Word)) {
      ++context.Definitions;
    } else if (IsMacroEnd(statement.Word)) {
      --context.Definitions;
    }
  } else if (IsMacroStart(statement.Word)) {
    ++context.Definitions;
  } else {
    Directives(line.Text);
  }
  previous_text_.assign(line.Text);
  previous_line_ = line.SourceLine;
  have_previous_ = true;

  record_number_ = line.SourceLine;
  record_section_ = section_;
  record_ = nullptr;
  record_place_.reset();
  if (context.Kind == TContext::kFile) {
    record_place_ = TSourcePlace{context.File, line.SourceLine};
  } else if (context.Kind == TContext::kMacro) {
    record_place_ = TSourcePlace{context.File, context.Line};
  }
  if (record_place_) {
    record_ = &map_.lines_[static_cast<std::size_t>(record_place_->File)][record_place_->Line];
    if (context.Kind == TContext::kFile && record_->ListingLines.empty()) {
      record_->ListedText.assign(line.Text);
    }
    record_->ListingLines.push_back(listing_line);
    map_.listing_places_.push_back({listing_line, *record_place_});
  } else if (line.HasAddress) {
    ++map_.unplaced_;
  }
  expect_more_ = false;
  if (line.HasAddress) {
    AddBytes(line);
  }
}

void TListingMapBuilder::Directives(std::string_view text) {
  const TStatement statement = SplitStatement(text);
  if (SameWord(statement.Word, "section") || SameWord(statement.Word, "segment")) {
    std::string_view name = statement.Operand;
    name = name.substr(0, name.find_first_of(" \t"));
    if (name.empty()) {
      return;
    }
    for (std::size_t i = 0; i < map_.sections_.size(); ++i) {
      if (map_.sections_[i].Name == name) {
        section_ = static_cast<int>(i);
        return;
      }
    }
    map_.sections_.push_back({std::string(name), std::nullopt});
    section_ = static_cast<int>(map_.sections_.size() - 1);
  } else if (SameWord(statement.Word, "absolute") || SameWord(statement.Word, "struc")) {
    // Offsets without output: a structure's fields, absolute labels.
    if (SameWord(statement.Word, "struc")) {
      before_struc_ = section_;
    }
    map_.sections_.push_back({"absolute", std::nullopt});
    section_ = static_cast<int>(map_.sections_.size() - 1);
  } else if (SameWord(statement.Word, "endstruc")) {
    section_ = before_struc_;
  } else if (SameWord(statement.Word, "org")) {
    const std::optional<std::uint64_t> org = ParseNasmNumber(statement.Operand);
    map_.sections_[0].Base = org;
  }
}

void TListingMapBuilder::AddBytes(const TListingLine& line) {
  TCodeChunk chunk;
  chunk.Section = record_section_;
  chunk.Offset = line.Address;
  chunk.Size = line.Size;
  chunk.Bytes = line.Bytes;
  chunk.Flags = line.Flags;
  if (!pending_.empty() && pending_.back().Offset + pending_.back().Size == chunk.Offset &&
      pending_.back().Bytes.size() == pending_.back().Size) {
    TCodeChunk& last = pending_.back();
    last.Size += chunk.Size;
    last.Bytes += chunk.Bytes;
    last.Flags |= chunk.Flags;
  } else {
    pending_.push_back(std::move(chunk));
  }
  if (line.Repeat != 0) {
    pending_repeat_ = line.Repeat;
  }
  expect_more_ = line.Continued;
}

void TListingMapBuilder::Flush() {
  if (pending_.empty()) {
    pending_repeat_ = 0;
    return;
  }
  if (pending_repeat_ != 0) {
    // "<rep N>": what the record spelled out is one of N repetitions.
    if (pending_.size() == 1) {
      TCodeChunk& chunk = pending_.front();
      chunk.Flags |= lbRepeated;
      if (chunk.Bytes.size() == chunk.Size) {
        chunk.Repeat = pending_repeat_;
      } else {
        chunk.Bytes.clear();
      }
      chunk.Size *= pending_repeat_;
    } else {
      for (TCodeChunk& chunk : pending_) {
        chunk.Flags |= lbRepeated;
        chunk.Bytes.clear();
      }
    }
  }
  if (record_ != nullptr) {
    for (TCodeChunk& chunk : pending_) {
      std::vector<TCodeChunk>& chunks = record_->Chunks;
      if (!chunks.empty()) {
        TCodeChunk& last = chunks.back();
        if (last.Section == chunk.Section && last.Offset + last.Size == chunk.Offset &&
            last.Repeat == 1 && chunk.Repeat == 1 && last.Bytes.size() == last.Size) {
          last.Size += chunk.Size;
          last.Bytes += chunk.Bytes;
          last.Flags |= chunk.Flags;
          continue;
        }
      }
      chunks.push_back(std::move(chunk));
    }
  }
  pending_.clear();
  pending_repeat_ = 0;
}

void TListingMapBuilder::Finish() {
  Flush();
}

TListingMap::TListingMap() = default;

TListingMap TListingMap::Build(std::string_view listing, const std::string& main_file,
                               const std::string& directory, std::string_view binary,
                               bool use_binary) {
  TListingMap map;
  TListingMapBuilder builder(map, main_file, directory);
  int number = 0;
  std::size_t at = 0;
  while (at < listing.size()) {
    std::size_t end = listing.find('\n', at);
    if (end == std::string_view::npos) {
      end = listing.size();
    }
    builder.Line(listing.substr(at, end - at), ++number);
    at = end + 1;
  }
  builder.Finish();
  if (use_binary) {
    map.UseBinary(binary);
  }
  map.IndexAddresses();
  return map;
}

void TListingMap::UseBinary(std::string_view binary) {
  if (!sections_[0].Base) {
    return;
  }
  // Every spelled-out byte of the first section must agree, else the binary
  // is not this listing's.
  bool compared = false;
  for (const auto& file : lines_) {
    for (const auto& [line, code] : file) {
      for (const TCodeChunk& chunk : code.Chunks) {
        if (chunk.Section != 0 || chunk.Bytes.empty() ||
            (chunk.Flags & (lbRelocated | lbSegment | lbReserved)) != 0) {
          continue;
        }
        if (chunk.Offset + chunk.Bytes.size() > binary.size() ||
            binary.substr(chunk.Offset, chunk.Bytes.size()) != chunk.Bytes) {
          return;
        }
        compared = true;
      }
    }
  }
  if (!compared) {
    return;
  }
  constexpr std::uint64_t kMostBytes = 4096;
  for (auto& file : lines_) {
    for (auto& [line, code] : file) {
      for (TCodeChunk& chunk : code.Chunks) {
        // Relocated values, and bytes the listing does not spell out
        // (incbin, zeros, reserved space the output zeroed).
        const bool partial = chunk.Bytes.size() * chunk.Repeat < chunk.Size;
        if (chunk.Section != 0 || ((chunk.Flags & (lbRelocated | lbSegment)) == 0 && !partial) ||
            chunk.Offset + chunk.Size > binary.size()) {
          continue;
        }
        const std::uint64_t take =
            chunk.Repeat > 1 || partial ? std::min(chunk.Size, kMostBytes) : chunk.Bytes.size();
        chunk.Bytes.assign(binary.substr(chunk.Offset, take));
        chunk.Repeat = 1;
        chunk.Flags &= static_cast<std::uint8_t>(~(lbRelocated | lbSegment));
      }
    }
  }
}

void TListingMap::IndexAddresses() {
  addresses_.clear();
  for (std::size_t file = 0; file < lines_.size(); ++file) {
    for (const auto& [line, code] : lines_[file]) {
      for (const TCodeChunk& chunk : code.Chunks) {
        if (const std::optional<std::uint64_t> start = AddressOf(chunk); start && chunk.Size > 0) {
          addresses_.push_back({*start, chunk.Size, {static_cast<int>(file), line}});
        }
      }
    }
  }
  std::stable_sort(
      addresses_.begin(), addresses_.end(),
      [](const TAddressRange& a, const TAddressRange& b) { return a.Start < b.Start; });
}

int TListingMap::FindFile(const std::string& path) const {
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (files_[i] == path) {
      return static_cast<int>(i);
    }
  }
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (SameFile(files_[i], path)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

const TLineCode* TListingMap::CodeAt(int file, int line) const {
  if (file < 0 || static_cast<std::size_t>(file) >= lines_.size()) {
    return nullptr;
  }
  const auto& lines = lines_[static_cast<std::size_t>(file)];
  const auto it = lines.find(line);
  return it == lines.end() ? nullptr : &it->second;
}

const std::map<int, TLineCode>* TListingMap::LinesOf(int file) const {
  if (file < 0 || static_cast<std::size_t>(file) >= lines_.size()) {
    return nullptr;
  }
  return &lines_[static_cast<std::size_t>(file)];
}

std::optional<std::uint64_t> TListingMap::AddressOf(const TCodeChunk& chunk) const {
  if (chunk.Section < 0 || static_cast<std::size_t>(chunk.Section) >= sections_.size()) {
    return std::nullopt;
  }
  const std::optional<std::uint64_t>& base =
      sections_[static_cast<std::size_t>(chunk.Section)].Base;
  if (!base) {
    return std::nullopt;
  }
  return *base + chunk.Offset;
}

std::optional<TSourcePlace> TListingMap::PlaceOfAddress(std::uint64_t address) const {
  auto it = std::upper_bound(addresses_.begin(), addresses_.end(), address,
                             [](std::uint64_t a, const TAddressRange& r) { return a < r.Start; });
  // Each byte is one listed line's: ranges do not overlap.
  if (it == addresses_.begin()) {
    return std::nullopt;
  }
  --it;
  if (address - it->Start < it->Size) {
    return it->Place;
  }
  return std::nullopt;
}

std::optional<TSourcePlace> TListingMap::PlaceOfListingLine(int listing_line) const {
  const auto it = std::lower_bound(
      listing_places_.begin(), listing_places_.end(), listing_line,
      [](const std::pair<int, TSourcePlace>& entry, int n) { return entry.first < n; });
  if (it == listing_places_.end() || it->first != listing_line) {
    return std::nullopt;
  }
  return it->second;
}

std::string TListingMap::Dump() const {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t file = 0; file < lines_.size(); ++file) {
    const std::string& path = files_[file];
    const std::string name =
        path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    for (const auto& [line, code] : lines_[file]) {
      if (code.Chunks.empty()) {
        continue;
      }
      out += name + ":" + std::to_string(line);
      for (const TCodeChunk& chunk : code.Chunks) {
        char offset[32];
        std::snprintf(offset, sizeof offset, " @%d:%04llX ", chunk.Section,
                      static_cast<unsigned long long>(chunk.Offset));
        out += offset + std::to_string(chunk.Size);
        if (!chunk.Bytes.empty()) {
          out += ' ';
          for (const char byte : chunk.Bytes) {
            out += kHex[(static_cast<unsigned char>(byte) >> 4) & 15];
            out += kHex[static_cast<unsigned char>(byte) & 15];
          }
        }
        if (chunk.Repeat > 1) {
          out += "*" + std::to_string(chunk.Repeat);
        }
      }
      out += '\n';
    }
  }
  return out;
}

}  // namespace torvane
