// Byte streams the line store reads from and writes to: a memory buffer and
// a file handle, plus the errors their failures raise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/errors.h"

namespace torvane {

// A short read or write on a stream. The message is "Stream read error" or
// "Stream write error", followed by the OS's reason when there is one.
class ESrcStreamError : public ESrcError {
 public:
  using ESrcError::ESrcError;
};

// A file that cannot be opened or created; carries the path and errno.
class ESrcFileError : public ESrcError {
 public:
  ESrcFileError(const std::string& message, std::string path, int os_error)
      : ESrcError(message), path_(std::move(path)), os_error_(os_error) {}
  const std::string& Path() const { return path_; }
  int OsError() const { return os_error_; }

 private:
  std::string path_;
  int os_error_;
};

// "Cannot open file "%s". %s"
class ESrcFileOpenError : public ESrcFileError {
 public:
  ESrcFileOpenError(const std::string& path, int os_error);
};

// "Cannot create file "%s". %s"
class ESrcFileCreateError : public ESrcFileError {
 public:
  ESrcFileCreateError(const std::string& path, int os_error);
  // With the reason already in words (errno unknown: OsError() is 0).
  ESrcFileCreateError(const std::string& path, const std::string& reason);
};

class TSrcStream {
 public:
  virtual ~TSrcStream() = default;
  // Total size in bytes.
  virtual std::int64_t Size() const = 0;
  virtual std::int64_t Position() const = 0;
  virtual void SetPosition(std::int64_t position) = 0;
  // Reads up to `count` bytes; returns how many were read (0 at the end).
  // Raises ESrcStreamError when the underlying read fails.
  virtual std::size_t Read(char* buffer, std::size_t count) = 0;
  // Writes all `count` bytes or raises ESrcStreamError ("Stream write error").
  virtual void Write(const char* buffer, std::size_t count) = 0;
};

// A stream over an in-memory byte string; writing past the end grows it.
class TSrcMemoryStream : public TSrcStream {
 public:
  TSrcMemoryStream() = default;
  explicit TSrcMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

  std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
  std::int64_t Position() const override { return position_; }
  void SetPosition(std::int64_t position) override;
  std::size_t Read(char* buffer, std::size_t count) override;
  void Write(const char* buffer, std::size_t count) override;

  const std::string& Bytes() const { return bytes_; }
  std::string TakeBytes();

 private:
  std::string bytes_;
  std::int64_t position_ = 0;  // invariant: 0 <= position_
};

// A stream over an open file descriptor, which it owns and closes.
class TSrcFileStream : public TSrcStream {
 public:
  // Opens an existing file for reading; others may read and write it
  // meanwhile. A directory counts as a file that cannot be opened.
  // Raises ESrcFileOpenError.
  static TSrcFileStream OpenRead(const std::string& path);
  // Creates the file, truncating an existing one, for writing.
  // Raises ESrcFileCreateError.
  static TSrcFileStream Create(const std::string& path);

  TSrcFileStream(TSrcFileStream&& other) noexcept;
  TSrcFileStream& operator=(TSrcFileStream&& other) noexcept;
  TSrcFileStream(const TSrcFileStream&) = delete;
  TSrcFileStream& operator=(const TSrcFileStream&) = delete;
  ~TSrcFileStream() override;

  std::int64_t Size() const override;
  std::int64_t Position() const override;
  void SetPosition(std::int64_t position) override;
  std::size_t Read(char* buffer, std::size_t count) override;
  void Write(const char* buffer, std::size_t count) override;
  // Closes the descriptor, raising ESrcStreamError if closing reports a
  // failed earlier write (as NFS and full disks may).
  void Close();

 private:
  TSrcFileStream(int fd, bool writable) : fd_(fd), writable_(writable) {}
  int fd_ = -1;
  bool writable_ = false;
};

}  // namespace torvane
