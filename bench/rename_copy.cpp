// Copies a generated WSP/PRJ + IAR + Keil project with the rename workflow
// (copy mode, CleanUp ticked) and, in the same run, with `cp -a`, and prints
// both times and their ratio. The copy is the cost: the rewrites and the
// clean-up touch a few files. It also plans the same rename without changing
// the disk (a dry run) and prints its time against the real run's and how
// much the process's peak memory grew while planning.
//
//   bench_rename_copy [SCALE [ROUNDS [FOLDER]]]
//
// SCALE 1 (the default) makes 20 000 files of 1 GiB together; 0.01 makes
// 200 files of about 10 MiB. Each of ROUNDS rounds (default 3) times both
// copies, taking turns at going first; the fastest time of each counts, since
// other work on the machine only ever adds to a time. FOLDER is where the
// trees go (default: the system's temporary folder); it must have room for
// three copies.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include "workflow/rename_workflow.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "platform/planning_file_system.h"
#include "platform/user_interface.h"
#include "families/family_kind.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kFullFiles = 20000;
constexpr std::uint64_t kFullBytes = std::uint64_t{1} << 30;

class SilentUi : public kelvandor::UserInterface {
 public:
  void ShowMessage(std::string_view text) override {
    std::fprintf(stderr, "message: %.*s\n", Len(text), text.data());
  }
  void ShowResult(std::string_view text) override {
    std::fprintf(stderr, "result: %.*s\n", Len(text), text.data());
  }
  bool Confirm(std::string_view) override { return false; }
  std::optional<std::string> ChooseFolder(std::string_view) override { return std::nullopt; }
  void SetBusy(bool) override {}
  void CopyProgress(std::uint64_t, std::uint64_t) override {}

 private:
  static int Len(std::string_view text) { return static_cast<int>(text.size()); }
};

void WriteText(const fs::path& path, std::string_view text) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// The project files the rewriters read, each a few lines.
void WriteProjectFiles(const fs::path& root) {
  WriteText(root / "bench.wsp",
            "[Workspace]\r\nWSP=D:\\work\\bench\\\r\nFILE-0=bench.prj\r\nActivePrj=bench.prj\r\n"
            "\r\n[SubPrj-bench.prj]\r\nOpen=1\r\n");
  WriteText(root / "bench.prj",
            "[Project]\r\nPRJ=D:\\work\\bench\\\r\n[Files]\r\nF1=0 m ABS\\bench.abs\r\n"
            "F2=1 c src\\main.c\r\nInclude=D:\\work\\bench\\src\r\n");
  const fs::path iar = root / "example" / "IAR";
  WriteText(iar / "bench.eww",
            "<workspace>\r\n  <project>\r\n    <path>$WS_DIR$\\bench.ewp</path>\r\n  </project>\r\n"
            "</workspace>\r\n");
  WriteText(iar / "bench.ewp", "<project>\r\n  <state>bench.out</state>\r\n</project>\r\n");
  WriteText(iar / "bench.ewd", "<project>\r\n  <state>1</state>\r\n</project>\r\n");
  WriteText(
      iar / "bench.dep",
      "<project>\r\n  <file>$PROJ_DIR$\\output\\debug\\exe\\bench.out</file>\r\n</project>\r\n");
  const fs::path keil = root / "example" / "ARM";
  WriteText(keil / "bench.uvproj",
            "<Project>\r\n  <TargetName>bench</TargetName>\r\n  <OutputName>bench</OutputName>\r\n"
            "</Project>\r\n");
  WriteText(keil / "bench.uvopt",
            "<ProjectOpt>\r\n  <TargetName>bench</TargetName>\r\n</ProjectOpt>\r\n");
}

// Where the generated files go, with the share of files each folder gets:
// sources and libraries, which stay, and build output, which the clean-up
// removes.
struct Bucket {
  const char* folder;
  const char* extension;
  unsigned share;       // per mille of the files
  bool output = false;  // directly in the folder, as the clean-up expects build output
};

constexpr Bucket kBuckets[] = {
    {"src", ".c", 450},
    {"inc", ".h", 250},
    {"lib", ".lib", 100},
    {"docs", ".txt", 100},
    {"ABS", ".hex", 5, true},
    {"LST", ".lst", 15, true},
    {"OBJ", ".obj", 15, true},
    {"OPT", ".opt", 5, true},
    {"example/IAR/output/debug/obj", ".o", 15, true},
    {"example/IAR/output/debug/list", ".lst", 10, true},
    {"example/IAR/output/release/exe", ".hex", 5, true},
    {"example/IAR/settings", ".dni", 5, true},
    {"example/ARM/output/debug", ".o", 15, true},
    {"example/ARM/output/release", ".d", 10, true},
};

std::uint64_t Generate(const fs::path& root, std::uint64_t files, std::uint64_t bytes) {
  WriteProjectFiles(root);
  // A fixed pattern that is not all zeros, written in slices of varying size.
  std::vector<char> pattern(1 << 20);
  std::uint32_t state = 12345;
  for (char& c : pattern) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 24);
  }
  const std::uint64_t average = bytes / files;
  std::uint64_t written = 0;
  std::uint64_t made = 0;
  for (const Bucket& bucket : kBuckets) {
    const std::uint64_t count = files * bucket.share / 1000;
    for (std::uint64_t i = 0; i < count; ++i, ++made) {
      // Sizes from half to one and a half times the average.
      std::uint64_t size = average / 2 + (made * 7919) % (average + 1);
      // Appended piece by piece, as in CpCommand.
      std::string part = "part";
      part += std::to_string(i / 200);
      std::string name = "f";
      name += std::to_string(i);
      name += bucket.extension;
      const fs::path dir = bucket.output ? root / bucket.folder : root / bucket.folder / part;
      if (i % 200 == 0) fs::create_directories(dir);
      std::ofstream out(dir / name, std::ios::binary);
      written += size;
      for (std::size_t offset = made % 4096; size > 0;) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, pattern.size() - offset));
        out.write(pattern.data() + offset, static_cast<std::streamsize>(n));
        size -= n;
        offset = 0;
      }
    }
  }
  return written;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

template <typename F>
double Timed(F&& f) {
  std::system("sync");
  const auto start = std::chrono::steady_clock::now();
  f();
  const auto end = std::chrono::steady_clock::now();
  return Seconds(end - start);
}

std::uint64_t CountFiles(const fs::path& root) {
  std::uint64_t n = 0;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root))
    n += e.is_regular_file();
  return n;
}

// "cp -a" + path would trip GCC 12's -Wrestrict; appended piece by piece.
std::string CpCommand(const fs::path& from, const fs::path& to) {
  std::string command = "cp -a '";
  command += from.string();
  command += "' '";
  command += to.string();
  command += "'";
  return command;
}

kelvandor::Project BenchProject(const fs::path& project) {
  using kelvandor::Family;
  using kelvandor::FamilyKind;
  const std::string sep = kelvandor::SeparatorString();
  kelvandor::Project p;
  p.input_dir = project.parent_path().string();
  p.old_dir = "bench";
  p.project_dir = project.string();
  {
    Family& family = p.Add(FamilyKind::kWspPrj);
    family.old_name = "bench";
    family.SetValue(kelvandor::kWorkspaceValue, "bench");
  }
  {
    Family& family = p.Add(FamilyKind::kIar);
    family.sub_dir = sep + "example" + sep + "IAR";
    family.old_name = "bench";
  }
  {
    Family& family = p.Add(FamilyKind::kKeilUv4);
    family.sub_dir = sep + "example" + sep + "ARM";
    family.old_name = "bench";
  }
  return p;
}

kelvandor::RenamePlan CopyPlan(const fs::path& new_path) {
  return {.new_path = new_path.string() + kelvandor::SeparatorString(),
          .new_dir = "pump",
          .new_name = "pump",
          .mode = kelvandor::RenameMode::kCopy,
          .clean_up = true,
          .backup = false};
}

// The process's peak resident memory so far, in KiB.
long PeakKiB() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<long>(counters.PeakWorkingSetSize / 1024);
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
  const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  if (!(scale > 0) || rounds < 1) {
    std::fprintf(stderr, "usage: %s [SCALE [ROUNDS [FOLDER]]]\n", argv[0]);
    return 2;
  }
  const fs::path base = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path();
  const fs::path work =
      base / ("kelvandor-bench-" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  const fs::path project = work / "work" / "bench";
  const std::uint64_t files =
      std::max<std::uint64_t>(1, static_cast<std::uint64_t>(kFullFiles * scale));
  const std::uint64_t bytes = static_cast<std::uint64_t>(static_cast<double>(kFullBytes) * scale);

  std::printf("generating %llu files, %.1f MiB in %s\n", static_cast<unsigned long long>(files),
              static_cast<double>(bytes) / (1 << 20), project.string().c_str());
  const std::uint64_t written = Generate(project, files, bytes);
  std::printf("generated %.1f MiB\n", static_cast<double>(written) / (1 << 20));

  SilentUi ui;
  bool ok = true;
  double best_cp = 0;
  double best_rename = 0;
  // First, so that nothing else has raised the peak yet.
  const long peak_before = PeakKiB();
  std::size_t planned_cleaned = 0;
  const auto run_plan = [&] {
    return Timed([&] {
      kelvandor::PlanningFileSystem planning;
      const kelvandor::RenameOutcome outcome =
          kelvandor::RenameProject(BenchProject(project), CopyPlan(work / "new"), ui, planning);
      planned_cleaned = outcome.report.cleaned.size();
      ok = outcome.ok() && ok;
    });
  };
  double best_plan = run_plan();
  const long peak_growth = PeakKiB() - peak_before;
  std::printf("dry run: %.3f s, %zu files to clean, peak memory +%.1f MiB\n", best_plan,
              planned_cleaned, static_cast<double>(peak_growth) / 1024);
  for (int round = 0; round < rounds; ++round) {
    const fs::path cp_parent = work / "cp";
    const fs::path new_parent = work / "new";
    fs::create_directories(cp_parent);
    const auto run_cp = [&] {
      return Timed([&] {
        const std::string command = CpCommand(project, cp_parent / "pump");
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "cp -a failed\n");
      });
    };
    const kelvandor::Project source = BenchProject(project);
    const kelvandor::RenamePlan plan = CopyPlan(new_parent);
    int error_code = 0;
    const auto run_rename = [&] {
      return Timed([&] {
        const kelvandor::RenameOutcome outcome =
            kelvandor::RenameProject(source, plan, ui, kelvandor::NativeFileSystem());
        error_code = static_cast<int>(outcome.error);
        ok = outcome.ok() && ok;
      });
    };
    // Before both copies: the plan of a copy into a free place.
    const double plan_seconds = run_plan();
    double cp_seconds = 0;
    double rename_seconds = 0;
    if (round % 2 == 0) {
      cp_seconds = run_cp();
      rename_seconds = run_rename();
    } else {
      rename_seconds = run_rename();
      cp_seconds = run_cp();
    }
    std::printf("round %d: cp -a %.3f s, RenameProject %.3f s (error code %d), dry run %.3f s\n",
                round + 1, cp_seconds, rename_seconds, error_code, plan_seconds);
    best_plan = std::min(best_plan, plan_seconds);
    if (round == 0) {
      const fs::path copy = new_parent / "pump";
      std::printf("         %llu of %llu files left after the clean-up; pump.wsp %s\n",
                  static_cast<unsigned long long>(CountFiles(copy)),
                  static_cast<unsigned long long>(CountFiles(cp_parent / "pump")),
                  fs::exists(copy / "pump.wsp") ? "written" : "MISSING");
    }
    best_cp = round == 0 ? cp_seconds : std::min(best_cp, cp_seconds);
    best_rename = round == 0 ? rename_seconds : std::min(best_rename, rename_seconds);
    kelvandor::RemoveTree(cp_parent.string());
    kelvandor::RemoveTree(new_parent.string());
  }

  std::printf("cp -a:          %8.3f s  (fastest of %d)\n", best_cp, rounds);
  std::printf("RenameProject:  %8.3f s  (copy mode, CleanUp)\n", best_rename);
  std::printf("ratio:          %8.3f  (goal <= 1.1)\n", best_rename / best_cp);
  std::printf("dry run:        %8.3f s  (%.3f of RenameProject, goal <= 0.10)\n", best_plan,
              best_plan / best_rename);
  std::printf("dry run memory: %8.1f MiB more at peak  (goal <= 64)\n",
              static_cast<double>(peak_growth) / 1024);
  kelvandor::RemoveTree(work.string());
  return ok ? 0 : 1;
}
