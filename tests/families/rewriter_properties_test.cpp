// What every project-file rewriter owes the user, whatever its format: the
// files come out under the new name with their bytes kept outside the name,
// a backup only where one was asked for, the same name rewrites in place to
// the same bytes, and a file failure at any step leaves the project as it
// was, naming the file it met. Each rewriter's own rules are in its own test.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/file_rewrite.h"
#include "families/cmake_project/cmake_project.h"
#include "families/eclipse/eclipse_rewriter.h"
#include "families/iar/iar_rewriter.h"
#include "families/keil/keil5_rewriter.h"
#include "families/keil/keil_rewriter.h"
#include "families/mplab/mplab_rewriter.h"
#include "families/softune/prj_rewriter.h"
#include "families/softune/wsp_rewriter.h"
#include "platform/io_error.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/recording_ui.h"
#include "tests/support/rewrite_test_support.h"
#include "tests/support/temp_dir.h"

namespace kelvandor {
namespace {

using testing::CrLf;
using testing::Fault;
using testing::FaultyFileSystem;
using testing::LineEndCase;
using testing::ListTree;
using testing::NewFolderLine;
using testing::PrintTo;
using testing::ReadFile;
using testing::Snapshot;
using testing::Sorted;
using testing::TempDir;
using testing::TestValues;
using testing::WriteFile;

// One file of a sample project named Motor, before and after the rename to
// Pump. `any_content` files are copied whatever they hold (none of them
// carries what makes the project a project); a file without a backup is
// only renamed.
struct SampleFile {
  std::string old_name;
  std::string new_name;
  std::string backup;
  std::string before;
  std::string after;
  bool any_content = true;
};

using Rewrite = void (*)(std::string_view dir, const std::string& old_name,
                         const RewriteValues& values, RewriteBatch& batch);

struct Rewriter {
  std::string label;
  std::vector<SampleFile> files;
  bool crlf_rule = false;  // text files: every line comes out ending in CR LF
  Rewrite run = nullptr;
  bool writes_unchanged = true;  // also a file the new name does not change
  bool xml = false;              // the name stands in XML values
};

std::vector<std::string> Wsp(std::string_view name) {
  const std::string prj = std::string(name) + ".prj";
  return {"FILE-0=" + prj, "ActivePrj=" + prj, "[SubPrj-" + prj + "]", NewFolderLine("WSP=")};
}

std::string Eww(std::string_view name) {
  return "<workspace>\r\n  <project>\r\n    <path>$WS_DIR$\\" + std::string(name) +
         ".ewp</path>\r\n  </project>\r\n</workspace>\r\n";
}

std::string Uvproj(std::string_view name) {
  const std::string n(name);
  return "<Target><TargetName>" + n + "</TargetName><OutputName>" + n +
         "</OutputName><ScatterFile>.\\" + n + ".sct</ScatterFile></Target>\r\n";
}

std::string Uvopt(std::string_view name) {
  return "<Target><TargetName>" + std::string(name) + "</TargetName></Target>\n";
}

// The file names of `kind` (".uvproj"), with a backup of name + ".bak".
SampleFile Kind(const std::string& kind, std::string before, std::string after) {
  return {"Motor" + kind, "Pump" + kind, "Motor" + kind + ".bak", std::move(before),
          std::move(after)};
}

// A file that follows the project's name without being rewritten.
SampleFile Follower(const std::string& suffix) {
  return {"Motor" + suffix, "Pump" + suffix, "", suffix, suffix, false};
}

std::string IarProject(const std::string& name) {
  return "<configuration><name>Debug</name>\r\n"
         "<option><name>ExePath</name><state>Debug</state></option>\r\n"
         "<option><name>OutputFile</name><state>" +
         name + ".out</state></option></configuration>\r\n";
}

std::vector<Rewriter> Rewriters() {
  const std::string project = "<projectDescription>\n\t<name>";
  return {
      {"Wsp",
       {{"Motor.wsp", "Pump.wsp", "_old_Motor.wsp", CrLf(Wsp("Motor")), CrLf(Wsp("Pump"))}},
       true,
       [](auto dir, const auto& old_name, const auto& values, auto& batch) {
         testing::RecordingUi ui;
         ParseWsp(dir, old_name + ".wsp", values, ui, batch);
       }},
      {"Prj",
       {{"Motor.prj", "Pump.prj", "_old_Motor.prj",
         CrLf({NewFolderLine("PRJ="), "F1=0 m ABS\\Motor.abs"}),
         CrLf({NewFolderLine("PRJ="), "F1=0 m ABS\\Pump.abs"})}},
       true,
       [](auto dir, const auto& old_name, const auto& values, auto& batch) {
         testing::RecordingUi ui;
         ParsePrj(dir, old_name + ".prj", values, ui, batch);
       }},
      {"Iar",
       {Kind(".eww", Eww("Motor"), Eww("Pump")),
        Kind(".ewp", IarProject("Motor"), IarProject("Pump")),
        Kind(".ewd", "<state>Motor.out</state>\n", "<state>Motor.out</state>\n"),
        Kind(".dep", "<file>$PROJ_DIR$\\Debug\\Motor.out</file>\n",
             "<file>$PROJ_DIR$\\Debug\\Pump.out</file>\n"),
        Follower(".ewt")},
       false,
       [](auto dir, const auto& old_name, const auto& values, auto& batch) {
         ParseIAR(dir, old_name, values, batch);
       },
       true,
       true},
      {"Uvision4",
       {Kind(".uvproj", Uvproj("Motor"), Uvproj("Pump")),
        Kind(".uvopt", Uvopt("Motor"), Uvopt("Pump")), Follower(".sct")},
       false,
       [](auto dir, const auto& old_name, const auto& values, auto& batch) {
         ParseKEILUV(dir, old_name, values, batch);
       },
       true,
       true},
      {"Uvision5",
       {Kind(".uvprojx", Uvproj("Motor"), Uvproj("Pump")),
        Kind(".uvoptx", Uvopt("Motor"), Uvopt("Pump")), Follower(".sct"), Follower(".uvguix.anna")},
       false,
       [](auto dir, const auto& old_name, const auto& values, auto& batch) {
         ParseKEILUV5(dir, old_name, values, batch);
       },
       true,
       true},
      {"Eclipse",
       {{".project", ".project", ".project.bak", project + "Motor</name>\n</projectDescription>\n",
         project + "Pump</name>\n</projectDescription>\n", false},
        {".cproject", ".cproject", ".cproject.bak",
         "<storageModule><project id=\"Motor.1\" name=\"Motor\"/></storageModule>\r\n",
         "<storageModule><project id=\"Pump.1\" name=\"Pump\"/></storageModule>\r\n"}},
       false,
       [](auto dir, const auto& old_name, const auto& values, auto& batch) {
         ParseEclipse(dir, old_name, values, batch);
       },
       false,
       true},
      {"Mplab",
       {{"nbproject/project.xml", "nbproject/project.xml", "nbproject/project.xml.bak",
         "<project><configuration><data><name>Motor</name></data></configuration></project>\n",
         "<project><configuration><data><name>Pump</name></data></configuration></project>\n",
         false},
        {"nbproject/configurations.xml", "nbproject/configurations.xml",
         "nbproject/configurations.xml.bak",
         "<configurationDescriptor><itemPath>Motor.mc3</itemPath></configurationDescriptor>\r\n",
         "<configurationDescriptor><itemPath>Pump.mc3</itemPath></configurationDescriptor>\r\n"},
        Follower(".mc3")},
       false,
       [](auto dir, const auto& old_name, const auto& values, auto& batch) {
         ParseMplab(std::string(dir), old_name, values.old_dir, values.new_dir, values, batch);
       },
       false,
       true},
      {"CMake",
       {{"Motor.ioc", "Pump.ioc", "Motor.ioc.bak", "ProjectManager.ProjectName=Motor\r\n",
         "ProjectManager.ProjectName=Pump\r\n", false},
        {"openocd.cfg", "openocd.cfg", "openocd.cfg.bak", "program build/Motor.elf\n",
         "program build/Pump.elf\n"},
        {"CMakeLists.txt", "CMakeLists.txt", "CMakeLists.txt.bak",
         "set(CMAKE_PROJECT_NAME \"Motor\")\nproject(${CMAKE_PROJECT_NAME})\n",
         "set(CMAKE_PROJECT_NAME \"Pump\")\nproject(${CMAKE_PROJECT_NAME})\n", false}},
       false,
       [](auto dir, const auto& old_name, const auto& values, auto& batch) {
         testing::RecordingUi ui;
         Family family;
         family.kind = FamilyKind::kCMake;
         family.old_name = old_name;
         RewriteCMakeProject(std::string(dir), family, values, ui, batch);
       },
       false},
  };
}

// The files below `tmp`, without the folders that hold them.
std::vector<std::string> Files(const TempDir& tmp) {
  std::vector<std::string> files = ListTree(tmp.path());
  std::erase_if(files, [](const std::string& name) { return name.ends_with('/'); });
  return files;
}

void WriteSample(const TempDir& tmp, const Rewriter& row) {
  for (const SampleFile& f : row.files) WriteFile(tmp / f.old_name, f.before);
}

void RunRow(const TempDir& tmp, const Rewriter& row, const RewriteValues& values,
            FileSystem& file_system = NativeFileSystem(), const std::string& old_name = "Motor") {
  RewriteBatch batch(file_system);
  row.run(tmp.path(), old_name, values, batch);
  batch.Commit();
}

// `text` with every `from` replaced by `to`.
std::string Named(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Renames the project in `tmp` from `old_name`, written in its files as
// `old_written`, to `new_name` (new folder new_name + "Dir"): every file
// comes out under the new name, holding the sample's with the new name
// written as `written`.
void ExpectRenamed(const TempDir& tmp, const Rewriter& row, const std::string& old_name,
                   std::string_view old_written, const std::string& new_name,
                   std::string_view written) {
  RewriteValues values = TestValues(false, new_name);
  values.new_dir = new_name + "Dir";
  RunRow(tmp, row, values, NativeFileSystem(), old_name);
  std::vector<std::string> names;
  for (const SampleFile& f : row.files) {
    names.push_back(Named(f.new_name, "Pump", new_name));
    EXPECT_EQ(ReadFile(tmp / names.back()),
              Named(Named(f.after, "Motor", old_written), "Pump", written))
        << names.back();
  }
  EXPECT_EQ(Files(tmp), Sorted(names));
}

class RewriterProperty : public ::testing::TestWithParam<Rewriter> {};

// A backup an earlier run left is never read and gives way to the current
// content, or goes when none is asked for; the same name leaves every byte
// as it was.
TEST_P(RewriterProperty, RenamesWithABackupOnlyWhenAsked) {
  const Rewriter& row = GetParam();
  for (const bool same_name : {false, true}) {
    for (const bool backup : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "same name " << same_name << ", backup " << backup);
      TempDir tmp;
      WriteSample(tmp, row);
      for (const SampleFile& f : row.files) {
        if (!f.backup.empty()) WriteFile(tmp / f.backup, "stale\n");
      }
      RunRow(tmp, row, TestValues(backup, same_name ? "Motor" : "Pump"));
      // A file that would not change may be left alone, with its old backup.
      const bool backups_known = !same_name || row.writes_unchanged;
      std::vector<std::string> files;
      for (const SampleFile& f : row.files) {
        const std::string& name = same_name ? f.old_name : f.new_name;
        files.push_back(name);
        EXPECT_EQ(ReadFile(tmp / name), same_name ? f.before : f.after) << name;
        if (f.backup.empty() || !(backup || !backups_known)) continue;
        if (!backups_known && !FileExists(tmp / f.backup)) continue;
        files.push_back(f.backup);
        if (backups_known) {
          EXPECT_EQ(ReadFile(tmp / f.backup), f.before) << f.backup;
        }
      }
      EXPECT_EQ(Files(tmp), Sorted(files));
    }
  }
}

// Every single read, write or move failing in turn, as each fault, under a
// new name and in place: a failure raised names a file and leaves every byte
// as it was; one the rewrite recovers from (an interrupted call is tried
// again, a backup that cannot be deleted stays) leaves the rename complete.
TEST_P(RewriterProperty, EachFailureLeavesTheProjectWholeOrRenamed) {
  for (const bool same_name : {false, true}) {
    for (const Fault fault : {Fault::kDiskFull, Fault::kReadFails, Fault::kInterrupted}) {
      for (int fail_at = 1;; ++fail_at) {
        SCOPED_TRACE(::testing::Message() << "same name " << same_name << ", fault "
                                          << static_cast<int>(fault) << " at call " << fail_at);
        TempDir tmp;
        WriteSample(tmp, GetParam());
        const auto before = Snapshot(tmp.path());
        FaultyFileSystem fs(fail_at, fault);
        try {
          RunRow(tmp, GetParam(), TestValues(false, same_name ? "Motor" : "Pump"), fs);
          std::vector<std::string> renamed;
          for (const SampleFile& f : GetParam().files) {
            const std::string& name = same_name ? f.old_name : f.new_name;
            renamed.push_back(name);
            EXPECT_EQ(ReadFile(tmp / name), same_name ? f.before : f.after) << name;
          }
          // A backup that could not be deleted stays.
          std::vector<std::string> left = Files(tmp);
          std::erase_if(left, [&](const std::string& name) {
            return std::ranges::any_of(GetParam().files,
                                       [&](const SampleFile& f) { return f.backup == name; });
          });
          EXPECT_EQ(left, Sorted(renamed));
        } catch (const IoError& e) {
          EXPECT_NE(fault, Fault::kInterrupted) << "an interrupted call is tried again";
          EXPECT_TRUE(e.path().starts_with(tmp.path())) << "path: " << e.path();
          EXPECT_EQ(Snapshot(tmp.path()), before);
        }
        if (!fs.fired()) break;
      }
    }
  }
}

// A stale backup that cannot be replaced, here the last file's, stops the
// rename before anything changed.
TEST_P(RewriterProperty, ReadOnlyBackupStopsBeforeAnyFile) {
  TempDir tmp;
  WriteSample(tmp, GetParam());
  std::string backup;
  for (const SampleFile& f : GetParam().files) {
    if (!f.backup.empty()) backup = f.backup;
  }
  WriteFile(tmp / backup, "locked\n");
  testing::MakeReadOnly(tmp / backup);
  const auto before = Snapshot(tmp.path());
  try {
    RunRow(tmp, GetParam(), TestValues());
    ADD_FAILURE() << "no error raised";
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), IoErrorCode::kAccessDenied);
  }
  EXPECT_EQ(Snapshot(tmp.path()), before);
}

// Each file of the project alone, or none: only what is there follows.
TEST_P(RewriterProperty, RenamesWhateverFilesAreThere) {
  {
    TempDir tmp;
    RunRow(tmp, GetParam(), TestValues(true));
    EXPECT_EQ(Files(tmp), std::vector<std::string>{});
  }
  // A project that is found by one of its files has no such files.
  const auto& files = GetParam().files;
  if (files.size() == 1 || std::ranges::any_of(files, [](const SampleFile& f) {
        return !f.any_content && !f.backup.empty();
      })) {
    return;
  }
  for (const SampleFile& f : files) {
    if (!f.any_content) continue;
    SCOPED_TRACE(f.old_name);
    TempDir tmp;
    WriteFile(tmp / f.old_name, f.before);
    RunRow(tmp, GetParam(), TestValues(true));
    EXPECT_EQ(Files(tmp), Sorted({f.backup, f.new_name}));
  }
}

// The disk fills up part-way through a file of many buffers.
TEST_P(RewriterProperty, DiskFullPartWayChangesNothing) {
  TempDir tmp;
  WriteSample(tmp, GetParam());
  std::string big;
  while (big.size() < 1024 * 1024) big += "<x>line " + std::to_string(big.size()) + "</x>\r\n";
  for (const SampleFile& f : GetParam().files) {
    if (f.any_content) WriteFile(tmp / f.old_name, f.before + big);
  }
  const auto before = Snapshot(tmp.path());
  FaultyFileSystem fs;
  fs.set_space(300 * 1024);
  EXPECT_THROW(RunRow(tmp, GetParam(), TestValues(), fs), IoError);
  EXPECT_TRUE(fs.fired());
  EXPECT_EQ(Snapshot(tmp.path()), before);
}

// Blanks and bytes beyond ASCII in both names are matched and written as
// they are.
TEST_P(RewriterProperty, NamesWithBlanksAndNonAsciiBytes) {
  const std::string old_name = "My M\xf6tor";
  TempDir tmp;
  for (const SampleFile& f : GetParam().files) {
    WriteFile(tmp / Named(f.old_name, "Motor", old_name), Named(f.before, "Motor", old_name));
  }
  ExpectRenamed(tmp, GetParam(), old_name, old_name, "P\xc3\xbcmp 2", "P\xc3\xbcmp 2");
}

// The new name is escaped wherever it is written into XML, file names keep
// it plain; renamed back, the escaped name is found again.
TEST_P(RewriterProperty, NewNameIsEscapedInXml) {
  if (!GetParam().xml) GTEST_SKIP() << "no XML";
  TempDir tmp;
  WriteSample(tmp, GetParam());
  ExpectRenamed(tmp, GetParam(), "Motor", "Motor", "R&D 'x'", "R&amp;D &apos;x&apos;");
  ExpectRenamed(tmp, GetParam(), "R&D 'x'", "Motor", "Motor", "Motor");
}

// An empty old name matches no value: the project files are only copied.
TEST_P(RewriterProperty, EmptyOldNameOnlyCopies) {
  if (!GetParam().xml) GTEST_SKIP() << "the old name is a file name";
  TempDir tmp;
  std::vector<SampleFile> files = GetParam().files;
  std::erase_if(files, [](const SampleFile& f) { return f.backup.empty(); });
  for (const SampleFile& f : files) WriteFile(tmp / Named(f.old_name, "Motor", ""), f.before);
  RunRow(tmp, GetParam(), TestValues(), NativeFileSystem(), "");
  std::vector<std::string> names;
  for (const SampleFile& f : files) {
    names.push_back(f.new_name);
    EXPECT_EQ(ReadFile(tmp / f.new_name), f.before) << f.new_name;
  }
  EXPECT_EQ(Files(tmp), Sorted(names));
}

INSTANTIATE_TEST_SUITE_P(Rows, RewriterProperty, ::testing::ValuesIn(Rewriters()),
                         testing::ParamLabel());

// Content that names no project, in every file that may hold anything: the
// text files come out as their line rules make them, the others byte for
// byte.
class RewriterLineEnds : public ::testing::TestWithParam<std::tuple<Rewriter, LineEndCase>> {};

TEST_P(RewriterLineEnds, KeepTheBytesOrTheLineRule) {
  const auto& [row, line_ends] = GetParam();
  TempDir tmp;
  WriteSample(tmp, row);
  for (const SampleFile& f : row.files) {
    if (f.any_content) WriteFile(tmp / f.old_name, line_ends.Input());
  }
  RunRow(tmp, row, TestValues());
  for (const SampleFile& f : row.files) {
    if (!f.any_content) continue;
    EXPECT_EQ(ReadFile(tmp / f.new_name), row.crlf_rule ? line_ends.Output() : line_ends.Input())
        << f.new_name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RewriterLineEnds,
    ::testing::Combine(::testing::ValuesIn(Rewriters()),
                       ::testing::ValuesIn(testing::LineEndCases())),
    [](const ::testing::TestParamInfo<std::tuple<Rewriter, LineEndCase>>& param_info) {
      return std::get<0>(param_info.param).label + "_" + std::get<1>(param_info.param).label;
    });

}  // namespace
}  // namespace kelvandor
