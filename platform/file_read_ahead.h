// Reading a whole file on a worker thread while the caller works on the bytes
// that have arrived, so that splitting a large file into lines overlaps
// reading it. A small file is read at once, without a thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

#include "platform/byte_buffer.h"
#include "platform/file_access.h"

namespace torvane {

class TFileReadAhead {
 public:
  TFileReadAhead() = default;
  // Stops a read still running and waits for its thread.
  ~TFileReadAhead();
  TFileReadAhead(const TFileReadAhead&) = delete;
  TFileReadAhead& operator=(const TFileReadAhead&) = delete;

  // Opens the file as ReadFileBytes does (a regular file only, its stamp as
  // opened) and starts reading it into `target`, which is given fresh pages
  // for the size (and a sixteenth more) first, so its bytes never move and
  // are written once. Until Finish the caller may read target's bytes below
  // what WaitFor returned, and nothing else of it. False, with the reason,
  // when the file cannot be read; no thread is started then.
  bool Start(const std::string& path, TByteBuffer* target, std::string* reason = nullptr,
             TFileStamp* stamp = nullptr);
  // The size the file had when it was opened.
  std::size_t ExpectedSize() const { return expected_; }
  // Waits until at least `count` bytes have arrived or the read has ended;
  // returns how many have arrived (fewer than `count` only at the end).
  std::size_t WaitFor(std::size_t count);
  // Reads at most `first` bytes at a time at the start, doubling up to
  // `most`, instead of the usual sizes (for tests of every seam); before
  // Start.
  void SetReadSizes(std::size_t first, std::size_t most) {
    first_read_ = first > 0 ? first : 1;
    most_read_ = most > first_read_ ? most : first_read_;
  }
  // Reads files of at most `size` bytes within Start instead of on a
  // thread (for tests of both ways); before Start.
  void SetReadInPlaceLimit(std::size_t size) { read_in_place_ = size; }
  // Waits for the end. True when the file was read as far as it goes;
  // false with the OS's reason when a read failed (target then holds what
  // arrived).
  bool Finish(std::string* reason = nullptr);

 private:
  void Run();

  int fd_ = -1;
  TByteBuffer* target_ = nullptr;
  std::size_t expected_ = 0;
  // The first read is small, so the caller starts early; later ones grow, so
  // a large file takes few calls.
  std::size_t first_read_ = 64 * 1024;
  std::size_t most_read_ = 1024 * 1024;
  std::size_t read_in_place_ = 4 * 1024 * 1024;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::size_t available_ = 0;  // guarded by mutex_
  bool ended_ = false;         // guarded by mutex_
  int error_ = 0;              // guarded by mutex_
  std::atomic<bool> stop_{false};
};

}  // namespace torvane
