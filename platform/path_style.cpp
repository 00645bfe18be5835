#include "platform/path_style.h"

#include <cstring>

namespace kelvandor {
namespace {

constexpr char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Position of the last folder delimiter, or npos.
std::size_t LastDelimiter(std::string_view path, PathStyle style) {
  for (std::size_t i = path.size(); i-- > 0;) {
    if (IsFolderDelimiter(path[i], style)) return i;
  }
  return std::string_view::npos;
}

}  // namespace

std::string SeparatorString(PathStyle style) { return std::string(1, Separator(style)); }

bool IsFolderDelimiter(char c, PathStyle style) {
  return c == Separator(style) || (style == PathStyle::kWindows && c == ':');
}

std::string FolderPart(std::string_view path, PathStyle style) {
  const std::size_t last = LastDelimiter(path, style);
  if (last == std::string_view::npos) return {};
  std::size_t end = last + 1;  // keep the delimiter by default
  if (path[last] == Separator(style) && last > 0 && !IsFolderDelimiter(path[last - 1], style)) {
    end = last;
  }
  return std::string(path.substr(0, end));
}

std::string NamePart(std::string_view path, PathStyle style) {
  const std::size_t last = LastDelimiter(path, style);
  if (last == std::string_view::npos) return std::string(path);
  return std::string(path.substr(last + 1));
}

std::size_t DriveRootLength(PathStyle style) { return style == PathStyle::kWindows ? 3 : 1; }

std::string DefaultNewPath(PathStyle style) {
  return style == PathStyle::kWindows ? std::string("c:\\") : std::string("/");
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ToLowerAscii(c);
  return out;
}

bool ContainsExtension(std::string_view path, std::string_view lower_ext) {
  return LowerAscii(path).find(lower_ext) != std::string::npos;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

std::size_t FindIgnoreCase(std::string_view haystack, std::string_view needle, std::size_t from) {
  constexpr std::size_t npos = std::string_view::npos;
  if (needle.empty()) return from <= haystack.size() ? from : npos;
  if (haystack.size() < needle.size()) return npos;
  const char lower = ToLowerAscii(needle[0]);
  const char upper = (lower >= 'a' && lower <= 'z') ? static_cast<char>(lower - 32) : lower;
  const std::size_t limit = haystack.size() - needle.size() + 1;  // one past the last start
  // Next position of each case of the first byte at or after a point; each is
  // searched again only once consumed, so the scan stays linear.
  auto next = [&](char c, std::size_t at) -> std::size_t {
    if (at >= limit) return npos;
    const void* hit = std::memchr(haystack.data() + at, c, limit - at);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - haystack.data()) : npos;
  };
  std::size_t next_lower = next(lower, from);
  std::size_t next_upper = upper != lower ? next(upper, from) : npos;
  while (next_lower != npos || next_upper != npos) {
    const std::size_t pos = next_lower < next_upper ? next_lower : next_upper;
    if (EqualsIgnoreCase(haystack.substr(pos + 1, needle.size() - 1), needle.substr(1))) {
      return pos;
    }
    if (pos == next_lower) next_lower = next(lower, pos + 1);
    if (pos == next_upper) next_upper = next(upper, pos + 1);
  }
  return npos;
}

bool MatchesWildcardSuffix(std::string_view name, std::string_view suffix) {
  return EndsWithIgnoreCase(name, suffix);
}

}  // namespace kelvandor
