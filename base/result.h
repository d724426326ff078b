// The result of an operation that can fail for a reason the user should
// read: either its value or a Failure, the reason in Spanish, UTF-8, ready to
// print after "trevalda: " or to put in a message box (converted there).
//
// Every fallible operation above the canvas engine returns one:
//
//   Result<PageDate> ReadDate(std::string_view typed);   // a date, or why not
//   Result<> Save(...);                                   // nothing, or why not
//
//   if (Result<PageDate> date = ReadDate(typed); !date) return date.failure();
//   Use(*date);
//
// A function that fails writes `return Failure("...")`; one that succeeds
// returns its value (or `{}` for Result<>). The type is [[nodiscard]]: a
// result nobody looks at does not compile with warnings as errors. Reading the
// value of a failed result, or the reason of a successful one, is a
// programming error (the reason of a success is the empty text).
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace trevalda {

// Why an operation failed: Spanish, UTF-8, one or more lines without the
// final newline. Converts to any Result.
struct Failure {
  explicit Failure(std::string why) : message(std::move(why)) {}
  std::string message;
};

template <typename T = void>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(Failure failure) : error_(std::move(failure.message)) {}

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }

  // The value of a success.
  const T& operator*() const& { return *value_; }
  T& operator*() & { return *value_; }
  T&& operator*() && { return *std::move(value_); }
  const T* operator->() const { return &*value_; }
  T* operator->() { return &*value_; }

  // The reason of a failure (empty for a success).
  const std::string& message() const { return error_; }
  // The failure itself, to pass up as another Result's.
  Failure failure() const { return Failure(error_); }

 private:
  std::optional<T> value_;
  std::string error_;
};

// An operation that gives nothing back but can fail.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;  // success
  Result(Failure failure) : failed_(true), error_(std::move(failure.message)) {}

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const std::string& message() const { return error_; }
  Failure failure() const { return Failure(error_); }

 private:
  bool failed_ = false;
  std::string error_;
};

}  // namespace trevalda
