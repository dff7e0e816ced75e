// The worker-thread reader of TFileReadAhead.
#include "platform/file_read_ahead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/huge_pages.h"

namespace torvane {

TFileReadAhead::~TFileReadAhead() {
  stop_ = true;
  if (thread_.joinable()) {
    thread_.join();
  }
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

bool TFileReadAhead::Start(const std::string& path, TByteBuffer* target, std::string* reason,
                           TFileStamp* stamp) {
  const auto fail = [&](int error) {
    if (fd_ >= 0) {
      ::close(fd_);
      fd_ = -1;
    }
    if (reason != nullptr) {
      *reason = error != 0 ? std::strerror(error) : "Not a regular file";
    }
    return false;
  };
  target->clear();
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd_ < 0) {
    return fail(errno);
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    return fail(errno);
  }
  if (S_ISDIR(st.st_mode)) {
    return fail(EISDIR);
  }
  if (!S_ISREG(st.st_mode)) {
    return fail(0);
  }
  expected_ = static_cast<std::size_t>(st.st_size);
  try {
    target->MapPages(expected_ + expected_ / 16);
  } catch (const std::bad_alloc&) {
    return fail(ENOMEM);
  }
  AdviseHugePages(target->data(), expected_);
  if (stamp != nullptr) {
    *stamp = StampOfOpenFile(fd_);
  }
  target_ = target;
  if (expected_ <= read_in_place_) {
    // Read before returning: for a small file a thread costs about as much
    // to start and wake as the overlap saves, and on a busy machine it may
    // not get a processor for milliseconds.
    Run();
    return true;
  }
  thread_ = std::thread([this] { Run(); });
  return true;
}

void TFileReadAhead::Run() {
  // Straight into the target's pages: the caller reads only below what was
  // reported, and the target's size is set once the bytes are all there.
  char* const data = target_->data();
  int error = 0;
  std::size_t got = 0;
  std::size_t step = first_read_;
  while (error == 0 && !stop_ && got < expected_) {
    const std::size_t want = std::min(step, expected_ - got);
    // Present before the read writes them: one call instead of a fault per
    // page, which makes the read faster than one into fresh memory.
    target_->Populate(got, got + want);
    const ssize_t n = ::read(fd_, data + got, want);
    if (n < 0) {
      if (errno != EINTR) {
        error = errno;
      }
      continue;
    }
    if (n == 0) {
      break;  // the file shrank: it is read as far as it goes
    }
    got += static_cast<std::size_t>(n);
    step = std::min(step * 2, most_read_);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      available_ = got;
    }
    arrived_.notify_all();
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    target_->SetWrittenSize(got);
    available_ = got;
    error_ = error;
    ended_ = true;
  }
  arrived_.notify_all();
}

std::size_t TFileReadAhead::WaitFor(std::size_t count) {
  std::unique_lock<std::mutex> lock(mutex_);
  arrived_.wait(lock, [&] { return available_ >= count || ended_; });
  return available_;
}

bool TFileReadAhead::Finish(std::string* reason) {
  if (thread_.joinable()) {
    thread_.join();
  }
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (error_ != 0) {
    if (reason != nullptr) {
      *reason = std::strerror(error_);
    }
    return false;
  }
  return true;
}

}  // namespace torvane
