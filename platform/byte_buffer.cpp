// Mapped pages for TByteBuffer.
#include "platform/byte_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

namespace torvane {
namespace {

std::size_t PageSize() {
  static const auto size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return size;
}

}  // namespace

TByteBuffer::TByteBuffer(TByteBuffer&& other) noexcept
    : text_(std::move(other.text_)),
      pages_(std::exchange(other.pages_, nullptr)),
      mapped_(std::exchange(other.mapped_, 0)),
      size_(other.size_) {
  Rebase();
  other.text_.clear();
  other.Rebase();
}

TByteBuffer& TByteBuffer::operator=(TByteBuffer&& other) noexcept {
  if (this != &other) {
    TByteBuffer taken(std::move(other));
    swap(taken);
  }
  return *this;
}

TByteBuffer::~TByteBuffer() {
  Unmap();
}

void TByteBuffer::swap(TByteBuffer& other) noexcept {
  text_.swap(other.text_);
  std::swap(pages_, other.pages_);
  std::swap(mapped_, other.mapped_);
  std::swap(size_, other.size_);
  Rebase();
  other.Rebase();
}

void TByteBuffer::Rebase() noexcept {
  if (pages_ != nullptr) {
    data_ = pages_;
    capacity_ = mapped_;
  } else {
    data_ = text_.data();
    size_ = text_.size();
    capacity_ = text_.capacity();
  }
}

void TByteBuffer::Unmap() noexcept {
  if (pages_ != nullptr) {
    ::munmap(pages_, mapped_);
    pages_ = nullptr;
    mapped_ = 0;
  }
}

void TByteBuffer::clear() noexcept {
  Unmap();
  std::string().swap(text_);
  Rebase();
}

void TByteBuffer::MapPages(std::size_t capacity) {
  clear();
  if (capacity == 0) {
    return;
  }
  const std::size_t page = PageSize();
  if (capacity > SIZE_MAX - page) {
    throw std::bad_alloc();
  }
  const std::size_t length = (capacity + page - 1) / page * page;
  void* pages = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) {
    throw std::bad_alloc();
  }
  pages_ = static_cast<char*>(pages);
  mapped_ = length;
  size_ = 0;
  Rebase();
}

void TByteBuffer::Populate(std::size_t from, std::size_t to) noexcept {
#if defined(MADV_POPULATE_WRITE)
  if (pages_ == nullptr || from >= to || to > mapped_) {
    return;
  }
  const std::size_t page = PageSize();
  const std::size_t first = from / page * page;
  const std::size_t last = (to + page - 1) / page * page;
  (void)::madvise(pages_ + first, last - first, MADV_POPULATE_WRITE);
#else
  (void)from;
  (void)to;
#endif
}

void TByteBuffer::SetWrittenSize(std::size_t size) noexcept {
  if (pages_ != nullptr) {
    size_ = size <= mapped_ ? size : mapped_;
  } else if (size <= text_.size()) {
    text_.resize(size);
    Rebase();
  }
}

void TByteBuffer::resize(std::size_t size) {
  if (size > capacity_) {
    throw std::length_error("TByteBuffer::resize beyond the capacity");
  }
  if (pages_ == nullptr) {
    text_.resize(size);  // within the capacity: the bytes stay put
    Rebase();
    return;
  }
  if (size > size_) {
    std::memset(pages_ + size_, 0, size - size_);
  }
  size_ = size;
}

}  // namespace torvane
