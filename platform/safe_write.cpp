// Replacing a file's content so that it is never left half written: normally
// through an unnamed temporary file that is synced and renamed over the
// target; in place (with the old bytes kept to put back) where a rename
// would split hard links, change the owner, or is not allowed in the folder.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <exception>
#include <random>
#include <vector>

#include "platform/file_access.h"

namespace torvane {
namespace {

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

// Temporary names are "." + the target's name + ".tmp" + digits.
std::string TemporaryPrefix(const std::string& name) {
  return "." + name + ".tmp";
}

std::string RandomTemporaryPath(const std::string& dir, const std::string& name) {
  static std::mt19937 random{std::random_device{}()};
  return dir + "/" + TemporaryPrefix(name) + std::to_string(random() % 1000000);
}

bool WriteAllAt(int fd, std::string_view bytes, off_t offset) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
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

bool ReadAllAt(int fd, std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (n == 0) {
      bytes.resize(done);
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool InGroup(gid_t gid) {
  if (gid == ::getegid()) {
    return true;
  }
  const int count = ::getgroups(0, nullptr);
  std::vector<gid_t> groups(static_cast<std::size_t>(count > 0 ? count : 0));
  if (count <= 0 || ::getgroups(count, groups.data()) < 0) {
    return false;
  }
  for (const gid_t g : groups) {
    if (g == gid) {
      return true;
    }
  }
  return false;
}

// Asked with the effective user, the one whose rights the writes use.
bool MayWrite(const std::string& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Whether a new file we create could be given the old file's owner and group.
bool OwnerCanBeKept(const struct stat& old) {
  if (::geteuid() == 0) {
    return true;
  }
  return old.st_uid == ::geteuid() && InGroup(old.st_gid);
}

// Removes temporary files an earlier save of this file left behind when it
// was killed: ours by name and owner, and not locked by a save still running
// (every save holds a lock on its temporary file until it is renamed).
void RemoveStaleTemporaries(const std::string& dir, const std::string& name) {
  DIR* stream = ::opendir(dir.c_str());
  if (stream == nullptr) {
    return;
  }
  const std::string prefix = TemporaryPrefix(name);
  while (const dirent* entry = ::readdir(stream)) {
    const std::string entry_name = entry->d_name;
    if (entry_name.size() <= prefix.size() || entry_name.compare(0, prefix.size(), prefix) != 0 ||
        entry_name.find_first_not_of("0123456789", prefix.size()) != std::string::npos) {
      continue;
    }
    const std::string path = dir + "/" + entry_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
      continue;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::unlink(path.c_str());  // while the lock is held
    }
    ::close(fd);
  }
  ::closedir(stream);
}

// Gives a new file the old one's permission bits and, where allowed, owner.
bool CopyOwnership(int fd, const struct stat* old) {
  if (old == nullptr) {
    return true;
  }
  if (::fchmod(fd, old->st_mode & 07777) != 0) {
    return false;
  }
  // Only root may give a file away; the caller wrote in place otherwise.
  [[maybe_unused]] const int ignored = ::fchown(fd, old->st_uid, old->st_gid);
  return true;
}

// One write of the new content: the producer, and what it threw.
struct TWriteJob {
  const TByteProducer& produce;
  std::exception_ptr thrown;
};

struct TWriteFailed {  // a write of the sink failed with this errno
  int error;
};

// A gigabyte given to one write takes several times as long as the same
// bytes written a megabyte at a time.
constexpr std::size_t kWriteStep = std::size_t{1} << 20;
// Every so many bytes the disk is set to work on what is written, so that
// the closing fsync finds little left to do.
constexpr off_t kStartWritebackEvery = off_t{32} << 20;

// Writes the producer's bytes into fd from its start; *size becomes their
// number. False with errno set on failure; what the producer threw is kept
// in the job (errno is then ECANCELED).
bool WriteProduced(int fd, TWriteJob& job, off_t* size) {
  off_t offset = 0;
  off_t started = 0;
  try {
    job.produce([&](std::string_view piece) {
      while (!piece.empty()) {
        const std::string_view step = piece.substr(0, kWriteStep);
        if (!WriteAllAt(fd, step, offset)) {
          throw TWriteFailed{errno};
        }
        offset += static_cast<off_t>(step.size());
        piece.remove_prefix(step.size());
        if (offset - started >= kStartWritebackEvery) {
          // Does not wait; an error of the disk shows at the fsync.
          ::sync_file_range(fd, started, offset - started, SYNC_FILE_RANGE_WRITE);
          started = offset;
        }
      }
    });
  } catch (const TWriteFailed& failed) {
    errno = failed.error;
    return false;
  } catch (...) {
    job.thrown = std::current_exception();
    errno = ECANCELED;
    return false;
  }
  *size = offset;
  return true;
}

// Writes the content to fd and syncs it; on success *written is fd's stamp.
bool WriteAndSync(int fd, TWriteJob& job, TFileStamp* written) {
  off_t size = 0;
  if (!WriteProduced(fd, job, &size) || ::fsync(fd) != 0) {
    return false;
  }
  if (written != nullptr) {
    *written = StampOfOpenFile(fd);
  }
  return true;
}

void SyncDirectory(const std::string& dir) {
  // Makes the rename itself durable; a failure here no longer endangers data.
  const int dir_fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    ::fsync(dir_fd);
    ::close(dir_fd);
  }
}

// An unnamed file in dir (O_TMPFILE) that is given a name only once its
// content is on disk, so a save killed half-way leaves nothing behind.
// 0: done; 1: the file system cannot do it (the caller uses a named file);
// -1: failed with errno set.
int ReplaceThroughUnnamedFile(const std::string& dir, const std::string& target,
                              const struct stat* old, TWriteJob& job, TFileStamp* written) {
  const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) {
    return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? 1 : -1;
  }
  auto fail = [&] {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  };
  if (::flock(fd, LOCK_EX) != 0 || !CopyOwnership(fd, old) || !WriteAndSync(fd, job, written)) {
    return fail();
  }
  // linkat cannot replace a file, so the content gets a temporary name first
  // (locked, as any of ours) and is renamed over the target.
  const std::string proc_path = "/proc/self/fd/" + std::to_string(fd);
  std::string temp;
  int linked = -1;
  for (int attempt = 0; attempt < 100 && linked != 0; ++attempt) {
    temp = RandomTemporaryPath(dir, FileNameOf(target));
    linked = ::linkat(AT_FDCWD, proc_path.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW);
    if (linked != 0 && errno == ENOENT) {
      // No /proc: linking by descriptor needs a privilege we may lack.
      linked = ::linkat(fd, "", AT_FDCWD, temp.c_str(), AT_EMPTY_PATH);
    }
    if (linked != 0 && errno != EEXIST) {
      ::close(fd);
      return 1;
    }
  }
  if (linked != 0) {
    return fail();
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    ::close(fd);
    errno = error;
    return -1;
  }
  ::close(fd);  // the content was synced before it got its name
  return 0;
}

// The same with a named, exclusive temporary file, for file systems without
// unnamed ones; one left by a killed save is removed by the next save.
bool ReplaceThroughNamedFile(const std::string& dir, const std::string& target,
                             const struct stat* old, TWriteJob& job, TFileStamp* written) {
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = RandomTemporaryPath(dir, FileNameOf(target));
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
      return false;
    }
  }
  if (fd < 0) {
    return false;
  }
  const bool ok = ::flock(fd, LOCK_EX) == 0 && CopyOwnership(fd, old) &&
                  WriteAndSync(fd, job, written) && ::rename(temp.c_str(), target.c_str()) == 0;
  const int error = errno;
  if (!ok) {
    ::unlink(temp.c_str());
  }
  ::close(fd);  // synced before the rename: a late close error loses nothing
  errno = error;
  return ok;
}

// Overwrites the file itself, keeping its inode, links and owner. Refuses
// before touching it when the disk lacks room for the growth; if writing
// fails half-way the old bytes are written back.
bool RewriteInPlace(const std::string& target, TWriteJob& job, std::string* reason,
                    TFileStamp* written) {
  const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    SetReason(reason, errno);
    return false;
  }
  auto fail = [&](int error) {
    ::close(fd);
    SetReason(reason, error);
    return false;
  };
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    return fail(errno);
  }
  if (!S_ISREG(st.st_mode)) {
    return fail(EINVAL);
  }
  std::string old_bytes(static_cast<std::size_t>(st.st_size), '\0');
  if (!ReadAllAt(fd, old_bytes)) {
    return fail(errno);
  }
  const auto old_size = static_cast<off_t>(old_bytes.size());
  // Measured first: the free space is checked before the file is touched.
  off_t new_size = 0;
  try {
    job.produce([&](std::string_view piece) { new_size += static_cast<off_t>(piece.size()); });
  } catch (...) {
    job.thrown = std::current_exception();
    return fail(ECANCELED);
  }
  if (new_size > old_size) {
    struct statvfs fs {};
    if (::fstatvfs(fd, &fs) == 0) {
      const auto room = static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize;
      if (room < static_cast<unsigned long long>(new_size - old_size) + fs.f_frsize) {
        return fail(ENOSPC);
      }
    }
    // Reserving the blocks first turns a full disk into a clean refusal.
    const int reserved = ::posix_fallocate(fd, 0, new_size);
    if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
      [[maybe_unused]] const int ignored = ::ftruncate(fd, old_size);
      return fail(reserved);
    }
  }
  off_t size = 0;
  if (WriteProduced(fd, job, &size) && ::ftruncate(fd, size) == 0 && ::fsync(fd) == 0) {
    if (written != nullptr) {
      *written = StampOfOpenFile(fd);
    }
    ::close(fd);
    return true;
  }
  const int error = errno;
  const bool restored =
      WriteAllAt(fd, old_bytes, 0) && ::ftruncate(fd, old_size) == 0 && ::fsync(fd) == 0;
  ::close(fd);
  if (reason != nullptr) {
    *reason = std::strerror(error);
    if (!restored) {
      *reason += "; the old content could not be written back";
    }
  }
  return false;
}

// WriteFileSafely with the content of a job.
bool WriteThroughJob(const std::string& path, TWriteJob& job, std::string* reason,
                     TFileStamp* written) {
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
  if (exists && !S_ISREG(old.st_mode)) {
    SetReason(reason, EINVAL);
    return false;
  }
  // A read-only file is not replaced behind its owner's back, even though
  // the directory would allow the rename; without any write bit it is
  // read-only for root as well.
  if (exists && ((old.st_mode & 0222) == 0 || !MayWrite(target))) {
    SetReason(reason, (old.st_mode & 0222) == 0 ? EACCES : errno);
    return false;
  }
  const std::string dir = DirectoryOf(target);
  // A rename would split the file from its other names, give it our owner,
  // or is refused by the folder: then the file itself is rewritten.
  if (exists && (old.st_nlink > 1 || !OwnerCanBeKept(old) || !MayWrite(dir))) {
    return RewriteInPlace(target, job, reason, written);
  }
  RemoveStaleTemporaries(dir, FileNameOf(target));
  const struct stat* keep = exists ? &old : nullptr;
  const int unnamed = ReplaceThroughUnnamedFile(dir, target, keep, job, written);
  if (unnamed < 0 || (unnamed == 1 && !ReplaceThroughNamedFile(dir, target, keep, job, written))) {
    SetReason(reason, errno);
    return false;
  }
  SyncDirectory(dir);
  return true;
}

}  // namespace

bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string* reason,
                     TFileStamp* written) {
  return WriteFileSafely(
      path, [bytes](const TByteSink& sink) { sink(bytes); }, reason, written);
}

bool WriteFileSafely(const std::string& path, const TByteProducer& produce, std::string* reason,
                     TFileStamp* written) {
  TWriteJob job{produce, nullptr};
  const bool ok = WriteThroughJob(path, job, reason, written);
  if (job.thrown) {
    std::rethrow_exception(job.thrown);
  }
  return ok;
}

}  // namespace torvane
