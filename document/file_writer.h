// Buffered writing of lines to a file, producing the same bytes as
// TSrcEditStringList::WriteToStream for the same lines and format.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/file_format.h"
#include "document/src_stream.h"

namespace torvane {

// A byte buffer in front of a file stream, with a line-break format.
class TSrcEditFiler {
 public:
  static constexpr std::size_t kDefaultBufferSize = 0x4000;

  virtual ~TSrcEditFiler() = default;
  TSrcEditFiler(const TSrcEditFiler&) = delete;
  TSrcEditFiler& operator=(const TSrcEditFiler&) = delete;

  TSrcEditFileFormat FileFormat() const { return format_; }
  void SetFileFormat(TSrcEditFileFormat format) { format_ = format; }
  std::size_t BufferSize() const { return buffer_.size(); }
  // Never drops buffered bytes: the size stays at least the fill.
  void SetBufferSize(std::size_t size);
  virtual void FlushBuffer() {}

 protected:
  TSrcEditFiler() : buffer_(kDefaultBufferSize) {}

  std::vector<char> buffer_;
  std::size_t fill_ = 0;  // invariant: fill_ <= buffer_.size()
  TSrcEditFileFormat format_ = sffUnix;
  std::optional<TSrcFileStream> stream_;
};

class TSrcEditFileWriter : public TSrcEditFiler {
 public:
  // Creates the file (truncating an existing one); ESrcFileCreateError.
  explicit TSrcEditFileWriter(const std::string& path);
  // Flushes and closes; a failure here is lost, so call Close() to see it.
  ~TSrcEditFileWriter() override;

  void WriteText(std::string_view text);
  // The text and the format's line break.
  void WriteTextLine(std::string_view text);
  void FlushBuffer() override;
  // Flushes and closes the file; raises ESrcStreamError on a failed write.
  void Close();

 private:
  void MakeRoom(std::size_t needed);
};

}  // namespace torvane
