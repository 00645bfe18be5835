#include "platform/path_style.h"

#include <string>

#include <gtest/gtest.h>

namespace kelvandor {
namespace {

constexpr PathStyle kPosix = PathStyle::kPosix;
constexpr PathStyle kWin = PathStyle::kWindows;
#ifdef _WIN32
static_assert(kNativeStyle == kWin);
#else
static_assert(kNativeStyle == kPosix);
#endif

struct SplitCase {
  PathStyle style;
  std::string path;
  std::string folder;
  std::string name;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << (c.style == PathStyle::kWindows ? "windows " : "posix ") << '"' << c.path << '"';
}

class PathStyleSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PathStyleSplitTest, FolderAndNamePart) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(FolderPart(c.path, c.style), c.folder);
  EXPECT_EQ(NamePart(c.path, c.style), c.name);
  if (c.style == kNativeStyle) {
    EXPECT_EQ(FolderPart(c.path), c.folder);
    EXPECT_EQ(NamePart(c.path), c.name);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathStyleSplitTest,
    ::testing::Values(SplitCase{kWin, "C:\\work\\x.prj", "C:\\work", "x.prj"},
                      SplitCase{kWin, "C:\\x.prj", "C:\\", "x.prj"},
                      SplitCase{kWin, "x.prj", "", "x.prj"}, SplitCase{kWin, "", "", ""},
                      SplitCase{kWin, "C:x.prj", "C:", "x.prj"},
                      SplitCase{kWin, "C:\\work\\", "C:\\work", ""},
                      SplitCase{kWin, "C:\\work\\\\x", "C:\\work\\\\", "x"},
                      SplitCase{kWin, "\\x.prj", "\\", "x.prj"},
                      SplitCase{kWin, "\\\\srv\\share\\x.prj", "\\\\srv\\share", "x.prj"},
                      // "/" is an ordinary character in Windows paths here.
                      SplitCase{kWin, "C:\\a/b.prj", "C:\\", "a/b.prj"},
                      SplitCase{kWin, "D:\\my work\\\xE4rger.prj", "D:\\my work", "\xE4rger.prj"},
                      SplitCase{kPosix, "/work/x.prj", "/work", "x.prj"},
                      SplitCase{kPosix, "/x.prj", "/", "x.prj"},
                      SplitCase{kPosix, "x.prj", "", "x.prj"}, SplitCase{kPosix, "", "", ""},
                      SplitCase{kPosix, "/", "/", ""}, SplitCase{kPosix, "/work/", "/work", ""},
                      SplitCase{kPosix, "/work//x", "/work//", "x"},
                      // ":" and "\" only separate on Windows.
                      SplitCase{kPosix, "/w/C:x.prj", "/w", "C:x.prj"},
                      SplitCase{kPosix, "/w/a\\b.prj", "/w", "a\\b.prj"},
                      SplitCase{kPosix, "/my work/.hidden", "/my work", ".hidden"}));

TEST(PathStyleTest, SeparatorAndRootFollowTheStyle) {
  EXPECT_EQ(Separator(PathStyle::kWindows), '\\');
  EXPECT_EQ(Separator(PathStyle::kPosix), '/');
  EXPECT_EQ(SeparatorString(PathStyle::kWindows), "\\");
  EXPECT_EQ(SeparatorString(PathStyle::kPosix), "/");
  EXPECT_EQ(DriveRootLength(PathStyle::kWindows), 3u);
  EXPECT_EQ(DriveRootLength(PathStyle::kPosix), 1u);
  EXPECT_EQ(DefaultNewPath(PathStyle::kWindows), "c:\\");
  EXPECT_EQ(DefaultNewPath(PathStyle::kPosix), "/");
  EXPECT_TRUE(IsFolderDelimiter(':', PathStyle::kWindows));
  EXPECT_FALSE(IsFolderDelimiter(':', PathStyle::kPosix));
  EXPECT_FALSE(IsFolderDelimiter('/', PathStyle::kWindows));
  EXPECT_FALSE(IsFolderDelimiter('\\', PathStyle::kPosix));
  // Without a style, the style of the system the program runs on.
  EXPECT_EQ(SeparatorString(), SeparatorString(kNativeStyle));
  EXPECT_EQ(Separator(), Separator(kNativeStyle));
  EXPECT_EQ(DriveRootLength(), DriveRootLength(kNativeStyle));
  EXPECT_EQ(DefaultNewPath(), DefaultNewPath(kNativeStyle));
  EXPECT_EQ(IsFolderDelimiter(':'), IsFolderDelimiter(':', kNativeStyle));
}

TEST(PathStyleTest, LowerAsciiChangesOnlyAToZ) {
  EXPECT_EQ(LowerAscii("ABC xyz @[`{ 09"), "abc xyz @[`{ 09");
  // Bytes of the ANSI code page (here upper-case umlauts) stay as they are.
  EXPECT_EQ(LowerAscii("\xC4\xD6\xDC.PRJ"), "\xC4\xD6\xDC.prj");
  EXPECT_EQ(LowerAscii(std::string("A\0B", 3)), std::string("a\0b", 3));
  EXPECT_EQ(LowerAscii(""), "");
}

TEST(PathStyleTest, ContainsExtensionSearchesAnywhereInTheLowerCasedPath) {
  EXPECT_TRUE(ContainsExtension("C:\\WORK\\MAIN.PRJ", ".prj"));
  EXPECT_TRUE(ContainsExtension("/work/main.prj.bak", ".prj"));
  EXPECT_TRUE(ContainsExtension("/work/x.PRJECT/a", ".prj"));
  EXPECT_FALSE(ContainsExtension("/work/main.pr", ".prj"));
  EXPECT_FALSE(ContainsExtension("/work/main_prj", ".prj"));
  EXPECT_FALSE(ContainsExtension("", ".prj"));
}

TEST(PathStyleTest, CaseInsensitiveComparisons) {
  EXPECT_TRUE(EqualsIgnoreCase("Main.PRJ", "main.prj"));
  EXPECT_FALSE(EqualsIgnoreCase("main.prj", "main.prj "));
  // Only ASCII letters fold: "\xC4" and "\xE4" differ.
  EXPECT_FALSE(EqualsIgnoreCase("\xC4", "\xE4"));
  EXPECT_TRUE(EndsWithIgnoreCase("Blinky.UVPROJ", ".uvproj"));
  EXPECT_FALSE(EndsWithIgnoreCase("prj", ".prj"));
  EXPECT_TRUE(StartsWithIgnoreCase("MOTOR_v2", "motor"));
  EXPECT_FALSE(StartsWithIgnoreCase("mot", "motor"));
  EXPECT_TRUE(MatchesWildcardSuffix("anything", ""));
  EXPECT_TRUE(MatchesWildcardSuffix(".prj", ".prj"));
  EXPECT_FALSE(MatchesWildcardSuffix("x.prj1", ".prj"));
}

struct FindCase {
  std::string haystack;
  std::string needle;
  std::size_t from;
  std::size_t expected;
};

void PrintTo(const FindCase& c, std::ostream* os) {
  *os << '"' << c.needle << "\" in \"" << c.haystack.substr(0, 40) << "\" from " << c.from;
}

class FindIgnoreCaseTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindIgnoreCaseTest, FindsFirstOccurrence) {
  const FindCase& c = GetParam();
  EXPECT_EQ(FindIgnoreCase(c.haystack, c.needle, c.from), c.expected);
}

constexpr std::size_t kNpos = std::string_view::npos;

INSTANTIATE_TEST_SUITE_P(
    Table, FindIgnoreCaseTest,
    ::testing::Values(FindCase{"Project.PRJ", ".prj", 0, 7}, FindCase{"aXbxc", "XC", 0, 3},
                      FindCase{"abc", "abcd", 0, kNpos}, FindCase{"abc", "", 0, 0},
                      FindCase{"abc", "", 3, 3}, FindCase{"abc", "", 4, kNpos},
                      FindCase{"abcabc", "ABC", 1, 3}, FindCase{"abc", "c", 5, kNpos},
                      FindCase{"$ws_dir$\\x", "$WS_DIR$", 0, 0},
                      // The first byte has no case; the rest has.
                      FindCase{"x.prj .PRJ", ".Prj", 2, 6}, FindCase{"\xC4\xE4x", "\xE4X", 0, 1},
                      FindCase{"\xC4x", "\xE4X", 0, kNpos}, FindCase{"aaaaab", "AAB", 0, 3},
                      FindCase{"ab", "B", 0, 1}));

TEST(FindIgnoreCaseTest, LongHaystacks) {
  // Many near misses of both letter cases before the one match at the very end.
  std::string haystack;
  for (int i = 0; i < 200000; ++i) haystack += (i % 2 == 0) ? "Ke" : "kE";
  haystack += "KEY";
  EXPECT_EQ(FindIgnoreCase(haystack, "key"), haystack.size() - 3);
  EXPECT_EQ(FindIgnoreCase(haystack, "keyx"), kNpos);
  EXPECT_EQ(FindIgnoreCase(haystack, "KEK"), 0u);
  EXPECT_EQ(FindIgnoreCase(haystack, "EKE", 1), 1u);
  EXPECT_EQ(FindIgnoreCase(haystack, "y", haystack.size() - 1), haystack.size() - 1);

  const std::string big(5 * 1024 * 1024, 'z');
  EXPECT_EQ(FindIgnoreCase(big + "Uvproj", ".UVPROJ"), kNpos);
  EXPECT_EQ(FindIgnoreCase(big + ".uVproj", ".UVPROJ"), big.size());
}

struct AbsoluteCase {
  PathStyle style;
  const char* path;
  const char* base;
  const char* expected;
};

class AbsoluteAgainstTest : public ::testing::TestWithParam<AbsoluteCase> {};

TEST_P(AbsoluteAgainstTest, JoinsOnlyRelativePaths) {
  const AbsoluteCase& t = GetParam();
  EXPECT_EQ(AbsoluteAgainst(t.path, t.base, t.style), t.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, AbsoluteAgainstTest,
    ::testing::Values(AbsoluteCase{kPosix, "p/x.prj", "/work", "/work/p/x.prj"},
                      AbsoluteCase{kPosix, "p", "/work/", "/work/p"},
                      AbsoluteCase{kPosix, "../p", "/work", "/work/../p"},
                      AbsoluteCase{kPosix, "/abs/p", "/work", "/abs/p"},
                      AbsoluteCase{kPosix, "", "/work", ""},
                      AbsoluteCase{kWin, "p", "D:\\work", "D:\\work\\p"},
                      AbsoluteCase{kWin, "C:\\p", "D:\\work", "C:\\p"},
                      AbsoluteCase{kWin, "\\\\srv\\p", "D:\\work", "\\\\srv\\p"},
                      AbsoluteCase{kWin, "E:p", "D:\\work", "E:p"}));

TEST(PathStyleJoinTest, JoinPath) {
  const std::string sep(1, Separator());
  EXPECT_EQ(JoinPath("", "a.prj"), "a.prj");
  EXPECT_EQ(JoinPath("dir", "a.prj"), "dir" + sep + "a.prj");
  EXPECT_EQ(JoinPath("dir" + sep, "a.prj"), "dir" + sep + "a.prj");
}

struct JoinCase {
  PathStyle style;
  const char* dir;
  const char* name;
  const char* joined;           // JoinPath(dir, name)
  const char* joined_relative;  // JoinRelative(dir, name)
};

void PrintTo(const JoinCase& c, std::ostream* os) {
  *os << (c.style == kWin ? "windows " : "posix ") << '"' << c.dir << "\" + \"" << c.name << '"';
}

class PathJoinTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(PathJoinTest, JoinsOnce) {
  const JoinCase& c = GetParam();
  EXPECT_EQ(JoinPath(c.dir, c.name, c.style), c.joined);
  EXPECT_EQ(JoinRelative(c.dir, c.name, c.style), c.joined_relative);
  // The wide form joins alike (the cases are ASCII).
  const std::string dir(c.dir), name(c.name), joined(c.joined);
  EXPECT_EQ(JoinPath(std::wstring(dir.begin(), dir.end()), std::wstring(name.begin(), name.end()),
                     c.style),
            std::wstring(joined.begin(), joined.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathJoinTest,
    ::testing::Values(
        JoinCase{kPosix, "/work", "a.prj", "/work/a.prj", "/work/a.prj"},
        JoinCase{kPosix, "/work/", "a.prj", "/work/a.prj", "/work/a.prj"},
        JoinCase{kPosix, "/", "a.prj", "/a.prj", "/a.prj"},
        JoinCase{kPosix, "", "a.prj", "a.prj", "a.prj"},
        JoinCase{kPosix, "/work", "", "/work/", "/work"},
        JoinCase{kPosix, "/work", "example/ARM", "/work/example/ARM", "/work/example/ARM"},
        // "\" is an ordinary character in POSIX names.
        JoinCase{kPosix, "/w\\", "a", "/w\\/a", "/w\\/a"},
        JoinCase{kWin, "C:\\work", "a.prj", "C:\\work\\a.prj", "C:\\work\\a.prj"},
        JoinCase{kWin, "C:\\work\\", "a.prj", "C:\\work\\a.prj", "C:\\work\\a.prj"},
        JoinCase{kWin, "C:\\", "a.prj", "C:\\a.prj", "C:\\a.prj"},
        JoinCase{kWin, "C:/work/", "*", "C:/work/*", "C:/work/*"},
        JoinCase{kWin, "", "a.prj", "a.prj", "a.prj"},
        JoinCase{kWin, "D:\\w", "", "D:\\w\\", "D:\\w"},
        JoinCase{kWin, "D:\\w", "example/ARM", "D:\\w\\example/ARM", "D:\\w\\example\\ARM"}));

struct NormalCase {
  const char* label;
  PathStyle style;
  const char* path;
  const char* base;
  const char* expected;
};

void PrintTo(const NormalCase& c, std::ostream* os) { *os << c.label; }

class NormalisedAgainstTest : public ::testing::TestWithParam<NormalCase> {};

TEST_P(NormalisedAgainstTest, MakesAbsoluteAndPlain) {
  const NormalCase& c = GetParam();
  EXPECT_EQ(NormalisedAgainst(c.path, c.base, c.style), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, NormalisedAgainstTest,
    ::testing::Values(
        NormalCase{"relative", kPosix, "blinky", "/work", "/work/blinky"},
        NormalCase{"trailing_separator", kPosix, "blinky/", "/work", "/work/blinky"},
        NormalCase{"dot", kPosix, ".", "/work/blinky", "/work/blinky"},
        NormalCase{"dot_slash", kPosix, "./x/./y", "/work", "/work/x/y"},
        NormalCase{"dot_dot", kPosix, "../other/b", "/work/blinky", "/work/other/b"},
        NormalCase{"above_root", kPosix, "/../..", "/work", "/"},
        NormalCase{"repeated_separators", kPosix, "//a///b//", "/work", "/a/b"},
        NormalCase{"absolute_kept", kPosix, "/x/blinky.prj", "/work", "/x/blinky.prj"},
        NormalCase{"zip_name_kept", kPosix, "in/a.zip", "/work", "/work/in/a.zip"},
        NormalCase{"win_relative", kWin, "blinky\\", "D:\\work", "D:\\work\\blinky"},
        NormalCase{"win_forward_slashes", kWin, "x/y/", "D:\\work\\", "D:\\work\\x\\y"},
        NormalCase{"win_drive_forward_slashes", kWin, "C:/work/blinky", "D:\\", "C:\\work\\blinky"},
        NormalCase{"win_dot", kWin, ".", "D:\\work\\blinky", "D:\\work\\blinky"},
        NormalCase{"win_drive_root", kWin, "C:\\..", "D:\\work", "C:\\"},
        NormalCase{"win_share", kWin, "\\\\srv\\share\\p\\.", "D:\\", "\\\\srv\\share\\p"}),
    [](const auto& p) { return std::string(p.param.label); });

struct NameCase {
  const char* label;
  PathStyle style;
  std::string name;
  std::size_t length;  // as the system counts it; 0: the byte count
  NameFault expected;
};

class CheckNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(CheckNameTest, SaysWhyANameCannotExist) {
  const NameCase& c = GetParam();
  EXPECT_EQ(CheckName(c.name, c.length == 0 ? c.name.size() : c.length, c.style), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, CheckNameTest,
    ::testing::Values(
        NameCase{"plain", kPosix, "pump.uvprojx", 0, NameFault::kNone},
        NameCase{"longest", kPosix, std::string(255, 'a'), 0, NameFault::kNone},
        NameCase{"too_long", kPosix, std::string(256, 'a'), 0, NameFault::kTooLong},
        NameCase{"empty", kPosix, "", 0, NameFault::kForbidden},
        NameCase{"dot_dot", kPosix, "..", 0, NameFault::kForbidden},
        NameCase{"slash", kPosix, "a/b", 0, NameFault::kForbidden},
        NameCase{"posix_takes_windows_names", kPosix, "CON.prj", 0, NameFault::kNone},
        NameCase{"posix_takes_a_final_dot", kPosix, "pump.", 0, NameFault::kNone},
        NameCase{"posix_takes_a_colon", kPosix, "a:b?", 0, NameFault::kNone},
        NameCase{"win_plain", kWin, "pump.ewp", 0, NameFault::kNone},
        // 300 bytes of a double-byte code page that are 150 UTF-16 units.
        NameCase{"win_counts_units", kWin, std::string(300, 'a'), 150, NameFault::kNone},
        NameCase{"win_too_long", kWin, std::string(256, 'a'), 0, NameFault::kTooLong},
        NameCase{"win_con", kWin, "CON", 0, NameFault::kReservedDevice},
        NameCase{"win_nul_any_case_extension", kWin, "nUl.prj.kvtmp", 0,
                 NameFault::kReservedDevice},
        NameCase{"win_com9", kWin, "com9.uvprojx", 0, NameFault::kReservedDevice},
        NameCase{"win_lpt1_space", kWin, "LPT1 .txt", 0, NameFault::kReservedDevice},
        NameCase{"win_aux", kWin, "Aux.wsp", 0, NameFault::kReservedDevice},
        NameCase{"win_prn", kWin, "prn", 0, NameFault::kReservedDevice},
        NameCase{"win_com0_is_a_name", kWin, "COM0.prj", 0, NameFault::kNone},
        NameCase{"win_com10_is_a_name", kWin, "COM10.prj", 0, NameFault::kNone},
        NameCase{"win_console_is_a_name", kWin, "CONSOLE.prj", 0, NameFault::kNone},
        NameCase{"win_device_inside_is_a_name", kWin, "pump.con", 0, NameFault::kNone},
        NameCase{"win_final_dot", kWin, "pump.", 0, NameFault::kTrailingDotOrSpace},
        NameCase{"win_final_space", kWin, "pump ", 0, NameFault::kTrailingDotOrSpace},
        NameCase{"win_question_mark", kWin, "pump?.prj", 0, NameFault::kForbidden},
        NameCase{"win_colon", kWin, "a:b", 0, NameFault::kForbidden},
        NameCase{"win_quote", kWin, "a\"b", 0, NameFault::kForbidden},
        NameCase{"win_star_pipe_angle", kWin, "a*|<>", 0, NameFault::kForbidden},
        NameCase{"win_control", kWin, "a\tb", 0, NameFault::kForbidden}),
    [](const auto& p) { return std::string(p.param.label); });

TEST(PathStyleTest, ShortNameKeepsTheSuffixWithinTheLimit) {
  EXPECT_EQ(ShortName("pump.prj", ".kvtmp"), "pump.prj.kvtmp");
  const std::string long_name(250, 'a');
  EXPECT_EQ(ShortName(long_name, ".kvtmp"), std::string(249, 'a') + ".kvtmp");
  EXPECT_EQ(ShortName(long_name, ".kvtmp", 3).size(), kMaxNameLength - 3);
  // A character of several bytes is dropped whole.
  const std::string utf8 = std::string(247, 'a') + "\xC3\xA4\xC3\xA4";
  EXPECT_EQ(ShortName(utf8, ".kvtmp"), std::string(247, 'a') + ".kvtmp");
}

}  // namespace
}  // namespace kelvandor
