// The worker thread that makes records durable, so that a key never waits
// for the disk. Jobs are coalesced: only the newest state of a record is
// written; a removal cancels a write of the same record in progress.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "recovery/record_format.h"
#include "recovery/text_chunks.h"

namespace torvane {

struct TRecordJob {
  std::string path;
  TRecoveryHeader header;
  std::vector<TTextChunk> pieces;
  std::size_t length = 0;  // bytes of the pieces that are the text
};

class TRecordWriter {
 public:
  TRecordWriter();
  // Waits for the job in progress (a write is cancelled), drops the rest.
  ~TRecordWriter();
  TRecordWriter(const TRecordWriter&) = delete;
  TRecordWriter& operator=(const TRecordWriter&) = delete;

  // Writes the record (replacing an older one of the same path still waiting).
  void Write(TRecordJob job);
  // Removes the record at path once the jobs before it are done; a write of
  // it in progress is cancelled.
  void Remove(const std::string& path);
  // Moves the record at `from` to `to` in order with the other jobs.
  void Rename(const std::string& from, const std::string& to);
  // Returns once every job given so far is done.
  void Flush();

  // The outcome of each write, on the worker thread: success, or the reason.
  std::function<void(bool written, const std::string& reason)> OnWritten;

 private:
  enum class TKind { kWrite, kRemove, kRename };
  struct TJob {
    TKind kind = TKind::kWrite;
    TRecordJob record;
    std::string to;
  };
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<TJob> jobs_;
  bool busy_ = false;
  bool stop_ = false;
  std::string current_path_;  // the record being written, under mutex_
  std::atomic<bool> cancel_{false};
  std::thread thread_;  // last: starts once the members above exist
};

}  // namespace torvane
