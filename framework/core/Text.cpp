#include "framework/core/Text.h"

#include <utf8proc.h>

namespace fw {

char32_t Utf8Next(std::string_view s, std::size_t& i) {
  utf8proc_int32_t cp = 0;
  auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(s.data() + i),
                            static_cast<utf8proc_ssize_t>(s.size() - i), &cp);
  if (n <= 0) {
    char32_t raw = static_cast<unsigned char>(s[i]);
    ++i;
    return raw;
  }
  i += static_cast<std::size_t>(n);
  return static_cast<char32_t>(cp);
}

void Utf8Append(std::string& out, char32_t cp) {
  utf8proc_uint8_t buf[4];
  auto n = utf8proc_encode_char(static_cast<utf8proc_int32_t>(cp), buf);
  if (n <= 0) {  // not a code point: keep the raw byte value
    out.push_back(static_cast<char>(cp & 0xFF));
    return;
  }
  out.append(reinterpret_cast<const char*>(buf), static_cast<std::size_t>(n));
}

std::size_t Utf8Length(std::string_view s) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size(); ++count) Utf8Next(s, i);
  return count;
}

std::string Utf8Left(std::string_view s, std::size_t count) {
  std::size_t i = 0;
  for (std::size_t n = 0; n < count && i < s.size(); ++n) Utf8Next(s, i);
  return std::string(s.substr(0, i));
}

std::size_t Utf8FitBytes(std::string_view s, std::size_t maxBytes) {
  if (s.size() <= maxBytes) return s.size();
  std::size_t keep = 0;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t next = i;
    Utf8Next(s, next);
    if (next > maxBytes) break;
    keep = i = next;
  }
  return keep;
}

namespace {

template <class Map>
std::string MapChars(std::string_view s, Map map) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    std::size_t start = i;
    char32_t c = Utf8Next(s, i);
    if (c < 0x80) {
      out.push_back(static_cast<char>(map(static_cast<utf8proc_int32_t>(c))));
    } else if (i - start == 1 && static_cast<unsigned char>(s[start]) >= 0x80) {
      out.push_back(s[start]);  // malformed byte: keep it
    } else {
      Utf8Append(out, static_cast<char32_t>(map(static_cast<utf8proc_int32_t>(c))));
    }
  }
  return out;
}

}  // namespace

std::string CaseFold(std::string_view s) {
  // Simple case folding through lower-casing of the upper-case form keeps one character
  // per character (no expansions), which keeps prefix comparisons exact.
  return MapChars(s, [](utf8proc_int32_t c) { return utf8proc_tolower(utf8proc_toupper(c)); });
}

std::string LowerCase(std::string_view s) { return MapChars(s, utf8proc_tolower); }
std::string UpperCase(std::string_view s) { return MapChars(s, utf8proc_toupper); }

int CompareText(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    auto ca = utf8proc_tolower(utf8proc_toupper(static_cast<utf8proc_int32_t>(Utf8Next(a, i))));
    auto cb = utf8proc_tolower(utf8proc_toupper(static_cast<utf8proc_int32_t>(Utf8Next(b, j))));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

bool StartsText(std::string_view prefix, std::string_view s) {
  std::size_t i = 0, j = 0;
  while (i < prefix.size()) {
    if (j >= s.size()) return false;
    auto cp = utf8proc_tolower(utf8proc_toupper(static_cast<utf8proc_int32_t>(Utf8Next(prefix, i))));
    auto cs = utf8proc_tolower(utf8proc_toupper(static_cast<utf8proc_int32_t>(Utf8Next(s, j))));
    if (cp != cs) return false;
  }
  return true;
}

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return std::string(s.substr(b, e - b));
}

std::string ExtractFieldName(std::string_view fields, std::size_t& pos) {
  if (pos < 1) pos = 1;
  std::size_t start = pos - 1;
  if (start >= fields.size()) {
    pos = fields.size() + 1;
    return {};
  }
  std::size_t end = fields.find(';', start);
  if (end == std::string_view::npos) {
    pos = fields.size() + 1;
    return Trim(fields.substr(start));
  }
  pos = end + 2;
  return Trim(fields.substr(start, end - start));
}

bool IsValidIdent(std::string_view s) {
  if (s.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(s[0])) return false;
  for (char c : s)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

}  // namespace fw
