// The framework's exception classes and the formatted raising helpers
// (DatabaseError, DatabaseErrorFmt, Abort, the list index and conversion errors).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace fw {

class TComponent;

/// The text with every NUL byte shown as #0, as form files write that character: a message
/// read through what() would otherwise end at the first NUL of quoted input.
std::string VisibleNul(const std::string& text);

/// Base of every framework exception. The message is kept whole: NUL bytes of quoted input
/// are shown as #0.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(VisibleNul(message)) {}
  std::string Message() const { return what(); }
};

/// Silent cancellation: handlers of the message loop swallow it without a message.
class EAbort : public Exception {
 public:
  using Exception::Exception;
};

class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

/// "List index out of bounds (%d)" and other list errors.
class EListError : public Exception {
 public:
  using Exception::Exception;
};

/// "Cannot assign a %s to a %s" and other conversions between objects and values.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

/// Variant conversions and comparisons that cannot be made.
class EVariantError : public Exception {
 public:
  using Exception::Exception;
};

/// A published property that does not exist or is used with the wrong kind.
class EPropertyError : public Exception {
 public:
  using Exception::Exception;
};

/// Component naming errors and other misuse of components.
class EComponentError : public Exception {
 public:
  using Exception::Exception;
};

/// An argument of Format: a string or an integer.
class FormatArg {
 public:
  FormatArg(const std::string& s) : FText(s) {}
  FormatArg(const char* s) : FText(s ? s : "") {}
  FormatArg(long long v) : FText(std::to_string(v)) {}
  FormatArg(int v) : FormatArg(static_cast<long long>(v)) {}
  FormatArg(long v) : FormatArg(static_cast<long long>(v)) {}
  FormatArg(unsigned v) : FormatArg(static_cast<long long>(v)) {}
  FormatArg(unsigned long v) : FormatArg(static_cast<long long>(v)) {}
  const std::string& Text() const { return FText; }

 private:
  std::string FText;
};

/// Formats "%s", "%d" and "%%" in order from the arguments (missing ones stay empty).
std::string Format(const std::string& format, std::initializer_list<FormatArg> args);

/// Raises EDatabaseError; with a named component the message starts with "Name: ".
[[noreturn]] void DatabaseError(const std::string& message, const TComponent* component = nullptr);
/// Raises EDatabaseError with a formatted message.
[[noreturn]] void DatabaseErrorFmt(const std::string& format, std::initializer_list<FormatArg> args,
                                   const TComponent* component = nullptr);
/// Raises the silent EAbort.
[[noreturn]] void Abort();
/// Raises EListError "List index out of bounds (%d)".
[[noreturn]] void ListIndexError(std::int64_t index);

}  // namespace fw
