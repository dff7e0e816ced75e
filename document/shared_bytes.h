// The line store's read buffer: bytes that other holders (a recovery record
// being written on another thread) may keep alive and read after the store
// has let them go. The store changes them in place only while no one else
// holds them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/byte_buffer.h"

namespace torvane {

class TSharedBytes {
 public:
  TSharedBytes() = default;
  TSharedBytes& operator=(std::string&& bytes) {
    bytes_ = std::make_shared<TByteBuffer>(std::move(bytes));
    return *this;
  }

  const char* data() const { return bytes_ ? bytes_->data() : nullptr; }
  char* data() { return bytes_ ? bytes_->data() : nullptr; }
  std::size_t size() const { return bytes_ ? bytes_->size() : 0; }
  std::size_t capacity() const { return bytes_ ? bytes_->capacity() : 0; }
  operator std::string_view() const { return {data(), size()}; }  // NOLINT: a view of the bytes
  // Only while not Shared(): another holder may be reading them.
  void resize(std::size_t size) { Buffer().resize(size); }
  // The bytes to fill (creating them when there are none); not while Shared().
  TByteBuffer& Buffer() {
    if (!bytes_) {
      bytes_ = std::make_shared<TByteBuffer>();
    }
    return *bytes_;
  }
  // Lets the bytes go; other holders keep them.
  void Release() { bytes_.reset(); }
  // Whether another holder has them: then they must not change. (A count
  // read while another thread drops its hold may be stale, never too low.)
  bool Shared() const { return bytes_.use_count() > 1; }
  // A hold on the bytes as they are: the store will not change them while
  // it lasts.
  std::shared_ptr<const void> Hold() const { return bytes_; }

 private:
  std::shared_ptr<TByteBuffer> bytes_;
};

}  // namespace torvane
