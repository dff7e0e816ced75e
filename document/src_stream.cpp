// Memory and file streams over POSIX descriptors; errors carry strerror.
#include "document/src_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace torvane {
namespace {

std::string WithReason(const char* message, int os_error) {
  return std::string(message) + ". " + std::strerror(os_error);
}

}  // namespace

ESrcFileOpenError::ESrcFileOpenError(const std::string& path, int os_error)
    : ESrcFileError(
          FormatMessage("Cannot open file \"%s\". %s", path.c_str(), std::strerror(os_error)), path,
          os_error) {}

ESrcFileCreateError::ESrcFileCreateError(const std::string& path, int os_error)
    : ESrcFileError(
          FormatMessage("Cannot create file \"%s\". %s", path.c_str(), std::strerror(os_error)),
          path, os_error) {}

ESrcFileCreateError::ESrcFileCreateError(const std::string& path, const std::string& reason)
    : ESrcFileError(FormatMessage("Cannot create file \"%s\". %s", path.c_str(), reason.c_str()),
                    path, 0) {}

// --- TSrcMemoryStream --------------------------------------------------------

void TSrcMemoryStream::SetPosition(std::int64_t position) {
  position_ = std::max<std::int64_t>(position, 0);
}

std::size_t TSrcMemoryStream::Read(char* buffer, std::size_t count) {
  const auto size = static_cast<std::int64_t>(bytes_.size());
  if (position_ >= size) {
    return 0;
  }
  const std::size_t n = std::min(count, static_cast<std::size_t>(size - position_));
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

void TSrcMemoryStream::Write(const char* buffer, std::size_t count) {
  const auto at = static_cast<std::size_t>(position_);
  if (at + count > bytes_.size()) {
    bytes_.resize(at + count);
  }
  if (count > 0) {
    std::memcpy(bytes_.data() + at, buffer, count);
  }
  position_ += static_cast<std::int64_t>(count);
}

std::string TSrcMemoryStream::TakeBytes() {
  position_ = 0;
  return std::move(bytes_);
}

// --- TSrcFileStream ----------------------------------------------------------

TSrcFileStream TSrcFileStream::OpenRead(const std::string& path) {
  // Non-blocking so that naming a pipe cannot hang the open; a pipe reports
  // size 0 and is then read as empty.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    throw ESrcFileOpenError(path, errno);
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    throw ESrcFileOpenError(path, error);
  }
  return TSrcFileStream(fd, false);
}

TSrcFileStream TSrcFileStream::Create(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    throw ESrcFileCreateError(path, errno);
  }
  return TSrcFileStream(fd, true);
}

TSrcFileStream::TSrcFileStream(TSrcFileStream&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), writable_(other.writable_) {}

TSrcFileStream& TSrcFileStream::operator=(TSrcFileStream&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = std::exchange(other.fd_, -1);
    writable_ = other.writable_;
  }
  return *this;
}

TSrcFileStream::~TSrcFileStream() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

std::int64_t TSrcFileStream::Size() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
    return 0;
  }
  return static_cast<std::int64_t>(info.st_size);
}

std::int64_t TSrcFileStream::Position() const {
  const off_t at = fd_ < 0 ? -1 : ::lseek(fd_, 0, SEEK_CUR);
  return at < 0 ? 0 : static_cast<std::int64_t>(at);
}

void TSrcFileStream::SetPosition(std::int64_t position) {
  if (fd_ >= 0) {
    // A pipe cannot seek; it is read from where it stands.
    ::lseek(fd_, static_cast<off_t>(position), SEEK_SET);
  }
}

std::size_t TSrcFileStream::Read(char* buffer, std::size_t count) {
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, count);
    if (n >= 0) {
      return static_cast<std::size_t>(n);
    }
    if (errno != EINTR) {
      throw ESrcStreamError(WithReason("Stream read error", errno));
    }
  }
}

void TSrcFileStream::Write(const char* buffer, std::size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd_, buffer, count);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      throw ESrcStreamError(n < 0 ? WithReason("Stream write error", errno)
                                  : std::string("Stream write error"));
    }
    buffer += n;
    count -= static_cast<std::size_t>(n);
  }
}

void TSrcFileStream::Close() {
  if (fd_ < 0) {
    return;
  }
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0 && writable_ && errno != EINTR) {
    throw ESrcStreamError(WithReason("Stream write error", errno));
  }
}

}  // namespace torvane
