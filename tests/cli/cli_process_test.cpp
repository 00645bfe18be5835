// Runs the built kelvandor-cli on copies of the sample projects, with
// standard input from /dev/null (not a terminal) and both output streams
// caught in files.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/file_system.h"
#include "platform/folder_lock.h"
#include "tests/support/param_label.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uv5_samples.h"

extern char** environ;

namespace kelvandor {
namespace {

using testing::CurrentDirGuard;
using testing::ListTree;
using testing::MakeDirs;
using testing::ReadFile;
using testing::Snapshot;
using testing::TempDir;
using testing::WriteFile;
using Args = std::vector<std::string>;
using Tree = std::vector<std::string>;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Starts `program` with `args` in the current folder. TMPDIR names
// `tmp_dir`, so the program's private folder can be looked for afterwards.
// Its process id, or -1.
pid_t Start(const std::string& program, const Args& args, const std::string& tmp_dir,
            const std::string& capture_dir) {
  const std::string out_path = capture_dir + "/stdout";
  const std::string err_path = capture_dir + "/stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<std::string> env_strings;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "TMPDIR=", 7) != 0) env_strings.emplace_back(*e);
  }
  env_strings.push_back("TMPDIR=" + tmp_dir);
  std::vector<char*> env;
  for (std::string& s : env_strings) env.push_back(s.data());
  env.push_back(nullptr);
  std::vector<std::string> argv_strings{program};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argv_strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(spawned, 0) << program;
  return spawned == 0 ? pid : -1;
}

// Waits for the process `pid` started with `capture_dir`.
Outcome Finish(pid_t pid, const std::string& capture_dir) {
  const std::string out_path = capture_dir + "/stdout";
  const std::string err_path = capture_dir + "/stderr";
  Outcome outcome;
  if (pid < 0) return outcome;
  int wait_status = 0;
  EXPECT_EQ(waitpid(pid, &wait_status, 0), pid);
  EXPECT_TRUE(WIFEXITED(wait_status));
  outcome.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  outcome.out = ReadFile(out_path);
  outcome.err = ReadFile(err_path);
  return outcome;
}

Outcome Spawn(const std::string& program, const Args& args, const std::string& tmp_dir,
              const std::string& capture_dir) {
  return Finish(Start(program, args, tmp_dir, capture_dir), capture_dir);
}

// Standard error of a real run without the summary that ends it.
std::string Messages(const std::string& err) {
  std::size_t summary = std::string::npos;
  for (const char* first : {"Folder renamed: ", "Files copied: ", "Files cleaned: "}) {
    summary = std::min(summary, err.starts_with(first) ? 0 : err.find(std::string("\n") + first));
  }
  EXPECT_NE(summary, std::string::npos) << err;
  EXPECT_NE(err.find("\nTime taken: "), std::string::npos) << err;
  if (summary == std::string::npos) return err;
  return err.substr(0, summary == 0 ? 0 : summary + 1);
}

struct Family {
  const char* name;                        // folder below examples/, also the old project name
  std::vector<std::string> project_files;  // relative, old names
  // A project file (old name) and a text its new content must hold; "@"
  // stands for the new name.
  std::vector<std::pair<std::string, std::string>> contents;
  const char* build_output;  // removed by the clean-up
  bool wsp = false;          // the workspace records the project folder
  // Files that keep every byte: the places a rename must never change.
  std::vector<std::string> kept = {};
};

void PrintTo(const Family& f, std::ostream* os) { *os << f.name; }

const Family kBlinky{"blinky",
                     {"blinky.wsp", "blinky.prj"},
                     {{"blinky.wsp", "FILE-0=@.prj\r\n"}, {"blinky.prj", "F1=0 m ABS\\@.abs\r\n"}},
                     "OBJ/main.obj",
                     true};
const Family kMotor{"motor",
                    {"motor.eww", "motor.ewp", "motor.ewd", "motor.dep"},
                    {{"motor.eww", "$WS_DIR$\\@.ewp"}},
                    "output/debug/obj/main.o"};
// Its device, defines and sources begin with its name and stay; its output follows.
const Family kCc2530{"CC2530",
                     {"CC2530.eww", "CC2530.ewp", "CC2530.ewd", "CC2530.dep"},
                     {{"CC2530.ewp", "<state>@.d51</state>"},
                      {"CC2530.ewp", "<state>@.hex</state>"},
                      {"CC2530.ewp", "<state>CC2530F256\tOrlinth CC2530F256</state>"},
                      {"CC2530.ewp", "<state>CC2530_RADIO</state>"},
                      {"CC2530.ewd", "<state>CC2530F256</state>"},
                      {"CC2530.dep", "$PROJ_DIR$\\Debug\\Exe\\@.d51<"},
                      {"CC2530.dep", "$PROJ_DIR$\\Debug\\BrowseInfo\\@.pbd<"},
                      {"CC2530.dep", "$PROJ_DIR$\\Debug\\Obj\\CC2530.r51<"},
                      {"CC2530.dep", "$PROJ_DIR$\\Source\\CC2530Hw.h<"}},
                     "Debug/BrowseInfo/build.ninja",
                     false,
                     {"Source/CC2530.c", "Source/CC2530Hw.h", "Debug/Exe/CC2530.hex"}};
// A generator layout whose output folders bear the project's name.
const Family kBoiler{"boiler",
                     {"EWARM/boiler.ewp", "EWARM/boiler.dep"},
                     {{"EWARM/Project.eww", "<path>$WS_DIR$\\@.ewp</path>"},
                      {"EWARM/boiler.ewp", "<state>@\\Exe</state>"},
                      {"EWARM/boiler.ewp", "<state>@\\BrowseInfo</state>"},
                      {"EWARM/boiler.ewp", "<name>$PROJ_DIR$\\..\\Core\\Src\\boiler_driver.c<"},
                      {"EWARM/boiler.dep", "$PROJ_DIR$\\@\\Obj\\boiler_driver.o<"},
                      {"EWARM/boiler.dep", "$PROJ_DIR$\\@\\Exe\\@.hex<"}},
                     "EWARM/boiler/Obj/main.o",
                     false,
                     {"Core/Src/boiler_driver.c", "EWARM/orl32f103xb_flash.icf"}};
const Family kValve{"valve",
                    {"valve.uvproj", "valve.uvopt"},
                    {{"valve.uvproj", "<OutputName>@</OutputName>"}},
                    "output/debug/main.o"};
const Family kSensor{
    "sensor",
    {"example/IAR/sensor.eww", "example/IAR/sensor.ewp", "example/IAR/sensor.ewd",
     "example/IAR/sensor.dep", "example/ARM/sensor.uvproj", "example/ARM/sensor.uvopt"},
    {{"example/IAR/sensor.eww", "$WS_DIR$\\@.ewp"},
     {"example/ARM/sensor.uvproj", "<OutputName>@</OutputName>"}},
    "example/IAR/output/debug/obj/main.o"};
// Its folder loads as WSP/PRJ only: the IAR and Keil files keep their names.
const Family kGateway{"gateway",
                      {"gateway.wsp", "gateway.prj"},
                      {{"gateway.wsp", "FILE-0=@.prj\r\n"}},
                      "Debug/OBJ/main.obj",
                      true};
// Eclipse: the ".project" <name> is the project's name, whatever its folder.
const Family kBeacon{
    "beacon",
    {"beacon.ioc", "beacon Debug.launch", "beacon Release.launch"},
    {{".project", "<projectDescription>\r\n\t<name>@</name>"},
     {".cproject", "buildPath=\"${workspace_loc:/@}/Debug\""},
     {"beacon.ioc", "ProjectManager.ProjectFileName=@.ioc\r\nProjectManager.ProjectName=@\r\n"},
     {"beacon.ioc", "PA3.GPIO_Label=beacon_PWM\r\n"},
     {"beacon Debug.launch", "PROGRAM_NAME\" value=\"Debug/@.elf\""},
     {"beacon Release.launch", "PROJECT_ATTR\" value=\"@\""}},
    "Debug/beacon.elf",
    false,
    {".mxproject", "Core/Src/main.c", "Drivers/beacon_bsp/Inc/beacon_bsp.h", "Lib/beacon_dsp.a",
     "ORL32F401RETX_FLASH.ld", "makefile.targets"}};
const Family kDrive{"drive",
                    {"drive.ioc", "CM4/drive_CM4 Debug.launch", "CM7/drive_CM7 Debug.launch"},
                    {{".project", "<name>@</name>"},
                     {"CM4/.project", "<name>@_CM4</name>"},
                     {"CM7/.project", "<project>@_CM4</project>"},
                     {"CM7/drive_CM7 Debug.launch", "PROJECT_ATTR\" value=\"@_CM7\""},
                     {"drive.ioc", "ProjectManager.ProjectName=@\n"}},
                    "CM7/Debug/drive_CM7.elf",
                    false,
                    {".mxproject", "Common/Src/system_orl32h7xx_dualcore.c"}};
const Family kMeter{"meter",
                    {"meter LinkServer Debug.launch"},
                    {{".cproject", "value=\"@_Debug.ld\""},
                     {".cproject", "${workspace_loc:/@/meter_hal}"},
                     {"meter LinkServer Debug.launch", "value=\"Debug\\@.axf\""}},
                    "Debug/meter_Debug.ld",
                    false,
                    {"Release/meter_Release.ld", "board/board.h", "meter_hal/meter_hal.h"}};
const Family kScale{"scale",
                    {".launches/scale.launch"},
                    {{".launches/scale.launch", "${build_artifact:@}"},
                     {".launches/scale.launch", "${target_config_active_default:@}"}},
                    "RAM/scale.out",
                    false,
                    {"makefile.defs", "orl28377d_flash.cmd", "targetConfigs/ORL28377D.ccxml"}};
const Family kProbe{"probe",           {},    {{".cproject", "<project id=\"@.com.orlt"}},
                    "Debug/probe.out", false, {"main.c", "targetConfigs/ORL430F5529.ccxml"}};
// Renamed in the IDE before: its build paths name the old project.
const Family kRelay{"relay",
                    {},
                    {{".project", "<name>@</name>"},
                     {".cproject", "buildPath=\"${workspace_loc:/relay_board}/Debug_FLASH\""}},
                    "GNU ARM v12.2.1 - Default/relay.axf",
                    false,
                    {"src/main.c", "include/relay.h"}};

std::string Renamed(const std::string& rel, const std::string& old_name,
                    const std::string& new_name) {
  const std::size_t slash = rel.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::string out = rel;
  if (out.compare(start, old_name.size(), old_name) == 0)
    out.replace(start, old_name.size(), new_name);
  return out;
}

std::string Filled(std::string text, const std::string& name) {
  for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at)) {
    text.replace(at, 1, name);
    at += name.size();
  }
  return text;
}

std::string Example(const char* name) { return std::string(KELVANDOR_EXAMPLES_DIR) + "/" + name; }

class CliProcessTest : public ::testing::Test {
 protected:
  CliProcessTest() {
    MakeDirs(work_);
    MakeDirs(program_tmp_);
    MakeDirs(capture_);
  }

  // examples/<name> copied to work/<name>; its path.
  std::string Load(const char* name) {
    const std::string project = work_ + "/" + name;
    EXPECT_TRUE(CopyTree(Example(name), project));
    return project;
  }

  // A .zip in work/ holding the folder examples/<name>; its path.
  std::string Zip(const char* name) {
    const std::string source = tmp_ / "zip-src";
    MakeDirs(source);
    EXPECT_TRUE(CopyTree(Example(name), source + "/" + name));
    const std::string archive = work_ + "/" + name + ".zip";
    CurrentDirGuard guard;
    SetCurrentDir(source);
    const Outcome packed =
        Spawn(KELVANDOR_CMAKE, {"-E", "tar", "cf", archive, "--format=zip", name}, program_tmp_,
              capture_);
    EXPECT_EQ(packed.status, 0) << packed.err;
    RemoveTree(source);
    return archive;
  }

  // Runs the program in `dir` (work/ when empty).
  Outcome Run(const Args& args, const std::string& dir = {}) {
    CurrentDirGuard guard;
    SetCurrentDir(dir.empty() ? work_ : dir);
    Outcome outcome = Spawn(KELVANDOR_CLI_PATH, args, program_tmp_, capture_);
    // The program's private folder is gone, whatever the outcome.
    EXPECT_EQ(ListTree(program_tmp_), Tree{});
    return outcome;
  }

  // The project files of `f` carry `name` in `folder`, the old names are gone
  // and the build output is cleaned.
  static void ExpectRewritten(const Family& f, const std::string& folder, const std::string& name) {
    for (const std::string& rel : f.project_files) {
      EXPECT_FALSE(FileExists(folder + "/" + rel)) << rel;
      EXPECT_TRUE(FileExists(folder + "/" + Renamed(rel, f.name, name))) << rel;
    }
    for (const auto& [rel, text] : f.contents) {
      const std::string content = ReadFile(folder + "/" + Renamed(rel, f.name, name));
      EXPECT_NE(content.find(Filled(text, name)), std::string::npos) << rel << ":\n" << content;
    }
    if (f.wsp) {
      const std::string wsp = ReadFile(folder + "/" + name + ".wsp");
      EXPECT_NE(wsp.find("WSP=" + folder + "/\r\n"), std::string::npos) << wsp;
    }
    EXPECT_FALSE(FileExists(folder + "/" + f.build_output));
    for (const std::string& rel : f.kept) {
      EXPECT_EQ(ReadFile(folder + "/" + rel), ReadFile(Example(f.name) + "/" + rel)) << rel;
    }
  }

  static Tree ExampleTree(const char* name) { return ListTree(Example(name)); }

  TempDir tmp_;
  const std::string work_ = tmp_ / "work";
  const std::string program_tmp_ = tmp_ / "program-tmp";
  const std::string capture_ = tmp_ / "capture";
};

// The three ways to rename, each on every family.
enum class Mode { kInPlace, kCopy, kRenameFolder };

class CliRenameTest : public CliProcessTest,
                      public ::testing::WithParamInterface<std::tuple<Family, Mode>> {};

TEST_P(CliRenameTest, RewritesTheProjectFilesWhereTheModeSays) {
  const auto& [f, mode] = GetParam();
  const std::string project = Load(f.name);
  Args args{"rename", f.name, "--name", "pump"};
  std::string target = project;
  if (mode == Mode::kCopy) {
    args = {"rename", project, "--copy", "--to", tmp_ / "new/deep",
            "--dir",  "pump",  "--name", "pump"};
    target = tmp_ / "new/deep/pump";
  } else if (mode == Mode::kRenameFolder) {
    args.push_back("--rename-folder");
    target = work_ + "/pump";
  }

  const Outcome o = Run(args);

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(Messages(o.err), "Finished!\n");
  EXPECT_EQ(o.out, "");
  ExpectRewritten(f, target, "pump");
  if (mode == Mode::kCopy) {
    EXPECT_EQ(ListTree(project), ExampleTree(f.name));
  } else if (mode == Mode::kRenameFolder) {
    EXPECT_FALSE(DirectoryExists(project));
  }
}

std::string RenameCaseName(const ::testing::TestParamInfo<std::tuple<Family, Mode>>& info) {
  const char* modes[] = {"InPlace", "Copy", "RenameFolder"};
  return std::string(std::get<0>(info.param).name) + "_" +
         modes[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Families, CliRenameTest,
    ::testing::Combine(::testing::Values(kBlinky, kMotor, kCc2530, kBoiler, kValve, kSensor,
                                         kGateway, kBeacon, kDrive, kMeter, kScale, kProbe, kRelay),
                       ::testing::Values(Mode::kInPlace, Mode::kCopy, Mode::kRenameFolder)),
    RenameCaseName);

// The uVision 5 samples, each given as its folder or one of its project
// files, renamed in each mode and checked file by file.
struct Uv5Input {
  const char* sample;
  const char* input;  // below work/
};

void PrintTo(const Uv5Input& u, std::ostream* os) { *os << u.input; }

class CliUv5RenameTest : public CliProcessTest,
                         public ::testing::WithParamInterface<std::tuple<Uv5Input, Mode>> {};

TEST_P(CliUv5RenameTest, RewritesTheSampleFileByFile) {
  const auto& [u, mode] = GetParam();
  const std::string project = Load(u.sample);
  Args args{"rename", u.input, "--name", "pump"};
  std::string target = project;
  if (mode == Mode::kCopy) {
    args.insert(args.end(), {"--copy", "--to", tmp_ / "new", "--dir", "pump"});
    target = tmp_ / "new/pump";
  } else if (mode == Mode::kRenameFolder) {
    args.push_back("--rename-folder");
    target = work_ + "/pump";
  }

  const Outcome o = Run(args);

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(Messages(o.err), "Finished!\n");
  EXPECT_EQ(testing::FilesBelow(target),
            testing::RenamedUv5Sample(u.sample, "pump", {.cleaned = true}));
}

std::string Uv5CaseName(const ::testing::TestParamInfo<std::tuple<Uv5Input, Mode>>& param_info) {
  const char* modes[] = {"InPlace", "Copy", "RenameFolder"};
  return testing::TestNamePart(std::get<0>(param_info.param).input) + "_" +
         modes[static_cast<int>(std::get<1>(param_info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Samples, CliUv5RenameTest,
    ::testing::Combine(::testing::Values(Uv5Input{"heater", "heater"},
                                         Uv5Input{"heater", "heater/MDK-ARM/heater.uvprojx"},
                                         Uv5Input{"fan", "fan/"}, Uv5Input{"fan", "fan/fan.uvoptx"},
                                         Uv5Input{"twin", "twin/template.uvprojx"},
                                         Uv5Input{"sprinkler", "sprinkler"},
                                         Uv5Input{"sprinkler", "sprinkler/sprinkler.uvmpw"}),
                       ::testing::Values(Mode::kInPlace, Mode::kCopy, Mode::kRenameFolder)),
    Uv5CaseName);

TEST_F(CliProcessTest, CleanOfUv5SamplesKeepsTheirNames) {
  for (const char* sample : {"heater", "fan", "sprinkler"}) {
    SCOPED_TRACE(sample);
    const std::string project = Load(sample);
    const Outcome o = Run({"clean", sample});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(testing::FilesBelow(project),
              testing::RenamedUv5Sample(sample, sample, {.cleaned = true}));
  }
}

TEST_F(CliProcessTest, RenameFolderTakesDirWhenGiven) {
  Load("valve");

  const Outcome o = Run({"rename", "valve", "--rename-folder", "--dir", "tapdir", "--name", "tap"});

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_FALSE(DirectoryExists(work_ + "/valve"));
  ExpectRewritten(kValve, work_ + "/tapdir", "tap");
}

// Options not given keep the proposal: the project keeps its name, the copy
// its folder name.
TEST_F(CliProcessTest, CopyWithoutNameKeepsTheProposedNames) {
  Load("motor");

  const Outcome o = Run({"rename", "motor", "--copy", "--to", tmp_ / "new"});

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(FileExists(tmp_ / "new/motor/motor.eww"));
  EXPECT_FALSE(FileExists(tmp_ / "new/motor/output/debug/obj/main.o"));
}

// Relative paths are taken against the folder the program was started in,
// also after the workflow has moved into the copy and its sub-folders.
TEST_F(CliProcessTest, RelativePathsAndTrailingSeparator) {
  Load("sensor");

  const Outcome o = Run({"rename", "sensor/", "--copy", "--to", "../new/", "--name", "pump"});

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(Messages(o.err), "Finished!\n");
  ExpectRewritten(kSensor, tmp_ / "new/sensor", "pump");
}

TEST_F(CliProcessTest, BackupAndNoCleanupKeepTheirFiles) {
  const std::string project = Load("blinky");

  const Outcome o =
      Run({"rename", "blinky/blinky.wsp", "--name", "pump", "--backup", "--no-cleanup"});

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(FileExists(project + "/_old_blinky.wsp"));
  EXPECT_TRUE(FileExists(project + "/_old_blinky.prj"));
  EXPECT_TRUE(FileExists(project + "/pump.prj"));
  EXPECT_TRUE(FileExists(project + "/OBJ/main.obj"));
}

TEST_F(CliProcessTest, ArchiveIsCopiedToTheGivenPath) {
  const std::string archive = Zip("blinky");

  const Outcome o = Run({"rename", archive, "--to", tmp_ / "new", "--name", "pump"});

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(Messages(o.err), "Finished!\n");
  // The folder keeps its name unless --dir is given.
  const std::string copy = tmp_ / "new/blinky";
  ExpectRewritten(kBlinky, copy, "pump");
  EXPECT_TRUE(FileExists(copy + "/ABS/pump.mhx"));
  EXPECT_EQ(ListTree(work_), Tree{"blinky.zip"});
}

TEST_F(CliProcessTest, ArchiveWithSubFoldersAndDir) {
  const std::string archive = Zip("sensor");

  const Outcome o =
      Run({"rename", "sensor.zip", "--copy", "--to", "out", "--dir", "pump", "--name", "pump"});

  EXPECT_EQ(o.status, 0) << o.err;
  ExpectRewritten(kSensor, work_ + "/out/pump", "pump");
}

TEST_F(CliProcessTest, CleanRemovesBuildOutputOnly) {
  const std::string project = Load("blinky");

  const Outcome o = Run({"clean", "blinky"});

  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(Messages(o.err), "Cleaned!\n");
  EXPECT_EQ(ListTree(project),
            (Tree{"ABS/", "ABS/blinky.hex", "ABS/blinky.mhx", "LST/", "OBJ/", "OPT/", "blinky.prj",
                  "blinky.wsp", "src/", "src/led.c", "src/led.h", "src/main.c"}));
}

// Below a folder that names no project itself: one project is found and
// copied with the folder it lies in; several are listed and nothing runs.
TEST_F(CliProcessTest, ProjectFoundBelowTheGivenFolder) {
  const std::string root = work_ + "/vendor";
  MakeDirs(root + "/boards/evb");
  ASSERT_TRUE(CopyTree(Example("fan"), root + "/boards/evb/fan"));
  WriteFile(root + "/src/board.c", "int board;\n");

  const Outcome plan =
      Run({"rename", "vendor", "--copy", "--to", "out", "--name", "pump", "--dry-run"});
  EXPECT_EQ(plan.status, 0) << plan.err;
  EXPECT_NE(plan.out.find("Project found below the given folder: boards/evb/fan\n"),
            std::string::npos)
      << plan.out;
  const Outcome json =
      Run({"rename", "vendor", "--copy", "--to", "out", "--name", "pump", "--dry-run", "--json"});
  EXPECT_EQ(nlohmann::json::parse(json.out)["search"]["found_below"], "boards/evb/fan");

  const Outcome o = Run({"rename", "vendor", "--copy", "--to", "out", "--name", "pump"});
  EXPECT_EQ(o.status, 0) << o.err;
  const std::string copy = work_ + "/out/vendor";
  EXPECT_EQ(ReadFile(copy + "/src/board.c"), "int board;\n");
  EXPECT_TRUE(FileExists(copy + "/boards/evb/fan/pump.uvprojx"));
  EXPECT_FALSE(FileExists(copy + "/boards/evb/fan/fan.uvprojx"));
  EXPECT_FALSE(FileExists(copy + "/boards/evb/fan/Objects/main.o"));
  EXPECT_TRUE(FileExists(copy + "/boards/evb/fan/main.c"));
}

// A uVision 4 project two levels down whose output folder lies outside its
// own folder: found from the top, copied with the sources beside it, its
// named output cleaned and what it names kept.
TEST_F(CliProcessTest, UvisionFourProjectBelowIsCopiedAndCleaned) {
  Load("tank");
  const Outcome o = Run({"rename", "tank", "--copy", "--to", "out", "--name", "pump"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find("Project found below the given folder: Project/RVMDK(uv4)\n"),
            std::string::npos)
      << o.err;
  const std::string copy = work_ + "/out/tank";
  EXPECT_EQ(ListTree(copy),
            (Tree{"OBJ/", "OBJ/level.c", "OBJ/tank.hex", "Project/", "Project/RVMDK(uv4)/",
                  "Project/RVMDK(uv4)/pump.uvopt", "Project/RVMDK(uv4)/pump.uvproj", "User/",
                  "User/main.c", "User/main.h"}));
}

TEST_F(CliProcessTest, SeveralProjectsBelowAreListed) {
  const std::string root = work_ + "/two";
  MakeDirs(root);
  ASSERT_TRUE(CopyTree(Example("blinky"), root + "/blinky"));
  ASSERT_TRUE(CopyTree(Example("gateway"), root + "/gateway"));
  const auto before = Snapshot(root);

  const Outcome o = Run({"clean", "two"});
  EXPECT_EQ(o.status, 12);
  EXPECT_EQ(o.err,
            "Several projects found - give the project file of the one to rename:\nblinky\n"
            "gateway\n");
  EXPECT_EQ(o.out, "");
  const Outcome json = Run({"rename", "two", "--name", "x", "--json"});
  EXPECT_EQ(json.status, 12);
  const auto doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(doc["kind"], "candidates");
  EXPECT_EQ(doc["candidates"], nlohmann::json::array({"blinky", "gateway"}));
  EXPECT_EQ(doc["exit_status"], 12);
  EXPECT_EQ(Snapshot(root), before);

  EXPECT_EQ(Run({"clean", "two/blinky"}).status, 0);
}

// A dual-core root renamed in the IDE before, its cores and the generator's
// keys still under the name it had: all of them follow, and the cores'
// build output is cleaned.
TEST_F(CliProcessTest, CoresOfAnotherNameFollowTheRoot) {
  const std::string project = Load("servo");

  const Outcome o = Run({"rename", "servo", "--name", "pump"});

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(Messages(o.err), "Finished!\n");
  EXPECT_EQ(ListTree(project), (Tree{".mxproject",
                                     ".project",
                                     "CM4/",
                                     "CM4/.cproject",
                                     "CM4/.project",
                                     "CM4/Core/",
                                     "CM4/Core/Src/",
                                     "CM4/Core/Src/main.c",
                                     "CM4/pump_CM4 Debug.launch",
                                     "CM7/",
                                     "CM7/.cproject",
                                     "CM7/.project",
                                     "CM7/Core/",
                                     "CM7/Core/Src/",
                                     "CM7/Core/Src/main.c",
                                     "CM7/pump_CM7 Debug.launch",
                                     "Common/",
                                     "Common/Src/",
                                     "Common/Src/system_orl32h7xx_dualcore.c",
                                     "pump.ioc"}));
  EXPECT_NE(ReadFile(project + "/pump.ioc")
                .find("ProjectManager.ProjectFileName=pump.ioc\nProjectManager.ProjectName=pump\n"),
            std::string::npos);
  EXPECT_NE(ReadFile(project + "/CM7/.project").find("<name>pump_CM7</name>"), std::string::npos);
  EXPECT_NE(ReadFile(project + "/CM7/.project").find("<project>pump_CM4</project>"),
            std::string::npos);
  EXPECT_NE(
      ReadFile(project + "/CM4/pump_CM4 Debug.launch").find("PROJECT_ATTR\" value=\"pump_CM4\""),
      std::string::npos);
  EXPECT_EQ(ReadFile(project + "/CM4/.cproject").find("motorctl_CM4}"), std::string::npos);
}

// A folder above the project named like a project file is no project file:
// the project below is renamed, given as its folder or its file.
TEST_F(CliProcessTest, FolderNamedLikeAProjectFileIsNoProject) {
  const std::string project = Load("shelf") + "/x.uvprojx/lamp";

  const Outcome o = Run({"rename", "shelf/x.uvprojx/lamp", "--name", "pump"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ListTree(project),
            (Tree{".cproject", ".project", "pump Debug.launch", "src/", "src/main.c"}));
  EXPECT_NE(ReadFile(project + "/.cproject").find("${workspace_loc:/pump}/Debug"),
            std::string::npos);

  const Outcome again = Run({"rename", "shelf/x.uvprojx/lamp/.project", "--name", "bulb"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(ReadFile(project + "/.project").find("<name>bulb</name>"), std::string::npos);
  EXPECT_TRUE(FileExists(project + "/bulb Debug.launch"));
}

// A workspace of projects in sub-folders, given as its folder or its file:
// the message and the JSON document list each project once, alike.
TEST_F(CliProcessTest, WorkspaceOfSeveralProjectsListsEachOnce) {
  const std::string project = Load("panel");
  const auto before = Snapshot(project);
  for (const char* input : {"panel", "panel/panel.wsp"}) {
    SCOPED_TRACE(input);
    const Outcome o = Run({"rename", input, "--name", "x"});
    EXPECT_EQ(o.status, 12);
    EXPECT_EQ(o.err,
              "Several projects found - give the project file of the one to rename:\n"
              "display\\display.prj\nkeypad\\keypad.prj\n");
    const Outcome json = Run({"rename", input, "--name", "x", "--json"});
    EXPECT_EQ(json.status, 12);
    EXPECT_EQ(nlohmann::json::parse(json.out)["candidates"],
              nlohmann::json::array({"display\\display.prj", "keypad\\keypad.prj"}));
  }
  EXPECT_EQ(Snapshot(project), before);
}

// An IAR workspace at the top whose projects lie in sub-folders names no one
// project, as a workspace left at the top above other projects does; one of
// its project files renames that project, and the workspace, which lies
// outside it, is left as it is with a warning.
TEST_F(CliProcessTest, IarWorkspaceOfSubFolderProjectsIsListed) {
  const std::string root = Load("station");
  const auto before = Snapshot(root);
  const std::string several =
      "Several projects found - give the project file of the one to rename:\n";

  for (const char* input : {"station", "station/station.eww"}) {
    SCOPED_TRACE(input);
    const Outcome o = Run({"clean", input});
    EXPECT_EQ(o.status, 12);
    EXPECT_EQ(o.err, several + "sensor/sensor.ewp\nradio/Project/radio.ewp\n");
    const Outcome json = Run({"rename", input, "--name", "x", "--json"});
    EXPECT_EQ(json.status, 12);
    const auto doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc["kind"], "candidates");
    EXPECT_EQ(doc["candidates"],
              nlohmann::json::array({"sensor/sensor.ewp", "radio/Project/radio.ewp"}));
  }
  EXPECT_EQ(Snapshot(root), before);

  const Outcome o = Run({"rename", "station/sensor/sensor.ewp", "--name", "probe"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find("Warning: " + root +
                       "/station.eww: Lies outside the project and still names its old project "
                       "file, please recheck it manually\n"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(ListTree(root + "/sensor"), (Tree{"Debug/", "Debug/Obj/", "main.c", "probe.ewp"}));
  EXPECT_NE(ReadFile(root + "/sensor/probe.ewp").find("<state>probe.out</state>"),
            std::string::npos);
  for (const char* kept : {"station.eww", "station.custom_argvars", "radio/Project/radio.ewp"}) {
    EXPECT_EQ(ReadFile(root + "/" + kept), ReadFile(Example("station") + "/" + kept)) << kept;
  }

  const std::string stale = work_ + "/repo";
  MakeDirs(stale + "/boards");
  ASSERT_TRUE(CopyTree(Example("fan"), stale + "/fan"));
  ASSERT_TRUE(CopyTree(Example("valve"), stale + "/boards/valve"));
  WriteFile(stale + "/repo.eww",
            "<workspace><project><path>$WS_DIR$\\EWARM\\repo.ewp</path></project></workspace>");
  const Outcome listed = Run({"clean", "repo"});
  EXPECT_EQ(listed.status, 12);
  EXPECT_EQ(listed.err, several + "boards/valve\nfan\n");
}

// Inputs that hold several uVision projects: whatever the command, refused
// with the list, which the JSON document repeats, and nothing changes.
struct SeveralCase {
  std::string label;
  const char* sample;
  Args args;
  std::vector<std::string> listed;
  std::vector<std::pair<std::string, std::string>> copies = {};  // below work/, made first
};

void PrintTo(const SeveralCase& c, std::ostream* os) { *os << c.label; }

class CliSeveralProjectsTest : public CliProcessTest,
                               public ::testing::WithParamInterface<SeveralCase> {};

TEST_P(CliSeveralProjectsTest, AreListedAndNothingChanges) {
  const SeveralCase& c = GetParam();
  Load(c.sample);
  for (const auto& [from, to] : c.copies) WriteFile(work_ + "/" + to, ReadFile(work_ + "/" + from));
  const auto before = Snapshot(work_);
  std::string message = "Several projects found - give the project file of the one to rename:\n";
  for (const std::string& line : c.listed) message += line + "\n";

  const Outcome o = Run(c.args);
  Args json_args = c.args;
  json_args.push_back("--json");
  const Outcome json = Run(json_args);

  EXPECT_EQ(o.status, 12);
  EXPECT_EQ(o.err, message);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(json.status, 12);
  EXPECT_EQ(nlohmann::json::parse(json.out)["candidates"], nlohmann::json(c.listed)) << json.out;
  EXPECT_EQ(Snapshot(work_), before);
}

const std::vector<std::string> kDimmerProjects = {".\\Boot\\dimmer_boot.uvprojx",
                                                  ".\\Appli\\dimmer.uvprojx"};

INSTANTIATE_TEST_SUITE_P(
    Uvision, CliSeveralProjectsTest,
    ::testing::Values(SeveralCase{"two_projects_in_a_folder",
                                  "twin",
                                  {"rename", "twin", "--name", "pump"},
                                  {"project.uvprojx", "template.uvprojx"}},
                      SeveralCase{"clean_of_two_projects_in_a_folder",
                                  "twin",
                                  {"clean", "twin"},
                                  {"project.uvprojx", "template.uvprojx"}},
                      SeveralCase{"two_uvision4_projects_in_a_folder",
                                  "valve",
                                  {"rename", "valve", "--name", "pump"},
                                  {"template.uvproj", "valve.uvproj"},
                                  {{"valve/valve.uvproj", "valve/template.uvproj"}}},
                      SeveralCase{"workspace_folder",
                                  "dimmer",
                                  {"rename", "dimmer/MDK-ARM", "--name", "pump"},
                                  kDimmerProjects},
                      SeveralCase{"workspace_file",
                                  "dimmer",
                                  {"clean", "dimmer/MDK-ARM/dimmer.uvmpw"},
                                  kDimmerProjects},
                      SeveralCase{"two_mplab_projects_below",
                                  "mplab-blink",
                                  {"rename", "mplab-blink", "--name", "pump"},
                                  {"blink.X", "other.X"},
                                  {{"mplab-blink/blink.X/nbproject/project.xml",
                                    "mplab-blink/other.X/nbproject/project.xml"}}},
                      SeveralCase{"two_cmake_projects_below_a_folder",
                                  "cmake-dual",
                                  {"rename", "fw", "--name", "pump"},
                                  {"a", "b"},
                                  {{"cmake-dual/CMakeLists.txt", "fw/a/CMakeLists.txt"},
                                   {"cmake-dual/duo.ioc", "fw/a/duo.ioc"},
                                   {"cmake-dual/cmake/stm32cubemx/CMakeLists.txt",
                                    "fw/a/cmake/stm32cubemx/CMakeLists.txt"},
                                   {"cmake-dual/CMakeLists.txt", "fw/b/CMakeLists.txt"},
                                   {"cmake-dual/duo.ioc", "fw/b/duo.ioc"},
                                   {"cmake-dual/cmake/stm32cubemx/CMakeLists.txt",
                                    "fw/b/cmake/stm32cubemx/CMakeLists.txt"}}}),
    testing::ParamLabel());

// The generator's CMake projects, one run per shape, CleanUp on as by
// default: a folder named otherwise given by its ".ioc" and copied; two
// contexts, the folder renamed; a folder shared with EWARM/ and an Eclipse
// project, in place; a project below a repository's root, given the root.
struct CMakeCase {
  std::string label;
  const char* sample;
  std::string parent;  // below work/, where the sample is copied
  Args args;
  std::string target;                                         // below work/
  std::vector<std::pair<std::string, std::string>> contents;  // below target: file, text
  std::vector<std::string> gone;                              // below target
  std::string message;                                        // before the summary
};

class CliCMakeTest : public CliProcessTest, public ::testing::WithParamInterface<CMakeCase> {};

TEST_P(CliCMakeTest, RenamesEveryPlaceThatNamesTheProject) {
  const CMakeCase& c = GetParam();
  MakeDirs(work_ + "/" + c.parent);
  ASSERT_TRUE(CopyTree(Example(c.sample), work_ + "/" + c.parent + "/" + c.sample));

  const Outcome o = Run(c.args);

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(Messages(o.err), c.message);
  const std::string target = work_ + "/" + c.target;
  for (const auto& [rel, text] : c.contents) {
    const std::string content = ReadFile(target + "/" + rel);
    EXPECT_NE(content.find(text), std::string::npos) << rel << ":\n" << content;
  }
  for (const std::string& rel : c.gone) EXPECT_FALSE(AnythingExists(target + "/" + rel)) << rel;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, CliCMakeTest,
    ::testing::Values(
        CMakeCase{"single_context_copied",
                  "cmake-blinky",
                  "",
                  {"rename", "cmake-blinky/lumen.ioc", "--copy", "--to", "new", "--dir", "pump",
                   "--name", "pump"},
                  "new/pump",
                  {{"pump.ioc", "ProjectManager.ProjectName=pump\n"},
                   {"CMakeLists.txt", "\nset(CMAKE_PROJECT_NAME pump)\n"},
                   {"CMakeLists.txt", "    Core/Src/lumen_led.c\n"},
                   {".vscode/launch.json", "\"${workspaceFolder}/build/Debug/pump.elf\""},
                   {".vscode/launch.json", "\"name\": \"Debug lumen (ST-Link)\""},
                   {".idea/.name", "pump"}},
                  {"lumen.ioc", "build", ".cache"},
                  "Was written for another folder, which CMake refuses: deleted\nFinished!\n"},
        CMakeCase{"two_contexts_folder_renamed",
                  "cmake-dual",
                  "",
                  {"rename", "cmake-dual", "--rename-folder", "--name", "pump"},
                  "pump",
                  {{"CM4/CMakeLists.txt", "set(CMAKE_PROJECT_NAME pump_CM4)"},
                   {"CM4/CMakeLists.txt", "Core/Src/duo_CM4.c"},
                   {"mx-generated.cmake", "ExternalProject_Add(pump_CM7\n"},
                   {"mx-generated.cmake", "/CM4/build/pump_CM4.elf\n    DEPENDS pump_CM7\n"}},
                  {"duo.ioc", "build", "CM4/build", "CM7/build", "mx.scratch"},
                  "Finished!\n"},
        CMakeCase{"shared_with_ewarm_and_eclipse",
                  "cmake-mixed",
                  "",
                  {"rename", "cmake-mixed", "--name", "pump"},
                  "cmake-mixed",
                  {{"pump.ioc", "ProjectManager.ProjectFileName=pump.ioc\n"},
                   {"EWARM/pump.eww", "$WS_DIR$\\pump.ewp"},
                   {".project", "<name>pump</name>"},
                   {"CMakeLists.txt", "set(CMAKE_PROJECT_NAME pump)"}},
                  {"mix.ioc", "EWARM/mix.ewp", "build"},
                  "Names the program after the project's folder, whose name is not the new "
                  "project name: please recheck it manually\nFinished!\n"},
        CMakeCase{"below_a_repository_root",
                  "cmake-dual",
                  "repo/boards",
                  {"rename", "repo", "--name", "pump"},
                  "repo/boards/cmake-dual",
                  {{"pump.ioc", "ProjectManager.ProjectName=pump\n"},
                   {".vscode/launch.json", "/CM7/build/Debug/pump_CM7.elf\""}},
                  {"duo.ioc", "CM7/build"},
                  "Finished!\nProject found below the given folder: boards/cmake-dual\n"}),
    testing::ParamLabel());

// Of two uVision 4 projects in one folder, the one given is renamed; the
// other keeps every byte of its files.
TEST_F(CliProcessTest, UvisionFourProjectGivenBesideAnotherIsRenamed) {
  const std::string project = Load("valve");
  for (const char* ext : {".uvproj", ".uvopt"}) {
    WriteFile(project + "/template" + ext, ReadFile(project + "/valve" + ext));
  }

  const Outcome o = Run({"rename", "valve/template.uvproj", "--name", "pump"});

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(Messages(o.err), "Finished!\n");
  EXPECT_TRUE(FileExists(project + "/pump.uvproj"));
  EXPECT_TRUE(FileExists(project + "/pump.uvopt"));
  EXPECT_FALSE(FileExists(project + "/template.uvproj"));
  for (const char* kept :
       {"valve.uvproj", "valve.uvopt", "valve.uvgui.anna", "valve_Release.dep"}) {
    EXPECT_EQ(ReadFile(project + "/" + kept), ReadFile(Example("valve") + "/" + kept)) << kept;
  }
}

// "clean ." in the project folder, as a CI job would run it.
TEST_F(CliProcessTest, CleanDotCleansTheCurrentFolder) {
  const std::string project = Load("valve");

  const Outcome o = Run({"clean", "."}, project);

  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(Messages(o.err), "Cleaned!\n");
  EXPECT_FALSE(FileExists(project + "/output/debug/main.o"));
  EXPECT_TRUE(FileExists(project + "/output/debug/valve.hex"));
  EXPECT_TRUE(FileExists(project + "/valve.uvproj"));
}

class CliExistingTargetTest : public CliProcessTest {
 protected:
  void SetUp() override {
    Load("blinky");
    WriteFile(tmp_ / "new/pump/keep.txt", "mine");
  }
  const Args args_{"rename", "blinky", "--copy", "--to", tmp_ / "new",
                   "--name", "pump",   "--dir",  "pump"};
};

TEST_F(CliExistingTargetTest, WithoutYesIsAnsweredNo) {
  const auto work_before = Snapshot(work_);
  const auto new_before = Snapshot(tmp_ / "new");

  const Outcome o = Run(args_);

  EXPECT_EQ(o.status, 15);
  EXPECT_EQ(Messages(o.err), "Project already exist - Delete ? No\nFinished with ERROR(s)\n");
  EXPECT_EQ(Snapshot(work_), work_before);
  EXPECT_EQ(Snapshot(tmp_ / "new"), new_before);
}

TEST_F(CliExistingTargetTest, WithYesIsReplaced) {
  Args args = args_;
  args.push_back("--yes");

  const Outcome o = Run(args);

  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(Messages(o.err), "Project already exist - Delete ? Yes\nFinished!\n");
  EXPECT_FALSE(FileExists(tmp_ / "new/pump/keep.txt"));
  ExpectRewritten(kBlinky, tmp_ / "new/pump", "pump");
}

// A rewriter that cannot write its file ends the run with the error's text.
TEST_F(CliProcessTest, IoErrorPrintsItsText) {
  const std::string project = Load("blinky");
  MakeDirs(project + "/pump.wsp");

  const Outcome o = Run({"rename", "blinky", "--name", "pump"});

  EXPECT_EQ(o.status, 74);
  EXPECT_EQ(o.err, "File access denied\n");
  EXPECT_TRUE(FileExists(project + "/blinky.wsp"));
  // The report names the file in the way.
  const Outcome json = Run({"rename", "blinky", "--name", "pump", "--json"});
  const auto error = nlohmann::json::parse(json.out)["error"];
  EXPECT_EQ(error["code"], 74);
  EXPECT_TRUE(error["path"].get<std::string>().ends_with("pump.wsp")) << error;
}

struct BadInput {
  std::string label;
  Args args;
  int status = 0;
  std::string err;
};

using testing::PrintTo;

// A command line the program refuses with its usage status and a reason.
BadInput Usage(std::string label, Args args, const std::string& reason) {
  return {std::move(label), std::move(args), 2, "kelvandor-cli: " + reason + "\n"};
}

BadInput NotFound(std::string label, Args args) {
  return {std::move(label), std::move(args), 11, "Input File not found!\n"};
}

class CliBadInputTest : public CliProcessTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(CliBadInputTest, ChangesNothing) {
  Load("blinky");
  Load("motor");
  Zip("valve");
  const auto before = Snapshot(work_);

  const Outcome o = Run(GetParam().args);

  EXPECT_EQ(o.status, GetParam().status);
  EXPECT_EQ(o.err, GetParam().err);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(Snapshot(work_), before);
}

// A dry run refuses the same input with the same words and status.
TEST_P(CliBadInputTest, DryRunGivesTheSameAnswer) {
  Args args = GetParam().args;
  if (args.empty()) GTEST_SKIP() << "no command to give --dry-run to";
  args.insert(args.begin() + 1, "--dry-run");
  Load("blinky");
  Load("motor");
  Zip("valve");
  const auto before = Snapshot(work_);

  const Outcome o = Run(args);

  EXPECT_EQ(o.status, GetParam().status);
  EXPECT_EQ(o.err, GetParam().err);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(Snapshot(work_), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliBadInputTest,
    ::testing::Values(
        Usage("no_arguments", {}, "missing command (rename or clean); see --help"),
        Usage("unknown_command", {"move", "blinky"}, "unknown command 'move'; see --help"),
        Usage("unknown_option", {"rename", "blinky", "--force"},
              "unknown option '--force' for rename; see --help"),
        Usage("missing_source", {"rename", "--copy", "--name", "pump"},
              "missing SOURCE for rename; see --help"),
        Usage("option_without_value", {"rename", "blinky", "--copy", "--to"},
              "option --to needs a value"),
        Usage("value_swallowing_an_option", {"rename", "blinky", "--name", "--copy"},
              "option --name needs a value"),
        Usage("both_modes", {"rename", "blinky", "--copy", "--rename-folder"},
              "--copy and --rename-folder exclude each other"),
        NotFound("no_such_source", {"rename", "nothing", "--name", "pump"}),
        NotFound("folder_without_project", {"clean", "blinky/src"}),
        NotFound("file_of_no_project", {"rename", "blinky/src/main.c", "--copy"}),
        Usage("in_place_with_to", {"rename", "motor", "--to", "elsewhere"},
              "--to and --dir need --copy or --rename-folder"),
        Usage("archive_without_to", {"rename", "valve.zip", "--name", "tap"},
              "an archive needs --to PATH for its copy"),
        Usage("archive_rename_folder", {"rename", "valve.zip", "--rename-folder", "--to", "x"},
              "an archive is always copied: --rename-folder does not apply"),
        Usage("archive_backup", {"rename", "valve.zip", "--backup", "--to", "x"},
              "an archive is always copied: --backup does not apply"),
        Usage("clean_archive", {"clean", "valve.zip"}, "an archive cannot be cleaned")),
    testing::ParamLabel());

// A dry run of every kind of run leaves every tree as it was and prints its
// plan, as text or as JSON.
class CliDryRunTest : public CliProcessTest, public ::testing::WithParamInterface<Args> {};

TEST_P(CliDryRunTest, ChangesNothing) {
  Load("blinky");
  Zip("valve");
  const auto before = Snapshot(work_);

  const Outcome text = Run(GetParam());
  Args json_args = GetParam();
  json_args.push_back("--json");
  const Outcome json = Run(json_args);

  EXPECT_TRUE(Snapshot(work_) == before);
  EXPECT_TRUE(text.out.starts_with("Dry run: nothing has been changed.\n")) << text.out;
  EXPECT_NE(text.out.find("\nExit status: " + std::to_string(text.status) + "\n"),
            std::string::npos)
      << text.out;
  nlohmann::json plan = nlohmann::json::parse(json.out);
  EXPECT_EQ(plan["kind"], "plan");
  EXPECT_EQ(plan["exit_status"], json.status);
  EXPECT_EQ(json.status, text.status);
  EXPECT_EQ(json.status, 0) << json.err;

  // The real run made next does what the plan said.
  json_args.erase(std::find(json_args.begin(), json_args.end(), "--dry-run"));
  const Outcome real = Run(json_args);
  ASSERT_EQ(real.status, 0) << real.err;
  nlohmann::json report = nlohmann::json::parse(real.out);
  EXPECT_EQ(report["kind"], "report");
  // (An archive is unpacked anew for each run: its source differs.)
  for (const char* key : {"target", "mode", "copied", "renamed_folder", "project_files",
                          "renamed_files", "warnings", "cleaned", "renamed_images", "error"}) {
    EXPECT_EQ(plan[key], report[key]) << key;
  }
  EXPECT_EQ(plan["project_files"].empty(), GetParam().front() == "clean");
}

// A folder of two WSP/PRJ projects: the rewriters ask for a manual check,
// which the plan gives as the run does, as a warning of its report.
TEST_F(CliProcessTest, PlanWarnsAsTheRunDoes) {
  const std::string project = Load("blinky");
  for (const char* extension : {".wsp", ".prj"}) {
    WriteFile(project + "/other" + extension, ReadFile(project + "/blinky" + extension));
  }
  const Args args = {"rename", "blinky", "--name", "pump", "--dry-run"};
  const Outcome plan = Run(args);
  ASSERT_EQ(plan.status, 0) << plan.err;
  EXPECT_NE(plan.out.find("\nWarning: .wsp: Please recheck *.WSP files manually\n"
                          "Warning: .prj: Please recheck *.PRJ files manually\n"),
            std::string::npos)
      << plan.out;
  const Outcome json = Run({"rename", "blinky", "--name", "pump", "--dry-run", "--json"});
  const auto warnings = nlohmann::json::parse(json.out)["warnings"];
  ASSERT_EQ(warnings.size(), 2u) << json.out;
  EXPECT_EQ(warnings[1], (nlohmann::json{{"file", project + "/.prj"},
                                         {"message", "Please recheck *.PRJ files manually"}}));

  const Outcome real = Run({"rename", "blinky", "--name", "pump"});
  ASSERT_EQ(real.status, 0) << real.err;
  EXPECT_TRUE(
      real.err.starts_with("Please recheck *.WSP files manually\n"
                           "Please recheck *.PRJ files manually\nFinished!\n"))
      << real.err;
  EXPECT_NE(real.err.find("\nWarning: .prj: Please recheck *.PRJ files manually\n"),
            std::string::npos)
      << real.err;
}

// The plan's diff, applied with patch to the old project files, gives the
// files the real run writes.
TEST_F(CliProcessTest, PlannedDiffPatchesTheOldFilesIntoTheNewOnes) {
  Load("blinky");
  const Outcome plan =
      Run({"rename", "blinky", "--copy", "--to", "new", "--name", "pump", "--dry-run"});
  ASSERT_EQ(plan.status, 0) << plan.err;
  const std::size_t diff = plan.out.find("--- a/");
  ASSERT_NE(diff, std::string::npos) << plan.out;
  const std::size_t end = plan.out.find("\nCleaned:", diff);
  WriteFile(work_ + "/plan.diff",
            plan.out.substr(diff, end == std::string::npos ? std::string::npos : end + 1 - diff));
  ASSERT_EQ(Run({"rename", "blinky", "--copy", "--to", "new", "--name", "pump"}).status, 0);

  const std::string command = "cd '" + work_ + "/blinky' && patch -s -p1 < ../plan.diff";
  ASSERT_EQ(std::system(command.c_str()), 0) << plan.out;
  for (const char* ext : {".wsp", ".prj"}) {
    EXPECT_EQ(ReadFile(work_ + "/blinky/blinky" + ext), ReadFile(work_ + "/new/blinky/pump" + ext))
        << ext;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CliDryRunTest,
    ::testing::Values(Args{"rename", "blinky", "--name", "pump", "--dry-run"},
                      Args{"rename", "blinky", "--copy", "--to", "new", "--dry-run"},
                      Args{"rename", "blinky", "--rename-folder", "--name", "pump", "--dry-run"},
                      Args{"rename", "valve.zip", "--to", "new", "--name", "tap", "--dry-run"},
                      Args{"clean", "blinky", "--dry-run"}));

TEST_F(CliProcessTest, HelpShowsEachCommandOnStandardOutput) {
  const Outcome o = Run({"--help"});

  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_NE(o.out.find("Usage:"), std::string::npos);
  EXPECT_NE(o.out.find("  kelvandor-cli rename work/blinky --copy"), std::string::npos);
  EXPECT_NE(o.out.find("  kelvandor-cli clean work/blinky\n"), std::string::npos);
}

TEST_F(CliProcessTest, Version) {
  const Outcome o = Run({"--version"});

  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "kelvandor-cli " KELVANDOR_VERSION "\n");
  EXPECT_EQ(o.err, "");
}

// Two runs on one project never mix: the second waits for the first or,
// while another holds the project, refuses and changes nothing.
TEST_F(CliProcessTest, ARunRefusesAProjectAnotherRunHolds) {
  const std::string project = Load("motor");
  const auto before = Snapshot(work_);
  {
    FolderLock other_run;
    ASSERT_TRUE(other_run.Acquire(project, std::chrono::milliseconds(0)));
    const Outcome o = Run({"rename", "motor", "--name", "pump"});
    EXPECT_EQ(o.status, 19) << o.err;
    EXPECT_EQ(Messages(o.err),
              "Another run is working on this project: nothing was changed\n"
              "Finished with ERROR(s)\n");
  }
  EXPECT_EQ(Snapshot(work_), before);
}

TEST_F(CliProcessTest, TwoRunsAtOnceLeaveOneWholeRename) {
  Load("motor");
  const std::string second_capture = tmp_ / "capture2";
  MakeDirs(second_capture);
  const Args args{"rename", "motor", "--name", "pump"};
  Outcome first;
  Outcome second;
  {
    CurrentDirGuard guard;
    SetCurrentDir(work_);
    const pid_t a = Start(KELVANDOR_CLI_PATH, args, program_tmp_, capture_);
    const pid_t b = Start(KELVANDOR_CLI_PATH, args, program_tmp_, second_capture);
    first = Finish(a, capture_);
    second = Finish(b, second_capture);
  }
  EXPECT_EQ(first.status, 0) << first.err;
  // The second either waited and found nothing left to rename, or gave up.
  EXPECT_TRUE(second.status == 0 || second.status == 19) << second.err;
  ExpectRewritten(kMotor, work_ + "/motor", "pump");
  for (const std::string& rel : ListTree(work_)) {
    EXPECT_EQ(rel.find(".kv"), std::string::npos) << rel;
    EXPECT_EQ(rel.find(".kelvandor-journal"), std::string::npos) << rel;
  }
  EXPECT_EQ(ListTree(program_tmp_), Tree{});
}

// Killed between the moves of its commit, a run left the workspace set
// aside: the same command again rolls it back before it looks at the
// project, then renames it in the same run.
TEST_F(CliProcessTest, StoppedCommitIsRolledBackAndTheRenameGoesOn) {
  const std::string project = Load("blinky");
  ASSERT_TRUE(RenameNoReplace(project + "/blinky.wsp", project + "/_old_blinky.wsp"));
  WriteFile(project + "/pump.wsp.kvtmp", "[Workspace]\r\n");
  WriteFile(project + "/.kelvandor-journal",
            "kelvandor-journal\t1\ntemp\tpump.wsp.kvtmp\n"
            "move\tblinky.wsp\t_old_blinky.wsp\nmove\tpump.wsp.kvtmp\tpump.wsp\n");

  const Outcome outcome = Run({"rename", "blinky", "--name", "pump"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(outcome.err.starts_with("Completed the rollback of an interrupted run\nFinished!\n"))
      << outcome.err;
  ExpectRewritten(kBlinky, project, "pump");
  for (const std::string& rel : ListTree(project)) {
    EXPECT_EQ(rel.find(".kv"), std::string::npos) << rel;
    EXPECT_EQ(rel.find("_old_"), std::string::npos) << rel;
  }
}

// Ctrl-C stops a run at its next safe point: what it did is rolled back (or,
// after the commit, the rename stands), its temporary folder is removed, the
// status is 130, and the same command run again completes.
TEST_F(CliProcessTest, CtrlCStopsTheRunAndTheNextRunCompletes) {
  const std::string project = Load("motor");
  // Enough files that the copy is still under way when the signal comes.
  MakeDirs(project + "/data");
  for (int i = 0; i < 3000; ++i) {
    WriteFile(project + "/data/f" + std::to_string(i) + ".c", "int x;\n");
  }
  const auto source = Snapshot(project);
  const Args args{"rename", project, "--copy", "--to", tmp_ / "new",
                  "--dir",  "pump",  "--name", "pump", "--yes"};
  for (const int delay_ms : {0, 100}) {
    SCOPED_TRACE("signal " + std::to_string(delay_ms) + " ms into the copy");
    RemoveTree(tmp_ / "new");
    Outcome stopped;
    {
      CurrentDirGuard guard;
      SetCurrentDir(work_);
      const pid_t pid = Start(KELVANDOR_CLI_PATH, args, program_tmp_, capture_);
      // Once the copy has begun, the program is past its start-up.
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!AnythingExists(tmp_ / "new/pump") && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
      kill(pid, SIGINT);
      stopped = Finish(pid, capture_);
    }
    EXPECT_TRUE(stopped.status == 130 || stopped.status == 0) << stopped.err;
    EXPECT_EQ(ListTree(program_tmp_), Tree{});
    if (stopped.status == 130) {
      EXPECT_NE(stopped.err.find("Interrupted"), std::string::npos) << stopped.err;
    }
    const Outcome again = Run(args);
    EXPECT_EQ(again.status, 0) << again.err;
    ExpectRewritten(kMotor, tmp_ / "new/pump", "pump");
    EXPECT_EQ(Snapshot(project), source);
    for (const std::string& rel : ListTree(tmp_ / "new")) {
      EXPECT_EQ(rel.find(".kv"), std::string::npos) << rel;
      EXPECT_EQ(rel.find(".kelvandor-journal"), std::string::npos) << rel;
    }
  }
}

// The private folder of a run that was killed is removed by the next run;
// that of a process that still runs stays.
TEST_F(CliProcessTest, FoldersOfKilledRunsAreRemoved) {
  Load("motor");
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  waitpid(gone, nullptr, 0);
  const std::string stale = program_tmp_ + "/kelvandor-cli-" + std::to_string(gone) + "-a1b2c3";
  MakeDirs(stale + "/motor");
  WriteFile(stale + "/motor/motor.eww", "stale");
  const std::string live = program_tmp_ + "/kelvandor-cli-" + std::to_string(getpid()) + "-d4e5f6";
  MakeDirs(live);
  {
    CurrentDirGuard guard;
    SetCurrentDir(work_);
    const Outcome o = Spawn(KELVANDOR_CLI_PATH, {"clean", "motor"}, program_tmp_, capture_);
    EXPECT_EQ(o.status, 0) << o.err;
  }
  EXPECT_EQ(ListTree(program_tmp_), Tree{"kelvandor-cli-" + std::to_string(getpid()) + "-d4e5f6/"});
}

// A name the file system cannot hold: the plan says what the run says, and
// neither leaves anything behind.
TEST_F(CliProcessTest, NameTooLongGivesTheSameAnswerPlannedAndRun) {
  Load("blinky");
  const auto before = Snapshot(work_);
  // "<name>.wsp" is one byte too long for a name.
  const Args args{"rename", "blinky", "--copy", "--to", "new", "--name", std::string(252, 'p')};
  Args dry_args = args;
  dry_args.insert(dry_args.begin() + 1, "--dry-run");

  const Outcome planned = Run(dry_args);
  const Outcome real = Run(args);

  EXPECT_NE(real.status, 0) << real.err;
  EXPECT_NE(real.err.find("Invalid filename"), std::string::npos) << real.err;
  EXPECT_EQ(planned.status, real.status) << planned.err;
  EXPECT_EQ(planned.err, real.err);
  // The copy is removed; the folder the user named for it stays.
  EXPECT_EQ(ListTree(work_ + "/new"), Tree{});
  RemoveTree(work_ + "/new");
  EXPECT_EQ(Snapshot(work_), before);
}

// An MPLAB X project, given as its folder, its IDE's file or a folder above,
// renamed in each mode: what names it follows, its build output goes.
struct MplabRun {
  std::string label;
  const char* sample;  // below examples/, loaded as work/<sample>
  Args args;           // run in work/
  std::string target;  // below work/: the project after the run
  std::string messages;
  // A file below the target and a text it must hold.
  std::vector<std::pair<std::string, std::string>> holds;
  std::vector<std::string> gone;  // below the target
};

void PrintTo(const MplabRun& r, std::ostream* os) { *os << r.label; }

class CliMplabTest : public CliProcessTest, public ::testing::WithParamInterface<MplabRun> {};

TEST_P(CliMplabTest, FollowsTheNameWhereTheIdeKeepsIt) {
  const MplabRun& r = GetParam();
  Load(r.sample);

  const Outcome o = Run(r.args);

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(Messages(o.err), r.messages);
  const std::string target = work_ + "/" + r.target;
  for (const auto& [rel, text] : r.holds) {
    EXPECT_NE(ReadFile(target + "/" + rel).find(text), std::string::npos) << rel;
  }
  for (const std::string& rel : r.gone) EXPECT_FALSE(AnythingExists(target + "/" + rel)) << rel;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, CliMplabTest,
    ::testing::Values(
        MplabRun{"folder_follows_the_name",
                 "mplab-blink",
                 {"rename", "mplab-blink/blink.X", "--name", "pump", "--rename-folder"},
                 "mplab-blink/pump.X",
                 "Finished!\n",
                 {{"pump.mc3", "<configuration device=\"PIC16F18446\""},
                  {"nbproject/configurations.xml", "<itemPath>pump.mc3</itemPath>"},
                  {"nbproject/project.xml", "<name>pump</name>"},
                  {"nbproject/Makefile-impl.mk", "\nPROJECTNAME=pump.X\n"},
                  {"blink_led.c", "blink_led_toggle"}},
                 {"blink.mc3", "build", "dist", "debug", "disassembly", ".generated_files"}},
        MplabRun{"copy_given_its_project_xml",
                 "mplab-lab",
                 {"rename", "mplab-lab/Lab 10.X/nbproject/project.xml", "--copy", "--to", "new",
                  "--name", "pump"},
                 "new/pump.X",
                 "A further <name> was kept: Lab 9\nFinished!\n",
                 {{"nbproject/Makefile-default.mk",
                   "\r\nFINAL_IMAGE=${DISTDIR}/pump.X.${IMAGE_TYPE}.${OUTPUT_SUFFIX}\r\n"},
                  {"nbproject/project.xml", "<name>pump</name>\r\n            <name>Lab 9</name>"}},
                 {"dist"}},
        MplabRun{"harmony_given_its_root",
                 "mplab-harmony",
                 {"rename", "mplab-harmony/dosing", "--name", "pump"},
                 "mplab-harmony/dosing",
                 "Finished!\nProject found below the given folder: firmware/dosing.X\n",
                 {{"firmware/src/config/default/default.mhc/settings.yml",
                   "\nprojectName: pump\nfolderName: dosing\n"},
                  {"firmware/dosing.X/nbproject/project.xml", "<name>pump</name>"}},
                 {"firmware/dosing.X/build"}}),
    testing::ParamLabel());

// A name the IDE cannot build is refused before any change, planned as run.
TEST_F(CliProcessTest, NameTheIdeCannotBuildGivesTheSameAnswerPlannedAndRun) {
  Load("mplab-blink");
  const auto before = Snapshot(work_);
  const Args args{"rename", "mplab-blink/blink.X", "--name", "Lab 11"};
  Args dry_args = args;
  dry_args.insert(dry_args.begin() + 1, "--dry-run");

  const Outcome planned = Run(dry_args);
  const Outcome real = Run(args);

  const std::string message =
      "MPLAB X cannot build a project named \"Lab 11\": \" \" is none of the letters, digits, "
      "\"_\", \"-\" and \".\" a name may hold";
  EXPECT_EQ(real.status, 16) << real.err;
  EXPECT_EQ(Messages(real.err), message + "\nFinished with ERROR(s)\n");
  EXPECT_EQ(planned.status, 16) << planned.err;
  EXPECT_EQ(planned.err, message + "\n");
  EXPECT_NE(planned.out.find("Refused: error 16: " + message + "\n"), std::string::npos)
      << planned.out;
  EXPECT_EQ(Snapshot(work_), before);
}

// Killed (SIGKILL) at a few moments of a run, in place and as a copy: the
// same command run again completes the rename, every other file keeps its
// bytes, and nothing of the killed run is left, its private folder included.
TEST_F(CliProcessTest, KilledRunIsCompletedByTheNextRun) {
  std::mt19937 random(23);
  std::uniform_int_distribution<int> delay(0, 60);
  for (int round = 0; round < 6; ++round) {
    const bool copy = round % 2 == 1;
    const int delay_ms = delay(random);
    SCOPED_TRACE(std::string(copy ? "copy" : "in place") + ", killed after " +
                 std::to_string(delay_ms) + " ms");
    RemoveTree(work_);
    MakeDirs(work_);
    const std::string project = Load("motor");
    const auto source = Snapshot(project);
    const Args args =
        copy ? Args{"rename", "motor", "--copy", "--to", "new", "--name", "pump", "--yes"}
             : Args{"rename", "motor", "--name", "pump"};
    {
      CurrentDirGuard guard;
      SetCurrentDir(work_);
      const pid_t pid = Start(KELVANDOR_CLI_PATH, args, program_tmp_, capture_);
      ASSERT_GT(pid, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
      kill(pid, SIGKILL);
      int status = 0;
      waitpid(pid, &status, 0);
    }
    const Outcome again = Run(args);
    EXPECT_EQ(again.status, 0) << again.err;
    const std::string renamed = copy ? work_ + "/new/motor" : project;
    ExpectRewritten(kMotor, renamed, "pump");
    // Every file but the project files and the cleaned output is as it was.
    const auto after = Snapshot(renamed);
    for (const auto& file : source) {
      const auto found = std::find_if(after.begin(), after.end(),
                                      [&](const auto& entry) { return entry.first == file.first; });
      if (found != after.end()) {
        EXPECT_EQ(found->second, file.second) << file.first;
      }
    }
    if (copy) {
      EXPECT_EQ(Snapshot(project), source);
    }
    for (const std::string& rel : ListTree(work_)) {
      EXPECT_EQ(rel.find(".kv"), std::string::npos) << rel;
      EXPECT_EQ(rel.find(".kelvandor-journal"), std::string::npos) << rel;
    }
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace kelvandor
