#include "workflow/input_analysis.h"

#include "workflow/project_search.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/path_style.h"
#include "tests/support/family_fields.h"
#include "tests/support/param_label.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#ifdef KELVANDOR_HAVE_LIBARCHIVE
#include "families/family_kind.h"
#include "tests/support/zip_writer.h"
#endif

namespace kelvandor {
namespace {

using ::kelvandor::testing::GeneratorLayout;
using ::kelvandor::testing::MakeDirs;
using ::kelvandor::testing::OldName;
using ::kelvandor::testing::OldWorkspace;
using ::kelvandor::testing::RecordingUi;
using ::kelvandor::testing::Shown;
using ::kelvandor::testing::SubDir;
using ::kelvandor::testing::TempDir;
using ::kelvandor::testing::WriteFile;

const std::string kSep = SeparatorString();

AnalysisConfig ConfigIn(const TempDir& tmp) {
  AnalysisConfig config;
  config.exe_dir = tmp / "bin";
  return config;
}

Shown Message(std::string text) { return Shown{"Kelvandor", std::move(text)}; }

class NewInputTest : public ::testing::Test {
 protected:
  AnalysisResult Load(std::string_view path) { return NewInput(path, config_, state_, ui_, 0); }

  // A WSP/PRJ project folder holding name.wsp and name.prj.
  std::string MakePrjProject(const std::string& dir, const std::string& name) {
    WriteFile(dir + kSep + name + ".wsp", "");
    WriteFile(dir + kSep + name + ".prj", "");
    MakeDirs(dir + kSep + "ABS");
    return dir;
  }

  // PROJECT/example/IAR with an IAR project and PROJECT/example/ARM with a
  // Keil project.
  std::string MakeExampleProject(const std::string& dir) {
    for (const char* ext : {".eww", ".ewp", ".ewd", ".dep"}) {
      WriteFile(dir + kSep + "example" + kSep + "IAR" + kSep + "iarblinky" + ext, "");
    }
    for (const char* ext : {".uvproj", ".uvopt"}) {
      WriteFile(dir + kSep + "example" + kSep + "ARM" + kSep + "keilblinky" + ext, "");
    }
    return dir;
  }

  void ExpectNotFound(const AnalysisResult& result) {
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.set_check_boxes);
    EXPECT_EQ(state_.error, AnalysisError::kNoProject);
    EXPECT_FALSE(state_.project.Has(FamilyKind::kWspPrj) || state_.project.Has(FamilyKind::kIar) ||
                 state_.project.Has(FamilyKind::kKeilUv4));
    EXPECT_EQ(ui_.Texts().back(), "Input File not found!");
  }

  TempDir tmp_;
  AnalysisConfig config_ = ConfigIn(tmp_);
  ProjectState state_;
  RecordingUi ui_;
};

TEST_F(NewInputTest, TempDirIsBesideTheProgram) {
  EXPECT_EQ(TempDirFor("/opt/kelvandor"), "/opt/kelvandor" + kSep + "___temp___");
}

// The same WSP/PRJ project given by its folder, its workspace or its project.
class NewInputWspPrjTest : public NewInputTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(NewInputWspPrjTest, LoadsTheProjectFolder) {
  const std::string project = MakePrjProject(tmp_ / "work/blinky", "blinky");
  const std::string input = *GetParam() ? project + kSep + GetParam() : project;
  state_.new_name = "earlier";

  const AnalysisResult result = Load(input);

  EXPECT_TRUE(result.ok);
  EXPECT_TRUE(result.set_check_boxes);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(state_.error, AnalysisError::kNone);
  EXPECT_TRUE(state_.project.Has(FamilyKind::kWspPrj));
  EXPECT_FALSE(state_.project.Has(FamilyKind::kIar));
  EXPECT_FALSE(state_.project.Has(FamilyKind::kKeilUv4));
  EXPECT_FALSE(state_.project.from_archive);
  EXPECT_EQ(state_.project.input_dir, FolderPart(input));
  EXPECT_EQ(state_.project.project_dir, project);
  EXPECT_EQ(state_.project.old_path, tmp_ / "work" + kSep);
  EXPECT_EQ(state_.project.old_dir, "blinky");
  EXPECT_EQ(OldWorkspace(state_.project), "blinky");
  EXPECT_EQ(OldName(state_.project, FamilyKind::kWspPrj), "blinky");
  EXPECT_EQ(OldName(state_.project, FamilyKind::kKeilUv4), "");
  EXPECT_EQ(OldName(state_.project, FamilyKind::kIar), "");
  EXPECT_EQ(state_.new_path, state_.project.old_path);
  EXPECT_EQ(state_.new_dir, "blinky");
  EXPECT_EQ(state_.new_name, "blinky");
  EXPECT_EQ(state_.proposals.proposed_new_path, state_.project.old_path);
  EXPECT_EQ(state_.proposals.proposed_new_dir, "blinky");
  EXPECT_EQ(state_.proposals.proposed_new_name, "blinky");
  EXPECT_EQ(state_.proposals.preferred_new_path, state_.project.old_path);
  EXPECT_EQ(state_.proposals.preferred_new_name, "blinky");
}

INSTANTIATE_TEST_SUITE_P(Inputs, NewInputWspPrjTest,
                         ::testing::Values("", "blinky.wsp", "blinky.prj"),
                         [](const auto& param_info) {
                           const std::string p = param_info.param;
                           return p.empty() ? std::string("Folder") : p.substr(p.size() - 3);
                         });

// Inputs that name no project, whatever files lie around them.
struct NotFoundCase {
  std::string label;
  std::vector<std::string> files;  // below the temporary folder, "=" before a content
  std::string input;               // below the temporary folder; empty: the empty path
  bool keeps_input_as_old_path = false;
  friend void PrintTo(const NotFoundCase& c, std::ostream* os) { *os << c.label; }
};

class NewInputNotFoundTest : public NewInputTest,
                             public ::testing::WithParamInterface<NotFoundCase> {};

TEST_P(NewInputNotFoundTest, ShowsInputFileNotFound) {
  for (const std::string& f : GetParam().files) WriteFile(tmp_ / f, "");
  const std::string input = GetParam().input.empty() ? "" : tmp_ / GetParam().input;
  ExpectNotFound(Load(input));
  EXPECT_EQ(ui_.shown, std::vector<Shown>{Message("Input File not found!")});
  if (GetParam().keeps_input_as_old_path) {
    EXPECT_EQ(state_.project.old_path, input);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, NewInputNotFoundTest,
    ::testing::Values(NotFoundCase{"EmptyPath", {}, ""},
                      // The extension test ignores case, but the file must exist.
                      NotFoundCase{"UpperCaseFileThatDoesNotExist",
                                   {"p/blinky.wsp", "p/blinky.prj"},
                                   "p/missing.PRJ",
                                   true},
                      NotFoundCase{"UvoptxWithoutProject", {"k/blinky.uvoptx"}, "k/blinky.uvoptx"},
                      NotFoundCase{"WspWithoutPrj", {"w/work.wsp"}, "w"},
                      NotFoundCase{"ProjectOnlyInOutputAndHiddenFolders",
                                   {"o/x/Debug/a.uvprojx", "o/x/OBJ/b.prj", "o/x/.git/c.eww",
                                    "o/y/objects/d.ewp"},
                                   "o"},
                      NotFoundCase{"ProjectFiveLevelsDown", {"f/a/b/c/d/e/x.uvprojx"}, "f"},
                      NotFoundCase{"IdesFolderWithoutProjectXml",
                                   {"m/a.X/nbproject/configurations.xml"},
                                   "m/a.X/nbproject/configurations.xml"}),
    [](const auto& param_info) { return param_info.param.label; });

// An IAR or Keil project given by its folder or by its workspace or project.
struct FamilyCase {
  std::vector<std::string> files;  // the first is given as the input file
  bool eww = false;
  bool uvproj = false;
  friend void PrintTo(const FamilyCase& c, std::ostream* os) { *os << c.files.front(); }
};

class NewInputFamilyTest : public NewInputTest, public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(NewInputFamilyTest, FolderAndFileLoadTheSameProject) {
  const std::string project = tmp_ / "proj";
  for (const std::string& f : GetParam().files) WriteFile(project + kSep + f, "");
  for (const std::string& input : {project, project + kSep + GetParam().files.front()}) {
    SCOPED_TRACE(input);
    state_ = ProjectState{};
    EXPECT_TRUE(Load(input).ok);
    EXPECT_FALSE(state_.project.Has(FamilyKind::kWspPrj));
    EXPECT_EQ(state_.project.Has(FamilyKind::kIar), GetParam().eww);
    EXPECT_EQ(state_.project.Has(FamilyKind::kKeilUv4), GetParam().uvproj);
    EXPECT_EQ(
        SubDir(state_.project, FamilyKind::kIar) + SubDir(state_.project, FamilyKind::kKeilUv4),
        "");
    EXPECT_EQ(state_.project.project_dir, project);
    EXPECT_EQ(state_.project.old_dir, "proj");
    EXPECT_EQ(OldName(state_.project, FamilyKind::kIar), GetParam().eww ? "Dev" : "");
    EXPECT_EQ(OldName(state_.project, FamilyKind::kKeilUv4), GetParam().uvproj ? "Dev" : "");
    EXPECT_EQ(state_.new_name, "Dev");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Families, NewInputFamilyTest,
    ::testing::Values(FamilyCase{{"Dev.eww", "Dev.ewp", "Dev.ewd", "Dev.dep"}, true, false},
                      FamilyCase{{"Dev.uvproj", "Dev.uvopt"}, false, true}));

TEST_F(NewInputTest, ExampleLayoutFolder) {
  const std::string project = MakeExampleProject(tmp_ / "work/blinky");

  EXPECT_TRUE(Load(project).ok);

  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_TRUE(state_.project.Has(FamilyKind::kIar));
  EXPECT_TRUE(state_.project.Has(FamilyKind::kKeilUv4));
  EXPECT_FALSE(state_.project.Has(FamilyKind::kWspPrj));
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kIar), kSep + "example" + kSep + "IAR");
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kKeilUv4), kSep + "example" + kSep + "ARM");
  EXPECT_EQ(state_.project.project_dir, project);
  EXPECT_EQ(state_.project.old_path, tmp_ / "work" + kSep);
  EXPECT_EQ(state_.project.old_dir, "blinky");
  EXPECT_EQ(OldName(state_.project, FamilyKind::kIar), "iarblinky");
  EXPECT_EQ(OldName(state_.project, FamilyKind::kKeilUv4), "keilblinky");
  EXPECT_EQ(state_.new_name, "keilblinky");
}

TEST_F(NewInputTest, ExampleLayoutWithoutKeilNameProposesIarName) {
  const std::string project = MakeExampleProject(tmp_ / "blinky");
  RemoveFile(tmp_ / "blinky/example/ARM/keilblinky.uvproj");
  EXPECT_TRUE(Load(project).ok);
  EXPECT_EQ(OldName(state_.project, FamilyKind::kKeilUv4), "");
  EXPECT_EQ(state_.new_name, "iarblinky");
}

// Files inside PROJECT/example/IAR or PROJECT/example/ARM stand for PROJECT;
// the same files elsewhere name no project.
class NewInputExampleFileTest : public NewInputTest,
                                public ::testing::WithParamInterface<const char*> {};

TEST_P(NewInputExampleFileTest, InsideTheLayoutLoadsTheProject) {
  const std::string project = MakeExampleProject(tmp_ / "work/blinky");
  EXPECT_TRUE(Load(tmp_ / (std::string("work/blinky/") + GetParam())).ok);
  EXPECT_EQ(state_.project.project_dir, project);
  EXPECT_EQ(state_.project.old_dir, "blinky");
  EXPECT_TRUE(state_.project.Has(FamilyKind::kIar) && state_.project.Has(FamilyKind::kKeilUv4));
  EXPECT_EQ(state_.new_name, "keilblinky");
}

INSTANTIATE_TEST_SUITE_P(Files, NewInputExampleFileTest,
                         ::testing::Values("example/IAR/iarblinky.ewp", "example/IAR/iarblinky.ewd",
                                           "example/IAR/iarblinky.dep", "example/IAR/iarblinky.eww",
                                           "example/ARM/keilblinky.uvopt",
                                           "example/ARM/keilblinky.uvproj"));

class NewInputStrayFileTest : public NewInputTest,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(NewInputStrayFileTest, OutsideTheLayoutIsNotFound) {
  MakeExampleProject(tmp_ / "work/blinky");
  for (const char* dir : {"work/blinky", "work/blinky/example", "work/blinky/example/IAR/sub"}) {
    const std::string file = tmp_ / dir + kSep + GetParam();
    SCOPED_TRACE(file);
    WriteFile(file, "");
    ui_.shown.clear();
    ExpectNotFound(Load(file));
    EXPECT_EQ(ui_.shown, std::vector<Shown>{Message("Input File not found!")});
  }
}

INSTANTIATE_TEST_SUITE_P(Files, NewInputStrayFileTest,
                         ::testing::Values("stray.ewd", "stray.dep", "stray.ewt", "stray.uvopt"));

// An IAR project file given outside the layouts stands for that project in
// its folder, whatever the workspace is called or holds.
class NewInputIarFileTest : public NewInputTest,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(NewInputIarFileTest, LoadsThatProject) {
  const std::string dir = tmp_ / "work/two";
  for (const char* file : {"Both.eww", "Boot.ewp", "Boot.dep", "Boot.ewd", "Boot.ewt", "App.ewp",
                           "App.ewd", "App.dep", "App.ewt"}) {
    WriteFile(dir + kSep + file, "");
  }
  EXPECT_TRUE(Load(dir + kSep + GetParam()).ok);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(state_.project.project_dir, dir);
  ASSERT_EQ(state_.project.families.size(), 1u);
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kIar), "");
  EXPECT_EQ(OldName(state_.project, FamilyKind::kIar), "Boot");
  EXPECT_EQ(state_.project.Find(FamilyKind::kIar)->Value(kWorkspaceValue), "Both");
  EXPECT_EQ(state_.new_name, "Boot");
}

INSTANTIATE_TEST_SUITE_P(Files, NewInputIarFileTest,
                         ::testing::Values("Boot.ewp", "Boot.ewd", "Boot.dep", "Boot.ewt"));

struct IarNameCase {
  std::string label;
  std::vector<std::string> files;  // in the folder given
  std::string workspace;           // content of w.eww, when not empty
  std::string old_name;            // empty: several projects
  std::string message;
};

class NewInputIarNameTest : public NewInputTest,
                            public ::testing::WithParamInterface<IarNameCase> {};

TEST_P(NewInputIarNameTest, TakesTheProjectsOwnName) {
  const IarNameCase& c = GetParam();
  const std::string dir = tmp_ / "p";
  for (const std::string& file : c.files) WriteFile(dir + kSep + file, "");
  if (!c.workspace.empty()) WriteFile(dir + kSep + "w.eww", c.workspace);
  const AnalysisResult result = Load(dir);
  EXPECT_EQ(result.ok, !c.old_name.empty());
  EXPECT_EQ(OldName(state_.project, FamilyKind::kIar), c.old_name);
  EXPECT_EQ(state_.error,
            c.old_name.empty() ? AnalysisError::kSeveralProjects : AnalysisError::kNone);
  std::vector<Shown> shown;
  if (!c.message.empty()) shown.push_back(Message(c.message));
  EXPECT_EQ(ui_.shown, shown);
}

const std::string kSeveral = "Several projects found - give the project file of the one to rename:";

INSTANTIATE_TEST_SUITE_P(
    Rows, NewInputIarNameTest,
    ::testing::Values(
        IarNameCase{"OnlyProject", {"x.ewp"}, "<workspace/>", "x", ""},
        IarNameCase{"NoProjectFileTakesTheWorkspace", {}, "<workspace/>", "w", ""},
        IarNameCase{"WorkspaceListsOne",
                    {"a.ewp", "b.ewp"},
                    "<workspace><project><path>$WS_DIR$\\B.ewp</path></project></workspace>",
                    "b",
                    ""},
        IarNameCase{"WorkspaceListsTwo",
                    {"a.ewp", "b.ewp"},
                    "<workspace><project><path>$WS_DIR$\\b.ewp</path></project>"
                    "<project><path>$WS_DIR$/a.ewp</path></project></workspace>",
                    "",
                    kSeveral + "\nb.ewp\na.ewp"},
        IarNameCase{"WorkspaceListsNone",
                    {"a.ewp", "b.ewp"},
                    "<workspace/>",
                    "",
                    kSeveral + "\na.ewp\nb.ewp"},
        IarNameCase{"WorkspaceOfProjectsInSubFolders",
                    {"A/A.ewp", "B/Project/B.ewp"},
                    "<workspace><project><path>$WS_DIR$\\A\\A.ewp</path></project>"
                    "<project><path>$WS_DIR$/B/Project/B.ewp</path></project>"
                    "<project><path>$WS_DIR$\\gone\\C.ewp</path></project>"
                    "</workspace>",
                    "",
                    kSeveral + "\nA" + kSep + "A.ewp\nB" + kSep + "Project" + kSep + "B.ewp"},
        IarNameCase{"StaleWorkspaceAboveOtherProjects",
                    {"k1/k1.uvprojx", "k2/k2.uvprojx"},
                    "<workspace><project><path>$WS_DIR$\\EWARM\\x.ewp</path>"
                    "</project></workspace>",
                    "",
                    kSeveral + "\nk1\nk2"},
        IarNameCase{"StaleWorkspaceAlone",
                    {},
                    "<workspace><project><path>$WS_DIR$\\EWARM\\x.ewp</path>"
                    "</project></workspace>",
                    "",
                    kSeveral + "\n$WS_DIR$\\EWARM\\x.ewp"}),
    testing::ParamLabel());

TEST_F(NewInputTest, OneExampleSubFolderSetsTheOldLocationFromTheFolder) {
  const std::string earlier = MakePrjProject(tmp_ / "earlier/one", "one");
  const std::string iar_only = tmp_ / "work/iaronly";
  WriteFile(tmp_ / "work/iaronly/example/IAR/dev.eww", "");
  const std::string keil_only = tmp_ / "work/keilonly";
  WriteFile(tmp_ / "work/keilonly/example/ARM/dev.uvproj", "");

  for (const std::string& project : {iar_only, keil_only}) {
    SCOPED_TRACE(project);
    ASSERT_TRUE(Load(earlier).ok);
    ASSERT_EQ(state_.project.project_dir, earlier);

    EXPECT_TRUE(Load(project).ok);
    EXPECT_EQ(state_.project.project_dir, project);
    EXPECT_EQ(state_.project.old_path, tmp_ / "work" + kSep);
    EXPECT_EQ(state_.project.old_dir, NamePart(project));
    EXPECT_EQ(state_.new_dir, NamePart(project));
    EXPECT_EQ(state_.new_name, "dev");
  }
  EXPECT_TRUE(state_.project.Has(FamilyKind::kKeilUv4));
  EXPECT_FALSE(state_.project.Has(FamilyKind::kIar));
  EXPECT_EQ(OldName(state_.project, FamilyKind::kKeilUv4), "dev");
}

// The first family found in the order .prj, .uvproj, .eww is the only one;
// example sub-folders count only without such a file.
struct ClassifyCase {
  std::vector<std::string> files;
  bool wsp_prj = false;
  bool uvproj = false;
  bool eww = false;
  friend void PrintTo(const ClassifyCase& c, std::ostream* os) {
    for (const std::string& f : c.files) *os << f << ' ';
  }
};

class NewInputClassifyTest : public NewInputTest,
                             public ::testing::WithParamInterface<ClassifyCase> {};

TEST_P(NewInputClassifyTest, FirstFamilyWins) {
  const std::string project = tmp_ / "p";
  for (const std::string& f : GetParam().files) WriteFile(tmp_ / ("p/" + f), "");
  EXPECT_TRUE(Load(project).ok);
  EXPECT_EQ(state_.project.Has(FamilyKind::kWspPrj), GetParam().wsp_prj);
  EXPECT_EQ(state_.project.Has(FamilyKind::kKeilUv4), GetParam().uvproj);
  EXPECT_EQ(state_.project.Has(FamilyKind::kIar), GetParam().eww);
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kIar), "");
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kKeilUv4), "");
  EXPECT_EQ(state_.project.project_dir, project);
}

INSTANTIATE_TEST_SUITE_P(
    Order, NewInputClassifyTest,
    ::testing::Values(
        ClassifyCase{{"a.uvproj", "a.prj", "a.eww"}, true, false, false},
        ClassifyCase{{"a.eww", "a.uvproj"}, false, true, false},
        ClassifyCase{{"a.eww", "example/ARM/k.uvproj", "example/IAR/i.eww"}, false, false, true},
        ClassifyCase{{"a.PRJ", "example/ARM/k.uvproj"}, true, false, false},
        ClassifyCase{{"a.eww", "a.uvprojx"}, false, false, true},
        ClassifyCase{{"a.prj", "MDK-ARM/k.uvprojx", "EWARM/i.eww"}, true, false, false}));

TEST_F(NewInputTest, UvprojxCountsAsKeilFile) {
  const std::string file = tmp_ / "k/blinky.uvprojx";
  WriteFile(file, "");
  state_.new_name = "earlier";

  EXPECT_TRUE(Load(file).ok);
  EXPECT_TRUE(state_.project.Has(FamilyKind::kKeilUv4));
  EXPECT_EQ(OldName(state_.project, FamilyKind::kKeilUv4), "blinky");
  EXPECT_EQ(state_.new_name, "blinky");

  // Both generations: the uVision 4 name is the one shown.
  WriteFile(tmp_ / "k/old.uvproj", "");
  EXPECT_TRUE(Load(file).ok);
  EXPECT_EQ(OldName(state_.project, FamilyKind::kKeilUv4), "old");
  EXPECT_EQ(OldName(state_.project, FamilyKind::kKeilUv5), "blinky");
  EXPECT_TRUE(state_.project.Has(FamilyKind::kKeilUv5));
  EXPECT_EQ(state_.new_name, "old");
}

// uVision 5 projects and the sub-folder layouts of generators and vendors.
struct LayoutCase {
  std::string label;
  std::vector<std::string> files;  // below the temporary folder, "=" before a content
  std::string input;               // below the temporary folder
  std::string project;             // the old project folder below it
  std::string keil_sub_dir;        // "/" for the separator
  std::string iar_sub_dir;
  std::string old_uvproj;  // shown, and the new name when not empty
  std::string old_uvprojx;
  std::string old_eww;
};

class NewInputLayoutTest : public NewInputTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(NewInputLayoutTest, FindsTheProject) {
  const LayoutCase& c = GetParam();
  for (const std::string& f : c.files) {
    const std::size_t eq = f.find('=');
    WriteFile(tmp_ / f.substr(0, eq), eq == std::string::npos ? "" : f.substr(eq + 1));
  }
  auto native = [](std::string sub) {
    for (char& ch : sub) ch = ch == '/' ? Separator() : ch;
    return sub;
  };
  EXPECT_TRUE(Load(tmp_ / c.input).ok);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_FALSE(state_.project.Has(FamilyKind::kWspPrj));
  EXPECT_EQ(state_.project.Has(FamilyKind::kKeilUv4), !c.old_uvproj.empty());
  EXPECT_EQ(state_.project.Has(FamilyKind::kIar), !c.old_eww.empty());
  EXPECT_EQ(state_.project.project_dir, tmp_ / c.project);
  EXPECT_EQ(state_.project.old_path, FolderPart(tmp_ / c.project) + Separator());
  EXPECT_EQ(state_.project.old_dir, NamePart(state_.project.project_dir));
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kKeilUv4), native(c.keil_sub_dir));
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kIar), native(c.iar_sub_dir));
  EXPECT_EQ(OldName(state_.project, FamilyKind::kKeilUv4), c.old_uvproj);
  EXPECT_EQ(OldName(state_.project, FamilyKind::kKeilUv5), c.old_uvprojx);
  EXPECT_EQ(state_.project.Has(FamilyKind::kKeilUv5), !c.old_uvprojx.empty());
  EXPECT_EQ(OldName(state_.project, FamilyKind::kIar), c.old_eww);
  EXPECT_EQ(GeneratorLayout(state_.project),
            !c.iar_sub_dir.empty() && c.iar_sub_dir != "/example/IAR");
  EXPECT_EQ(state_.new_name, c.old_uvproj.empty() ? c.old_eww : c.old_uvproj);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NewInputLayoutTest,
    ::testing::Values(
        LayoutCase{"FolderWithOnlyUvprojx", {"k/b.uvprojx"}, "k", "k", "", "", "b", "b", ""},
        LayoutCase{"UvprojxGiven",
                   {"k/b.uvprojx", "k/b.uvoptx"},
                   "k/b.uvprojx",
                   "k",
                   "",
                   "",
                   "b",
                   "b",
                   ""},
        LayoutCase{
            "UvoptxGiven", {"k/b.uvprojx", "k/b.uvoptx"}, "k/b.uvoptx", "k", "", "", "b", "b", ""},
        LayoutCase{
            "BothGenerations", {"k/a.uvproj", "k/b.uvprojx"}, "k", "k", "", "", "a", "b", ""},
        LayoutCase{"OneOfTwoGiven",
                   {"k/a.uvprojx", "k/b.uvprojx", "k/b.uvoptx"},
                   "k/b.uvoptx",
                   "k",
                   "",
                   "",
                   "b",
                   "b",
                   ""},
        LayoutCase{"OneOfTwoUvisionFourGiven",
                   {"k/a.uvproj", "k/b.uvproj"},
                   "k/b.uvproj",
                   "k",
                   "",
                   "",
                   "b",
                   "",
                   ""},
        LayoutCase{"WorkspaceOfOneGiven",
                   {"w/w.uvmpw=<ProjectWorkspace><project><PathAndName>.\\App\\a.uvprojx"
                    "</PathAndName></project></ProjectWorkspace>",
                    "w/App/a.uvprojx"},
                   "w/w.uvmpw",
                   "w",
                   "/App",
                   "",
                   "a",
                   "a",
                   ""},
        LayoutCase{"ExampleIarProjectFile",
                   {"proj/example/IAR/dev.eww", "proj/example/ARM/dev.uvproj"},
                   "proj/example/IAR/dev.eww",
                   "proj",
                   "/example/ARM",
                   "/example/IAR",
                   "dev",
                   "",
                   "dev"},
        LayoutCase{"ExampleArmWithUvprojx",
                   {"p/example/ARM/x.uvprojx", "p/example/IAR/i.eww"},
                   "p/example/ARM/x.uvoptx",
                   "p",
                   "/example/ARM",
                   "/example/IAR",
                   "x",
                   "x",
                   "i"},
        LayoutCase{
            "MdkArmFolder",
            {"g/MDK-ARM/g.uvprojx", "g/MDK-ARM/RTE/_g/RTE_Components.h", "g/Core/Src/main.c"},
            "g",
            "g",
            "/MDK-ARM",
            "",
            "g",
            "g",
            ""},
        LayoutCase{"MdkArmProjectFile",
                   {"g/MDK-ARM/g.uvprojx"},
                   "g/MDK-ARM/g.uvprojx",
                   "g",
                   "/MDK-ARM",
                   "",
                   "g",
                   "g",
                   ""},
        LayoutCase{"MdkArmOptionsFile",
                   {"g/mdk-arm/g.uvprojx", "g/mdk-arm/g.uvoptx"},
                   "g/mdk-arm/g.uvoptx",
                   "g",
                   "/mdk-arm",
                   "",
                   "g",
                   "g",
                   ""},
        LayoutCase{"MdkArmUvisionFourFile",
                   {"g/MDK-ARM/g.uvproj", "g/MDK-ARM/g.uvopt"},
                   "g/MDK-ARM/g.uvopt",
                   "g",
                   "/MDK-ARM",
                   "",
                   "g",
                   "",
                   ""},
        LayoutCase{"EwarmFolder",
                   {"e/EWARM/e.eww", "e/EWARM/e.ewp", "e/Src/main.c"},
                   "e",
                   "e",
                   "",
                   "/EWARM",
                   "",
                   "",
                   "e"},
        LayoutCase{"EwarmProjectFile",
                   {"e/EWARM/e.eww", "e/EWARM/e.ewp"},
                   "e/EWARM/e.ewp",
                   "e",
                   "",
                   "/EWARM",
                   "",
                   "",
                   "e"},
        LayoutCase{"BothGenerators",
                   {"m/MDK-ARM/k.uvprojx", "m/EWARM/i.eww", "m/Inc/main.h"},
                   "m/EWARM/i.eww",
                   "m",
                   "/MDK-ARM",
                   "/EWARM",
                   "k",
                   "k",
                   "i"},
        LayoutCase{"OneUserFolder",
                   {"u/USER/u.uvprojx", "u/Src/a.c"},
                   "u",
                   "u",
                   "/USER",
                   "",
                   "u",
                   "u",
                   ""},
        LayoutCase{"GeneratorFolderPreferred",
                   {"m/MDK-ARM/a.uvprojx", "m/USER/b.uvprojx"},
                   "m",
                   "m",
                   "/MDK-ARM",
                   "",
                   "a",
                   "a",
                   ""},
        LayoutCase{"WorkspaceListsTheProjectFile",
                   {"w/MDK-ARM/w.uvmpw=<project><PathAndName>.\\Appli\\a.uvprojx</PathAndName>",
                    "w/MDK-ARM/Appli/a.uvprojx", "w/MDK-ARM/Boot/b.uvprojx"},
                   "w/MDK-ARM/Appli/a.uvprojx",
                   "w",
                   "/MDK-ARM/Appli",
                   "",
                   "a",
                   "a",
                   ""},
        LayoutCase{"WorkspaceOutsideAGeneratorFolder",
                   {"w/all.uvmpw=<PathAndName>App/A.UVPROJ</PathAndName>", "w/App/a.uvproj"},
                   "w/App/a.uvproj",
                   "w",
                   "/App",
                   "",
                   "a",
                   "",
                   ""},
        LayoutCase{"WorkspaceNotListingTheProjectFile",
                   {"w/MDK-ARM/w.uvmpw=<PathAndName>Boot\\a.uvprojx</PathAndName>",
                    "w/MDK-ARM/Appli/a.uvprojx"},
                   "w/MDK-ARM/Appli/a.uvprojx",
                   "w/MDK-ARM/Appli",
                   "",
                   "",
                   "a",
                   "a",
                   ""},
        LayoutCase{"OneIarSubFolder",
                   {"i/Project/x.eww", "i/Project/x.ewp"},
                   "i",
                   "i",
                   "",
                   "/Project",
                   "",
                   "",
                   "x"}),
    testing::ParamLabel());

TEST_F(NewInputTest, FolderWhosePathContainsZipLoadsNormally) {
  const std::string project = MakePrjProject(tmp_ / "old.zip.files/proj", "proj");
  EXPECT_TRUE(Load(project).ok);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_FALSE(state_.project.from_archive);
  EXPECT_EQ(state_.project.temp_dir, TempDirFor(config_.exe_dir));
  EXPECT_FALSE(DirectoryExists(state_.project.temp_dir));
  EXPECT_EQ(state_.project.project_dir, project);
  EXPECT_EQ(OldName(state_.project, FamilyKind::kWspPrj), "proj");
}

TEST_F(NewInputTest, SeveralPrjFiles) {
  const std::string project = tmp_ / "multi";
  for (const char* f : {"a.prj", "b.prj", "work.wsp"}) WriteFile(project + kSep + f, "");
  state_.new_name = "earlier";

  EXPECT_TRUE(Load(project).ok);
  EXPECT_TRUE(state_.project.Has(FamilyKind::kWspPrj));
  EXPECT_EQ(state_.project.project_dir, project);
  EXPECT_EQ(state_.project.old_dir, "multi");
  EXPECT_EQ(OldWorkspace(state_.project), "work");
  EXPECT_EQ(OldName(state_.project, FamilyKind::kWspPrj), "");
  EXPECT_EQ(state_.new_name, "");
}

// A workspace of several projects: the folder or the workspace names none
// of them and loads nothing; a project file names the one renamed.
TEST_F(NewInputTest, WorkspaceOfSeveralProjects) {
  const std::string project = tmp_ / "multi";
  WriteFile(project + kSep + "work.wsp",
            "FILE-0=a.prj\r\nFILE-1=b.prj\r\n[SubPrj-a.prj]\r\n[SubPrj-b.prj]\r\n");
  for (const char* f : {"a.prj", "b.prj"}) WriteFile(project + kSep + f, "");
  for (const std::string& input : {project, project + kSep + "work.wsp"}) {
    ui_.shown.clear();
    const AnalysisResult result = Load(input);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.set_check_boxes);
    EXPECT_EQ(state_.error, AnalysisError::kSeveralProjects);
    EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{
                               "Several projects found - give the project file of the one to "
                               "rename:\na.prj\nb.prj"}));
  }
  ui_.shown.clear();
  EXPECT_TRUE(Load(project + kSep + "b.prj").ok);
  EXPECT_EQ(OldName(state_.project, FamilyKind::kWspPrj), "b");
  EXPECT_EQ(OldWorkspace(state_.project), "work");
  EXPECT_EQ(state_.new_name, "b");
  EXPECT_TRUE(ui_.shown.empty());
}

// A Keil workspace of several projects found below the folder given names
// none of them: the message lists them, and nothing is loaded.
TEST_F(NewInputTest, KeilWorkspaceOfSeveralProjects) {
  const std::string root = tmp_ / "root";
  WriteFile(root + kSep + "MDK-ARM" + kSep + "w.uvmpw",
            "<ProjectWorkspace><project><PathAndName>.\\Appli\\a.uvprojx</PathAndName>"
            "</project><project><PathAndName>Boot\\b.uvprojx</PathAndName></project>"
            "</ProjectWorkspace>");
  WriteFile(root + kSep + "MDK-ARM" + kSep + "Appli" + kSep + "a.uvprojx", "");
  WriteFile(root + kSep + "MDK-ARM" + kSep + "Boot" + kSep + "b.uvprojx", "");
  const AnalysisResult result = Load(root);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(state_.error, AnalysisError::kSeveralProjects);
  EXPECT_EQ(ui_.Texts(), (std::vector<std::string>{
                             "Several projects found - give the project file of the one to "
                             "rename:\n.\\Appli\\a.uvprojx\nBoot\\b.uvprojx"}));
}

TEST_F(NewInputTest, MissingPathLeavesTheNewFieldsAlone) {
  state_.new_path = "np";
  state_.new_dir = "nd";
  state_.new_name = "nn";
  state_.project.old_dir = "od";
  state_.project.Add(FamilyKind::kWspPrj).SetValue(kWorkspaceValue, "ow");
  const std::string missing = tmp_ / "nowhere/at/all";

  ExpectNotFound(Load(missing));
  EXPECT_EQ(ui_.shown, std::vector<Shown>{Message("Input File not found!")});
  EXPECT_EQ(state_.project.old_path, missing);
  EXPECT_EQ(state_.project.input_dir, tmp_ / "nowhere/at");
  EXPECT_EQ(OldWorkspace(state_.project), "");
  EXPECT_EQ(state_.project.old_dir, "od");
  EXPECT_EQ(state_.new_path, "np");
  EXPECT_EQ(state_.new_dir, "nd");
  EXPECT_EQ(state_.new_name, "nn");
}

TEST_F(NewInputTest, ProjectFileWithoutParentPathFailsSilently) {
  MakePrjProject(tmp_ / "blinky", "blinky");
  testing::CurrentDirGuard guard;
  ASSERT_TRUE(SetCurrentDir(tmp_ / "blinky"));
  state_.project.project_dir = tmp_ / "blinky";  // left by an earlier analysis

  const AnalysisResult result = Load("blinky.prj");

  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.set_check_boxes);
  EXPECT_EQ(state_.error, AnalysisError::kNoProject);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(OldWorkspace(state_.project), "");  // old names are skipped after an error
}

// Each family supplies the new name when it has one: Keil over IAR over PRJ.
struct KeyCase {
  std::vector<std::string> files;
  std::string new_name;
  friend void PrintTo(const KeyCase& c, std::ostream* os) {
    for (const std::string& f : c.files) *os << f << ' ';
    *os << "gives '" << c.new_name << "'";
  }
};

class NewInputKeyTest : public NewInputTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(NewInputKeyTest, ProposedName) {
  const std::string dir = tmp_ / "all";
  // A file path that carries all three extensions marks all three families,
  // and its name ends in none of them, so no listing counts it.
  const std::string input = dir + kSep + "x.prj.eww.uvproj.txt";
  WriteFile(input, "");
  for (const std::string& f : GetParam().files) WriteFile(dir + kSep + f, "");
  state_.new_name = "earlier";

  EXPECT_TRUE(Load(input).ok);
  EXPECT_TRUE(state_.project.Has(FamilyKind::kWspPrj) && state_.project.Has(FamilyKind::kIar) &&
              state_.project.Has(FamilyKind::kKeilUv4));
  EXPECT_EQ(state_.project.project_dir, dir);
  EXPECT_EQ(state_.new_name, GetParam().new_name);
  EXPECT_EQ(state_.proposals.proposed_new_name, GetParam().new_name);
  EXPECT_EQ(state_.proposals.preferred_new_name, GetParam().new_name);
}

INSTANTIATE_TEST_SUITE_P(Precedence, NewInputKeyTest,
                         ::testing::Values(KeyCase{{"p.prj", "i.eww", "k.uvproj"}, "k"},
                                           KeyCase{{"p.prj", "i.eww"}, "i"},
                                           KeyCase{{"p.prj", "k.uvproj"}, "k"},
                                           KeyCase{{"p.prj"}, "p"}, KeyCase{{}, ""}));

TEST_F(NewInputTest, PreferredPathComesFromTheConfiguration) {
  const std::string project = MakePrjProject(tmp_ / "work/blinky", "blinky");
  config_.config_new_path = "/preferred/";
  EXPECT_TRUE(Load(project).ok);
  EXPECT_EQ(state_.proposals.preferred_new_path, "/preferred/");
  EXPECT_EQ(state_.proposals.proposed_new_path, tmp_ / "work" + kSep);
  EXPECT_EQ(state_.new_path, tmp_ / "work" + kSep);
}

// Test archives are written with libarchive, in builds that have it.
#ifdef KELVANDOR_HAVE_LIBARCHIVE
using ::kelvandor::testing::WriteZip;

class NewInputArchiveTest : public NewInputTest {
 protected:
  std::string MakeProjectZip() {
    const std::string zip = tmp_ / "in/blinky.zip";
    MakeDirs(tmp_ / "in");
    WriteZip(zip, {{"blinky/", ""},
                   {"blinky/blinky.wsp", "ws"},
                   {"blinky/blinky.prj", "pr"},
                   {"blinky/ABS/", ""}});
    return zip;
  }
};

TEST_F(NewInputArchiveTest, ArchiveWithOneFolder) {
  const std::string zip = MakeProjectZip();

  const AnalysisResult result = Load(zip);

  EXPECT_TRUE(result.ok);
  EXPECT_TRUE(result.set_check_boxes);
  EXPECT_TRUE(ui_.shown.empty());
  const std::string temp = TempDirFor(config_.exe_dir);
  EXPECT_EQ(state_.project.temp_dir, temp);
  EXPECT_TRUE(state_.project.from_archive);
  EXPECT_TRUE(state_.project.Has(FamilyKind::kWspPrj));
  EXPECT_EQ(state_.project.input_dir, tmp_ / "in");
  EXPECT_EQ(state_.project.project_dir, temp + kSep + "blinky");
  EXPECT_EQ(testing::ReadFile(tmp_ / "bin/___temp___/blinky/blinky.prj"), "pr");
  // The old location of the unpacked folder replaces the archive's name.
  EXPECT_EQ(state_.project.old_path, temp + kSep);
  EXPECT_EQ(state_.project.old_dir, "blinky");
  EXPECT_EQ(OldName(state_.project, FamilyKind::kWspPrj), "blinky");
  EXPECT_EQ(state_.new_name, "blinky");
  EXPECT_EQ(state_.proposals.preferred_new_path, temp + kSep);
}

TEST_F(NewInputArchiveTest, ArchivePrefersTheConfiguredPath) {
  config_.config_new_path = "/target/";
  EXPECT_TRUE(Load(MakeProjectZip()).ok);
  EXPECT_EQ(state_.proposals.preferred_new_path, "/target/");
}

TEST_F(NewInputArchiveTest, ArchiveWithOnlyOneExampleSubFolder) {
  const std::string zip = tmp_ / "ex.zip";
  WriteZip(zip, {{"proj/", ""},
                 {"proj/example/", ""},
                 {"proj/example/IAR/", ""},
                 {"proj/example/IAR/dev.eww", ""}});
  EXPECT_TRUE(Load(zip).ok);
  EXPECT_TRUE(state_.project.from_archive);
  EXPECT_EQ(state_.project.project_dir, state_.project.temp_dir + kSep + "proj");
  EXPECT_EQ(state_.project.old_path, state_.project.temp_dir + kSep);
  EXPECT_EQ(OldName(state_.project, FamilyKind::kIar), "dev");
}

// Archives that do not hold exactly one folder.
TEST_F(NewInputArchiveTest, ArchiveWithoutOneFolderIsAnErrorWithinTheTempDir) {
  const std::vector<std::vector<testing::ZipEntry>> archives = {
      {{"blinky.wsp", ""}, {"blinky.prj", ""}}, {{"a/x.prj", ""}, {"b/y.prj", ""}}};
  for (const auto& entries : archives) {
    const std::string zip = tmp_ / (entries.front().path.substr(0, 1) + ".zip");
    SCOPED_TRACE(zip);
    WriteZip(zip, entries);
    ui_.shown.clear();

    ExpectNotFound(Load(zip));
    EXPECT_EQ(ui_.shown, (std::vector<Shown>{Message("Error within __TEMP__"),
                                             Message("Input File not found!")}));
    EXPECT_FALSE(state_.project.from_archive);
    EXPECT_EQ(state_.project.old_path, zip);
  }
}

TEST_F(NewInputArchiveTest, DamagedArchive) {
  const std::string zip = tmp_ / "broken.zip";
  WriteFile(zip, "PK\x03\x04 this is not a zip archive at all");

  ExpectNotFound(Load(zip));
  EXPECT_EQ(ui_.shown,
            (std::vector<Shown>{Message("Unzip Error!"), Message("Input File not found!")}));
  EXPECT_FALSE(state_.project.from_archive);
}

TEST_F(NewInputArchiveTest, TempDirCannotBeCreated) {
  WriteFile(tmp_ / "blocker", "");
  config_.exe_dir = tmp_ / "blocker/bin";  // a file stands where a folder must be

  ExpectNotFound(Load(MakeProjectZip()));
  EXPECT_EQ(ui_.shown, (std::vector<Shown>{Message("Can not create new directory!"),
                                           Message("Input File not found!")}));
  EXPECT_FALSE(state_.project.from_archive);
}

TEST_F(NewInputArchiveTest, MissingArchiveIsNotFound) {
  ExpectNotFound(Load(tmp_ / "none.zip"));
  EXPECT_EQ(ui_.shown, std::vector<Shown>{Message("Input File not found!")});
  EXPECT_EQ(state_.project.temp_dir, TempDirFor(config_.exe_dir));
}

TEST_F(NewInputArchiveTest, LoadAfterAnArchiveDeletesTheTempDir) {
  ASSERT_TRUE(Load(MakeProjectZip()).ok);
  const std::string temp = state_.project.temp_dir;
  ASSERT_TRUE(DirectoryExists(temp));
  const std::string project = MakePrjProject(tmp_ / "work/next", "next");
  WriteFile(tmp_ / "work/next/example/IAR/dev.eww", "");  // behind the .prj: not counted

  EXPECT_TRUE(Load(project).ok);
  EXPECT_FALSE(AnythingExists(temp));
  EXPECT_EQ(state_.project.temp_dir, temp);  // keeps its value
  EXPECT_FALSE(state_.project.from_archive);
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kIar), "");
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kKeilUv4), "");
  EXPECT_EQ(state_.project.project_dir, project);
  EXPECT_EQ(state_.project.old_path, tmp_ / "work" + kSep);
}
#endif

TEST_F(NewInputTest, ALoadReplacesThePreviousAnalysis) {
  const std::string example = MakeExampleProject(tmp_ / "ex");
  ASSERT_TRUE(Load(example).ok);
  const std::string keil = tmp_ / "keil";
  WriteFile(keil + kSep + "m.uvproj", "");

  EXPECT_TRUE(Load(keil).ok);
  EXPECT_FALSE(state_.project.Has(FamilyKind::kIar));
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kIar), "");
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kKeilUv4), "");
  EXPECT_EQ(OldName(state_.project, FamilyKind::kIar), "");
  EXPECT_EQ(OldName(state_.project, FamilyKind::kKeilUv4), "m");
  EXPECT_EQ(state_.project.project_dir, keil);
}

// The search below a folder that names no project itself.
struct SearchCase {
  std::string label;
  std::vector<std::pair<std::string, std::string>> files;  // below the searched folder
  std::vector<std::string> candidates;                     // "/" between levels, "" the root
};

class ProjectSearchTest : public ::testing::TestWithParam<SearchCase> {
 protected:
  static std::string Native(std::string rel) {
    for (char& c : rel) c = c == '/' ? Separator() : c;
    return rel.empty() ? rel : Separator() + rel;
  }
  TempDir tmp_;
};

TEST_P(ProjectSearchTest, FindsTheFoldersHoldingAProject) {
  for (const auto& [file, content] : GetParam().files) WriteFile(tmp_ / ("r/" + file), content);
  std::vector<std::string> expected;
  for (const std::string& c : GetParam().candidates) expected.push_back(Native(c));
  std::vector<std::string> found;
  for (const ProjectCandidate& c : SearchProjects(tmp_ / "r", NativeFileSystem()).candidates) {
    found.push_back(c.sub_dir);
  }
  EXPECT_EQ(found, expected);
}

const std::string kUvmpw =
    "<ProjectWorkspace>\r\n  <project>\r\n    <PathAndName>.\\Appli\\a.uvprojx</PathAndName>\r\n"
    "  </project>\r\n  <project>\r\n    <PathAndName>..\\Boot\\b.uvprojx</PathAndName>\r\n"
    "  </project>\r\n</ProjectWorkspace>\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, ProjectSearchTest,
    ::testing::Values(
        SearchCase{"Nothing", {{"src/main.c", ""}}, {}},
        SearchCase{"FourLevelsDown", {{"a/b/c/d/x.uvprojx", ""}}, {"a/b/c/d"}},
        SearchCase{"FiveLevelsDownIsTooDeep", {{"a/b/c/d/e/x.uvprojx", ""}}, {}},
        SearchCase{
            "FullWidthFolderName",
            {{"Project/RVMDK\xEF\xBC\x88uv5\xEF\xBC\x89/n.uvprojx", ""}, {"User/main.c", ""}},
            {"Project/RVMDK\xEF\xBC\x88uv5\xEF\xBC\x89"}},
        SearchCase{"OutputAndHiddenFoldersSkipped",
                   {{"Debug/a.uvprojx", ""},
                    {"RELEASE/b.prj", ""},
                    {"x/listings/c.eww", ""},
                    {"x/Output/d.ewp", ""},
                    {"ABS/e.prj", ""},
                    {".svn/f.uvproj", ""},
                    {"x/settings/g.ewp", ""},
                    {"k/OBJ/h.uvprojx", ""}},
                   {}},
        SearchCase{"PairInOneFolderIsOneProject",
                   {{"k/a.uvproj", ""}, {"k/a.uvprojx", ""}, {"x/i/b.eww", ""}, {"x/i/b.ewp", ""}},
                   {"k", "x/i"}},
        SearchCase{
            "WorkspaceTakesInItsProjects",
            {{"MDK-ARM/w.uvmpw", kUvmpw}, {"MDK-ARM/Appli/a.uvprojx", ""}, {"Boot/b.uvprojx", ""}},
            {"MDK-ARM"}},
        SearchCase{"WorkspaceListingNothingThatExists",
                   {{"MDK-ARM/w.uvmpw", kUvmpw}, {"Other/c.uvprojx", ""}},
                   {"Other"}},
        SearchCase{"WspAtTheRootWithProjectsBelow",
                   {{"w.wsp", "[Workspace]\r\nFILE-0=one\\one.prj\r\nFILE-1=two\\two.prj\r\n"},
                    {"one/one.prj", ""},
                    {"two/two.prj", ""}},
                   {""}},
        SearchCase{"EwwListsProjectsBelow",
                   {{"ws/w.eww",
                     "<workspace><project><path>$WS_DIR$\\p\\p.ewp</path></project>"
                     "</workspace>"},
                    {"ws/p/p.ewp", ""}},
                   {"ws"}},
        SearchCase{"ProjectFolderHoldsWhatLiesBelow",
                   {{"g/g.prj", ""}, {"g/example/ARM/g.uvproj", ""}, {"g/sub/x.eww", ""}},
                   {"g"}},
        SearchCase{"ExampleLayoutIsOneProject",
                   {{"s/example/IAR/s.eww", ""}, {"s/example/ARM/s.uvproj", ""}},
                   {"s"}},
        SearchCase{"GeneratorFoldersSideBySideAreOneProject",
                   {{"p/x/MDK-ARM/a.uvprojx", ""}, {"p/x/EWARM/a.eww", ""}},
                   {"p/x"}},
        SearchCase{"MplabFolderHoldsTheIdesFolder",
                   {{"fw/blink.X/nbproject/project.xml", ""},
                    {"fw/blink.X/nbproject/configurations.xml", ""},
                    {"fw/blink.X/lib/.project", ""}},
                   {"fw/blink.X"}},
        SearchCase{"ProjectXmlOutsideTheIdesFolderShowsNothing",
                   {{"docs/project.xml", ""}, {"nbproject2/project.xml", ""}},
                   {}},
        SearchCase{"ListedPathLeavingTheFolderIsIgnored",
                   {{"w.wsp", "FILE-0=..\\r\\one\\one.prj\r\n"}, {"one/one.prj", ""}},
                   {"one"}},
        // Any CMake project has a CMakeLists.txt; the generator's folder and
        // ".ioc" make it one, its contexts' lists are part of it.
        SearchCase{"CMakeProjectOfTheGenerator",
                   {{"fw/CMakeLists.txt", "set(CMAKE_PROJECT_NAME fw)\n"},
                    {"fw/fw.ioc", ""},
                    {"fw/cmake/stm32cubemx/CMakeLists.txt", ""},
                    {"fw/CM4/CMakeLists.txt", "set(CMAKE_PROJECT_NAME fw_CM4)\n"},
                    {"lib/CMakeLists.txt", "set(CMAKE_PROJECT_NAME lib)\n"},
                    {"noioc/CMakeLists.txt", "set(CMAKE_PROJECT_NAME noioc)\n"},
                    {"noioc/cmake/stm32cubemx/CMakeLists.txt", ""}},
                   {"fw"}}),
    testing::ParamLabel());

TEST_F(ProjectSearchTest, LinkIsPassedOverNeverFollowed) {
  KELVANDOR_SKIP_WITHOUT_LINKS();
  WriteFile(tmp_ / "outside/x.uvprojx", "");
  WriteFile(tmp_ / "r/src/main.c", "");
  testing::MakeSymlink(tmp_ / "outside", tmp_ / "r/lib");
  const ProjectSearch search = SearchProjects(tmp_ / "r", NativeFileSystem());
  EXPECT_TRUE(search.candidates.empty());
  EXPECT_EQ(search.passed_over, std::vector<std::string>{kSep + "lib"});
}

TEST(OutputFolderNameTest, ComparesWithoutLetterCase) {
  for (const char* name : {"ABS", "lst", "Obj", "opt", "DEBUG", "release", "Objects", "listings",
                           "OUTPUT", "exe", "List", "Settings"}) {
    EXPECT_TRUE(IsOutputFolderName(name)) << name;
  }
  for (const char* name : {"MDK-ARM", "EWARM", "src", "Project", "objs"}) {
    EXPECT_FALSE(IsOutputFolderName(name)) << name;
  }
}

// A project below the given folder loads with the given folder as the
// project folder and the family's folder below it.
struct FoundBelowCase {
  std::string label;
  std::vector<std::pair<std::string, std::string>> files;  // below tmp/root
  FamilyKind kind = FamilyKind::kWspPrj;
  std::string sub_dir;  // "/" between levels
  std::string old_name;
};

class NewInputFoundBelowTest : public NewInputTest,
                               public ::testing::WithParamInterface<FoundBelowCase> {};

TEST_P(NewInputFoundBelowTest, LoadsTheGivenFolder) {
  const FoundBelowCase& c = GetParam();
  for (const auto& [file, content] : c.files) WriteFile(tmp_ / ("root/" + file), content);
  std::string sub = c.sub_dir;
  for (char& ch : sub) ch = ch == '/' ? Separator() : ch;

  EXPECT_TRUE(Load(tmp_ / "root").ok);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(state_.project.project_dir, tmp_ / "root");
  EXPECT_EQ(state_.project.old_path, tmp_.path() + kSep);
  EXPECT_EQ(state_.project.old_dir, "root");
  ASSERT_TRUE(state_.project.Has(c.kind));
  EXPECT_FALSE(state_.project.Has(FamilyKind::kWspPrj));
  EXPECT_EQ(SubDir(state_.project, c.kind), sub);
  EXPECT_EQ(OldName(state_.project, c.kind), c.old_name);
  ASSERT_EQ(state_.search.candidates.size(), 1u);
  EXPECT_EQ(state_.new_name, c.old_name);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, NewInputFoundBelowTest,
    ::testing::Values(
        FoundBelowCase{
            "TwoLevelsFullWidth",
            {{"Project/RVMDK\xEF\xBC\x88uv5\xEF\xBC\x89/tank.uvprojx", ""}, {"User/main.c", ""}},
            FamilyKind::kKeilUv4,
            "/Project/RVMDK\xEF\xBC\x88uv5\xEF\xBC\x89",
            "tank"},
        FoundBelowCase{"WorkspaceOneLevelProjectTwo",
                       {{"MDK-ARM/tank.uvmpw",
                         "<ProjectWorkspace><project><PathAndName>.\\Appli\\tank.uvprojx"
                         "</PathAndName></project></ProjectWorkspace>"},
                        {"MDK-ARM/Appli/tank.uvprojx", ""}},
                       FamilyKind::kKeilUv4,
                       "/MDK-ARM/Appli",
                       "tank"},
        FoundBelowCase{"VendorThreeLevels",
                       {{"board/evb/iar/tank.eww", ""}, {"board/evb/iar/tank.ewp", ""}},
                       FamilyKind::kIar,
                       "/board/evb/iar",
                       "tank"},
        FoundBelowCase{
            "IarProjectWithoutWorkspace", {{"ewp/tank.ewp", ""}}, FamilyKind::kIar, "/ewp", "tank"},
        FoundBelowCase{
            "EclipseNamedByItsProjectFile",
            {{"fw/.project", "<projectDescription><name>tank</name></projectDescription>"},
             {"fw/.cproject", "<cproject/>"}},
            FamilyKind::kEclipse,
            "/fw",
            "tank"},
        FoundBelowCase{"MplabBelowFirmware",
                       {{"firmware/tank.X/nbproject/project.xml",
                         "<project><configuration><data><name>tank</name></data>"
                         "</configuration></project>"},
                        {"firmware/tank.X/nbproject/configurations.xml", "<confs/>"},
                        {"firmware/src/main.c", ""}},
                       FamilyKind::kMplab,
                       "/firmware/tank.X",
                       "tank"},
        FoundBelowCase{"CMakeBelowARepositoryRoot",
                       {{"boards/fw/CMakeLists.txt", "set(CMAKE_PROJECT_NAME tank)\n"},
                        {"boards/fw/tank.ioc", "ProjectManager.ProjectName=tank\n"},
                        {"boards/fw/cmake/stm32cubemx/CMakeLists.txt", ""},
                        {"README.md", ""}},
                       FamilyKind::kCMake,
                       "/boards/fw",
                       "tank"}),
    testing::ParamLabel());

// A project its family's row claims (Eclipse, MPLAB X, CMake), given by its
// folder or one of its files, loads its folder under the name its project
// file gives it, which is proposed; the families of a folder they share join
// it.
struct ClaimedInputCase {
  std::string label;
  std::string sample;  // the project folder below examples/
  std::string input;   // below the copied sample, "/" between levels; empty: its folder
  std::string old_name;
  std::vector<FamilyKind> kinds = {FamilyKind::kEclipse};  // the last one proposes
  std::string sub_dir = {};  // the last family's folder below the project, "/" between levels
};

class NewInputClaimedTest : public NewInputTest,
                            public ::testing::WithParamInterface<ClaimedInputCase> {};

TEST_P(NewInputClaimedTest, LoadsTheProjectFolder) {
  const ClaimedInputCase& c = GetParam();
  const std::string project = tmp_ / ("work/" + c.sample);
  MakeDirs(FolderPart(project));
  std::filesystem::copy(NativePath(std::string(KELVANDOR_EXAMPLES_DIR) + "/" + c.sample),
                        NativePath(project), std::filesystem::copy_options::recursive);
  std::string input = c.input;
  for (char& ch : input) ch = ch == '/' ? Separator() : ch;

  EXPECT_TRUE(Load(project + input).ok);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(state_.project.project_dir, project);
  EXPECT_EQ(state_.project.old_dir, NamePart(project));
  std::vector<FamilyKind> kinds;
  for (const Family& family : state_.project.families) kinds.push_back(family.kind);
  EXPECT_EQ(kinds, c.kinds);
  std::string sub_dir = c.sub_dir;
  for (char& ch : sub_dir) ch = ch == '/' ? Separator() : ch;
  EXPECT_EQ(SubDir(state_.project, c.kinds.back()), sub_dir);
  EXPECT_EQ(OldName(state_.project, c.kinds.back()), c.old_name);
  EXPECT_EQ(state_.new_name, c.old_name);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, NewInputClaimedTest,
    ::testing::Values(
        ClaimedInputCase{"Folder", "beacon", "", "beacon"},
        ClaimedInputCase{"FolderWithSeparator", "meter", "/", "meter"},
        ClaimedInputCase{"ProjectFile", "beacon", "/.project", "beacon"},
        ClaimedInputCase{"CProjectFile", "meter", "/.cproject", "meter"},
        ClaimedInputCase{"IocFile", "beacon", "/beacon.ioc", "beacon"},
        ClaimedInputCase{"LaunchFile", "beacon", "/beacon Debug.launch", "beacon"},
        ClaimedInputCase{"LaunchesFolderFile", "scale", "/.launches/scale.launch", "scale"},
        ClaimedInputCase{"DualCoreRoot", "drive", "/drive.ioc", "drive"},
        ClaimedInputCase{"SubProjectStandsForTheRoot", "drive", "/CM7", "drive"},
        ClaimedInputCase{"SubProjectFile", "drive", "/CM4/.project", "drive"},
        ClaimedInputCase{"SubProjectOfAnotherName", "servo", "/CM7/.project", "servo"},
        ClaimedInputCase{"MplabFolder", "mplab-blink/blink.X", "", "blink", {FamilyKind::kMplab}},
        ClaimedInputCase{
            "MplabIdesFolder", "mplab-blink/blink.X", "/nbproject/", "blink", {FamilyKind::kMplab}},
        ClaimedInputCase{"MplabProjectXml",
                         "mplab-lab/Lab 10.X",
                         "/nbproject/project.xml",
                         "Lab 10",
                         {FamilyKind::kMplab}},
        ClaimedInputCase{"MplabConfigurationsXml",
                         "mplab-plain/plain",
                         "/nbproject/configurations.xml",
                         "plain",
                         {FamilyKind::kMplab}},
        ClaimedInputCase{"HarmonyProjectStandsForTheApplication",
                         "mplab-harmony/dosing",
                         "/firmware/dosing.X",
                         "dosing",
                         {FamilyKind::kMplab},
                         "/firmware/dosing.X"},
        ClaimedInputCase{"HarmonyProjectXml",
                         "mplab-harmony/dosing",
                         "/firmware/dosing.X/nbproject/project.xml",
                         "dosing",
                         {FamilyKind::kMplab},
                         "/firmware/dosing.X"},
        ClaimedInputCase{
            "CMakeFolderNamedOtherwise", "cmake-blinky", "", "lumen", {FamilyKind::kCMake}},
        ClaimedInputCase{"CMakeIoc", "cmake-blinky", "/lumen.ioc", "lumen", {FamilyKind::kCMake}},
        ClaimedInputCase{
            "CMakeTopLists", "cmake-blinky", "/CMakeLists.txt", "lumen", {FamilyKind::kCMake}},
        ClaimedInputCase{"CMakeContext", "cmake-dual", "/CM7", "duo", {FamilyKind::kCMake}},
        ClaimedInputCase{
            "CMakeContextLists", "cmake-dual", "/CM4/CMakeLists.txt", "duo", {FamilyKind::kCMake}},
        ClaimedInputCase{"CMakeWithEwarmAndEclipse",
                         "cmake-mixed",
                         "",
                         "mix",
                         {FamilyKind::kIar, FamilyKind::kEclipse, FamilyKind::kCMake}},
        ClaimedInputCase{"CMakeWithEwarmAndEclipseByTheIoc",
                         "cmake-mixed",
                         "/mix.ioc",
                         "mix",
                         {FamilyKind::kIar, FamilyKind::kEclipse, FamilyKind::kCMake}}),
    testing::ParamLabel());

// A ".project" without a C build is no project of the family.
TEST_F(NewInputTest, EclipseProjectWithoutCBuildIsNotFound) {
  WriteFile(tmp_ / "work/java/.project",
            "<projectDescription><name>java</name></projectDescription>");
  ExpectNotFound(Load(tmp_ / "work/java/.project"));
  EXPECT_FALSE(state_.project.Has(FamilyKind::kEclipse));
}

// A workspace at the top with its projects below: one listed project loads
// with the workspace's folder; several are the workspace's choice to make.
TEST_F(NewInputTest, WspAtTheRootWithEachPrjInItsFolder) {
  WriteFile(tmp_ / "root/work.wsp", "FILE-0=a\\a.prj\r\n");
  WriteFile(tmp_ / "root/a/a.prj", "");
  EXPECT_TRUE(Load(tmp_ / "root").ok);
  EXPECT_EQ(state_.project.project_dir, tmp_ / "root");
  EXPECT_EQ(SubDir(state_.project, FamilyKind::kWspPrj), "");
  EXPECT_EQ(OldWorkspace(state_.project), "work");

  WriteFile(tmp_ / "root/work.wsp",
            "FILE-0=a\\a.prj\r\nFILE-1=b\\b.prj\r\n[SubPrj-a.prj]\r\n[SubPrj-B.prj]\r\n"
            "[SubPrj-c.prj]\r\n");
  WriteFile(tmp_ / "root/b/b.prj", "");
  EXPECT_FALSE(Load(tmp_ / "root").ok);
  EXPECT_EQ(state_.error, AnalysisError::kSeveralProjects);
  // Each once, as the workspace names it.
  EXPECT_EQ(state_.several_projects, (std::vector<std::string>{"a\\a.prj", "b\\b.prj", "c.prj"}));
}

TEST_F(NewInputTest, SeveralProjectsBelowLoadNothingAndListThem) {
  for (const char* f : {"t/A/a.uvprojx", "t/B/b.uvprojx", "t/C/c.eww", "t/D/d.eww", "t/E/sub/e.ewp",
                        "t/F.X/nbproject/project.xml"}) {
    WriteFile(tmp_ / f, "");
  }
  const AnalysisResult result = Load(tmp_ / "t");
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.set_check_boxes);
  EXPECT_EQ(state_.error, AnalysisError::kSeveralProjects);
  EXPECT_TRUE(state_.project.families.empty());
  EXPECT_EQ(
      ui_.shown,
      std::vector<Shown>{Message(
          "Several projects found - give the project file of the one to rename:\nA\nB\nC\nD\nE" +
          kSep + "sub\nF.X")});
  EXPECT_EQ(state_.search.candidates.size(), 6u);

  // Pointing at one of them loads it by today's rules.
  ui_.shown.clear();
  EXPECT_TRUE(Load(tmp_ / "t/C").ok);
  EXPECT_EQ(state_.project.project_dir, tmp_ / "t/C");
  EXPECT_TRUE(state_.search.candidates.empty());
}

// An extension in a folder's name above the project is no longer taken for
// a project file, when the whole-path test finds nothing.
struct OwnNameCase {
  std::string label;
  std::string folder;  // holding blinky.wsp and blinky.prj
  std::string input;   // below the temporary folder
};

class NewInputOwnNameTest : public NewInputTest,
                            public ::testing::WithParamInterface<OwnNameCase> {};

TEST_P(NewInputOwnNameTest, LoadsTheProject) {
  const std::string project = MakePrjProject(tmp_ / GetParam().folder, "blinky");
  EXPECT_TRUE(Load(tmp_ / GetParam().input).ok);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(state_.project.project_dir, project);
  EXPECT_EQ(state_.project.old_dir, "blinky");
  EXPECT_TRUE(state_.project.Has(FamilyKind::kWspPrj));
  EXPECT_EQ(OldName(state_.project, FamilyKind::kWspPrj), "blinky");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, NewInputOwnNameTest,
    ::testing::Values(OwnNameCase{"WspInFolderName", "old.wsp.files/blinky",
                                  "old.wsp.files/blinky"},
                      OwnNameCase{"PrjArchive", "old.prj-archive/blinky", "old.prj-archive/blinky"},
                      OwnNameCase{"EwwBak", "v2.eww.bak/blinky", "v2.eww.bak/blinky"}),
    testing::ParamLabel());

}  // namespace
}  // namespace kelvandor
