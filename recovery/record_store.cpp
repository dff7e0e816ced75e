// The recovery folder on disk: durable writes, orphan records, lock files.
#include "recovery/record_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace torvane {
namespace {

void SetReason(std::string* reason, const std::string& text) {
  if (reason != nullptr) {
    *reason = text;
  }
}

std::string ErrnoText(int error) {
  return std::strerror(error);
}

std::string ReadSmallFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Field 22 of /proc/<pid>/stat (after the command in parentheses, which may
// itself hold blanks and parentheses).
std::uint64_t StartTicksOf(int pid) {
  const std::string stat = ReadSmallFile("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) {
    return 0;
  }
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i) {
    if (i == 22) {
      return std::strtoull(field.c_str(), nullptr, 10);
    }
  }
  return 0;
}

std::string BootId() {
  std::string id = ReadSmallFile("/proc/sys/kernel/random/boot_id");
  while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) {
    id.pop_back();
  }
  return id;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return ok;
}

// Owner of a name "<pid>-<ticks>-<serial>[.ext]" or ".<pid>-<ticks>-<serial>.tmp".
std::optional<std::pair<int, std::uint64_t>> OwnerOfName(std::string_view name) {
  if (name.starts_with('.')) {
    name.remove_prefix(1);
  }
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos) {
    return std::nullopt;
  }
  const std::size_t dash2 = name.find('-', dash + 1);
  if (dash2 == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string pid(name.substr(0, dash));
  const std::string ticks(name.substr(dash + 1, dash2 - dash - 1));
  if (pid.empty() || ticks.empty() || pid.find_first_not_of("0123456789") != std::string::npos ||
      ticks.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::make_pair(std::atoi(pid.c_str()), std::strtoull(ticks.c_str(), nullptr, 10));
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") {
      names.push_back(name);
    }
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

// A process that is alive with this id and start time in this boot: the
// name's owner (the boot is checked by the caller through the record).
bool PidStartAlive(int pid, std::uint64_t start_ticks) {
  if (pid <= 0) {
    return false;
  }
  if (::kill(pid, 0) != 0 && errno != EPERM) {
    return false;
  }
  return StartTicksOf(pid) == start_ticks;
}

}  // namespace

std::string RecoveryFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  std::string base;
  if (state != nullptr && state[0] == '/') {
    base = state;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home != nullptr ? home : "") + "/.local/state";
  }
  return base + "/torvane/recovery";
}

bool MakeRecoveryFolder(const std::string& folder, std::string* reason) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      SetReason(reason, ErrnoText(errno));
      return false;
    }
    if (slash == std::string::npos) {
      break;
    }
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetReason(reason, "Not a directory");
    return false;
  }
  return true;
}

const TRecoveryOwner& ThisProcess() {
  static const TRecoveryOwner owner{static_cast<int>(::getpid()), StartTicksOf(::getpid()),
                                    BootId()};
  return owner;
}

TRecoveryOwner OwnerOfProcess(int pid) {
  return {pid, StartTicksOf(pid), ThisProcess().boot_id};
}

bool OwnerAlive(const TRecoveryOwner& owner) {
  return owner.boot_id == ThisProcess().boot_id && PidStartAlive(owner.pid, owner.start_ticks);
}

std::string OwnerFileStem(const TRecoveryOwner& owner, int serial) {
  return std::to_string(owner.pid) + "-" + std::to_string(owner.start_ticks) + "-" +
         std::to_string(serial);
}

bool WriteRecordDurably(const std::string& path, const TRecoveryHeader& header,
                        const std::vector<std::string_view>& pieces, std::size_t length,
                        std::string* reason, const std::atomic<bool>* cancel) {
  const std::size_t slash = path.rfind('/');
  const std::string temp = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetReason(reason, ErrnoText(errno));
    return false;
  }
  auto fail = [&](const std::string& why) {
    ::close(fd);
    ::unlink(temp.c_str());
    SetReason(reason, why);
    return false;
  };
  const std::string head = EncodeRecordHeader(header, length);
  TRecordChecksum sum;
  sum.Add(head);
  if (!WriteAll(fd, head)) {
    return fail(ErrnoText(errno));
  }
  std::size_t left = length;
  for (std::string_view piece : pieces) {
    if (cancel != nullptr && cancel->load()) {
      return fail("cancelled");
    }
    piece = piece.substr(0, std::min(piece.size(), left));
    left -= piece.size();
    sum.Add(piece);
    if (!WriteAll(fd, piece)) {
      return fail(ErrnoText(errno));
    }
  }
  if (left != 0) {
    return fail("text shorter than its length");
  }
  if (!WriteAll(fd, EncodeRecordTrailer(sum.Value())) || ::fsync(fd) != 0) {
    return fail(ErrnoText(errno));
  }
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    SetReason(reason, ErrnoText(error));
    return false;
  }
  if (cancel != nullptr && cancel->load()) {
    ::unlink(temp.c_str());
    SetReason(reason, "cancelled");
    return false;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    SetReason(reason, ErrnoText(error));
    return false;
  }
  if (!SyncFolderOf(path)) {
    SetReason(reason, ErrnoText(errno));
    return false;
  }
  return true;
}

std::optional<TRecoveryRecord> ReadRecordFile(const std::string& path) {
  std::string bytes;
  if (!ReadFileBytes(path, &bytes)) {
    return std::nullopt;
  }
  return ParseRecord(bytes);
}

std::vector<TFoundRecord> OrphanRecords(const std::string& folder) {
  std::vector<TFoundRecord> found;
  for (const std::string& name : FolderEntries(folder)) {
    const auto owner = OwnerOfName(name);
    if (!owner || PidStartAlive(owner->first, owner->second)) {
      continue;  // not ours to judge, or its program still runs
    }
    const std::string path = folder + "/" + name;
    if (name.ends_with(".tmp") || name.ends_with(".lock")) {
      // A write cut off by the owner's end, or a lock nobody holds now.
      ::unlink(path.c_str());
      continue;
    }
    if (!name.ends_with(".rec")) {
      continue;
    }
    auto record = ReadRecordFile(path);
    // A live owner in the same boot is the one name checked above; a record
    // from an earlier boot is an orphan whatever its pid says now.
    if (record && !(record->header.owner.boot_id == ThisProcess().boot_id &&
                    PidStartAlive(record->header.owner.pid, record->header.owner.start_ticks))) {
      found.push_back({path, std::move(*record)});
    }
  }
  std::stable_sort(found.begin(), found.end(), [](const TFoundRecord& a, const TFoundRecord& b) {
    return a.record.header.saved_ms > b.record.header.saved_ms;
  });
  return found;
}

bool WriteLockFile(const std::string& path, const TRecoveryOwner& owner,
                   const std::string& file_name) {
  TRecoveryHeader header;
  header.owner = owner;
  header.file_name = file_name;
  const std::string bytes = EncodeRecord(header, "");
  const std::size_t slash = path.rfind('/');
  const std::string temp = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    return false;
  }
  const bool written = WriteAll(fd, bytes);
  ::close(fd);
  if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

std::optional<int> FileEditedElsewhere(const std::string& folder, const std::string& file_name) {
  for (const std::string& name : FolderEntries(folder)) {
    if (!name.ends_with(".lock") || name.starts_with('.')) {
      continue;
    }
    const auto lock = ReadRecordFile(folder + "/" + name);
    if (!lock || lock->header.owner.pid == ThisProcess().pid) {
      continue;
    }
    if (OwnerAlive(lock->header.owner) && SameDocumentFile(lock->header.file_name, file_name)) {
      return lock->header.owner.pid;
    }
  }
  return std::nullopt;
}

bool SameDocumentFile(const std::string& a, const std::string& b) {
  return !a.empty() && !b.empty() && SameFile(a, b);
}

}  // namespace torvane
