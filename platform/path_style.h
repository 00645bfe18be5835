#pragma once

// Path strings as the program handles them: byte strings, never normalised.
// Every rule that depends on the separator, the drive root or letter case lives
// here, parameterised by the style, so that Windows-style paths can be tested on
// any host. Callers that work on real paths use kNativeStyle.

#include <string>
#include <string_view>

namespace kelvandor {

enum class PathStyle {
  kWindows,  // "\" separates, ":" ends a drive prefix, roots look like "C:\"
  kPosix,    // "/" separates, the root is "/"
};

#ifdef _WIN32
inline constexpr PathStyle kNativeStyle = PathStyle::kWindows;
#else
inline constexpr PathStyle kNativeStyle = PathStyle::kPosix;
#endif

// The one separator character of the style: '\' or '/'.
constexpr char Separator(PathStyle style = kNativeStyle) {
  return style == PathStyle::kWindows ? '\\' : '/';
}

// The separator as a string, for concatenation: "\" or "/".
std::string SeparatorString(PathStyle style = kNativeStyle);

// True for the characters that end a folder in the folder-part and name-part
// rules: the separator, and on Windows also ':'.
bool IsFolderDelimiter(char c, PathStyle style = kNativeStyle);

// The text up to the last separator (or ':' on Windows), without that
// separator unless it is the first character or follows ':' or another
// separator. C:\work\x.txt -> C:\work, C:\x.txt -> C:\, x.txt -> "",
// /work/x.txt -> /work, /x.txt -> /.
std::string FolderPart(std::string_view path, PathStyle style = kNativeStyle);

// The text after the last separator (or ':' on Windows).
std::string NamePart(std::string_view path, PathStyle style = kNativeStyle);

// The length of the root prefix that CreateDirectory neither tests nor
// creates: 3 on Windows ("c:\"), 1 on POSIX ("/").
std::size_t DriveRootLength(PathStyle style = kNativeStyle);

// The path the rename workflow puts into an empty new-path field: "c:\" on
// Windows, "/" on POSIX.
std::string DefaultNewPath(PathStyle style = kNativeStyle);

// `dir` + separator + `name`; `name` alone when `dir` is empty, and no second
// separator when `dir` ends in one (in Windows style "/" counts there too,
// since Windows reads it as one). The wide form is for the platform's own
// wide paths on Windows.
std::string JoinPath(std::string_view dir, std::string_view name, PathStyle style = kNativeStyle);
std::wstring JoinPath(std::wstring_view dir, std::wstring_view name,
                      PathStyle style = kNativeStyle);

// `relative`, whose components are separated by "/" whatever the style (as
// the program's tables write sub-folders), below `dir` in the style's
// separators; `dir` alone when `relative` is empty.
std::string JoinRelative(std::string_view dir, std::string_view relative,
                         PathStyle style = kNativeStyle);

// True for "/x", a path starting with the separator ("\\srv" too) and, in
// Windows style, "C:" with or without a separator.
bool IsAbsolute(std::string_view path, PathStyle style = kNativeStyle);

// `path` made absolute against `base` when it is relative; an empty path
// stays empty. Nothing else of the path changes.
std::string AbsoluteAgainst(std::string_view path, std::string_view base,
                            PathStyle style = kNativeStyle);

// `path` made absolute against `base` as AbsoluteAgainst does, then plain:
// empty and "." components dropped, ".." taking the component before it away
// (never the root), no trailing separator; in Windows style "/" separates as
// well and comes out as "\". A drive ("C:") and a share ("\\srv") keep their
// root. So "blinky/", "." and "../x/blinky" name the folder meant, and the
// last component is that folder's own name.
std::string NormalisedAgainst(std::string_view path, std::string_view base,
                              PathStyle style = kNativeStyle);

// Lower-cases the ASCII letters A to Z only; every other byte stays.
std::string LowerAscii(std::string_view text);

// The extension test of the program: `path` lower-cased (ASCII only) contains
// `lower_ext` anywhere. `lower_ext` is given in lower case, e.g. ".zip".
bool ContainsExtension(std::string_view path, std::string_view lower_ext);

// Case-insensitive (ASCII) equality and search, as file-name comparisons on
// Windows need them.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

// Finds `needle` in `haystack` comparing the letters A to Z without regard to
// case; returns the position or std::string_view::npos.
std::size_t FindIgnoreCase(std::string_view haystack, std::string_view needle,
                           std::size_t from = 0);

// The wildcard "*<suffix>" of a folder listing: the name ends in `suffix`,
// letter case ignored. "*.*" is spelled as an empty suffix and matches every
// name.
bool MatchesWildcardSuffix(std::string_view name, std::string_view suffix);

// The longest name of one file or folder: 255 bytes on POSIX file systems,
// 255 UTF-16 units on Windows.
inline constexpr std::size_t kMaxNameLength = 255;
// Windows' MAX_PATH, its terminating NUL included: the longest path the
// program's Windows calls take, in UTF-16 units, is one less, and a folder
// is created only with room left for a file name of 8.3 (12 units).
inline constexpr std::size_t kWindowsMaxPath = 260;
inline constexpr std::size_t kWindowsFolderRoom = 12;

enum class NameFault {
  kNone,
  kTooLong,             // longer than kMaxNameLength
  kForbidden,           // a character the style forbids in a name
  kReservedDevice,      // Windows: CON, PRN, AUX, NUL, COM1-9, LPT1-9, any extension
  kTrailingDotOrSpace,  // Windows drops them: another name would be made
};

// Why the name of one file or folder cannot exist exactly as given on a file
// system of `style`: `length` is its length as that system counts it (bytes
// on POSIX, UTF-16 units on Windows). Empty, "." and ".." are kForbidden.
NameFault CheckName(std::string_view name, std::size_t length, PathStyle style = kNativeStyle);
inline NameFault CheckName(std::string_view name, PathStyle style = kNativeStyle) {
  return CheckName(name, name.size(), style);
}

// `base` + `suffix`, `base` shortened so that the whole, with `room` bytes
// more, stays within kMaxNameLength; a shortened base loses any bytes above
// 0x7F at its end, so that no character is cut in half.
std::string ShortName(std::string_view base, std::string_view suffix, std::size_t room = 0);

}  // namespace kelvandor
