#include "families/eclipse/eclipse_cleanup.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "families/family_row.h"
#include "platform/path_style.h"
#include "tests/support/param_label.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::ListTree;
using testing::Snapshot;
using testing::TempDir;
using testing::WriteFile;
using Tree = std::vector<std::string>;

std::string CopySample(const TempDir& tmp, const std::string& sample) {
  const std::string dir = tmp / sample;
  std::filesystem::copy(NativePath(std::string(KELVANDOR_EXAMPLES_DIR) + "/" + sample),
                        NativePath(dir), std::filesystem::copy_options::recursive);
  return dir;
}

FamilyCleanUp Request(const std::string& dir, const std::string& name) {
  return {.project_dir = dir, .family_dir = dir, .old_name = name, .new_name = name};
}

struct SampleRow {
  std::string label;
  std::string sample;
  Tree remaining;  // ListTree of the project afterwards, without the dot files
};

class EclipseCleanUpSample : public ::testing::TestWithParam<SampleRow> {};

TEST_P(EclipseCleanUpSample, DeletesOnlyTheBuildOutput) {
  TempDir tmp;
  const std::string dir = CopySample(tmp, GetParam().sample);
  CleanUpEclipse(Request(dir, GetParam().sample), NativeFileSystem());
  Tree tree;
  for (const std::string& entry : ListTree(dir)) {
    if (!entry.starts_with(".") && entry.find("/.") == std::string::npos) tree.push_back(entry);
  }
  EXPECT_EQ(tree, GetParam().remaining);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, EclipseCleanUpSample,
    ::testing::Values(
        SampleRow{"SingleCore",
                  "beacon",
                  {"Core/", "Core/Inc/", "Core/Inc/main.h", "Core/Src/", "Core/Src/main.c",
                   "Drivers/", "Drivers/beacon_bsp/", "Drivers/beacon_bsp/Inc/",
                   "Drivers/beacon_bsp/Inc/beacon_bsp.h", "Lib/", "Lib/beacon_dsp.a",
                   "ORL32F401RETX_FLASH.ld", "beacon Debug.launch", "beacon Release.launch",
                   "beacon.ioc", "makefile.targets"}},
        SampleRow{"DualCore",
                  "drive",
                  {"CM4/", "CM4/Core/", "CM4/Core/Src/", "CM4/Core/Src/main.c",
                   "CM4/drive_CM4 Debug.launch", "CM7/", "CM7/Core/", "CM7/Core/Src/",
                   "CM7/Core/Src/main.c", "CM7/drive_CM7 Debug.launch", "Common/", "Common/Src/",
                   "Common/Src/system_orl32h7xx_dualcore.c", "drive.ioc"}},
        SampleRow{"CoresOfAnotherName",
                  "servo",
                  {"CM4/", "CM4/Core/", "CM4/Core/Src/", "CM4/Core/Src/main.c",
                   "CM4/motorctl_CM4 Debug.launch", "CM7/", "CM7/Core/", "CM7/Core/Src/",
                   "CM7/Core/Src/main.c", "CM7/motorctl_CM7 Debug.launch", "Common/", "Common/Src/",
                   "Common/Src/system_orl32h7xx_dualcore.c", "servo.ioc"}},
        // Release's link script is the user's own: only the build's files go.
        SampleRow{"ManagedLinkScript",
                  "meter",
                  {"Release/", "Release/meter_Release.ld", "Release/meter_Release_memory.ld",
                   "board/", "board/board.h", "meter LinkServer Debug.launch", "meter_hal/",
                   "meter_hal/meter_hal.h", "source/", "source/meter.c"}},
        SampleRow{"ProjectFolderAndNamedConfiguration",
                  "scale",
                  {"makefile.defs", "orl28377d_flash.cmd", "scale.c", "targetConfigs/",
                   "targetConfigs/ORL28377D.ccxml"}},
        SampleRow{"DefaultBuildDirectory",
                  "probe",
                  {"main.c", "targetConfigs/", "targetConfigs/ORL430F5529.ccxml"}},
        // The build paths still name the project as it was called before.
        SampleRow{
            "StaleWorkspacePath", "relay", {"include/", "include/relay.h", "src/", "src/main.c"}}),
    testing::ParamLabel());

const char kCProject[] =
    "<cproject><storageModule><cconfiguration id=\"a\"><storageModule moduleId=\"cdtBuildSystem\">"
    "<configuration name=\"Debug\"><folderInfo><toolChain><builder "
    "buildPath=\"${workspace_loc:/LED}/Debug\"/></toolChain></folderInfo></configuration>"
    "</storageModule></cconfiguration><cconfiguration id=\"b\"><storageModule>"
    "<configuration name=\"..\"/></storageModule></cconfiguration><cconfiguration id=\"c\">"
    "<storageModule><configuration name=\"Out\"/></storageModule></cconfiguration>"
    "<cconfiguration id=\"d\"><storageModule><configuration name=\"Sub\"/></storageModule>"
    "</cconfiguration></storageModule></cproject>";

TEST(EclipseCleanUp, KeepsWhatTheBuildDidNotWriteAndNeverLeavesTheProject) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  TempDir tmp;
  const std::string dir = tmp / "LED";
  WriteFile(dir + "/.project", "<projectDescription><name>LED</name></projectDescription>");
  WriteFile(dir + "/.cproject", kCProject);
  WriteFile(dir + "/Debug/main.o", "o");
  WriteFile(dir + "/Debug/notes.txt", "mine");
  WriteFile(dir + "/Debug/Core/main.d", "d");
  WriteFile(dir + "/Sub/.project", "<projectDescription><name>X</name></projectDescription>");
  WriteFile(dir + "/Sub/x.o", "o");
  WriteFile(tmp / "outside/Out/LED.elf", "elf");
  WriteFile(tmp / "outside/lib.o", "o");
  WriteFile(tmp / "main.o", "o");
  testing::MakeSymlink(tmp / "outside/Out", dir + "/Out");
  testing::MakeSymlink(tmp / "outside", dir + "/Debug/linked");
  testing::MakeSymlink(tmp / "outside/lib.o", dir + "/Debug/lib.o");
  const auto outside = Snapshot(tmp / "outside");
  CleanUpEclipse(Request(dir, "LED"), NativeFileSystem());
  EXPECT_EQ(ListTree(dir), (Tree{".cproject", ".project", "Debug/", "Debug/lib.o", "Debug/linked",
                                 "Debug/notes.txt", "Out", "Sub/", "Sub/.project", "Sub/x.o"}));
  EXPECT_EQ(Snapshot(tmp / "outside"), outside);
  EXPECT_TRUE(std::filesystem::exists(NativePath(tmp / "main.o")));
}

}  // namespace
}  // namespace kelvandor
