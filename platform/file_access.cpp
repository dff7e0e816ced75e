// Whole-file reads and temporary-file-and-rename writes on top of POSIX calls,
// so that every write, flush and sync result is checked (a full disk must not
// turn into an emptied file).
#include "platform/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>

namespace torvane {
namespace {

const char kNotRegularFile[] = "Not a regular file";

void SetReason(std::string* reason, int error) {
  if (reason != nullptr) {
    *reason = std::strerror(error);
  }
}

// The file that is really replaced: a symbolic link is followed (also a chain,
// also a dangling one) so that the link itself survives the rename.
std::string ResolveTarget(const std::string& path) {
  std::string current = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      return current;
    }
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
    if (n <= 0) {
      return current;
    }
    link.resize(static_cast<std::size_t>(n));
    if (link.front() != '/') {
      const std::size_t slash = current.rfind('/');
      link = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + link;
    }
    current = link;
  }
  return current;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates a new, exclusive temporary file in dir; the mode is narrowed by the
// umask as for any new file.
int CreateTemporary(const std::string& dir, const std::string& name, std::string* temp_path) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temp_path = dir + "/." + name + ".tmp" + std::to_string(random() % 1000000);
    const int fd = ::open(temp_path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
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
  try {
    bytes->resize(static_cast<std::size_t>(st.st_size));
  } catch (const std::bad_alloc&) {
    return fail(std::strerror(ENOMEM));
  }
  std::size_t done = 0;
  while (done < bytes->size()) {
    const ssize_t n = ::read(fd, bytes->data() + done, bytes->size() - done);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return fail(std::strerror(errno));
    }
    if (n == 0) {
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  bytes->resize(done);
  ::close(fd);
  if (stamp != nullptr) {
    *stamp = StampFrom(st);
  }
  return true;
}

bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string* reason) {
  if (path.empty()) {
    SetReason(reason, ENOENT);
    return false;
  }
  const std::string target = ResolveTarget(path);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) {
    SetReason(reason, EISDIR);
    return false;
  }
  // A read-only file is not replaced behind its owner's back, even though
  // the directory would allow the rename.
  if (exists && ::access(target.c_str(), W_OK) != 0) {
    SetReason(reason, errno);
    return false;
  }
  const std::string dir = DirectoryOf(target);
  std::string temp;
  const int fd = CreateTemporary(dir, FileNameOf(target), &temp);
  if (fd < 0) {
    SetReason(reason, errno);
    return false;
  }
  auto fail = [&](int error) {
    ::close(fd);
    ::unlink(temp.c_str());
    SetReason(reason, error);
    return false;
  };
  if (exists) {
    if (::fchmod(fd, old.st_mode & 07777) != 0) {
      return fail(errno);
    }
    // Keeping the owner is best effort: only root may give a file away.
    [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
  }
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
    return fail(errno);
  }
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    SetReason(reason, error);
    return false;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    SetReason(reason, error);
    return false;
  }
  // Make the rename itself durable; a failure here no longer endangers data.
  const int dir_fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    ::fsync(dir_fd);
    ::close(dir_fd);
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
