// Whole-file reads, file stamps and removal on top of POSIX calls (the safe
// replacement of a file's content is platform/safe_write.cpp).
#include "platform/file_access.h"

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

const char kNotRegularFile[] = "Not a regular file";
constexpr std::size_t kReadChunk = 64 * 1024;

void SetReason(std::string* reason, int error) {
  if (reason != nullptr) {
    *reason = std::strerror(error);
  }
}

TFileStamp StampFrom(const struct stat& st) {
  TFileStamp stamp;
  stamp.exists = true;
  stamp.device = static_cast<std::uint64_t>(st.st_dev);
  stamp.inode = static_cast<std::uint64_t>(st.st_ino);
  stamp.size = static_cast<std::int64_t>(st.st_size);
  stamp.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.ctime_ns = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return stamp;
}

}  // namespace

TFileStamp StampOfOpenFile(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    return {};
  }
  return StampFrom(st);
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) {
    return true;
  }
  struct stat sa {};
  struct stat sb {};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

TFileStamp StampOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) {
    return {};
  }
  return StampFrom(st);
}

bool ReadFileBytes(const std::string& path, std::string* bytes, std::string* reason,
                   TFileStamp* stamp) {
  bytes->clear();
  // Non-blocking and without a controlling terminal, so that naming a pipe or
  // a terminal cannot hang the open; only regular files are read below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    SetReason(reason, errno);
    return false;
  }
  auto fail = [&](const char* why) {
    ::close(fd);
    bytes->clear();
    if (reason != nullptr) {
      *reason = why;
    }
    return false;
  };
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    return fail(std::strerror(errno));
  }
  if (S_ISDIR(st.st_mode)) {
    return fail(std::strerror(EISDIR));
  }
  // A pipe, a device or a socket has no end we could wait for (/dev/zero
  // would fill memory), so only regular files are documents.
  if (!S_ISREG(st.st_mode)) {
    return fail(kNotRegularFile);
  }
  // The size the file had when it was opened: a file growing meanwhile is
  // read as it was, one that shrinks as far as it goes.
  const auto size = static_cast<std::size_t>(st.st_size);
  std::unique_ptr<char[]> chunk;
  try {
    // With room to grow beyond the file (address space only: pages nobody
    // writes are never mapped), so that a document whose bytes these become
    // can change its only line in place instead of copying it.
    bytes->reserve(size + size / 16);
    chunk = std::make_unique_for_overwrite<char[]>(kReadChunk);
  } catch (const std::bad_alloc&) {
    return fail(std::strerror(ENOMEM));
  }
  AdviseHugePages(bytes->data(), size);
  // In chunks appended to the reserved string rather than into a string
  // filled with zeros first: the file's bytes are then written to memory
  // once, which matters for a file of many megabytes.
  while (bytes->size() < size) {
    const ssize_t n = ::read(fd, chunk.get(), std::min(kReadChunk, size - bytes->size()));
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return fail(std::strerror(errno));
    }
    if (n == 0) {
      break;
    }
    bytes->append(chunk.get(), static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (stamp != nullptr) {
    *stamp = StampFrom(st);
  }
  return true;
}

bool RemoveFile(const std::string& path, std::string* reason) {
  if (::unlink(path.c_str()) != 0) {
    SetReason(reason, errno);
    return false;
  }
  return true;
}

}  // namespace torvane
