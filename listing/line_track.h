// The line map following one document's edits until the next assembly:
// inserted lines have no code, deleted lines take theirs with them, and a
// line whose text is no longer what NASM listed is stale (the column draws
// it dimmed; undoing the edit makes it current again). It is an observer of
// the editor model's lines of the expanded text, so folding changes
// nothing. Plain C++.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "editor/line_observer.h"
#include "listing/line_map.h"

namespace torvane {

// A line's code as the column shows it.
struct TTrackedCode {
  const TLineCode* Code = nullptr;
  bool Stale = false;  // the text is no longer what NASM listed
};

// The text of a current line (1-based, lines of the expanded text).
using TLineText = std::function<std::string_view(int line)>;

class TListingTrack : public ISrcEditLineObserver {
 public:
  // Follows a document of `line_count` lines that are, as assembled, file
  // `file` of `map` (line n of the document is line n of the file).
  void Attach(std::shared_ptr<const TListingMap> map, int file, int line_count);
  void Detach();
  bool Attached() const { return map_ != nullptr; }
  const TListingMap* Map() const { return map_.get(); }
  const std::shared_ptr<const TListingMap>& SharedMap() const { return map_; }
  int File() const { return file_; }

  // The line number `line` (1-based, as it is now) had at the assembly, or
  // 0 for a line inserted since (or past the tracked lines).
  int AssembledLine(int line) const;
  // Where the line that was `assembled_line` is now, or 0 when it was
  // deleted. With the texts, a line split off below it that still holds
  // the listed text is where it went.
  int CurrentLine(int assembled_line, const TLineText& text = {}) const;
  // The code listed for what is now line `line`, or null (texts not seen).
  const TLineCode* CodeAt(int line) const;
  // The code the column shows on line `line`: a line's own code (stale
  // when its text changed), or, for a line inserted just below one that
  // had code, that code when the new line holds exactly the listed text
  // (a line break before the text moved it down; the old line then shows
  // nothing).
  TTrackedCode Lookup(int line, const TLineText& text) const;
  // True when `text` (the line's text now) is not what NASM listed for it.
  static bool Stale(const TLineCode& code, std::string_view text);

  void LinesInserted(int line, int count) override;
  void LinesDeleted(int line, int count) override;
  void LinesCleared() override;

 private:
  std::shared_ptr<const TListingMap> map_;
  int file_ = 0;
  // Per line as it is now: its number at the assembly; for a new line 0,
  // or -n when it was inserted below line n (it may hold n's text).
  std::vector<int> assembled_;
};

}  // namespace torvane
