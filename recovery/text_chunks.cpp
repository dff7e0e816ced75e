// Chunks of the document's bytes following the editor's line notifications.
#include "recovery/text_chunks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "document/string_list.h"

namespace torvane {

void TTextChunks::Reset() {
  chunks_.clear();
  whole_ = true;
}

void TTextChunks::Changed() {
  if (OnChange) {
    OnChange();
  }
}

std::size_t TTextChunks::ChunkOf(int line, int& first) const {
  first = 1;
  for (std::size_t i = 0; i < chunks_.size(); ++i) {
    if (line < first + chunks_[i].lines || i + 1 == chunks_.size()) {
      return i;
    }
    first += chunks_[i].lines;
  }
  return 0;
}

void TTextChunks::LinesInserted(int line, int count) {
  if (!whole_ && count > 0) {
    if (chunks_.empty()) {
      chunks_.push_back({count, false, {}});
    } else {
      int first = 1;
      TChunk& chunk = chunks_[ChunkOf(line, first)];
      chunk.lines += count;
      MakeStale(chunk);
    }
  }
  Changed();
}

void TTextChunks::LinesDeleted(int line, int count) {
  if (!whole_ && !chunks_.empty()) {
    int first = 1;
    std::size_t i = ChunkOf(line, first);
    while (count > 0 && i < chunks_.size()) {
      TChunk& chunk = chunks_[i];
      const int from = std::max(line - first, 0);
      const int taken = std::min(count, chunk.lines - from);
      if (taken <= 0) {
        break;  // past the end: the count check in Update rebuilds all
      }
      chunk.lines -= taken;
      MakeStale(chunk);
      count -= taken;
      first += chunk.lines + taken;
      line = first;
      if (chunk.lines == 0) {
        chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
  }
  Changed();
}

void TTextChunks::LinesCleared() {
  chunks_.clear();
  whole_ = false;
  Changed();
}

void TTextChunks::LineChanged(int line) {
  if (!whole_ && !chunks_.empty()) {
    int first = 1;
    MakeStale(chunks_[ChunkOf(line, first)]);
  }
  Changed();
}

bool TTextChunks::Update(const TSrcEditStringList& lines, TSrcEditFileFormat format,
                         std::chrono::nanoseconds budget) {
  const auto start = std::chrono::steady_clock::now();
  if (format != format_) {
    format_ = format;
    for (TChunk& chunk : chunks_) {
      MakeStale(chunk);
    }
  }
  if (whole_ || LineCount() != lines.LineCount()) {
    // Started afresh, or a change that did not come through the
    // notifications: rebuild everything rather than write a wrong text.
    chunks_.clear();
    if (lines.LineCount() > 0) {
      chunks_.push_back({lines.LineCount(), false, {}});
    }
    whole_ = false;
  }
  const std::string_view line_break = LineBreakOf(format);
  const TSrcEditStringList::TSharedRead shared = lines.SharedBuffer();
  int built = 0;
  int first = 0;  // 0-based index of the chunk's first line
  for (std::size_t i = 0; i < chunks_.size(); first += chunks_[i].lines, ++i) {
    if (chunks_[i].current) {
      continue;
    }
    // At least one chunk per call, so that any budget makes progress.
    if (built > 0 && std::chrono::steady_clock::now() - start > budget) {
      return false;
    }
    ++built;
    if (chunks_[i].lines > 2 * kChunkLines) {
      // A big insertion: split it so that later keys rebuild little.
      const int total = chunks_[i].lines;
      const int parts = (total + kChunkLines - 1) / kChunkLines;
      std::vector<TChunk> split(static_cast<std::size_t>(parts));
      for (int p = 0; p < parts; ++p) {
        split[static_cast<std::size_t>(p)].lines = std::min(kChunkLines, total - p * kChunkLines);
      }
      chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(i));
      chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(i), split.begin(), split.end());
    }
    TChunk& chunk = chunks_[i];
    chunk.pieces = Build(lines, first, chunk.lines, line_break, shared.hold, shared.bytes);
    chunk.current = true;
  }
  return true;
}

std::vector<TTextChunk> TTextChunks::Pieces() const {
  std::vector<TTextChunk> pieces;
  pieces.reserve(chunks_.size());
  for (const TChunk& chunk : chunks_) {
    pieces.insert(pieces.end(), chunk.pieces.begin(), chunk.pieces.end());
  }
  return pieces;
}

std::vector<TTextChunk> TTextChunks::Build(const TSrcEditStringList& lines, int first, int count,
                                           std::string_view line_break,
                                           const std::shared_ptr<const void>& hold,
                                           std::string_view shared) {
  std::vector<TTextChunk> pieces;
  std::string own;            // lines copied since the last run
  const char* run = nullptr;  // a run of lines as they lie in `shared`
  const char* run_end = nullptr;
  const char* const shared_end = shared.data() + shared.size();
  const auto flush_own = [&] {
    if (!own.empty()) {
      pieces.emplace_back(std::make_shared<const std::string>(std::move(own)));
      own.clear();
    }
  };
  const auto flush_run = [&] {
    if (run != nullptr) {
      pieces.emplace_back(hold, std::string_view(run, static_cast<std::size_t>(run_end - run)));
      run = nullptr;
    }
  };
  for (int l = first; l < first + count; ++l) {
    const std::string_view text = lines.GetLine(l);
    // Where the line and its break would lie in the shared bytes: its own
    // place, or for an empty line the end of the run it would continue.
    const char* const at = !text.empty() ? text.data() : run != nullptr ? run_end : nullptr;
    const auto address = reinterpret_cast<std::uintptr_t>(at);
    if (hold && at != nullptr && address >= reinterpret_cast<std::uintptr_t>(shared.data()) &&
        address <= reinterpret_cast<std::uintptr_t>(shared_end) &&
        static_cast<std::size_t>(shared_end - at) >= text.size() + line_break.size() &&
        std::memcmp(at + text.size(), line_break.data(), line_break.size()) == 0) {
      // The bytes there are exactly the line and the break a save writes.
      if (run == nullptr || at != run_end) {
        flush_run();
        flush_own();
        run = at;
      }
      run_end = at + text.size() + line_break.size();
      continue;
    }
    flush_run();
    own.append(text);
    own.append(line_break);
  }
  flush_run();
  flush_own();
  return pieces;
}

int TTextChunks::LineCount() const {
  int count = 0;
  for (const TChunk& chunk : chunks_) {
    count += chunk.lines;
  }
  return count;
}

std::size_t SavedLength(const TSrcEditStringList& lines, std::size_t chunk_bytes,
                        TSrcEditFileFormat format, bool final_line_break) {
  const int count = lines.LineCount();
  if (count == 0) {
    return 0;
  }
  const std::size_t joined = chunk_bytes - LineBreakOf(format).size();
  if (joined == 0) {
    return 0;  // one empty line: an empty file
  }
  const std::string_view last = lines.GetLine(count - 1);
  const bool ends_with_break =
      (count > 1 && last.empty()) || last.ends_with('\r') || last.ends_with('\n');
  return final_line_break && !ends_with_break ? chunk_bytes : joined;
}

}  // namespace torvane
