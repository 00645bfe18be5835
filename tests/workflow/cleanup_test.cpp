#include "workflow/cleanup.h"

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/temp_dir.h"
#include "families/family_kind.h"

namespace kelvandor {
namespace {

using testing::ListTree;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using Tree = std::vector<std::string>;

std::string Native(std::string_view relative) {
  std::string out(relative);
  std::replace(out.begin(), out.end(), '/', Separator());
  return out;
}

// A project and the plan whose target the clean-up works on.
struct CleanUpRequest {
  Project project;
  RenamePlan plan;
};

CleanUpRequest WspPrj(std::string old_name, std::string new_name) {
  CleanUpRequest r;
  r.project.Add(FamilyKind::kWspPrj).old_name = std::move(old_name);
  r.plan.new_name = std::move(new_name);
  return r;
}

CleanUpRequest Iar(std::string_view sub = "", bool backup = false) {
  CleanUpRequest r;
  Family& iar = r.project.Add(FamilyKind::kIar);
  iar.old_name = "old";
  iar.sub_dir = Native(sub);
  r.plan.new_name = "new";
  r.plan.backup = backup;
  return r;
}

CleanUpRequest Keil(bool backup = false) {
  CleanUpRequest r;
  r.project.Add(FamilyKind::kKeilUv4).old_name = "old";
  r.plan.new_name = "new";
  r.plan.backup = backup;
  return r;
}

// Both families in one folder, each with its own old name.
CleanUpRequest IarAndKeil() {
  CleanUpRequest r;
  r.project.Add(FamilyKind::kIar).old_name = "chip";
  r.project.Add(FamilyKind::kKeilUv4).old_name = "board";
  r.plan.new_name = "new";
  return r;
}

struct Row {
  const char* label;
  CleanUpRequest request;
  Tree files;  // each written with its own path as content
  // The files afterwards; "a=b" is the file a holding what b held.
  Tree remaining;
  const char* new_path = "";  // below the temporary folder
  const char* new_dir = "proj";
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.label; }

class CleanUpProjectTest : public ::testing::TestWithParam<Row> {};

TEST_P(CleanUpProjectTest, CleansTheFoldersOfTheTable) {
  const Row& row = GetParam();
  TempDir tmp;
  const std::string project = tmp / "proj";
  std::set<std::string> folders;
  for (const std::string& file : row.files) {
    WriteFile(tmp / ("proj/" + file), file);
    for (std::size_t slash = file.find('/'); slash != std::string::npos;
         slash = file.find('/', slash + 1)) {
      folders.insert(file.substr(0, slash + 1));
    }
  }
  CleanUpRequest request = row.request;
  request.plan.new_path = (*row.new_path ? tmp / row.new_path : tmp.path()) + SeparatorString();
  request.plan.new_dir = Native(row.new_dir);

  CleanUpProject(request.project, request.plan, NativeFileSystem());

  Tree files;
  Tree left_folders;
  for (const std::string& rel : ListTree(project)) {
    (rel.ends_with('/') ? left_folders : files).push_back(rel);
  }
  Tree expected;
  for (const std::string& entry : row.remaining)
    expected.push_back(entry.substr(0, entry.find('=')));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files, expected);
  EXPECT_EQ(left_folders, Tree(folders.begin(), folders.end()));  // no folder removed
  for (const std::string& entry : row.remaining) {
    const std::size_t eq = entry.find('=');
    const std::string name = entry.substr(0, eq);
    const std::string was = eq == std::string::npos ? name : entry.substr(eq + 1);
    if (FileExists(tmp / ("proj/" + name))) {
      EXPECT_EQ(ReadFile(tmp / ("proj/" + name)), was) << name;
    }
  }
}

const Row kRows[] = {
    {"NoFamilyChangesNothing",
     {},
     {"ABS/old.abs", "LST/a.lst", "output/debug/obj/a.o", "a.bak", "main.d"},
     {"ABS/old.abs", "LST/a.lst", "output/debug/obj/a.o", "a.bak", "main.d"}},
    {"WspPrjKeepsImagesAndRenamesTheMhx",
     WspPrj("old", "new"),
     {"ABS/old.abs", "ABS/old.hex", "ABS/old.srec", "ABS/old.mhx", "ABS/old.map", "LST/main.lst",
      "OBJ/main.obj", "OPT/old.lnk", "old.wsp", "old.prj", "_old_old.prj", "old.bak",
      "ABS/sub/old.abs", "LST/sub/x.lst"},
     {"ABS/old.hex", "ABS/old.srec", "ABS/new.mhx=ABS/old.mhx", "old.wsp", "old.prj",
      "_old_old.prj", "old.bak", "ABS/sub/old.abs", "LST/sub/x.lst"}},
    {"WspPrjKeepsImagesInAnyLetterCase",
     WspPrj("old", "new"),
     {"ABS/OTHER.MHX", "ABS/old.HEX", "ABS/README", "ABS/x.h", "ABS/x.s", "ABS/x.m"},
     {"ABS/OTHER.MHX", "ABS/old.HEX", "ABS/x.h", "ABS/x.s", "ABS/x.m"}},
    {"WspPrjFoldersInAnyLetterCase",
     WspPrj("old", "new"),
     {"abs/old.mhx", "abs/old.abs", "lst/a.lst", "obj/a.obj", "Opt/a.lnk", "debug/Obj/b.obj"},
     {"abs/new.mhx=abs/old.mhx"}},
    {"KeilBackupsAndFoldersInAnyLetterCase",
     Keil(),
     {"old_Opt.Bak", "old_Uv2.BAK", "OLD.DEP", "x.UvGui.anna", "Output/DEBUG/main.o",
      "Output/Release/old.hex"},
     {"Output/Release/new.hex=Output/Release/old.hex"}},
    {"WspPrjLeavesARenameOntoAnExistingName",
     WspPrj("old", "new"),
     {"ABS/old.mhx", "ABS/new.mhx"},
     {"ABS/old.mhx", "ABS/new.mhx"}},
    {"WspPrjSameNameKeepsTheImage", WspPrj("old", "old"), {"ABS/old.mhx"}, {"ABS/old.mhx"}},
    {"WspPrjDebugAndReleaseFolders",
     WspPrj("old", "new"),
     {"Debug/ABS/old.mhx", "Debug/ABS/old.abs", "Debug/LST/a.lst", "Debug/OBJ/a.obj",
      "Debug/OPT/a.opt", "Release/ABS/old.mhx", "Release/ABS/old.hex", "Release/LST/a.lst",
      "Release/OBJ/a.obj", "Release/OPT/a.opt", "Other/ABS/old.abs"},
     {"Debug/ABS/new.mhx=Debug/ABS/old.mhx", "Release/ABS/new.mhx=Release/ABS/old.mhx",
      "Release/ABS/old.hex", "Other/ABS/old.abs"}},
    {"WspPrjWithoutOldNameRenamesNothing",
     WspPrj("", "new"),
     {"ABS/.mhx", "ABS/old.mhx"},
     {"ABS/.mhx", "ABS/old.mhx"}},
    {"EmptyNewNameDoesNotHideTheImage", WspPrj("old", ""), {"ABS/old.mhx"}, {"ABS/old.mhx"}},
    {"IarCleansOutputSettingsAndBackups",
     Iar(),
     {"old.eww",
      "old.ewp",
      "old.ewd",
      "old.dep",
      "old.ewp.bak",
      "a.b",
      "output/debug/obj/main.o",
      "output/debug/exe/old.out",
      "output/debug/exe/old.hex",
      "output/debug/list/main.lst",
      "output/release/exe/old.out",
      "output/release/exe/old.hex",
      "output/release/exe/old.srec",
      "output/release/exe/old.mhx",
      "output/release/list/old.map",
      "output/release/obj/main.o",
      "settings/old.wsdt",
      "settings/old.dni",
      "settings/sub/keep.txt",
      "src/main.c"},
     {"old.eww", "old.ewp", "old.ewd", "old.dep", "output/debug/exe/old.hex",
      "output/release/exe/new.hex=output/release/exe/old.hex",
      "output/release/exe/new.srec=output/release/exe/old.srec",
      "output/release/exe/new.mhx=output/release/exe/old.mhx", "settings/sub/keep.txt",
      "src/main.c"}},
    {"IarBackupBoxKeepsBakFiles",
     Iar("", true),
     {"old.ewp", "old.ewp.bak", "old.dep", "a.b"},
     {"old.ewp", "old.ewp.bak", "old.dep", "a.b"}},
    {"IarInTheExampleLayout",
     Iar("/example/IAR"),
     {"example/IAR/old.ewp.bak", "example/IAR/output/release/exe/old.hex",
      "example/IAR/settings/old.dni", "top.bak", "settings/top.dni"},
     {"example/IAR/output/release/exe/new.hex=example/IAR/output/release/exe/old.hex", "top.bak",
      "settings/top.dni"}},
    {"KeilCleansDependenciesGuiFilesAndOutput",
     Keil(),
     {"old.uvproj", "old.uvopt", "old.uvproj.bak", "old.dep", "main.d", "old.uvgui.anna",
      "old.uvguix", "other.UVGUI.anna", "output/debug/old.hex", "output/debug/old.axf",
      "output/debug/main.o", "output/release/old.hex", "output/release/old.srec",
      "output/release/old.mhx", "output/release/old.axf", "output/release/sub/x.o"},
     {"old.uvproj", "old.uvopt", "old.uvguix", "output/debug/old.hex",
      "output/release/new.hex=output/release/old.hex",
      "output/release/new.srec=output/release/old.srec",
      "output/release/new.mhx=output/release/old.mhx", "output/release/sub/x.o"}},
    {"KeilBackupBoxKeepsBakFiles",
     Keil(true),
     {"old.uvproj", "old.uvproj.bak", "old.uvopt.bak", "old.dep"},
     {"old.uvproj", "old.uvproj.bak", "old.uvopt.bak"}},
    {"IarAndKeilSharingOneFolder",
     IarAndKeil(),
     {"chip.eww", "chip.ewp", "chip.dep", "board.uvproj", "board.uvopt",
      "output/release/exe/chip.hex", "output/release/board.hex"},
     {"chip.eww", "chip.ewp", "board.uvproj", "board.uvopt",
      "output/release/exe/new.hex=output/release/exe/chip.hex",
      "output/release/new.hex=output/release/board.hex"}},
    {"EmptyFolderNameCleansNothing",
     Iar(),
     {"a.bak", "settings/a.dni"},
     {"a.bak", "settings/a.dni"},
     "proj",
     ""},
    {"DotDotInTheFolderNameCleansNothing",
     WspPrj("old", "new"),
     {"ABS/old.abs", "sub/x"},
     {"ABS/old.abs", "sub/x"},
     "",
     "proj/sub/.."},
};

INSTANTIATE_TEST_SUITE_P(Rows, CleanUpProjectTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& p) {
                           return std::string(p.param.label);
                         });

// A build-output folder that is a link leading out of the project is passed
// over: nothing where it leads is deleted or renamed. A link inside the
// project is cleaned as the folder it names.
TEST(CleanUpProjectLinkTest, NeverCleansThroughALinkOutOfTheProject) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  const struct {
    const char* label;
    CleanUpRequest request;
    const char* link;  // below the project, to the folder "elsewhere"
  } rows[] = {
      {"WspObj", WspPrj("old", "new"), "OBJ"},
      {"WspAbs", WspPrj("old", "new"), "ABS"},
      {"WspDebugLst", WspPrj("old", "new"), "Debug/LST"},
      {"IarOutput", Iar(), "output"},
      {"IarSubFolder", Iar("example/IAR"), "example/IAR"},
      {"KeilOutput", Keil(), "output/release"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    TempDir tmp;
    const Tree outside = {"old.mhx",
                          "old.hex",
                          "old.srec",
                          "x.obj",
                          "a.bak",
                          "b.dep",
                          "c.uvgui.anna",
                          "exe/old.hex",
                          "debug/obj/x.o",
                          "release/list/y.lst",
                          "release/exe/old.hex"};
    for (const std::string& file : outside) WriteFile(tmp / ("elsewhere/" + file), file);
    testing::MakeDirs(tmp / "proj");
    const std::string link = tmp / ("proj/" + std::string(row.link));
    testing::MakeDirs(FolderPart(link));
    testing::MakeSymlink(tmp / "elsewhere", link);
    const auto before = testing::Snapshot(tmp / "elsewhere");
    CleanUpRequest request = row.request;
    request.plan.new_path = tmp.path() + SeparatorString();
    request.plan.new_dir = "proj";
    CleanUpProject(request.project, request.plan, NativeFileSystem());
    EXPECT_EQ(testing::Snapshot(tmp / "elsewhere"), before);
  }
  // Inside the project a link is no way out: the folder it names is cleaned.
  TempDir tmp;
  WriteFile(tmp / "proj/real_obj/x.obj", "x");
  testing::MakeSymlink(tmp / "proj/real_obj", tmp / "proj/OBJ");
  CleanUpRequest request = WspPrj("old", "new");
  request.plan.new_path = tmp.path() + SeparatorString();
  request.plan.new_dir = "proj";
  CleanUpProject(request.project, request.plan, NativeFileSystem());
  EXPECT_EQ(ListTree(tmp / "proj/real_obj"), Tree{});
}

// The folders the project files name are cleaned after the table's block:
// an IAR project's in every layout, a uVision 4 project's as a uVision 5
// project's, inside the project only, never a file the project names, its
// ".ioc", RTE/ or DebugConfig/.
TEST(CleanUpProjectTest, FoldersNamedByTheProjectFiles) {
  for (const bool uv5 : {false, true}) {
    SCOPED_TRACE(uv5);
    TempDir tmp;
    WriteFile(tmp / "proj/EWARM/new.ewp",
              "<project><configuration><name>Debug</name><option><name>ObjPath</name>"
              "<state>Debug\\Obj</state></option></configuration></project>");
    WriteFile(tmp / "proj/MDK-ARM/new.uvprojx",
              "<Target><OutputDirectory>out\\</OutputDirectory>"
              "<ListingPath>.\\RTE\\</ListingPath></Target>");
    WriteFile(tmp / "proj/MDK-ARM/new.uvproj",
              "<Target><OutputDirectory>..\\OBJ\\</OutputDirectory>"
              "<ListingPath>..\\..\\lst\\</ListingPath></Target>"
              "<File><FilePath>..\\OBJ\\keep.c</FilePath></File>");
    const Tree kept = {"OBJ/keep.c", "OBJ/board.ioc", "MDK-ARM/RTE/RTE_Components.h",
                       "MDK-ARM/out/DebugConfig/x.dbgconf"};
    for (const std::string& file : kept) WriteFile(tmp / ("proj/" + file), "");
    WriteFile(tmp / "proj/EWARM/Debug/Obj/main.o", "");
    WriteFile(tmp / "proj/MDK-ARM/out/main.o", "");
    WriteFile(tmp / "proj/OBJ/k.o", "");
    WriteFile(tmp / "lst/outside.lst", "");
    CleanUpRequest r;
    r.plan.new_path = tmp.path() + SeparatorString();
    r.plan.new_dir = "proj";
    r.plan.new_name = "new";
    {
      Family& family = r.project.Add(FamilyKind::kIar);
      family.sub_dir = Native("/EWARM");
      family.old_name = "old";
    }
    {
      Family& family = r.project.Add(FamilyKind::kKeilUv4);
      family.sub_dir = Native("/MDK-ARM");
      family.old_name = "old";
    }
    if (uv5) {
      Family& family = r.project.Add(FamilyKind::kKeilUv5);
      family.sub_dir = Native("/MDK-ARM");
      family.old_name = "old";
    }
    CleanUpProject(r.project, r.plan, NativeFileSystem());
    EXPECT_FALSE(FileExists(tmp / "proj/EWARM/Debug/Obj/main.o"));
    EXPECT_FALSE(FileExists(tmp / "proj/OBJ/k.o"));
    EXPECT_EQ(FileExists(tmp / "proj/MDK-ARM/out/main.o"), !uv5);
    EXPECT_TRUE(FileExists(tmp / "lst/outside.lst"));
    for (const std::string& file : kept) EXPECT_TRUE(FileExists(tmp / ("proj/" + file))) << file;
  }
}

TEST(IsUsableTargetTest, ProjectNameMustNameNoPath) {
  const bool windows = kNativeStyle == PathStyle::kWindows;
  const struct {
    const char* name;
    bool usable;
  } rows[] = {
      {"pump", true},
      {"", true},
      {"pump v2", true},
      {"..", true},
      {"../pump", false},
      {"a/b", false},
      {"line\nbreak", false},
      {"tab\there", false},
      {"a\\b", !windows},
      {"C:pump", !windows},
      // Windows would open a device, or refuse the name.
      {"CON", !windows},
      {"nul", !windows},
      {"Com3", !windows},
      {"pump?", !windows},
      {"a|b", !windows},
      {"pump.", true},
      {"CONSOLE", true},
  };
  for (const auto& row : rows) EXPECT_EQ(IsUsableProjectName(row.name), row.usable) << row.name;
}

// Clean-Only with such a name renames no image out of its folder.
TEST(CleanUpProjectTest, ImagesStayWhenTheNewNameIsAPath) {
  TempDir tmp;
  WriteFile(tmp / "proj/ABS/old.mhx", "image");
  CleanUpRequest request = WspPrj("old", "../../stolen");
  request.plan.new_path = tmp.path() + SeparatorString();
  request.plan.new_dir = "proj";
  CleanUpProject(request.project, request.plan, NativeFileSystem());
  EXPECT_EQ(ReadFile(tmp / "proj/ABS/old.mhx"), "image");
  EXPECT_EQ(ListTree(tmp.path()), (Tree{"proj/", "proj/ABS/", "proj/ABS/old.mhx"}));
}

TEST(IsUsableTargetTest, FolderNameMustNameAFolderBelowThePath) {
  const bool windows = kNativeStyle == PathStyle::kWindows;
  TempDir tmp;
  const std::string path = tmp.path() + SeparatorString();
  const struct {
    const char* new_dir;
    bool usable;
  } rows[] = {
      {"pump", true},
      {"a/b", true},
      {"a/", true},
      {"..a", true},
      {"a.", !windows},
      {"", false},
      {".", false},
      {"..", false},
      {"a/..", false},
      {"./a", false},
      {"a/./b", false},
      {"/", false},
      {"//", false},
      // Windows would make another name, open a device, or refuse the name.
      {"pump ", !windows},
      {"a/LPT1.x", !windows},
      {"a*b", !windows},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsUsableTarget(path, Native(row.new_dir)), row.usable) << row.new_dir;
  }
  EXPECT_FALSE(IsUsableTarget(DefaultNewPath(), ""));
  EXPECT_TRUE(IsUsableTarget(DefaultNewPath(), "pump"));
}

}  // namespace
}  // namespace kelvandor
