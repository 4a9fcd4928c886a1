#include "framework/core/Exceptions.h"

#include "framework/core/Component.h"
#include "framework/core/Consts.h"

namespace fw {

std::string VisibleNul(const std::string& text) {
  if (text.find('\0') == std::string::npos) return text;
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\0')
      out += "#0";
    else
      out.push_back(c);
  }
  return out;
}

std::string Format(const std::string& format, std::initializer_list<FormatArg> args) {
  std::string out;
  out.reserve(format.size() + 16);
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out.push_back(c);
      continue;
    }
    char directive = format[i + 1];
    if (directive == '%') {
      out.push_back('%');
      ++i;
    } else if (directive == 's' || directive == 'd') {
      if (next != args.end()) out += (next++)->Text();
      ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void DatabaseError(const std::string& message, const TComponent* component) {
  if (component && !component->GetName().empty())
    throw EDatabaseError(component->GetName() + ": " + message);
  throw EDatabaseError(message);
}

void DatabaseErrorFmt(const std::string& format, std::initializer_list<FormatArg> args,
                      const TComponent* component) {
  DatabaseError(Format(format, args), component);
}

void Abort() { throw EAbort(SOperationAborted); }

void ListIndexError(std::int64_t index) { throw EListError(Format(SListIndexError, {index})); }

}  // namespace fw
