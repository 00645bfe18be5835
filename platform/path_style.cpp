#include "platform/path_style.h"

#include <bit>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace kelvandor {
namespace {

constexpr char ToLowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Position of the last folder delimiter, or npos.
std::size_t LastDelimiter(std::string_view path, PathStyle style) {
  for (std::size_t i = path.size(); i-- > 0;) {
    if (IsFolderDelimiter(path[i], style)) return i;
  }
  return std::string_view::npos;
}

template <typename Char>
std::basic_string<Char> Join(std::basic_string_view<Char> dir, std::basic_string_view<Char> name,
                             PathStyle style) {
  std::basic_string<Char> path(dir);
  const bool ends_in_separator =
      !path.empty() && (path.back() == static_cast<Char>(Separator(style)) ||
                        (style == PathStyle::kWindows && path.back() == static_cast<Char>('/')));
  if (!path.empty() && !ends_in_separator) path += static_cast<Char>(Separator(style));
  path += name;
  return path;
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

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::size_t FindIgnoreCase(std::string_view haystack, std::string_view needle, std::size_t from) {
  constexpr std::size_t npos = std::string_view::npos;
  if (needle.empty()) return from <= haystack.size() ? from : npos;
  if (haystack.size() < needle.size()) return npos;
  const std::size_t limit = haystack.size() - needle.size() + 1;  // one past the last start
  const std::size_t last = needle.size() - 1;
  const char* const data = haystack.data();
  const std::string_view rest = needle.substr(1);
  auto matches_at = [&](std::size_t pos) {
    return EqualsIgnoreCase(std::string_view(data + pos + 1, last), rest);
  };
  const char head = ToLowerAscii(needle[0]);
  const char tail = ToLowerAscii(needle[last]);
  // OR-ing 0x20 into a byte maps exactly the two cases of a letter onto its
  // lower case, so one comparison finds both.
  const char head_fold = (head >= 'a' && head <= 'z') ? 0x20 : 0;
  const char tail_fold = (tail >= 'a' && tail <= 'z') ? 0x20 : 0;
  std::size_t pos = from;
#if defined(__SSE2__) || defined(_M_X64)
  // Project files repeat the needle's first byte ("\\", ">") many times a
  // line; screening 16 starts at once on the first and the last byte leaves
  // few candidates to compare in full.
  const __m128i head_v = _mm_set1_epi8(head);
  const __m128i tail_v = _mm_set1_epi8(tail);
  const __m128i head_fold_v = _mm_set1_epi8(head_fold);
  const __m128i tail_fold_v = _mm_set1_epi8(tail_fold);
  for (; pos + 16 <= limit; pos += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + last));
    const __m128i heads = _mm_cmpeq_epi8(_mm_or_si128(a, head_fold_v), head_v);
    const __m128i tails = _mm_cmpeq_epi8(_mm_or_si128(b, tail_fold_v), tail_v);
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(heads, tails)));
    while (mask != 0) {
      const std::size_t candidate = pos + static_cast<std::size_t>(std::countr_zero(mask));
      if (matches_at(candidate)) return candidate;
      mask &= mask - 1;
    }
  }
#endif
  for (; pos < limit; ++pos) {
    if (static_cast<char>(data[pos] | head_fold) == head &&
        static_cast<char>(data[pos + last] | tail_fold) == tail && matches_at(pos)) {
      return pos;
    }
  }
  return npos;
}

bool MatchesWildcardSuffix(std::string_view name, std::string_view suffix) {
  return EndsWithIgnoreCase(name, suffix);
}

bool IsAbsolute(std::string_view path, PathStyle style) {
  if (path.empty()) return false;
  if (path.front() == '/' || path.front() == Separator(style)) return true;
  // "C:" with or without a separator names a drive; both are left alone.
  return style == PathStyle::kWindows && path.size() >= 2 && path[1] == ':';
}

std::string JoinPath(std::string_view dir, std::string_view name, PathStyle style) {
  return Join(dir, name, style);
}

std::wstring JoinPath(std::wstring_view dir, std::wstring_view name, PathStyle style) {
  return Join(dir, name, style);
}

std::string JoinRelative(std::string_view dir, std::string_view relative, PathStyle style) {
  if (relative.empty()) return std::string(dir);
  std::string native(relative);
  for (char& c : native) c = c == '/' ? Separator(style) : c;
  return JoinPath(dir, native, style);
}

std::string AbsoluteAgainst(std::string_view path, std::string_view base, PathStyle style) {
  if (path.empty() || IsAbsolute(path, style)) return std::string(path);
  return JoinPath(base, path, style);
}

std::string NormalisedAgainst(std::string_view path_in, std::string_view base, PathStyle style) {
  const char sep = Separator(style);
  std::string path = AbsoluteAgainst(path_in, base, style);
  if (style == PathStyle::kWindows) {
    for (char& c : path) c = c == '/' ? sep : c;
  }
  std::string root;
  std::size_t pos = 0;
  if (style == PathStyle::kWindows && path.size() >= 2 && path[1] == ':') {
    root = path.substr(0, 2) + sep;
    pos = 2;
  } else if (style == PathStyle::kWindows && path.starts_with(std::string(2, sep))) {
    root = std::string(2, sep);  // a share: "\\server\share\..."
    pos = 2;
  } else if (!path.empty() && path[0] == sep) {
    root = std::string(1, sep);
    pos = 1;
  }
  std::vector<std::string_view> parts;
  const std::string_view rest = std::string_view(path).substr(pos);
  for (std::size_t start = 0; start <= rest.size();) {
    std::size_t end = rest.find(sep, start);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view part = rest.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out = root;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += sep;
    out += parts[i];
  }
  return out;
}

NameFault CheckName(std::string_view name, std::size_t length, PathStyle style) {
  if (name.empty() || name == "." || name == "..") return NameFault::kForbidden;
  if (style == PathStyle::kPosix) {
    if (name.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos) {
      return NameFault::kForbidden;
    }
    return length > kMaxNameLength ? NameFault::kTooLong : NameFault::kNone;
  }
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
      return NameFault::kForbidden;
    }
  }
  // The device names stand before the first dot, spaces before it ignored.
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL"}) {
    if (EqualsIgnoreCase(base, device)) return NameFault::kReservedDevice;
  }
  if (base.size() == 4 && base[3] >= '1' && base[3] <= '9' &&
      (StartsWithIgnoreCase(base, "COM") || StartsWithIgnoreCase(base, "LPT"))) {
    return NameFault::kReservedDevice;
  }
  if (name.back() == '.' || name.back() == ' ') return NameFault::kTrailingDotOrSpace;
  return length > kMaxNameLength ? NameFault::kTooLong : NameFault::kNone;
}

std::string ShortName(std::string_view base, std::string_view suffix, std::size_t room) {
  const std::size_t fixed = suffix.size() + room;
  if (base.size() + fixed > kMaxNameLength && fixed < kMaxNameLength) {
    base = base.substr(0, kMaxNameLength - fixed);
    while (!base.empty() && static_cast<unsigned char>(base.back()) > 0x7F) base.remove_suffix(1);
  }
  std::string out(base);
  out += suffix;
  return out;
}

}  // namespace kelvandor
