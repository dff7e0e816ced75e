// The worker-thread reader of TFileReadAhead.
#include "platform/file_read_ahead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "platform/huge_pages.h"

namespace torvane {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
// Bytes between two reports to the waiting caller: enough that waking it
// costs nothing noticeable, few enough that it never waits long.
constexpr std::size_t kReportEvery = 1024 * 1024;

}  // namespace

TFileReadAhead::~TFileReadAhead() {
  stop_ = true;
  if (thread_.joinable()) {
    thread_.join();
  }
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

bool TFileReadAhead::Start(const std::string& path, std::string* target, std::string* reason,
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
    target->reserve(expected_ + expected_ / 16);
  } catch (const std::bad_alloc&) {
    return fail(ENOMEM);
  }
  AdviseHugePages(target->data(), expected_);
  if (stamp != nullptr) {
    *stamp = StampOfOpenFile(fd_);
  }
  target_ = target;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void TFileReadAhead::Run() {
  std::unique_ptr<char[]> chunk(new (std::nothrow) char[kReadChunk]);
  int error = chunk == nullptr ? ENOMEM : 0;
  std::size_t reported = 0;
  while (error == 0 && !stop_ && target_->size() < expected_) {
    const ssize_t n = ::read(fd_, chunk.get(), std::min(kReadChunk, expected_ - target_->size()));
    if (n < 0) {
      if (errno != EINTR) {
        error = errno;
      }
      continue;
    }
    if (n == 0) {
      break;  // the file shrank: it is read as far as it goes
    }
    // Within the reserved capacity: the bytes already reported stay put.
    target_->append(chunk.get(), static_cast<std::size_t>(n));
    if (target_->size() - reported >= kReportEvery) {
      reported = target_->size();
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        available_ = reported;
      }
      arrived_.notify_all();
    }
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    available_ = target_->size();
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
