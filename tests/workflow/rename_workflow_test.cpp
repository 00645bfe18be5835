#include "workflow/rename_workflow.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/run_journal.h"
#include "families/family_kind.h"
#include "families/iar/iar_family.h"
#include "platform/file_system.h"
#include "platform/forwarding_file_system.h"
#include "platform/io_error.h"
#include "platform/path_style.h"
#include "platform/planning_file_system.h"
#include "tests/support/call_recorder.h"
#include "tests/support/crashing_file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/native_only.h"
#include "tests/support/param_label.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "workflow/cleanup.h"

namespace kelvandor {
namespace {

using testing::CurrentDirGuard;
using testing::ListTree;
using testing::MakeDirs;
using testing::ParamLabel;
using testing::PrintTo;
using testing::ReadFile;
using testing::RecordingUi;
using testing::Shown;
using testing::Snapshot;
using testing::TempDir;
using testing::WriteFile;
using Tree = std::vector<std::string>;
using Replacements = std::vector<std::pair<std::string, std::string>>;

const std::string kSep = SeparatorString();

// `root` + separator + `relative`, where `relative` uses "/".
std::string Join(const std::string& root, std::string_view relative) {
  std::string out = root;
  if (relative.empty()) return out;
  out += kSep;
  for (char c : relative) out += c == '/' ? Separator() : c;
  return out;
}

std::string Example(std::string_view name) { return Join(KELVANDOR_EXAMPLES_DIR, name); }

std::string ReplaceAll(std::string text, const Replacements& replacements) {
  for (const auto& [from, to] : replacements) {
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, pos + to.size())) {
      text.replace(pos, from.size(), to);
    }
  }
  return text;
}

Tree Sorted(Tree tree) {
  std::sort(tree.begin(), tree.end());
  return tree;
}

// A project and the plan made of it, as the window hands them over.
struct Request {
  Project project;
  RenamePlan plan;
};

struct Sample {
  const char* example;  // folder below examples/, also the old project name
  bool wsp_prj = false;
  bool eww = false;
  bool uvproj = false;
  const char* iar_sub = "";  // relative, "/" between levels
  const char* keil_sub = "";
  bool uvprojx = false;                 // a uVision 5 project in the Keil folder
  const char* iar_name = nullptr;       // the ".ewp" name, when not the example's
  const char* iar_workspace = nullptr;  // the ".eww" name, when not the project's
  bool iar_generator = false;           // output folders named by the ".ewp"
  // An Eclipse project: a file its rename moves away.
  const char* eclipse_moved = nullptr;
  // An MPLAB X project: its name, and its folder below the project folder.
  const char* mplab_name = nullptr;
  const char* mplab_sub = "";
  // A generator's CMake project, and the name every family of the sample
  // has when it is not the example's.
  bool cmake = false;
  const char* name = nullptr;
};

const Sample kBlinky{"blinky", true, false, false};
const Sample kMotor{"motor", false, true, false};
const Sample kValve{"valve", false, false, true};
const Sample kSensor{"sensor", false, true, true, "example/IAR", "example/ARM"};
const Sample kGateway{"gateway", true, true, true, "example/IAR", "example/ARM"};
const Sample kHeater{"heater", false, false, true, "", "MDK-ARM", true};
const Sample kFan{"fan", false, false, true, "", "", true};
const Sample kConveyor{"conveyor", false, true,    false,     "EWARM",
                       "",         false, nullptr, "Project", true};
const Sample kDual{"dual", false, true, false, "", "", false, "boot", "dual"};
// IAR below EWARM with its output in folders named after the project, which
// the clean-up also empties under the name they had before the rename.
const Sample kBoiler{"boiler", false, true, false, "EWARM", "", false, nullptr, "Project", true};
const Sample kLed{"LED", false, false, true};
const Sample kDimmer{"dimmer", false, false, true, "", "MDK-ARM/Appli", true};
// Found below the folder given: uVision 4, two levels down, output outside
// the Keil folder.
const Sample kTank{"tank", false, false, true, "", "Project/RVMDK(uv4)"};
// Eclipse: single core with its ".ioc", dual core, managed link scripts, a
// ".launches" folder.
const Sample kBeacon{.example = "beacon", .eclipse_moved = "beacon.ioc"};
const Sample kDrive{.example = "drive", .eclipse_moved = "CM4/drive_CM4 Debug.launch"};
const Sample kMeter{.example = "meter", .eclipse_moved = "meter LinkServer Debug.launch"};
const Sample kScale{.example = "scale", .eclipse_moved = ".launches/scale.launch"};
// MPLAB X: with its MCC file, a name with a blank, Harmony 3 below firmware/.
const Sample kMplabBlink{.example = "mplab-blink/blink.X", .mplab_name = "blink"};
const Sample kMplabLab{.example = "mplab-lab/Lab 10.X", .mplab_name = "Lab 10"};
const Sample kMplabHarmony{
    .example = "mplab-harmony/dosing", .mplab_name = "dosing", .mplab_sub = "firmware/dosing.X"};
// CMake: single context in a folder named otherwise, two contexts, and a
// folder shared with EWARM/ and an Eclipse project.
const Sample kCMakeBlinky{.example = "cmake-blinky", .cmake = true, .name = "lumen"};
const Sample kCMakeDual{.example = "cmake-dual", .cmake = true, .name = "duo"};
const Sample kCMakeMixed{.example = "cmake-mixed",
                         .eww = true,
                         .iar_sub = "EWARM",
                         .iar_name = "mix",
                         .iar_generator = true,
                         .eclipse_moved = "mix.ioc",
                         .cmake = true,
                         .name = "mix"};

std::string SubDir(const char* relative) { return *relative ? Join("", relative) : std::string(); }

// A project file of the example and what the workflow makes of it.
struct Rewritten {
  std::string old_rel;
  std::string new_rel;
  Replacements replacements;
};

std::vector<Rewritten> RewrittenFiles(const Sample& f, const Request& r) {
  const std::string old_name = f.example;
  const std::string& name = r.plan.new_name;
  const std::string folder_line = r.plan.new_path + r.plan.new_dir + kSep;
  std::vector<Rewritten> out;
  if (f.wsp_prj) {
    out.push_back({old_name + ".wsp",
                   name + ".wsp",
                   {{"WSP=D:\\work\\" + old_name + "\\", "WSP=" + folder_line},
                    {"FILE-0=" + old_name + ".prj", "FILE-0=" + name + ".prj"},
                    {"ActivePrj=" + old_name + ".prj", "ActivePrj=" + name + ".prj"},
                    {"[SubPrj-" + old_name + ".prj]", "[SubPrj-" + name + ".prj]"}}});
    out.push_back({old_name + ".prj",
                   name + ".prj",
                   {{"PRJ=D:\\work\\" + old_name + "\\", "PRJ=" + folder_line},
                    {"ABS\\" + old_name + ".abs", "ABS\\" + name + ".abs"},
                    {"\\" + r.project.old_dir + "\\", "\\" + r.plan.new_dir + "\\"}}});
  }
  const auto in = [](const char* sub, const std::string& file) {
    return *sub ? std::string(sub) + "/" + file : file;
  };
  if (f.eww) {
    const char* d = f.iar_sub;
    out.push_back({in(d, old_name + ".eww"),
                   in(d, name + ".eww"),
                   {{"$WS_DIR$\\" + old_name + ".ewp", "$WS_DIR$\\" + name + ".ewp"}}});
    out.push_back({in(d, old_name + ".ewp"),
                   in(d, name + ".ewp"),
                   {{"<state>" + old_name, "<state>" + name}}});
    out.push_back({in(d, old_name + ".ewd"), in(d, name + ".ewd"), {}});
    out.push_back(
        {in(d, old_name + ".dep"), in(d, name + ".dep"), {{"\\" + old_name, "\\" + name}}});
    for (const std::string suffix : {".dni", ".wsdt", "_Debug.cspy.bat"}) {
      out.push_back(
          {in(d, "settings/" + old_name + suffix), in(d, "settings/" + name + suffix), {}});
    }
  }
  if (f.uvproj) {
    const char* d = f.keil_sub;
    // "<TargetName>NAME Release" names another target and stays.
    const Replacements target = {{"<TargetName>" + old_name + "<", "<TargetName>" + name + "<"}};
    Replacements project = target;
    project.push_back({"<OutputName>" + old_name + "<", "<OutputName>" + name + "<"});
    out.push_back({in(d, old_name + ".uvproj"), in(d, name + ".uvproj"), project});
    out.push_back({in(d, old_name + ".uvopt"), in(d, name + ".uvopt"), target});
  }
  return out;
}

class RenameProjectTest : public ::testing::Test {
 protected:
  RenameProjectTest() = default;
  explicit RenameProjectTest(testing::TempPlace place) : tmp_(place) {}

  // Copies examples/<name> to tmp_/<parent>/<name> and describes it as input
  // analysis would.
  Request Load(const Sample& f, std::string_view parent = "work") {
    const std::string project = Join(Join(tmp_.path(), parent), f.example);
    const std::string dir = FolderPart(project);
    MakeDirs(dir);
    EXPECT_TRUE(CopyTree(Example(f.example), project));
    Request r;
    r.project.project_dir = project;
    r.project.input_dir = dir;
    r.project.old_dir = NamePart(project);
    r.plan.new_path = dir + kSep;
    r.plan.new_dir = r.project.old_dir;
    r.plan.new_name = f.mplab_name != nullptr ? f.mplab_name : f.example;
    if (f.wsp_prj) {
      {
        Family& family = r.project.Add(FamilyKind::kWspPrj);
        family.old_name = f.example;
        family.SetValue(kWorkspaceValue, f.example);
      }
    }
    if (f.eww) {
      {
        Family& family = r.project.Add(FamilyKind::kIar);
        family.sub_dir = SubDir(f.iar_sub);
        family.old_name = f.iar_name != nullptr ? f.iar_name : f.example;
        if (f.iar_workspace != nullptr) family.SetValue(kWorkspaceValue, f.iar_workspace);
        family.SetFlag(kGeneratorLayoutValue, f.iar_generator);
      }
    }
    if (f.uvproj) {
      {
        Family& family = r.project.Add(FamilyKind::kKeilUv4);
        family.sub_dir = SubDir(f.keil_sub);
        family.old_name = f.example;
      }
    }
    if (f.uvprojx) {
      {
        Family& family = r.project.Add(FamilyKind::kKeilUv5);
        family.sub_dir = SubDir(f.keil_sub);
        family.old_name = f.example;
      }
    }
    const char* name = f.name != nullptr ? f.name : f.example;
    if (f.eclipse_moved != nullptr) r.project.Add(FamilyKind::kEclipse).old_name = name;
    if (f.mplab_name != nullptr) {
      Family& family = r.project.Add(FamilyKind::kMplab);
      family.sub_dir = SubDir(f.mplab_sub);
      family.old_name = f.mplab_name;
    }
    if (f.cmake) r.project.Add(FamilyKind::kCMake).old_name = name;
    return r;
  }

  static void CopyTo(Request& r, const std::string& new_path, std::string new_name) {
    r.plan.mode = RenameMode::kCopy;
    r.plan.new_path = new_path;
    r.plan.new_dir = new_name;
    r.plan.new_name = std::move(new_name);
  }

  // Runs the workflow and takes its completed new path back, as the window does.
  bool Run(Request& r, FileSystem& file_system = NativeFileSystem()) {
    const RenameOutcome outcome = RenameProject(r.project, r.plan, ui_, file_system);
    r.plan.new_path = outcome.new_path;
    error_ = outcome.error;
    return outcome.ok();
  }

  // The cursor is back, and the process's current folder was left alone.
  void ExpectRestored(const Request&) {
    EXPECT_EQ(ui_.busy_changes, (std::vector<bool>{true, false}));
    EXPECT_EQ(CurrentDir(), start_dir_);
  }

  TempDir tmp_;
  CurrentDirGuard cwd_;
  RecordingUi ui_;
  RenameError error_ = RenameError::kNone;
  const std::string start_dir_ = CurrentDir();
};

TEST_F(RenameProjectTest, TypicalRequestCopiesBlinkyToPump) {
  Request r = Load(kBlinky);
  CopyTo(r, tmp_ / "new", "pump");
  r.plan.clean_up = true;

  EXPECT_TRUE(Run(r));
  EXPECT_EQ(error_, RenameError::kNone);
  EXPECT_EQ(r.plan.new_path, tmp_ / "new" + kSep);
  EXPECT_TRUE(ui_.shown.empty());
  ExpectRestored(r);

  const std::string pump = tmp_ / "new/pump";
  EXPECT_EQ(ListTree(pump),
            (Tree{"ABS/", "ABS/blinky.hex", "ABS/pump.mhx", "LST/", "OBJ/", "OPT/", "pump.prj",
                  "pump.wsp", "src/", "src/led.c", "src/led.h", "src/main.c"}));
  const std::string folder_line = tmp_ / "new" + kSep + "pump" + kSep;
  EXPECT_EQ(ReadFile(Join(pump, "pump.wsp")),
            testing::CrLf({"[Workspace]", "Version=4.2", "WSP=" + folder_line, "FILE-0=pump.prj",
                           "ActivePrj=pump.prj", "Layout=2", "", "[SubPrj-pump.prj]", "Open=1",
                           "Target=Debug"}));
  EXPECT_EQ(ReadFile(Join(pump, "pump.prj")),
            testing::CrLf({"[Project]", "Version=4.2", "PRJ=" + folder_line, "Cpu=ORL16C62",
                           "Memory=near", "Stack=0x100", "", "[Files]", "F1=0 m ABS\\pump.abs",
                           "F2=1 c src\\main.c", "F3=1 c src\\led.c", "", "[Options]",
                           "Include=D:\\work\\pump\\src", "Output=D:\\work\\pump\\OBJ",
                           "List=..\\pump\\LST", "Optimize=2"}));
  EXPECT_EQ(ReadFile(Join(pump, "ABS/pump.mhx")), ReadFile(Example("blinky/ABS/blinky.mhx")));
  EXPECT_EQ(ReadFile(Join(pump, "ABS/blinky.hex")), ReadFile(Example("blinky/ABS/blinky.hex")));
  EXPECT_EQ(Snapshot(r.project.project_dir), Snapshot(Example("blinky")));
}

using Mode = RenameMode;

struct ModeCase {
  Mode mode;
  const Sample* family;
  testing::Fault fault = testing::Fault::kDiskFull;  // for the fault loop
};
void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.family->example; }

std::string CaseName(const ::testing::TestParamInfo<ModeCase>& info) {
  const char* mode[] = {"InPlace", "Copy", "RenameFolder"};
  const char* fault[] = {"", "_ReadFails", "_Interrupted"};
  return std::string(mode[static_cast<int>(info.param.mode)]) + "_" +
         testing::TestNamePart(info.param.family->example) +
         fault[static_cast<int>(info.param.fault)];
}

class RenameProjectModeTest : public RenameProjectTest,
                              public ::testing::WithParamInterface<ModeCase> {
 protected:
  using RenameProjectTest::RenameProjectTest;

  // The copy goes to <base>/new/pump, by default below the test's folder.
  void ToPump(Request& r, Mode mode, std::string base = {}) {
    if (base.empty()) base = tmp_.path();
    r.plan.new_name = "pump";
    switch (mode) {
      case Mode::kCopy:
        CopyTo(r, Join(base, "new") + kSep, "pump");
        break;
      case Mode::kRenameFolder:
        r.plan.mode = RenameMode::kRenameFolder;
        r.plan.new_dir = "pump";
        break;
      case Mode::kInPlace:
        break;
    }
  }
};

// Without CleanUp the new project is the old tree with the project files
// renamed and rewritten; nothing else changes.
TEST_P(RenameProjectModeTest, RewritesEveryFamilyInItsFolder) {
  const Sample& f = *GetParam().family;
  Request r = Load(f);
  ToPump(r, GetParam().mode);
  const std::string target = r.plan.new_path + r.plan.new_dir;

  EXPECT_TRUE(Run(r));
  EXPECT_EQ(error_, RenameError::kNone);
  EXPECT_TRUE(ui_.shown.empty()) << ui_.shown.front().text;
  ExpectRestored(r);

  const std::vector<Rewritten> files = RewrittenFiles(f, r);
  Tree expected = ListTree(Example(f.example));
  for (std::string& rel : expected) {
    for (const Rewritten& file : files) {
      if (rel == file.old_rel) rel = file.new_rel;
    }
  }
  EXPECT_EQ(ListTree(target), Sorted(expected));
  for (const Rewritten& file : files) {
    EXPECT_EQ(ReadFile(Join(target, file.new_rel)),
              ReplaceAll(ReadFile(Example(f.example) + kSep + file.old_rel), file.replacements))
        << file.new_rel;
  }
  switch (GetParam().mode) {
    case Mode::kCopy:
      EXPECT_EQ(Snapshot(r.project.project_dir), Snapshot(Example(f.example)));
      break;
    case Mode::kRenameFolder:
      EXPECT_FALSE(AnythingExists(r.project.project_dir));
      break;
    case Mode::kInPlace:
      break;
  }
}

std::vector<ModeCase> AllModeCases() {
  std::vector<ModeCase> out;
  for (Mode mode : {Mode::kCopy, Mode::kRenameFolder, Mode::kInPlace}) {
    for (const Sample* f : {&kBlinky, &kMotor, &kValve, &kSensor, &kGateway, &kTank}) {
      out.push_back({mode, f});
    }
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(ModesAndFamilies, RenameProjectModeTest,
                         ::testing::ValuesIn(AllModeCases()), CaseName);

struct CleanCase {
  const Sample* family;
  Tree tree;  // of the new project after the copy with CleanUp
};
void PrintTo(const CleanCase& c, std::ostream* os) { *os << c.family->example; }

class RenameProjectCleanUpTest : public RenameProjectTest,
                                 public ::testing::WithParamInterface<CleanCase> {};

TEST_P(RenameProjectCleanUpTest, CopyWithCleanUpLeavesImagesAndProjectFiles) {
  const Sample& f = *GetParam().family;
  Request r = Load(f);
  CopyTo(r, tmp_ / "new" + kSep, "pump");
  r.plan.clean_up = true;

  EXPECT_TRUE(Run(r));
  EXPECT_EQ(ListTree(tmp_ / "new/pump"), Sorted(GetParam().tree));
  EXPECT_EQ(Snapshot(r.project.project_dir), Snapshot(Example(f.example)));
}

Tree IarCleaned(const std::string& at, const std::string& old_name) {
  const std::string p = at.empty() ? "" : at + "/";
  return {p + "output/",
          p + "output/debug/",
          p + "output/debug/exe/",
          p + "output/debug/exe/" + old_name + ".hex",
          p + "output/debug/list/",
          p + "output/debug/obj/",
          p + "output/release/",
          p + "output/release/exe/",
          p + "output/release/exe/pump.hex",
          p + "output/release/exe/pump.mhx",
          p + "output/release/exe/pump.srec",
          p + "output/release/list/",
          p + "output/release/obj/",
          p + "pump.dep",
          p + "pump.ewd",
          p + "pump.ewp",
          p + "pump.eww",
          p + "settings/"};
}

Tree KeilCleaned(const std::string& at, const std::string& old_name) {
  const std::string p = at.empty() ? "" : at + "/";
  return {p + "output/",
          p + "output/debug/",
          p + "output/debug/" + old_name + ".hex",
          p + "output/release/",
          p + "output/release/pump.hex",
          p + "output/release/pump.srec",
          p + "pump.uvopt",
          p + "pump.uvproj"};
}

Tree WspPrjCleaned(const std::string& config, const std::string& old_name) {
  const std::string p = config.empty() ? "" : config + "/";
  return {p + "ABS/", p + "ABS/" + old_name + ".hex", p + "ABS/pump.mhx", p + "LST/", p + "OBJ/",
          p + "OPT/"};
}

Tree Concat(std::initializer_list<Tree> parts) {
  Tree out;
  for (const Tree& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Tree Sources(std::initializer_list<const char*> modules) {
  Tree out{"src/", "src/main.c"};
  for (const char* m : modules) {
    out.push_back(std::string("src/") + m + ".c");
    out.push_back(std::string("src/") + m + ".h");
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Families, RenameProjectCleanUpTest,
    ::testing::Values(CleanCase{&kMotor, Concat({IarCleaned("", "motor"), Sources({"pwm"})})},
                      CleanCase{&kValve, Concat({KeilCleaned("", "valve"), Sources({"adc"})})},
                      CleanCase{&kSensor, Concat({{"example/"},
                                                  IarCleaned("example/IAR", "sensor"),
                                                  {"example/IAR/"},
                                                  KeilCleaned("example/ARM", "sensor"),
                                                  {"example/ARM/"},
                                                  Sources({"filter"})})},
                      CleanCase{&kGateway, Concat({{"Debug/", "Release/"},
                                                   WspPrjCleaned("Debug", "gateway"),
                                                   WspPrjCleaned("Release", "gateway"),
                                                   {"pump.prj", "pump.wsp"},
                                                   {"example/"},
                                                   IarCleaned("example/IAR", "gateway"),
                                                   {"example/IAR/"},
                                                   KeilCleaned("example/ARM", "gateway"),
                                                   {"example/ARM/"},
                                                   Sources({"uart"})})}),
    [](const ::testing::TestParamInfo<CleanCase>& p) {
      return std::string(p.param.family->example);
    });

using Entries = std::vector<std::pair<std::string, std::string>>;

const Sample kLamp{"lamp", true, false, false};
const Sample kSrc{"src", true, false, false};

// A sample renamed to "pump": every file of the result, as written here.
// "{T}" stands for the new project folder with a final separator, "{D}" for
// the new folder's name; a file not listed is the sample's own, unchanged.
struct WholeCase {
  const Sample* sample;
  Mode mode;
  std::vector<std::pair<std::string, std::string>> moved;  // old relative path -> new
  std::vector<std::pair<std::string, std::vector<std::string>>> written;  // new path -> CR LF lines
};
void PrintTo(const WholeCase& c, std::ostream* os) { *os << c.sample->example; }

const std::vector<std::pair<std::string, std::string>> kLampMoved = {{"lamp.wsp", "pump.wsp"},
                                                                     {"lamp.prj", "pump.prj"}};
const std::vector<std::pair<std::string, std::vector<std::string>>> kLampWritten = {
    {"pump.wsp",
     {"[Workspace]", "Version=4.2", "WSP={T}", "FILE-0=pump.prj", "FILE-1=boot\\boot.prj",
      "ActivePrj=pump.prj", "Layout=2", "", "[SubPrj-pump.prj]", "Open=1", "Target=Debug", "",
      "[SubPrj-boot\\boot.prj]", "Open=0", "Target=Release"}},
    {"pump.prj",
     {"[Project]", "Version=4.2", "PRJ={T}", "Cpu=ORL16C62", "Memory=near", "", "[Files]",
      "F1=0 m ABS\\pump.abs", "F2=1 c src\\main.c", "F3=1 c src\\dimmer.c", "", "[Options]",
      "Include=D:\\work\\{D}\\src", "Output=D:\\work\\{D}\\OBJ", "Optimize=2"}}};
const std::vector<std::pair<std::string, std::string>> kSrcMoved = {{"src.wsp", "pump.wsp"},
                                                                    {"src.prj", "pump.prj"}};
const std::vector<std::pair<std::string, std::vector<std::string>>> kSrcWritten = {
    {"pump.wsp",
     {"[Workspace]", "Version=4.2", "WSP={T}", "FILE-0=pump.prj", "ActivePrj=pump.prj", "Layout=2",
      "", "[SubPrj-pump.prj]", "Open=1", "Target=Debug"}},
    {"pump.prj",
     {"[Project]", "Version=4.2", "PRJ={T}", "Cpu=ORL16C62", "", "[Files]", "F1=0 m ABS\\pump.abs",
      "F2=1 c src\\main.c", "F3=1 c SRC\\Can\\src\\can_bus.c", "F4=1 c Can\\src\\can_frame.c", "",
      "[Options]", "Include=D:\\work\\{D}\\src;Can\\src", "Output=D:\\work\\{D}\\OBJ",
      "List=..\\{D}\\LST", "Optimize=2"}}};

std::vector<WholeCase> WholeCases() {
  std::vector<WholeCase> out;
  for (Mode mode : {Mode::kCopy, Mode::kRenameFolder, Mode::kInPlace}) {
    out.push_back({&kLamp, mode, kLampMoved, kLampWritten});
    out.push_back({&kSrc, mode, kSrcMoved, kSrcWritten});
  }
  return out;
}

class RenameWholeSampleTest : public RenameProjectTest,
                              public ::testing::WithParamInterface<WholeCase> {};

// Only what names the project follows the new name, in every mode; every
// other file, and every other project's entry, stays byte for byte.
TEST_P(RenameWholeSampleTest, GivesTheHandWrittenTree) {
  const WholeCase& c = GetParam();
  Request r = Load(*c.sample);
  r.plan.new_name = "pump";
  if (c.mode == Mode::kCopy) CopyTo(r, tmp_ / "new" + kSep, "pump");
  if (c.mode == Mode::kRenameFolder) {
    r.plan.mode = RenameMode::kRenameFolder;
    r.plan.new_dir = "pump";
  }
  ASSERT_TRUE(Run(r));
  EXPECT_TRUE(ui_.shown.empty());
  const std::string target = r.plan.new_path + r.plan.new_dir;
  Entries expected;
  for (auto [rel, content] : Snapshot(Example(c.sample->example))) {
    for (const auto& [from, to] : c.moved) {
      if (rel == from) rel = to;
    }
    for (const auto& [path, lines] : c.written) {
      if (rel == path) {
        content =
            ReplaceAll(testing::CrLf(lines), {{"{T}", target + kSep}, {"{D}", r.plan.new_dir}});
      }
    }
    expected.emplace_back(rel, content);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Snapshot(target), expected);
}

std::string WholeCaseName(const ::testing::TestParamInfo<WholeCase>& p) {
  return CaseName({ModeCase{p.param.mode, p.param.sample}, p.index});
}

INSTANTIATE_TEST_SUITE_P(Samples, RenameWholeSampleTest, ::testing::ValuesIn(WholeCases()),
                         WholeCaseName);

// Two entries of a workspace that would name one file: refused before any
// change, with the entry named.
TEST_F(RenameProjectTest, WorkspaceEntriesThatWouldCollideChangeNothing) {
  Request r = Load(kLamp);
  const std::string project = r.project.project_dir;
  WriteFile(Join(project, "lamp.wsp"), testing::CrLf({"WSP=x", "FILE-0=lamp.prj", "FILE-1=boot.prj",
                                                      "[SubPrj-lamp.prj]", "[SubPrj-boot.prj]"}));
  WriteFile(Join(project, "boot.prj"), "PRJ=x\r\n");
  for (Mode mode : {Mode::kCopy, Mode::kRenameFolder, Mode::kInPlace}) {
    Request run = r;
    run.plan.new_name = "boot";
    run.plan.mode = mode;
    if (mode != Mode::kInPlace) run.plan.new_dir = "boot";
    const Entries before = Snapshot(tmp_.path());
    ui_.shown.clear();
    EXPECT_FALSE(Run(run));
    EXPECT_EQ(error_, RenameError::kBrokenReference);
    EXPECT_EQ(Snapshot(tmp_.path()), before);
    ASSERT_EQ(ui_.shown.size(), 1u);
    EXPECT_EQ(ui_.shown[0].text,
              "Reference would break: boot.wsp: FILE-1=boot.prj would name the same file as "
              "another entry");
  }
}

TEST_F(RenameProjectTest, BackupKeepsEveryOldProjectFileThroughTheCleanUp) {
  Request r = Load(kGateway);
  CopyTo(r, tmp_ / "new" + kSep, "pump");
  r.plan.clean_up = true;
  r.plan.backup = true;

  EXPECT_TRUE(Run(r));
  const std::string target = tmp_ / "new/pump";
  const std::pair<const char*, const char*> backups[] = {
      {"_old_gateway.wsp", "gateway.wsp"},
      {"_old_gateway.prj", "gateway.prj"},
      {"example/IAR/gateway.eww.bak", "example/IAR/gateway.eww"},
      {"example/IAR/gateway.ewp.bak", "example/IAR/gateway.ewp"},
      {"example/IAR/gateway.ewd.bak", "example/IAR/gateway.ewd"},
      {"example/IAR/gateway.dep.bak", "example/IAR/gateway.dep"},
      {"example/ARM/gateway.uvproj.bak", "example/ARM/gateway.uvproj"},
      {"example/ARM/gateway.uvopt.bak", "example/ARM/gateway.uvopt"},
  };
  for (const auto& [backup, original] : backups) {
    EXPECT_EQ(ReadFile(Join(target, backup)), ReadFile(Example(std::string("gateway/") + original)))
        << backup;
  }
  EXPECT_TRUE(FileExists(Join(target, "example/IAR/pump.ewp")));
}

TEST_F(RenameProjectTest, ArchiveProjectIsCopiedOutOfTheTemporaryFolder) {
  Request r = Load(kBlinky, "___temp___");
  r.project.from_archive = true;
  r.project.input_dir = tmp_.path();
  CopyTo(r, tmp_ / "new" + kSep, "pump");

  EXPECT_TRUE(Run(r));
  EXPECT_TRUE(FileExists(tmp_ / "new/pump/pump.wsp"));
  EXPECT_EQ(Snapshot(r.project.project_dir), Snapshot(Example("blinky")));
  ExpectRestored(r);
}

TEST_F(RenameProjectTest, EmptyNewPathBecomesTheDefaultPath) {
  Request r;
  r.plan.new_dir = "kelvandor-no-such-folder";
  r.project.input_dir = tmp_.path();

  EXPECT_TRUE(Run(r));
  EXPECT_EQ(r.plan.new_path, DefaultNewPath());
  ExpectRestored(r);
}

TEST_F(RenameProjectTest, ExistingTargetAnsweredYesIsReplacedByTheCopy) {
  Request r = Load(kBlinky);
  CopyTo(r, tmp_ / "new", "pump");
  WriteFile(tmp_ / "new/pump/stale.txt", "old");
  ui_.confirm_answers = {true};

  EXPECT_TRUE(Run(r));
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Confirm", "Project already exist - Delete ?"}}));
  EXPECT_FALSE(AnythingExists(tmp_ / "new/pump/stale.txt"));
  EXPECT_TRUE(FileExists(tmp_ / "new/pump/pump.prj"));
  ExpectRestored(r);
}

TEST_F(RenameProjectTest, ExistingTargetAnsweredNoStaysAsItWas) {
  Request r = Load(kBlinky);
  CopyTo(r, tmp_ / "new", "pump");
  r.plan.clean_up = true;
  MakeDirs(tmp_ / "new");
  ASSERT_TRUE(CopyTree(Example("blinky"), tmp_ / "new/pump"));
  ui_.confirm_answers = {false};

  EXPECT_FALSE(Run(r));
  EXPECT_EQ(error_, RenameError::kTargetKept);
  EXPECT_EQ(r.plan.new_path, tmp_ / "new" + kSep);  // completed also on failure
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{"Project already exist - Delete ?"}));
  EXPECT_EQ(Snapshot(tmp_ / "new/pump"), Snapshot(Example("blinky")));  // not rewritten or cleaned
  EXPECT_EQ(Snapshot(r.project.project_dir), Snapshot(Example("blinky")));
  ExpectRestored(r);
}

TEST_F(RenameProjectTest, RenameOntoAnExistingFolderFails) {
  Request r = Load(kBlinky);
  r.plan.mode = RenameMode::kRenameFolder;
  r.plan.new_dir = "pump";
  r.plan.new_name = "pump";
  MakeDirs(tmp_ / "work/pump");

  EXPECT_FALSE(Run(r));
  EXPECT_EQ(error_, RenameError::kRename);
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Kelvandor", "Failed to Rename Project!"}}));
  EXPECT_EQ(ListTree(tmp_ / "work/pump"), Tree{});
  EXPECT_EQ(Snapshot(r.project.project_dir), Snapshot(Example("blinky")));
  ExpectRestored(r);
}

// The retry of a rename-folder run that moved the folder already: the
// folder has the name asked for.
TEST_F(RenameProjectTest, RenameFolderOntoItsOwnNameRenamesOnlyTheFiles) {
  Request r = Load(kBlinky);
  r.plan.mode = RenameMode::kRenameFolder;
  r.plan.new_name = "pump";

  EXPECT_TRUE(Run(r));
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_TRUE(FileExists(Join(r.project.project_dir, "pump.wsp")));
  EXPECT_FALSE(FileExists(Join(r.project.project_dir, "blinky.wsp")));
}

TEST_F(RenameProjectTest, FolderAboveTheTargetThatCannotBeMadeGivesError8) {
  Request r = Load(kBlinky);
  WriteFile(tmp_ / "file", "not a folder");
  CopyTo(r, tmp_ / "file/sub" + kSep, "pump");

  EXPECT_FALSE(Run(r));
  EXPECT_EQ(error_, RenameError::kCreateTarget);
  EXPECT_TRUE(ui_.shown.empty());
  ExpectRestored(r);
}

TEST_F(RenameProjectTest, MissingOldProjectGivesError1) {
  Request r = Load(kBlinky);
  r.project.project_dir = tmp_ / "work/gone";
  CopyTo(r, tmp_ / "new" + kSep, "pump");

  EXPECT_FALSE(Run(r));
  EXPECT_EQ(error_, RenameError::kCopy);
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{"Failed to Copy Project!"}));
  ExpectRestored(r);
}

// The recheck message of a rewriter is a warning of the report, which the
// plan gives as the run does; the result stays true.
TEST_F(RenameProjectTest, RecheckMessageOfARewriterIsAWarningOfThePlanAndTheRun) {
  Request r = Load(kBlinky);
  CopyTo(r, tmp_ / "new" + kSep, "pump");
  r.project.families.front().SetValue(kWorkspaceValue, "");  // several ".wsp" files: no name

  PlanningFileSystem planning;
  const RenameOutcome plan = RenameProject(r.project, r.plan, ui_, planning);
  const RenameOutcome done = RenameProject(r.project, r.plan, ui_, NativeFileSystem());
  EXPECT_TRUE(done.ok());
  const std::vector<RewriteWarning> warnings = {
      {tmp_ / "new/pump/.wsp", "Please recheck *.WSP files manually"}};
  EXPECT_EQ(plan.report.warnings, warnings);
  EXPECT_EQ(done.report.warnings, warnings);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_TRUE(FileExists(tmp_ / "new/pump/pump.prj"));
}

TEST_F(RenameProjectTest, RewriterIoErrorPassesThroughWithCursorAndFolderRestored) {
  Request r = Load(kGateway);
  CopyTo(r, tmp_ / "new" + kSep, "pump");
  r.plan.clean_up = true;
  // Room for the WSP, PRJ and IAR workspace files, so that the disk fills up
  // while the IAR project file is written.
  long long budget = 10;
  for (const Rewritten& file : RewrittenFiles(kGateway, r)) {
    if (file.new_rel.ends_with(".ewp")) break;
    budget += static_cast<long long>(
        ReplaceAll(ReadFile(Example("gateway/" + file.old_rel)), file.replacements).size());
  }
  testing::FaultyFileSystem full_disk;
  full_disk.set_space(budget);
  EXPECT_THROW(Run(r, full_disk), IoError);
  ExpectRestored(r);
  EXPECT_EQ(error_, RenameError::kNone);

  // The copy that failed is removed again; the source is as it was.
  EXPECT_FALSE(AnythingExists(tmp_ / "new/pump"));
  EXPECT_EQ(Snapshot(r.project.project_dir), Snapshot(Example("gateway")));
}

// A family folder that is a link to another project: the copy keeps the link
// leading there, and the rename refuses before any file of either changes.
TEST_F(RenameProjectTest, FamilyFolderLinkedToAnotherProjectIsRefused) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  Request r = Load(kSensor);
  const std::string other = tmp_ / "other";
  ASSERT_TRUE(CopyTree(Join(r.project.project_dir, "example/IAR"), other));
  ASSERT_TRUE(RemoveTree(Join(r.project.project_dir, "example/IAR")));
  testing::MakeSymlink(other, Join(r.project.project_dir, "example/IAR"));
  const auto other_before = Snapshot(other);
  const auto source_before = Snapshot(r.project.project_dir);
  r.plan.clean_up = true;
  for (Mode mode : {Mode::kCopy, Mode::kInPlace}) {
    SCOPED_TRACE(static_cast<int>(mode));
    Request run = r;
    if (mode == Mode::kCopy) CopyTo(run, tmp_ / "new" + kSep, "pump");
    EXPECT_FALSE(Run(run));
    EXPECT_EQ(error_, RenameError::kBadTarget);
    EXPECT_EQ(Snapshot(other), other_before);
    EXPECT_EQ(Snapshot(r.project.project_dir), source_before);
  }
}

// A SOURCE reached through a link: rename-folder would rename the link, so
// it is refused as a link leading out is, and nothing changes.
TEST_F(RenameProjectTest, RenameFolderOfALinkedProjectIsRefused) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  Request r = Load(kBlinky);
  testing::MakeSymlink(r.project.project_dir, tmp_ / "work/link");
  r.project.project_dir = tmp_ / "work/link";
  r.plan.mode = RenameMode::kRenameFolder;
  r.plan.new_dir = "pump";
  r.plan.new_name = "pump";
  const Entries before = Snapshot(tmp_.path());

  EXPECT_FALSE(Run(r));
  EXPECT_EQ(error_, RenameError::kBadTarget);
  EXPECT_EQ(Snapshot(tmp_.path()), before);
  EXPECT_TRUE(IsLink(tmp_ / "work/link"));
}

// The real disk as a read-only folder shows it (a read-only mount, or a
// folder without write permission), also to root.
class ReadOnlyFolderFileSystem : public ForwardingFileSystem {
 public:
  explicit ReadOnlyFolderFileSystem(std::string folder)
      : ForwardingFileSystem(NativeFileSystem()), folder_(std::move(folder)) {}
  bool Writable(std::string_view dir) { return !IsSameOrInside(dir, folder_); }

  bool MakeDirectory(std::string_view path) override {
    return Allowed(path) && ForwardingFileSystem::MakeDirectory(path);
  }
  bool Rename(std::string_view from, std::string_view to, bool replace) override {
    return Allowed(from) && Allowed(to) && ForwardingFileSystem::Rename(from, to, replace);
  }
  bool RemoveFile(std::string_view path) override {
    return Allowed(path) && ForwardingFileSystem::RemoveFile(path);
  }
  int CreateForWriting(std::string_view path) override {
    return Allowed(path) ? ForwardingFileSystem::CreateForWriting(path) : -1;
  }

 private:
  bool Allowed(std::string_view path) {
    if (Writable(FolderPart(std::string(path)))) return true;
    errno = EACCES;
    return false;
  }
  std::string folder_;
};

// A read-only project: the rename, the rename with clean-up and the clean-up
// each fail with an access error and change nothing, and their plans fail
// alike (a planned change meets the folder the run would meet).
TEST_F(RenameProjectTest, ReadOnlyProjectFailsInThePlanAsInTheRun) {
  Request r = Load(kBlinky);
  r.plan.new_name = "pump";
  ReadOnlyFolderFileSystem read_only(r.project.project_dir);
  const auto writable = [&](std::string_view dir) { return read_only.Writable(dir); };
  const Entries before = Snapshot(tmp_.path());
  const auto expect_access_denied = [](const auto& run) {
    try {
      run();
      ADD_FAILURE() << "no error";
    } catch (const IoError& error) {
      EXPECT_EQ(error.code(), IoErrorCode::kAccessDenied);
    }
  };
  for (const bool clean_up : {false, true}) {
    SCOPED_TRACE(clean_up);
    r.plan.clean_up = clean_up;
    PlanningFileSystem planning(writable);
    expect_access_denied([&] { RenameProject(r.project, r.plan, ui_, planning); });
    expect_access_denied([&] { RenameProject(r.project, r.plan, ui_, read_only); });
  }
  PlanningFileSystem planning(writable);
  expect_access_denied([&] { CleanUpProject(r.project, r.plan, planning); });
  expect_access_denied([&] { CleanUpProject(r.project, r.plan, read_only); });
  EXPECT_EQ(Snapshot(tmp_.path()), before);
}

// Links in the project lead, in the copy, where they led: a relative link out
// of the project neither dangles nor names a neighbour of the copy, and the
// clean-up of the copy leaves what it leads to alone.
TEST_F(RenameProjectTest, CopyKeepsLinksOutLeadingToTheSamePlace) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  Request r = Load(kBlinky);
  WriteFile(tmp_ / "work/shared_lst/keep.lst", "shared");
  WriteFile(tmp_ / "work/common/lib.c", "common");
  WriteFile(tmp_ / "new/shared_lst/neighbour.lst", "neighbour");
  ASSERT_TRUE(RemoveTree(Join(r.project.project_dir, "LST")));
  testing::MakeSymlink("../shared_lst", Join(r.project.project_dir, "LST"));
  testing::MakeSymlink("../common", Join(r.project.project_dir, "lib"));
  CopyTo(r, tmp_ / "new" + kSep, "pump");
  r.plan.clean_up = true;
  EXPECT_TRUE(Run(r));
  EXPECT_EQ(ReadFile(tmp_ / "work/shared_lst/keep.lst"), "shared");
  EXPECT_EQ(ReadFile(tmp_ / "new/shared_lst/neighbour.lst"), "neighbour");
  EXPECT_EQ(ReadFile(tmp_ / "new/pump/lib/lib.c"), "common");
  EXPECT_EQ(ReadFile(tmp_ / "new/pump/LST/keep.lst"), "shared");
}

// A relative new path is taken against the current folder once, before the
// workflow changes folders.
TEST_F(RenameProjectTest, RelativeNewPathIsMadeAbsoluteFirst) {
  Request r = Load(kBlinky);
  ASSERT_TRUE(SetCurrentDir(tmp_.path()));
  CopyTo(r, "rel" + kSep, "pump");
  EXPECT_TRUE(Run(r));
  EXPECT_EQ(r.plan.new_path, tmp_ / "rel" + kSep);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_TRUE(FileExists(tmp_ / "rel/pump/pump.prj"));
  EXPECT_TRUE(FileExists(tmp_ / "rel/pump/pump.wsp"));
}

// Copy mode whose target is the old project, lies inside it or holds it:
// deleting the target or copying into it would destroy the project itself.
struct OverlapCase {
  const char* label;
  const char* new_path;  // below the temporary folder
  const char* new_dir;
};

class RenameProjectOverlapTest : public RenameProjectTest,
                                 public ::testing::WithParamInterface<OverlapCase> {};

TEST_P(RenameProjectOverlapTest, RefusesToCopyWithoutAsking) {
  Request r = Load(kBlinky);
  if (std::string_view(GetParam().new_path) == "alias") {
    KELVANDOR_SKIP_WITHOUT_LINKS();
    testing::MakeSymlink(tmp_ / "work", tmp_ / "alias");
  }
  CopyTo(r, Join(tmp_.path(), GetParam().new_path) + kSep, GetParam().new_dir);
  ui_.confirm_answers = {true};
  const auto before = Snapshot(tmp_.path());

  EXPECT_FALSE(Run(r));
  EXPECT_EQ(error_, RenameError::kCopy);
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{{"Kelvandor", "Failed to Copy Project!"}}));
  EXPECT_EQ(Snapshot(tmp_.path()), before);
  ExpectRestored(r);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, RenameProjectOverlapTest,
    ::testing::Values(OverlapCase{"Same", "work", "blinky"},
                      OverlapCase{"SameWithDot", "work/.", "blinky"},
                      OverlapCase{"SameWithRepeatedSeparators", "work//", "blinky"},
                      OverlapCase{"SameThroughParent", "new/../work", "blinky"},
                      OverlapCase{"SameThroughLink", "alias", "blinky"},
                      OverlapCase{"Inside", "work/blinky", "copy"},
                      OverlapCase{"InsideTwoLevels", "work/blinky/src", "copy"},
                      OverlapCase{"InsideExisting", "work/blinky", "src"},
                      OverlapCase{"Holding", "", "work"}),
    ParamLabel());

TEST_F(RenameProjectTest, ArchiveLoadedWithoutConfiguredPathIsNotDeleted) {
  // The proposed new location of an unpacked archive is the unpacked folder.
  Request r = Load(kBlinky, "___temp___");
  r.project.from_archive = true;
  r.plan.mode = RenameMode::kCopy;
  ui_.confirm_answers = {true};

  EXPECT_FALSE(Run(r));
  EXPECT_EQ(error_, RenameError::kCopy);
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{"Failed to Copy Project!"}));
  EXPECT_EQ(Snapshot(r.project.project_dir), Snapshot(Example("blinky")));
}

// Folder names that do not name a folder below the new path.
struct BadTargetCase {
  const char* label;
  Mode mode;
  const char* new_dir;
};

class RenameProjectBadTargetTest : public RenameProjectTest,
                                   public ::testing::WithParamInterface<BadTargetCase> {};

TEST_P(RenameProjectBadTargetTest, RefusedBeforeAnyFolderStep) {
  Request r = Load(kBlinky);
  r.plan.new_name = "pump";
  r.plan.new_dir = GetParam().new_dir;
  r.plan.mode = GetParam().mode;
  r.plan.clean_up = true;
  WriteFile(tmp_ / "work/keep.txt", "x");
  ui_.confirm_answers = {true};
  const auto before = Snapshot(tmp_.path());

  EXPECT_FALSE(Run(r));
  EXPECT_EQ(error_, RenameError::kBadTarget);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(Snapshot(tmp_.path()), before);
  ExpectRestored(r);
}

INSTANTIATE_TEST_SUITE_P(Names, RenameProjectBadTargetTest,
                         ::testing::Values(BadTargetCase{"EmptyCopy", Mode::kCopy, ""},
                                           BadTargetCase{"EmptyRename", Mode::kRenameFolder, ""},
                                           BadTargetCase{"EmptyInPlace", Mode::kInPlace, ""},
                                           BadTargetCase{"Dot", Mode::kCopy, "."},
                                           BadTargetCase{"DotDot", Mode::kCopy, ".."},
                                           BadTargetCase{"DotDotInPlace", Mode::kInPlace, ".."},
                                           BadTargetCase{"DotDotInside", Mode::kCopy,
                                                         "pump/../blinky"},
                                           BadTargetCase{"DotAtEnd", Mode::kRenameFolder, "pump/."},
                                           BadTargetCase{"OnlySeparators", Mode::kCopy, "//"}),
                         ParamLabel());

// A new name that is a path would write project files beside or above the
// project; one with a line break would split a rewritten line.
TEST_F(RenameProjectTest, NewNameThatIsAPathIsRefusedBeforeAnyStep) {
  int run = 0;
  for (const char* name : {"../evil", "a/b", "two\nlines"}) {
    SCOPED_TRACE(name);
    Request r = Load(kBlinky, "work" + std::to_string(++run));
    r.plan.new_name = name;
    EXPECT_FALSE(Run(r));
    EXPECT_EQ(error_, RenameError::kBadTarget);
    EXPECT_EQ(Snapshot(r.project.project_dir), Snapshot(Example("blinky")));
    EXPECT_FALSE(AnythingExists(Join(r.project.input_dir, "evil.prj")));
  }
}

// A name the IDE of a family cannot build with is refused, in the plan as in
// the run, before an interrupted run is even looked for; a project without
// that family takes it.
TEST_F(RenameProjectTest, NameTheIdeCannotBuildIsRefusedInThePlanAsInTheRun) {
  Request r = Load(kMplabLab);
  r.plan.new_name = "Lab 11";
  r.plan.new_dir = "Lab 11.X";
  r.plan.mode = RenameMode::kRenameFolder;
  r.plan.clean_up = true;
  WriteFile(Join(r.project.project_dir, std::string(kJournalName)), "not a journal");
  const Entries before = Snapshot(tmp_.path());
  PlanningFileSystem planning;
  const RenameOutcome plan = RenameProject(r.project, r.plan, ui_, planning);
  const RenameOutcome done = RenameProject(r.project, r.plan, ui_, NativeFileSystem());
  EXPECT_EQ(Snapshot(tmp_.path()), before);
  EXPECT_EQ(done.error, RenameError::kBadTarget);
  EXPECT_EQ(plan.report, done.report);
  const std::string message =
      "MPLAB X cannot build a project named \"Lab 11\": \" \" is none of the letters, digits, "
      "\"_\", \"-\" and \".\" a name may hold";
  EXPECT_EQ(done.report.failure.message, message);
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{message, message}));

  Request other = Load(kBlinky);
  other.plan.new_name = "Lab 11";
  EXPECT_TRUE(Run(other));
}

// A Keil folder holding a project of each generation: one workspace listing
// both follows both, once.
TEST_F(RenameProjectTest, WorkspaceListingBothKeilGenerationsFollowsBoth) {
  Request r;
  r.project.project_dir = tmp_ / "work/p";
  r.project.old_dir = "p";
  r.plan.new_path = tmp_ / "work" + kSep;
  r.plan.new_dir = "p";
  r.plan.new_name = "pump";
  r.project.Add(FamilyKind::kKeilUv4).old_name = "a";
  r.project.Add(FamilyKind::kKeilUv5).old_name = "b";
  WriteFile(tmp_ / "work/p/a.uvproj", "<x/>");
  WriteFile(tmp_ / "work/p/b.uvprojx", "<x/>");
  WriteFile(tmp_ / "work/p/all.uvmpw",
            "<PathAndName>a.uvproj</PathAndName><PathAndName>.\\b.uvprojx</PathAndName>");

  EXPECT_TRUE(Run(r));
  EXPECT_EQ(ListTree(tmp_ / "work/p"), (Tree{"all.uvmpw", "pump.uvproj", "pump.uvprojx"}));
  EXPECT_EQ(ReadFile(tmp_ / "work/p/all.uvmpw"),
            "<PathAndName>pump.uvproj</PathAndName><PathAndName>.\\pump.uvprojx</PathAndName>");
}

TEST_F(RenameProjectTest, TargetThatIsAFileSystemRootIsRefused) {
  Request r = Load(kBlinky);
  MakeDirs(tmp_ / "new");
  KELVANDOR_SKIP_WITHOUT_LINKS();
  testing::MakeSymlink(DefaultNewPath(), tmp_ / "new/root");
  CopyTo(r, tmp_ / "new" + kSep, "root");
  // A No would still stop a broken check before it deletes anything.
  ui_.confirm_answers = {false};

  EXPECT_FALSE(Run(r));
  EXPECT_EQ(error_, RenameError::kBadTarget);
  EXPECT_TRUE(ui_.shown.empty());
  ExpectRestored(r);
}

}  // namespace

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

using testing::HoldsContent;
using testing::Modes;

// A loop of many thousand small files: in memory where the system can.
class RenameProjectFaultTest : public RenameProjectModeTest {
 protected:
  RenameProjectFaultTest() : RenameProjectModeTest(testing::TempPlace::kMemory) {}
};

// Whichever single change (in the rows of other faults: read, write) of the
// file system goes wrong, with CleanUp: a failure
// is reported and leaves every project file as it was, or the run succeeds
// with only clean-up left undone (the clean-up is silent by design); a second
// run then completes the rename. No original byte is lost on the way. The
// failing calls are the first and the last of each kind at each place of
// the run, as one run without a fault shows them.
TEST_P(RenameProjectFaultTest, AnyFailingStepLosesNothingAndARetryCompletes) {
  const Sample& f = *GetParam().family;
  const Mode mode = GetParam().mode;
  const Entries original = Snapshot(Example(f.example));
  Entries expected;
  std::vector<int> failing;
  {
    Request r = Load(f, "clean");
    ToPump(r, mode, tmp_ / "clean");
    r.plan.clean_up = true;
    testing::FaultyFileSystem counting(0, GetParam().fault);
    testing::CallRecorder recorder(counting, [&] { return counting.calls(); });
    ASSERT_TRUE(Run(r, recorder));
    expected = Snapshot(r.plan.new_path + r.plan.new_dir);
    failing = testing::ChosenCalls(recorder.calls());
  }
  // A copy never changes its source (checked below), so its runs share one.
  const Request shared_source = Load(f, "source");
  for (int n : failing) {
    SCOPED_TRACE("failing call " + std::to_string(n));
    const std::string run = tmp_ / ("run" + std::to_string(n));
    Request r = mode == Mode::kCopy ? shared_source : Load(f, NamePart(run));
    ToPump(r, mode, run);
    r.plan.clean_up = true;
    const auto modes_before = Modes(r.project.project_dir);
    testing::FaultyFileSystem faulty(n, GetParam().fault);
    bool ok = false;
    try {
      ok = Run(r, faulty);
    } catch (const IoError&) {
      ok = false;
    }
    // Every run takes the same steps up to its fault.
    EXPECT_TRUE(faulty.fired());
    const std::string target = r.plan.new_path + r.plan.new_dir;
    // The rewritten files name their folder.
    Entries wanted = expected;
    for (auto& entry : wanted) entry.second = ReplaceAll(entry.second, {{tmp_ / "clean", run}});
    // An interrupted read or write is made again: the run ends as without it.
    if (GetParam().fault == testing::Fault::kInterrupted) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(Snapshot(target), wanted);
    } else if (ok) {
      // Only clean-up steps may fail silently: whatever is left over is an
      // original file or the journal of the commit, which the next run
      // completes, and every expected content is there.
      const Entries got = Snapshot(target);
      for (const auto& entry : got) {
        const bool known = std::find(wanted.begin(), wanted.end(), entry) != wanted.end() ||
                           entry.first == kJournalName;
        EXPECT_TRUE(known || HoldsContent(original, entry.second)) << entry.first;
      }
      for (const auto& entry : wanted) EXPECT_TRUE(HoldsContent(got, entry.second)) << entry.first;
    } else {
      // The project, wherever it is now, holds exactly its original files.
      const bool moved = mode == Mode::kRenameFolder && !AnythingExists(r.project.project_dir);
      const std::string project = moved ? target : r.project.project_dir;
      EXPECT_EQ(Snapshot(project), original);
      EXPECT_EQ(Modes(project), modes_before);
      if (mode == Mode::kCopy && AnythingExists(target)) {
        EXPECT_EQ(Snapshot(target), original);
        ui_.confirm_answers = {true};
      }
      // A second run completes, from wherever the project now is.
      if (moved) {
        r.plan.mode = RenameMode::kInPlace;
        r.project.project_dir = target;
      }
      EXPECT_TRUE(Run(r));
      EXPECT_EQ(Snapshot(target), wanted);
    }
    RemoveTree(run);
    if (HasFailure()) break;
  }
}

std::vector<ModeCase> FaultCases() {
  std::vector<ModeCase> out;
  for (Mode mode : {Mode::kCopy, Mode::kRenameFolder, Mode::kInPlace}) {
    for (const Sample* f :
         {&kBlinky,       &kMotor,       &kValve,     &kHeater,    &kFan,        &kGateway,
          &kLamp,         &kConveyor,    &kDual,      &kLed,       &kDimmer,     &kTank,
          &kBeacon,       &kDrive,       &kMeter,     &kScale,     &kMplabBlink, &kMplabLab,
          &kMplabHarmony, &kCMakeBlinky, &kCMakeDual, &kCMakeMixed}) {
      // Under Wine every file step costs a round trip to its server: the
      // large combined layout runs only natively there.
      if (kNativeStyle == PathStyle::kWindows && f == &kGateway) continue;
      out.push_back({mode, f});
    }
  }
  return out;
}

// What the fault loop runs: the copy and the folder move add their own steps
// before and around the rewrite, which is the same in every mode; each
// sample adds its own rewrite, commit and clean-up.
//   blinky    WSP/PRJ; every mode, a failing and an interrupted read or write
//   lamp      WSP/PRJ, one of a workspace's two projects
//   motor     IAR; every mode, reads and writes
//   conveyor  IAR below EWARM, a workspace named otherwise, output named by the ".ewp"
//   boiler    IAR below EWARM, output folders named after the project, cleaned as named before
//   dual      IAR, one of a workspace's two projects
//   valve     uVision 4; every mode, reads and writes
//   LED       uVision 4, a name that begins other names
//   tank      uVision 4 two levels down, output outside its folder
//   fan       uVision 5 at the top; every mode, reads and writes
//   heater    uVision 5 below MDK-ARM, its RTE folder renamed
//   dimmer    uVision 5, a workspace of two projects, two levels down
//   gateway   WSP/PRJ, IAR and uVision in one batch
//   beacon    Eclipse with its ".ioc"; every mode, reads and writes
//   drive     Eclipse, dual core
//   meter     Eclipse, managed link scripts
//   scale     Eclipse, a ".launches" folder
//   blink.X   MPLAB X, its MCC file moved with the name
//   cmake-blinky  CMake, its module moved and a stale cache set aside with the commit
// Natively only: nothing of it is Windows' own.
std::vector<ModeCase> FaultLoopCases() {
  const std::vector<const Sample*> every_mode = {&kBlinky, &kMotor, &kValve, &kFan, &kBeacon};
  std::vector<ModeCase> out;
  for (Mode mode : {Mode::kCopy, Mode::kRenameFolder}) {
    for (const Sample* f : every_mode) out.push_back({mode, f});
  }
  for (const Sample* f : {&kBlinky, &kMotor, &kValve, &kHeater, &kFan, &kGateway, &kLamp,
                          &kConveyor, &kDual, &kLed, &kDimmer, &kTank, &kBeacon, &kDrive, &kMeter,
                          &kScale, &kBoiler, &kMplabBlink, &kCMakeBlinky}) {
    out.push_back({Mode::kInPlace, f});
  }
  for (testing::Fault fault : {testing::Fault::kReadFails, testing::Fault::kInterrupted}) {
    for (const Sample* f : every_mode) out.push_back({Mode::kInPlace, f, fault});
  }
  return testing::NativeOnly(out);
}

INSTANTIATE_TEST_SUITE_P(ModesAndFamilies, RenameProjectFaultTest,
                         ::testing::ValuesIn(FaultLoopCases()), CaseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RenameProjectFaultTest);

// An IDE that saves a project file while the rename reads it.
class SavingFileSystem : public ForwardingFileSystem {
 public:
  explicit SavingFileSystem(std::string suffix)
      : ForwardingFileSystem(NativeFileSystem()), suffix_(std::move(suffix)) {}
  int OpenForReading(std::string_view path) override {
    const int fd = ForwardingFileSystem::OpenForReading(path);
    if (!saved_ && path.ends_with(suffix_)) {
      saved_ = true;
      WriteFile(std::string(path), ReadFile(std::string(path)) + "<!-- saved -->\r\n");
    }
    return fd;
  }

 private:
  std::string suffix_;
  bool saved_ = false;
};

// A record that asks for more than a run does (here: to delete a source
// file) is not followed: the run stops, naming it, and changes nothing.
TEST_F(RenameProjectTest, RecordNamingWhatNoRunChangesStopsTheRun) {
  Request r = Load(kBlinky);
  r.plan.new_name = "pump";
  const std::string record = Join(r.project.project_dir, std::string(kJournalName));
  WriteFile(record, "kelvandor-journal\t1\ndelete\tsrc/main.c\ncommitted\n");
  const Entries before = Snapshot(r.project.project_dir);

  EXPECT_FALSE(Run(r));
  EXPECT_EQ(error_, RenameError::kUnfinishedRun);
  ASSERT_FALSE(ui_.shown.empty());
  EXPECT_EQ(ui_.shown.front().text, std::string(kRefusedRecordText) + " " + record);
  EXPECT_EQ(Snapshot(r.project.project_dir), before);
}

TEST_F(RenameProjectTest, ProjectFileSavedDuringTheRunStopsItBeforeAnyRename) {
  Request r = Load(kMotor);
  r.plan.new_name = "pump";
  const std::string ewp = Join(r.project.project_dir, "motor.ewp");
  SavingFileSystem saving(".ewp");

  EXPECT_FALSE(Run(r, saving));
  EXPECT_EQ(error_, RenameError::kChangedDuringRun);
  ASSERT_FALSE(ui_.shown.empty());
  EXPECT_EQ(ui_.shown.front().text,
            "A project file changed during the run, nothing was renamed: " + ewp);
  // Every file keeps its name; the save is kept.
  EXPECT_EQ(ListTree(r.project.project_dir), ListTree(Example("motor")));
  EXPECT_EQ(ReadFile(ewp), ReadFile(Example("motor/motor.ewp")) + "<!-- saved -->\r\n");
}

// The clean-up stopped at any step: the next clean-up ends where one whole
// clean-up ends.
TEST_F(RenameProjectTest, StoppedCleanUpIsCompletedByTheNextOne) {
  for (const Sample* f : {&kBlinky, &kMotor, &kValve, &kHeater, &kFan}) {
    SCOPED_TRACE(f->example);
    Request clean = Load(*f, std::string("clean-") + f->example);
    CleanUpProject(clean.project, clean.plan, NativeFileSystem());
    const Entries expected = Snapshot(clean.project.project_dir);
    for (int n = 1;; ++n) {
      SCOPED_TRACE("stopped at call " + std::to_string(n));
      Request r = Load(*f, "run");
      testing::CrashingFileSystem crashing(n);
      bool stopped = false;
      try {
        CleanUpProject(r.project, r.plan, crashing);
      } catch (const testing::Crash&) {
        stopped = true;
      }
      if (stopped) CleanUpProject(r.project, r.plan, NativeFileSystem());
      EXPECT_EQ(Snapshot(r.project.project_dir), expected);
      RemoveTree(tmp_ / "run");
      if (!stopped || HasFailure()) break;
    }
  }
}

class RenameProjectPlanTest : public RenameProjectModeTest {};

// A run through a PlanningFileSystem changes nothing anywhere, and its report
// is the report of the real run made right after it: the same question, the
// same copy, the same changed lines, the same files cleaned and renamed.
TEST_P(RenameProjectPlanTest, PlanChangesNothingAndTheRunDoesWhatItSaid) {
  const Sample& f = *GetParam().family;
  const Mode mode = GetParam().mode;
  Request r = Load(f);
  ToPump(r, mode);
  r.plan.clean_up = true;
  if (mode == Mode::kCopy) {
    // An earlier copy stands in the way: the question is part of the plan.
    MakeDirs(tmp_ / "new/pump/OBJ");
    WriteFile(tmp_ / "new/pump/OBJ/stale.o", "stale");
  }
  const Entries before = Snapshot(tmp_.path());
  const auto modes_before = Modes(tmp_.path());

  PlanningFileSystem planning;
  ui_.confirm_answers = {true};
  const RenameOutcome plan = RenameProject(r.project, r.plan, ui_, planning);
  ASSERT_TRUE(plan.ok());
  EXPECT_EQ(Snapshot(tmp_.path()), before);
  EXPECT_EQ(Modes(tmp_.path()), modes_before);

  ui_.confirm_answers = {true};
  RenameOutcome done = RenameProject(r.project, r.plan, ui_, NativeFileSystem());
  ASSERT_TRUE(done.ok());
  RunReport planned = plan.report;
  // Both list folders in the order the system yields them, which a copy
  // need not keep.
  for (RunReport* report : {&planned, &done.report}) {
    std::sort(report->cleaned.begin(), report->cleaned.end(),
              [](const RemovedFile& a, const RemovedFile& b) { return a.path < b.path; });
  }
  EXPECT_EQ(planned, done.report);
  EXPECT_EQ(planned.question.has_value(), mode == Mode::kCopy);
  EXPECT_EQ(planned.copied.files > 0, mode == Mode::kCopy);
  EXPECT_EQ(planned.renamed_folder.has_value(), mode == Mode::kRenameFolder);
  EXPECT_FALSE(planned.project_files.empty());
  EXPECT_FALSE(planned.cleaned.empty());
  for (const ProjectFileChange& file : planned.project_files) {
    EXPECT_TRUE(FileExists(JoinPath(file.dir, file.new_name))) << file.new_name;
  }
}

// The same for the clean-up on its own (Clean-Only), for every family.
TEST_F(RenameProjectTest, PlannedCleanUpChangesNothingAndMatchesTheCleanUp) {
  for (const Sample* f :
       {&kBlinky, &kMotor,      &kValve,        &kHeater,      &kFan,       &kGateway,   &kConveyor,
        &kDual,   &kLed,        &kDimmer,       &kTank,        &kBeacon,    &kDrive,     &kMeter,
        &kScale,  &kMplabBlink, &kMplabHarmony, &kCMakeBlinky, &kCMakeDual, &kCMakeMixed}) {
    SCOPED_TRACE(f->example);
    Request r = Load(*f, f->example);
    const Entries before = Snapshot(tmp_.path());
    PlanningFileSystem planning;
    RunReport planned = CleanUpProject(r.project, r.plan, planning);
    EXPECT_EQ(Snapshot(tmp_.path()), before);
    RunReport done = CleanUpProject(r.project, r.plan, NativeFileSystem());
    EXPECT_FALSE(done.cleaned.empty());
    EXPECT_EQ(planned, done);
  }
}

// A refusal is planned as the run meets it: here a folder moved into itself.
TEST_F(RenameProjectTest, PlanRefusesWhatTheRunRefuses) {
  Request r = Load(kBlinky);
  r.plan.mode = RenameMode::kRenameFolder;
  r.plan.new_path = r.project.project_dir + kSep;
  r.plan.new_dir = "inner";
  const Entries before = Snapshot(tmp_.path());
  PlanningFileSystem planning;
  const RenameOutcome plan = RenameProject(r.project, r.plan, ui_, planning);
  EXPECT_EQ(Snapshot(tmp_.path()), before);
  const RenameOutcome done = RenameProject(r.project, r.plan, ui_, NativeFileSystem());
  EXPECT_EQ(done.error, RenameError::kRename);
  EXPECT_EQ(plan.report, done.report);
}

INSTANTIATE_TEST_SUITE_P(ModesAndFamilies, RenameProjectPlanTest, ::testing::ValuesIn(FaultCases()),
                         CaseName);

}  // namespace
}  // namespace kelvandor
