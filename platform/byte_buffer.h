// The bytes a read file's lines point into. Unlike std::string, which zeroes
// whatever it grows by, it can take pages that are written only once, by the
// read itself, so opening a file copies its bytes once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace torvane {

class TByteBuffer {
 public:
  TByteBuffer() noexcept { Rebase(); }
  // Takes the string's bytes over without copying them.
  explicit TByteBuffer(std::string text) noexcept : text_(std::move(text)) { Rebase(); }
  TByteBuffer(TByteBuffer&& other) noexcept;
  TByteBuffer& operator=(TByteBuffer&& other) noexcept;
  TByteBuffer(const TByteBuffer&) = delete;
  TByteBuffer& operator=(const TByteBuffer&) = delete;
  ~TByteBuffer();

  void swap(TByteBuffer& other) noexcept;

  const char* data() const noexcept { return data_; }
  char* data() noexcept { return data_; }
  std::size_t size() const noexcept { return size_; }
  std::size_t capacity() const noexcept { return capacity_; }
  bool empty() const noexcept { return size_ == 0; }
  std::string_view view() const noexcept { return {data_, size_}; }

  // Drops the bytes and frees their memory.
  void clear() noexcept;
  // Replaces the bytes by room for at least `capacity` of them, none yet
  // written and no page of it touched (so none is resident until written);
  // the size is 0 and the data pointer stays put until the next
  // replacement. Throws std::bad_alloc.
  void MapPages(std::size_t capacity);
  // Makes the pages under [from, to) resident now, in one step rather than
  // a fault per page: filling them then only copies. Only advice; where the
  // kernel cannot, the pages fault in as they are written.
  void Populate(std::size_t from, std::size_t to) noexcept;
  // Takes the first `size` bytes, all written, as the contents; size at
  // most the capacity. Written by another thread, they must have been
  // handed over with a synchronising operation first.
  void SetWrittenSize(std::size_t size) noexcept;
  // Sets the size within the capacity, as std::string's resize: bytes it
  // grows by are zero.
  void resize(std::size_t size);

 private:
  void Rebase() noexcept;
  void Unmap() noexcept;

  std::string text_;       // the bytes when they came as a string
  char* pages_ = nullptr;  // the bytes when mapped (then text_ is empty)
  std::size_t mapped_ = 0;
  // invariant: data_, size_ and capacity_ are those of pages_ when it is
  // set, otherwise those of text_.
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace torvane
