#pragma once
// The one shape every layer reports a failure in: a value, or an error with
// what kind of failure it is and a message for the operator or the log.

#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace torvane {

struct Error {
    enum class Kind {
        kSystem,    // the system refused: a file, a port or a socket (the message says why)
        kBadInput,  // input from outside that is not what it must be
        kTimedOut,  // the switcher did not answer
        kRefused,   // the switcher answered no
        kLinkLost,  // the link went away while waiting
    };
    Kind kind = Kind::kSystem;
    std::string message;
};

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

// Success that carries no value.
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

inline Error SystemError(std::string message) { return {Error::Kind::kSystem, std::move(message)}; }
inline Error BadInput(std::string message) { return {Error::Kind::kBadInput, std::move(message)}; }
// A system error in the system's words for an errno value (ECONNREFUSED gives
// "Connection refused").
inline Error ErrnoError(int errnoValue) {
    return SystemError(std::generic_category().message(errnoValue));
}

}  // namespace torvane
