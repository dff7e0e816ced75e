// Reading whole files as bytes, telling states of a file apart, and replacing
// a file's content safely (never half written, the old bytes kept on failure).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace torvane {

// What tells one state of a file from another without reading it.
struct TFileStamp {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t mtime_ns = 0;
  std::int64_t ctime_ns = 0;  // moves on every write, rename or chmod

  bool operator==(const TFileStamp&) const = default;
  // Same file with the same size and modification time: no program wrote
  // it in between (a chmod does not count).
  bool SameContent(const TFileStamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && mtime_ns == other.mtime_ns;
  }
};

// The stamp of the file path names (links followed); exists is false when
// there is none.
TFileStamp StampOf(const std::string& path);
TFileStamp StampOfOpenFile(int fd);

// Whether two paths name the same file (also under another name: a link,
// "./", "..").
bool SameFile(const std::string& a, const std::string& b);

// Reads the whole file into *bytes, as large as the file was when opened.
// Only regular files are read: a directory, pipe, device or socket fails at
// once. On failure returns false, leaves *bytes empty and puts the reason
// (strerror text, or "Not a regular file") into *reason. *stamp receives the
// file's stamp as it was when opened. *bytes has spare capacity (a sixteenth
// of the size) for changing it in place.
bool ReadFileBytes(const std::string& path, std::string* bytes, std::string* reason = nullptr,
                   TFileStamp* stamp = nullptr);

// Replaces (or creates) the file at path with bytes. The old file stays
// byte-identical unless the whole new content reached the disk; an existing
// file keeps its permission bits and owner; when path is a symbolic link the
// file it points to is replaced and the link stays. The bytes normally go to
// an unnamed temporary file renamed over the target (a save killed half-way
// leaves nothing behind; temporaries of an earlier killed save are removed).
// A file with other hard links, one whose owner a new file could not get, or
// one in a folder we cannot write is rewritten in place instead, after
// checking the free space, and gets its old bytes back if writing fails. A
// file without any write permission bit is read-only, for root as well. On
// failure false is returned and *reason says why; on success *written is the
// stamp of the file as written.
bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string* reason = nullptr,
                     TFileStamp* written = nullptr);

// Receives a file's new content piece after piece.
using TByteSink = std::function<void(std::string_view piece)>;
// Hands the whole new content to the sink in order. It may be run twice
// (the in-place rewrite measures the content first) and must give the same
// bytes each time.
using TByteProducer = std::function<void(const TByteSink& sink)>;

// WriteFileSafely of the bytes a producer gives, so that a large text need
// not be made whole in memory first. Every promise above holds; when the
// producer throws, the old file is left (or put back) as for a failed write
// and the exception is passed on.
bool WriteFileSafely(const std::string& path, const TByteProducer& produce,
                     std::string* reason = nullptr, TFileStamp* written = nullptr);

// Deletes a file; false (with the reason) when it could not be removed.
bool RemoveFile(const std::string& path, std::string* reason = nullptr);

}  // namespace torvane
