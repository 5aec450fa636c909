#pragma once
// A value, or an error with a message for the operator. The profile store
// keeps this small one of its own until the core's result type is in place;
// the two have the same shape so that one can replace the other.

#include <string>
#include <utility>
#include <variant>

namespace torvane::profile {

struct Error {
    enum class Kind {
        kSystem,    // the system refused: a file or a folder (the message says why)
        kBadInput,  // a file or a value that is not what it must be
    };
    Kind kind = Kind::kSystem;
    std::string message;
};

inline Error SystemError(std::string message) { return {Error::Kind::kSystem, std::move(message)}; }
inline Error BadInput(std::string message) { return {Error::Kind::kBadInput, std::move(message)}; }

template <class T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const Error& error() const { return std::get<1>(state_); }

  private:
    std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Error& error() const { return error_; }

  private:
    Error error_;
    bool ok_ = true;
};

using Status = Result<void>;

}  // namespace torvane::profile
