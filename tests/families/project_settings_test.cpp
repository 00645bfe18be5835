#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/recorded_path.h"
#include "families/iar/iar_settings.h"
#include "families/keil/keil_settings.h"
#include "platform/file_system.h"
#include "platform/io_error.h"
#include "tests/support/param_label.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::PrintTo;
using testing::TempDir;
using testing::WriteFile;

TEST(BuildSettings, ReadsEveryKeilTarget) {
  TempDir tmp;
  WriteFile(tmp / "m.uvprojx",
            "\xef\xbb\xbf<?xml version=\"1.0\"?>\r\n<Project><Targets>\r\n"
            "<Target>\r\n  <TargetName>Motor &amp; Co</TargetName>\r\n"
            "  <OutputDirectory>.\\Objects\\</OutputDirectory><OutputName>Motor</OutputName>\n"
            "  <ListingPath>.\\Listings\\</ListingPath><ScatterFile>.\\Motor.sct</ScatterFile>\r"
            "  <Device>ORL32F103</Device><Device>second</Device><LDads><umfTarg>1</umfTarg></LDads>"
            "  <OutputName>second</OutputName><Files><File><FilePath>.\\main.c</FilePath></File>"
            "<File><FilePath>..\\Src\\x.c</FilePath></File></Files></Target>\n"
            "<!-- <Target><TargetName>commented</TargetName></Target> -->"
            "<Target><TargetName>Target 1</TargetName><FilePath>.\\main.c</FilePath></Target>"
            "<Target><TargetName>cut off");
  std::vector<KeilTarget> targets;
  std::vector<std::string> sources;
  ReadKeilProject(tmp / "m.uvprojx",
                  {.target = [&](const KeilTarget& t) { targets.push_back(t); },
                   .source = [&](std::string_view s) { sources.emplace_back(s); }},
                  NativeFileSystem());
  EXPECT_EQ(targets, (std::vector<KeilTarget>{{"Motor & Co", ".\\Objects\\", ".\\Listings\\",
                                               "Motor", ".\\Motor.sct", "ORL32F103", "1"},
                                              {"Target 1", "", "", "", "", "", ""},
                                              {"", "", "", "", "", "", ""}}));
  EXPECT_EQ(sources, (std::vector<std::string>{".\\main.c", "..\\Src\\x.c", ".\\main.c"}));
}

TEST(BuildSettings, ReadsEveryIarConfiguration) {
  TempDir tmp;
  WriteFile(tmp / "m.ewp",
            "<project><configuration><name>Debug</name><toolchain><name>ARM</name></toolchain>"
            "<settings><name>General</name><data>"
            "<option><name>ExePath</name><state>Debug\\Exe</state></option>"
            "<option><name>ObjPath</name><state>$PROJ_DIR$\\Debug\\Obj</state></option>"
            "<option><name>ListPath</name><state>$TOOLKIT_DIR$\\List</state></option>"
            "<option><name>BrowseInfoPath</name><state>Debug\\Browse</state></option>"
            "<option><name>Other</name><state>x</state></option></data></settings>"
            "<settings><name>ILINK</name><data><option><name>IlinkIcfFile</name>"
            "<state>$PROJ_DIR$/motor.icf</state></option></data></settings></configuration>"
            "<configuration><name>Release</name><settings><data><option><name>ExePath</name>"
            "<state>Release\\Exe</state><state>second</state></option></data></settings>"
            "</configuration><group><name>Src</name><file><name>$PROJ_DIR$\\..\\Src\\main.c"
            "</name></file></group></project>");
  const IarProject project = ReadIarProject(tmp / "m.ewp", NativeFileSystem());
  EXPECT_EQ(project.configurations,
            (std::vector<IarConfiguration>{
                {"Debug", "Debug\\Exe", "Debug\\Obj", "$TOOLKIT_DIR$\\List", "Debug\\Browse"},
                {"Release", "Release\\Exe", "", "", ""}}));
  // Where the option is missing, beside the executables.
  EXPECT_EQ(BrowseInfoFolder(project.configurations[1]), "Release\\BrowseInfo");
  EXPECT_EQ(project.source_files, (std::vector<std::string>{"motor.icf", "..\\Src\\main.c"}));
}

TEST(BuildSettings, UnreadableFileRaises) {
  TempDir tmp;
  EXPECT_THROW(ReadKeilProject(tmp / "missing.uvprojx", {}, NativeFileSystem()), IoError);
  EXPECT_THROW(ReadIarProject(tmp.path(), NativeFileSystem()), IoError);
}

// Values against the family folder tmp/p/MDK-ARM of the project tmp/p.
struct InsideCase {
  std::string label;
  std::string value;
  std::string resolved;  // below tmp; empty: outside
};

class PathInsideTest : public ::testing::TestWithParam<InsideCase> {};

TEST_P(PathInsideTest, ResolvesAgainstTheFamilyFolder) {
  TempDir tmp;
  testing::MakeDirs(tmp / "p/MDK-ARM/Objects");
  testing::MakeDirs(tmp / "elsewhere");
  const std::optional<std::string> got =
      PathInside(tmp / "p", tmp / "p/MDK-ARM", GetParam().value, NativeFileSystem());
  if (GetParam().resolved.empty()) {
    EXPECT_EQ(got, std::nullopt);
  } else {
    EXPECT_EQ(got, ResolvedPath(tmp / GetParam().resolved));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PathInsideTest,
    ::testing::Values(InsideCase{"Relative", ".\\Objects\\", "p/MDK-ARM/Objects"},
                      InsideCase{"ForwardSlashes", "./Objects/../Listings", "p/MDK-ARM/Listings"},
                      InsideCase{"Dot", ".", "p/MDK-ARM"},
                      InsideCase{"UpIntoTheProject", "..\\Core", "p/Core"},
                      InsideCase{"UpToTheProject", "..\\", "p"},
                      InsideCase{"UpAndOut", "..\\..\\", ""},
                      InsideCase{"UpAndBackIn", "..\\..\\p\\Objects", "p/Objects"},
                      InsideCase{"Sibling", "..\\..\\elsewhere", ""},
                      InsideCase{"DriveRoot", "C:\\", ""}, InsideCase{"DriveRelative", "C:x", ""},
                      InsideCase{"Root", "/", ""}, InsideCase{"BackslashRoot", "\\out", ""},
                      InsideCase{"Variable", "$(OUT)\\x", ""}, InsideCase{"Empty", "", ""}),
    testing::ParamLabel());

TEST(PathInside, LinkLeadingOutIsOutside) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  testing::MakeDirs(tmp / "p/in");
  testing::MakeDirs(tmp / "elsewhere");
  testing::MakeSymlink(tmp / "elsewhere", tmp / "p/out");
  testing::MakeSymlink(tmp / "p/in", tmp / "p/alias");
  EXPECT_EQ(PathInside(tmp / "p", tmp / "p", "out", NativeFileSystem()), std::nullopt);
  EXPECT_EQ(PathInside(tmp / "p", tmp / "p", "out\\Objects", NativeFileSystem()), std::nullopt);
  EXPECT_EQ(PathInside(tmp / "p", tmp / "p", "alias", NativeFileSystem()),
            ResolvedPath(tmp / "p/in"));
}

TEST(BuildSettings, RecordedName) {
  EXPECT_EQ(RecordedName(".\\Objects\\m.sct"), "m.sct");
  EXPECT_EQ(RecordedName("a/b.sct"), "b.sct");
  EXPECT_EQ(RecordedName("b.sct"), "b.sct");
  EXPECT_EQ(RecordedName("dir\\"), "");
}

}  // namespace
}  // namespace kelvandor
