#include "families/iar/iar_cleanup.h"
#include "families/keil/keil_cleanup.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/param_label.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::ListTree;
using testing::PrintTo;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using Tree = std::vector<std::string>;

// Target name, output folder, listing folder, output name, scatter file.
using Target = std::vector<std::string>;

std::string Uvprojx(const std::vector<Target>& targets, std::string sources = "") {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\r\n<Project>";
  for (const Target& t : targets) {
    xml += "<Target><TargetName>" + t[0] + "</TargetName><OutputDirectory>" + t[1] +
           "</OutputDirectory><OutputName>" + t[3] + "</OutputName><ListingPath>" + t[2] +
           "</ListingPath><ScatterFile>" + (t.size() > 4 ? t[4] : "") + "</ScatterFile>" + sources +
           "</Target>";
  }
  return xml + "</Project>\r\n";
}

// Configuration name, ExePath, ObjPath, ListPath.
std::string Ewp(const std::vector<Target>& configurations) {
  std::string xml = "<project>";
  for (const Target& c : configurations) {
    xml += "<configuration><name>" + c[0] + "</name><settings><name>General</name><data>";
    const char* options[] = {"ExePath", "ObjPath", "ListPath"};
    for (int i = 0; i < 3; ++i) {
      xml += "<option><name>" + std::string(options[i]) + "</name><state>" + c[i + 1] +
             "</state></option>";
    }
    xml += "</data></settings></configuration>";
  }
  return xml + "<file><name>$PROJ_DIR$\\Debug\\Obj\\keep.c</name></file></project>";
}

// A project in tmp/proj whose family folder is proj/<family>. Files are
// written with their own path as content and named below tmp; "a=b" in
// `remaining` is the file a holding what b held.
struct Row {
  std::string label;
  bool iar = false;
  std::string family;        // below proj, "" for proj itself
  std::string project_file;  // in the family folder
  std::string content;
  Tree files;
  Tree remaining;
  std::string old_name = "Motor";
  std::string new_name = "Pump";
  bool backup = false;
  bool uv4 = false;         // CleanUpKeilUv4 instead of CleanUpKeilUv5
  bool iar_renames = true;  // false: CleanUpIarNamed outside the generator layout
  bool shared_folder = false;
};

class ProjectFileCleanUpTest : public ::testing::TestWithParam<Row> {};

TEST_P(ProjectFileCleanUpTest, CleansTheRecordedFolders) {
  const Row& row = GetParam();
  TempDir tmp;
  const std::string family = row.family.empty() ? "proj/" : "proj/" + row.family + "/";
  WriteFile(tmp / (family + row.project_file), row.content);
  for (const std::string& f : row.files) WriteFile(tmp / f, f);
  const std::string family_dir = tmp / family.substr(0, family.size() - 1);
  const FamilyCleanUp request{.project_dir = tmp / "proj",
                              .family_dir = family_dir,
                              .old_name = row.old_name,
                              .new_name = row.new_name,
                              .backup = row.backup,
                              .shared_folder = row.shared_folder};
  if (row.iar) {
    CleanUpIarNamed(request, row.iar_renames, NativeFileSystem());
  } else {
    (row.uv4 ? CleanUpKeilUv4 : CleanUpKeilUv5)(request, NativeFileSystem());
  }

  Tree expected = {family + row.project_file};
  for (const std::string& entry : row.remaining)
    expected.push_back(entry.substr(0, entry.find('=')));
  std::sort(expected.begin(), expected.end());
  Tree files;
  for (const std::string& f : ListTree(tmp.path())) {
    if (!f.ends_with('/')) files.push_back(f);
  }
  EXPECT_EQ(files, expected);
  for (const std::string& entry : row.remaining) {
    const std::size_t eq = entry.find('=');
    const std::string name = entry.substr(0, eq);
    EXPECT_EQ(ReadFile(tmp / name), eq == std::string::npos ? name : entry.substr(eq + 1));
  }
}

const std::vector<Target> kNewProject = {{"Target 1", ".\\Objects\\", ".\\Listings\\", "Pump"}};

INSTANTIATE_TEST_SUITE_P(
    Rows, ProjectFileCleanUpTest,
    ::testing::Values(
        Row{"UvisionFourOutputOutsideTheKeilFolder",
            false,
            "MDK-ARM",
            "Pump.uvproj",
            Uvprojx({{"T", "..\\OBJ\\", "..\\OBJ\\", "Pump"}},
                    "<FilePath>..\\OBJ\\keep.c</FilePath>"),
            {"proj/OBJ/main.o", "proj/OBJ/Motor.hex", "proj/OBJ/keep.c", "proj/OBJ/board.ioc",
             "proj/OBJ/Pump.uvoptx", "proj/MDK-ARM/Motor_Opt.Bak"},
            {"proj/OBJ/Motor.hex", "proj/OBJ/keep.c", "proj/OBJ/board.ioc", "proj/OBJ/Pump.uvoptx",
             "proj/MDK-ARM/Motor_Opt.Bak"},
            "Motor",
            "Pump",
            false,
            true},
        Row{"IarOutsideTheGeneratorLayout",
            true,
            "",
            "Pump.ewp",
            Ewp({{"Debug", "Debug\\Exe", "Debug\\Obj", "Debug\\List"}}),
            {"proj/Debug/Exe/Motor.hex", "proj/Debug/Exe/Motor.out", "proj/Debug/Obj/main.o",
             "proj/Debug/Obj/keep.c", "proj/Debug/List/main.lst", "proj/Debug/BrowseInfo/Motor.pbd",
             "proj/Debug/BrowseInfo/build.ninja", "proj/Debug/BrowseInfo/sub/main.pbi"},
            {"proj/Debug/Exe/Motor.hex", "proj/Debug/Obj/keep.c",
             "proj/Debug/BrowseInfo/sub/main.pbi"},
            "Motor",
            "Pump",
            false,
            false,
            false},
        Row{"NewProjectAfterARename",
            false,
            "",
            "Pump.uvprojx",
            Uvprojx(kNewProject),
            {"proj/Objects/Motor.hex", "proj/Objects/Motor.axf", "proj/Objects/main.o",
             "proj/Objects/Motor_Target 1.dep", "proj/Objects/sub/x.o", "proj/Listings/Motor.map",
             "proj/Listings/main.lst", "proj/Pump.uvoptx", "proj/Pump.uvguix.anna",
             "proj/Motor.uvprojx.bak", "proj/old.dep", "proj/main.c", "proj/RTE/_Pump/a.h"},
            {"proj/Objects/Pump.hex=proj/Objects/Motor.hex", "proj/Objects/sub/x.o",
             "proj/Pump.uvoptx", "proj/main.c", "proj/RTE/_Pump/a.h"}},
        Row{"BackupsWanted",
            false,
            "",
            "Pump.uvprojx",
            Uvprojx(kNewProject),
            {"proj/Motor.uvprojx.bak", "proj/Motor.uvoptx.bak", "proj/x.dep"},
            {"proj/Motor.uvprojx.bak", "proj/Motor.uvoptx.bak"},
            "Motor",
            "Pump",
            true},
        Row{"GeneratorLayoutWithOutputRest",
            false,
            "MDK-ARM",
            "Pump.uvprojx",
            Uvprojx({{"Pump", "Pump\\", "Pump\\", "Pump_fw"}}),
            {"proj/MDK-ARM/Pump/Motor_fw.hex", "proj/MDK-ARM/Pump/Motor_fw.srec",
             "proj/MDK-ARM/Pump/Motor_fw.axf", "proj/MDK-ARM/Pump/Pump.sct",
             "proj/MDK-ARM/startup.s", "proj/Core/Src/main.c"},
            {"proj/MDK-ARM/Pump/Pump_fw.hex=proj/MDK-ARM/Pump/Motor_fw.hex",
             "proj/MDK-ARM/Pump/Pump_fw.srec=proj/MDK-ARM/Pump/Motor_fw.srec",
             "proj/MDK-ARM/startup.s", "proj/Core/Src/main.c"}},
        Row{"CleanOnlyTakesTheTypedName",
            false,
            "",
            "Motor.uvprojx",
            Uvprojx({{"Motor", "out\\", "out\\", "MOTOR_v2"}}),
            {"proj/out/MOTOR_v2.hex", "proj/out/motor_v2.mhx", "proj/out/Motor.hex"},
            {"proj/out/Pump_v2.hex=proj/out/MOTOR_v2.hex",
             "proj/out/Pump_v2.mhx=proj/out/motor_v2.mhx", "proj/out/Motor.hex"}},
        Row{"NoImageRenamedOverAnother",
            false,
            "",
            "Pump.uvprojx",
            Uvprojx(kNewProject),
            {"proj/Objects/Motor.hex", "proj/Objects/Pump.hex"},
            {"proj/Objects/Motor.hex", "proj/Objects/Pump.hex"}},
        Row{"FilesTheProjectNamesStay",
            false,
            "",
            "Pump.uvprojx",
            Uvprojx({{"T", "gen\\", "gen\\", "Pump", ".\\gen\\board.sct"}},
                    "<Files><File><FilePath>.\\GEN\\main.c</FilePath></File></Files>"),
            {"proj/gen/board.sct", "proj/gen/main.c", "proj/gen/main.o"},
            {"proj/gen/board.sct", "proj/gen/main.c"}},
        Row{"NamedBeforeItsFolderIsNamed",
            false,
            "",
            "Pump.uvprojx",
            "<Project><Target><OutputDirectory>a\\</OutputDirectory><FilePath>.\\b\\KEEP.c"
            "</FilePath></Target><Target><ListingPath>b</ListingPath></Target></Project>",
            {"proj/a/x.o", "proj/b/keep.c", "proj/b/y.o"},
            {"proj/b/keep.c"}},
        Row{"FoldersOutsideOrAboveAreLeftAlone",
            false,
            "MDK-ARM",
            "Pump.uvprojx",
            Uvprojx({{"a", "..\\..\\out\\", "C:\\", "Pump"},
                     {"b", "/", "\\", "Pump"},
                     {"c", "..\\", ".\\", "Pump"},
                     {"d", "$(OUT)", "", "Pump"},
                     {"e", "..\\..\\proj\\..\\out", "..\\MDK-ARM", "Pump"}}),
            {"out/Motor.axf", "out/Motor.hex", "proj/a.o", "proj/MDK-ARM/startup.s",
             "proj/MDK-ARM/a.o"},
            {"out/Motor.axf", "out/Motor.hex", "proj/a.o", "proj/MDK-ARM/startup.s",
             "proj/MDK-ARM/a.o"}},
        Row{"NotXmlCleansOnlyTheFamilyFolder",
            false,
            "",
            "Pump.uvprojx",
            "<OutputDirectory>.\\Objects\\</OutputDirectory> not a project",
            {"proj/Objects/a.o", "proj/a.dep", "proj/Pump.uvguix.x"},
            {"proj/Objects/a.o"}},
        // What the build writes beside the project file for a target listing
        // there, under the output name it had; what the project names stays.
        Row{"ListingsBesideTheProjectFile",
            false,
            "",
            "Pump.uvprojx",
            Uvprojx({{"T", ".\\Objects\\", ".\\", "Pump"}, {"U", "u\\", "", "Pump_u"}},
                    "<FilePath>.\\NOTES.lst</FilePath>"),
            {"proj/Motor.map", "proj/main.lst", "proj/notes.lst", "proj/Motor.lnp",
             "proj/Motor.build_log.htm", "proj/Motor_u.m51", "proj/Pump.htm", "proj/other.map",
             "proj/main.c", "proj/Motor.sct", "proj/Pump.uvoptx"},
            {"proj/notes.lst", "proj/other.map", "proj/main.c", "proj/Motor.sct",
             "proj/Pump.uvoptx"}},
        // The scatter file the linker writes from the memory layout is output;
        // one the project names as its own or as a group file stays.
        Row{"LinkerWrittenScatterFile",
            false,
            "",
            "Pump.uvprojx",
            "<Project><Target><OutputDirectory>Objects\\</OutputDirectory><umfTarg>1</umfTarg>"
            "<ScatterFile>.\\Objects\\Pump.sct</ScatterFile>"
            "<FilePath>Objects\\listed.sct</FilePath></Target>"
            "<Target><OutputDirectory>Own\\</OutputDirectory><umfTarg>0</umfTarg>"
            "<ScatterFile>Own\\own.sct</ScatterFile></Target></Project>",
            {"proj/Objects/Pump.sct", "proj/Objects/listed.sct", "proj/Objects/main.o",
             "proj/Own/own.sct", "proj/Own/main.o"},
            {"proj/Objects/listed.sct", "proj/Own/own.sct"}},
        Row{"FolderSharedWithAnotherProject",
            false,
            "",
            "Pump.uvprojx",
            Uvprojx(kNewProject),
            {"proj/Pump.uvguix.anna", "proj/Other.uvguix.anna", "proj/Motor_T.dep",
             "proj/Other_T.dep", "proj/Motor.uvprojx.bak", "proj/Other.uvprojx.bak",
             "proj/Other.uvprojx", "proj/Objects/main.o"},
            {"proj/Other.uvguix.anna", "proj/Other_T.dep", "proj/Other.uvprojx.bak",
             "proj/Other.uvprojx"},
            "Motor",
            "Pump",
            false,
            false,
            true,
            true},
        Row{"IarGeneratorLayout",
            true,
            "EWARM",
            "Pump.ewp",
            Ewp({{"Debug", "Debug\\Exe", "$PROJ_DIR$\\Debug\\Obj", "Debug/List"},
                 {"Release", "Release\\Exe", "..\\..\\out", "C:\\List"}}),
            {"proj/EWARM/Debug/Exe/Motor.out", "proj/EWARM/Debug/Exe/Motor.hex",
             "proj/EWARM/Debug/Obj/main.o", "proj/EWARM/Debug/Obj/keep.c",
             "proj/EWARM/Debug/List/Motor.map", "proj/EWARM/Release/Exe/Motor.srec",
             "proj/EWARM/settings/Pump.dni", "proj/EWARM/Pump.ewp.bak", "out/main.o"},
            {"proj/EWARM/Debug/Exe/Pump.hex=proj/EWARM/Debug/Exe/Motor.hex",
             "proj/EWARM/Debug/Obj/keep.c",
             "proj/EWARM/Release/Exe/Pump.srec=proj/EWARM/Release/Exe/Motor.srec",
             "proj/EWARM/settings/Pump.dni", "proj/EWARM/Pump.ewp.bak", "out/main.o"}},
        // The rename made the folders named after the project Pump/...: the
        // output lies in those it named before, and only in those.
        Row{"IarFoldersNamedBeforeTheRename",
            true,
            "EWARM",
            "Pump.ewp",
            Ewp({{"Debug", "Pump\\Exe", "Pump\\Obj", "Pump-Debug\\List"}}),
            {"proj/EWARM/Motor/Exe/Motor.out", "proj/EWARM/Motor/Exe/Motor.hex",
             "proj/EWARM/Motor/Obj/main.o", "proj/EWARM/Motor-Debug/List/Motor.map",
             "proj/EWARM/Motor/BrowseInfo/Motor.pbd", "proj/EWARM/Motor/Other/x.o",
             "proj/EWARM/MotorBoard/Exe/x.o"},
            {"proj/EWARM/Motor/Exe/Pump.hex=proj/EWARM/Motor/Exe/Motor.hex",
             "proj/EWARM/Motor/Other/x.o", "proj/EWARM/MotorBoard/Exe/x.o"}},
        Row{"IarCleanOnlyReadsTheOldProject",
            true,
            "EWARM",
            "Motor.ewp",
            Ewp({{"Debug", "Debug\\Exe", "Debug\\Obj", "Debug\\List"}}),
            {"proj/EWARM/Debug/Exe/Motor.hex", "proj/EWARM/Debug/Obj/main.o"},
            {"proj/EWARM/Debug/Exe/Pump.hex=proj/EWARM/Debug/Exe/Motor.hex"}}),
    testing::ParamLabel());

TEST(ProjectFileCleanUp, FolderLinkedFromOutsideIsLeftAlone) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "elsewhere/a.o", "");
  testing::MakeDirs(tmp / "proj");
  testing::MakeSymlink(tmp / "elsewhere", tmp / "proj/Objects");
  WriteFile(tmp / "proj/Pump.uvprojx", Uvprojx(kNewProject));
  CleanUpKeilUv5({.project_dir = tmp / "proj",
                  .family_dir = tmp / "proj",
                  .old_name = "Motor",
                  .new_name = "Pump"},
                 NativeFileSystem());
  EXPECT_TRUE(FileExists(tmp / "elsewhere/a.o"));
}

TEST(ProjectFileCleanUp, FileNamedThroughALinkOfAnotherNameStays) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  WriteFile(tmp / "proj/Objects/generated.c", "kept");
  WriteFile(tmp / "proj/Objects/a.o", "");
  testing::MakeSymlink(tmp / "proj/Objects/generated.c", tmp / "proj/alias.c");
  WriteFile(tmp / "proj/Pump.uvprojx", Uvprojx(kNewProject, "<FilePath>alias.c</FilePath>"));
  CleanUpKeilUv5({.project_dir = tmp / "proj",
                  .family_dir = tmp / "proj",
                  .old_name = "Motor",
                  .new_name = "Pump"},
                 NativeFileSystem());
  EXPECT_EQ(ListTree(tmp / "proj/Objects"), (Tree{"generated.c"}));
}

TEST(ProjectFileCleanUp, FamilyFolderOutsideTheProjectCleansNothing) {
  TempDir tmp;
  WriteFile(tmp / "other/Pump.uvprojx", Uvprojx(kNewProject));
  WriteFile(tmp / "other/Objects/a.o", "");
  WriteFile(tmp / "other/a.bak", "");
  testing::MakeDirs(tmp / "proj");
  CleanUpKeilUv5({.project_dir = tmp / "proj",
                  .family_dir = tmp / "other",
                  .old_name = "Motor",
                  .new_name = "Pump"},
                 NativeFileSystem());
  EXPECT_EQ(ListTree(tmp / "other"), (Tree{"Objects/", "Objects/a.o", "Pump.uvprojx", "a.bak"}));
}

}  // namespace
}  // namespace kelvandor
