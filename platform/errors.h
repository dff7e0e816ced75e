// The common base of every error the editor raises, and the formatting of
// the fixed messages ("Invalid stringlist index %d") they carry.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>

namespace torvane {

class ESrcError : public std::runtime_error {
 public:
  explicit ESrcError(const std::string& message) : std::runtime_error(message) {}
};

// printf-style formatting of a fixed message into a std::string.
template <typename... Args>
std::string FormatMessage(const char* format, Args&&... args) {
  const int size = std::snprintf(nullptr, 0, format, args...);
  if (size <= 0) {
    return std::string(format);
  }
  std::string out(static_cast<std::size_t>(size) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, std::forward<Args>(args)...);
  out.resize(static_cast<std::size_t>(size));
  return out;
}

}  // namespace torvane
