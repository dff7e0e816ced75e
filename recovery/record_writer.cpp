// The record writer's thread.
#include "recovery/record_writer.h"

#include <unistd.h>

#include <cstdio>

#include "recovery/record_store.h"

namespace torvane {

TRecordWriter::TRecordWriter() : thread_([this] { Run(); }) {}

TRecordWriter::~TRecordWriter() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    jobs_.clear();
    cancel_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void TRecordWriter::Write(TRecordJob job) {
  {
    std::lock_guard lock(mutex_);
    std::erase_if(jobs_, [&](const TJob& queued) {
      return queued.kind == TKind::kWrite && queued.record.path == job.path;
    });
    TJob& queued = jobs_.emplace_back();
    queued.record = std::move(job);
  }
  wake_.notify_all();
}

void TRecordWriter::Remove(const std::string& path) {
  {
    std::lock_guard lock(mutex_);
    std::erase_if(jobs_, [&](const TJob& queued) {
      return queued.kind == TKind::kWrite && queued.record.path == path;
    });
    if (busy_ && current_path_ == path) {
      cancel_ = true;
    }
    // Filled in place: GCC 12 at -O2 takes a moved aggregate's strings for
    // "maybe uninitialized".
    TJob& job = jobs_.emplace_back();
    job.kind = TKind::kRemove;
    job.record.path = path;
  }
  wake_.notify_all();
}

void TRecordWriter::Rename(const std::string& from, const std::string& to) {
  {
    std::lock_guard lock(mutex_);
    TJob& job = jobs_.emplace_back();
    job.kind = TKind::kRename;
    job.record.path = from;
    job.to = to;
  }
  wake_.notify_all();
}

void TRecordWriter::Flush() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void TRecordWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
    if (stop_) {
      return;
    }
    TJob job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    current_path_ = job.record.path;
    cancel_ = false;
    lock.unlock();
    bool written = true;
    std::string reason;
    switch (job.kind) {
      case TKind::kWrite: {
        std::vector<std::string_view> pieces;
        pieces.reserve(job.record.pieces.size());
        for (const TTextChunk& piece : job.record.pieces) {
          pieces.push_back(piece.bytes);
        }
        written = WriteRecordDurably(job.record.path, job.record.header, pieces, job.record.length,
                                     &reason, &cancel_);
        break;
      }
      case TKind::kRemove:
        ::unlink(job.record.path.c_str());
        break;
      case TKind::kRename:
        std::rename(job.record.path.c_str(), job.to.c_str());
        break;
    }
    // The chunks go with the job, here rather than under the lock.
    const TKind kind = job.kind;
    job = TJob{};
    if (kind == TKind::kWrite && reason != "cancelled" && OnWritten) {
      OnWritten(written, reason);
    }
    lock.lock();
    busy_ = false;
    current_path_.clear();
    if (jobs_.empty()) {
      idle_.notify_all();
    }
  }
}

}  // namespace torvane
