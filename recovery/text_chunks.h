// The document's bytes as a save would write them, kept as immutable chunks
// of lines that follow the editor's changes. A key marks one chunk stale; the
// record is brought up to date by rebuilding only stale chunks (a few KiB
// each), and the worker writing it shares the chunks instead of copying the
// whole text on the GUI thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/file_format.h"
#include "editor/line_change_observer.h"
#include "editor/line_observer.h"

namespace torvane {

class TSrcEditStringList;

// Immutable bytes of a run of lines, each line followed by its break: a view
// of bytes that `hold` keeps alive and unchanged. Unchanged lines are views
// of the line store's read buffer, so a record of a huge file that was read
// costs no copy of it.
struct TTextChunk {
  TTextChunk() = default;
  TTextChunk(std::shared_ptr<const std::string> text)  // NOLINT: bytes of its own
      : hold(text), bytes(text ? std::string_view(*text) : std::string_view()) {}
  TTextChunk(std::shared_ptr<const void> owner, std::string_view view)
      : hold(std::move(owner)), bytes(view) {}

  std::shared_ptr<const void> hold;
  std::string_view bytes;
};

class TTextChunks : public ISrcEditLineObserver, public ISrcEditLineChangeObserver {
 public:
  static constexpr int kChunkLines = 1024;

  // Forget everything: the next Update rebuilds the whole text.
  void Reset();
  // Rebuilds stale chunks from `lines` (the expanded text) with `format`'s
  // breaks until all are current (true) or `budget` has passed (false:
  // call again; changes in between are followed).
  bool Update(const TSrcEditStringList& lines, TSrcEditFileFormat format,
              std::chrono::nanoseconds budget);
  // The chunks' pieces in order (all current after an Update that returned
  // true).
  std::vector<TTextChunk> Pieces() const;
  int LineCount() const;
  int ChunkCount() const { return static_cast<int>(chunks_.size()); }

  // Called after every notification (the owner starts its timer).
  std::function<void()> OnChange;

  void LinesInserted(int line, int count) override;
  void LinesDeleted(int line, int count) override;
  void LinesCleared() override;
  void LineChanged(int line) override;

 private:
  struct TChunk {
    int lines = 0;
    bool current = false;            // false: stale, to be rebuilt
    std::vector<TTextChunk> pieces;  // views of the read buffer and own copies
  };
  // Stale, and its pieces let go.
  static void MakeStale(TChunk& chunk) {
    chunk.current = false;
    chunk.pieces.clear();
  }
  // The pieces of lines first..first+count-1 (0-based), each with a break.
  static std::vector<TTextChunk> Build(const TSrcEditStringList& lines, int first, int count,
                                       std::string_view line_break,
                                       const std::shared_ptr<const void>& hold,
                                       std::string_view shared);
  // The chunk holding 1-based `line` and the line number it starts with;
  // the last chunk for a line just past the end.
  std::size_t ChunkOf(int line, int& first) const;
  void Changed();

  // invariant: no chunk has 0 lines; their lines add up to the text's once
  // every notification has arrived.
  std::vector<TChunk> chunks_;
  TSrcEditFileFormat format_ = sffDos;
  bool whole_ = false;  // Reset: rebuild from the line count alone
};

// How many bytes a save writes of text whose chunks hold `chunk_bytes`
// (every line followed by a break): the last break goes unless the text
// wants a final one and does not already end with a break.
std::size_t SavedLength(const TSrcEditStringList& lines, std::size_t chunk_bytes,
                        TSrcEditFileFormat format, bool final_line_break);

}  // namespace torvane
