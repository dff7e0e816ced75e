// The buffered file writer: 16 KB of buffer, grown only for a longer line.
#include "document/file_writer.h"

#include <algorithm>
#include <cstring>

namespace torvane {

void TSrcEditFiler::SetBufferSize(std::size_t size) {
  buffer_.resize(std::max(size, fill_));
}

TSrcEditFileWriter::TSrcEditFileWriter(const std::string& path) {
  stream_.emplace(TSrcFileStream::Create(path));
}

TSrcEditFileWriter::~TSrcEditFileWriter() {
  try {
    Close();
  } catch (...) {
  }
}

void TSrcEditFileWriter::MakeRoom(std::size_t needed) {
  if (fill_ + needed > buffer_.size()) {
    FlushBuffer();
    if (buffer_.size() < needed) {
      SetBufferSize(needed);
    }
  }
}

void TSrcEditFileWriter::WriteText(std::string_view text) {
  MakeRoom(text.size());
  if (!text.empty()) {
    std::memcpy(buffer_.data() + fill_, text.data(), text.size());
  }
  fill_ += text.size();
}

void TSrcEditFileWriter::WriteTextLine(std::string_view text) {
  const std::string_view line_break = LineBreakOf(format_);
  MakeRoom(text.size() + line_break.size());
  if (!text.empty()) {
    std::memcpy(buffer_.data() + fill_, text.data(), text.size());
  }
  fill_ += text.size();
  std::memcpy(buffer_.data() + fill_, line_break.data(), line_break.size());
  fill_ += line_break.size();
}

void TSrcEditFileWriter::FlushBuffer() {
  if (fill_ > 0 && stream_) {
    const std::size_t fill = fill_;
    fill_ = 0;  // a failed write is reported once, not again on close
    stream_->Write(buffer_.data(), fill);
  }
}

void TSrcEditFileWriter::Close() {
  if (!stream_) {
    return;
  }
  try {
    FlushBuffer();
  } catch (...) {
    stream_.reset();
    throw;
  }
  TSrcFileStream stream = std::move(*stream_);
  stream_.reset();
  stream.Close();
}

}  // namespace torvane
