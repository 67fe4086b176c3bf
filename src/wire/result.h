#pragma once

#include <optional>
#include <string>
#include <utility>

namespace brindle {

// The outcome of an operation that can fail: a value, or the text to show the user (the transport's
// or the server's own words). Used across subsystem boundaries instead of exceptions.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
  static Result failure(std::string error) { return Result(std::nullopt, std::move(error)); }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const T& value() const& { return *value_; }
  T& value() & { return *value_; }
  T&& value() && { return std::move(*value_); }
  const T* operator->() const { return &*value_; }
  T* operator->() { return &*value_; }
  const std::string& error() const { return error_; }

 private:
  Result(std::nullopt_t, std::string error) : error_(std::move(error)) {}
  std::optional<T> value_;
  std::string error_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  static Result failure(std::string error) {
    Result r;
    r.ok_ = false;
    r.error_ = std::move(error);
    return r;
  }
  bool ok() const { return ok_; }
  explicit operator bool() const { return ok_; }
  const std::string& error() const { return error_; }

 private:
  bool ok_ = true;
  std::string error_;
};

}  // namespace brindle
