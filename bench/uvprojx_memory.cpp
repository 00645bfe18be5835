// Peak memory and time of the uVision 5 rename (ParseKEILUV5), clean-up
// (CleanUpKeilUv5) and whole rename workflow (RenameProject, the check
// before any change included) on large generated .uvprojx files of two
// shapes: many
// targets, and few targets with many source paths. Each shape runs at two
// sizes, so that the time per MiB shows whether the work grows linearly.
//
//   bench_uvprojx_memory [MiB of the larger file, default 200]
//
// Goals: a peak resident memory less than 64 MiB above the baseline before
// each run, and a time per MiB at the larger size no more than 1.5 times
// that at the smaller (a quarter of it).

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <unistd.h>

#include "bench/peak_memory.h"
#include "core/project.h"
#include "families/keil/keil_cleanup.h"
#include "workflow/rename_workflow.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "platform/user_interface.h"
#include "families/keil/keil5_rewriter.h"
#include "core/rewrite_values.h"
#include "families/family_kind.h"

namespace {

namespace fs = std::filesystem;
using kelvandor::bench::ResetPeakMemory;
using kelvandor::bench::StatusKib;
using Clock = std::chrono::steady_clock;

constexpr long kGoalMemoryKib = 64 * 1024;
constexpr double kGoalLinear = 1.5;

// One target as uVision writes it; the first is named after the project.
void AppendTarget(std::string& out, unsigned index, unsigned files) {
  const std::string n = std::to_string(index);
  out += "    <Target>\r\n      <TargetName>";
  out += index == 0 ? "Motor" : "Target " + n;
  out +=
      "</TargetName>\r\n      <ToolsetNumber>0x4</ToolsetNumber>\r\n      <TargetOption>\r\n"
      "        <TargetCommonOption>\r\n          <Device>ORL32F103C8</Device>\r\n"
      "          <OutputDirectory>.\\Objects\\</OutputDirectory>\r\n          <OutputName>Motor_";
  out += n;
  out +=
      "</OutputName>\r\n          <ListingPath>.\\Listings\\</ListingPath>\r\n"
      "        </TargetCommonOption>\r\n        <TargetArmAds>\r\n          <Cads><VariousControls>"
      "<IncludePath>.\\RTE\\_Motor;..\\Inc;..\\Drivers\\CMSIS\\Include</IncludePath>"
      "</VariousControls></Cads>\r\n          <LDads><ScatterFile>.\\Objects\\Motor_";
  out += n;
  out +=
      ".sct</ScatterFile></LDads>\r\n        </TargetArmAds>\r\n      </TargetOption>\r\n"
      "      <Groups>\r\n        <Group>\r\n          <GroupName>Src</GroupName>\r\n"
      "          <Files>\r\n";
  for (unsigned f = 0; f < files; ++f) {
    const std::string m = std::to_string(f);
    out += "            <File>\r\n              <FileName>module_" + m +
           ".c</FileName>\r\n              <FileType>1</FileType>\r\n"
           "              <FilePath>..\\Src\\part_" +
           std::to_string(f % 97) + "\\module_" + m + ".c</FilePath>\r\n            </File>\r\n";
  }
  out += "          </Files>\r\n        </Group>\r\n      </Groups>\r\n    </Target>\r\n";
}

// Writes a project of `bytes` or a little more: targets of `files` source
// files each until the size is reached, or (`files` 0) one target whose
// source list fills the file.
void Generate(const fs::path& path, std::size_t bytes, unsigned files) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string chunk =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\r\n<Project>\r\n"
      "  <SchemaVersion>2.1</SchemaVersion>\r\n  <Targets>\r\n";
  std::size_t written = 0;
  if (files == 0) {
    // One target, its file list cut open and filled.
    std::string target;
    AppendTarget(target, 0, 1);
    const std::size_t cut = target.find("            <File>");
    chunk += target.substr(0, cut);
    const std::string tail = target.substr(cut);
    for (unsigned f = 0; written + chunk.size() < bytes; ++f) {
      const std::string m = std::to_string(f);
      chunk += "            <File>\r\n              <FileName>unit_" + m +
               ".c</FileName>\r\n              <FileType>1</FileType>\r\n"
               "              <FilePath>..\\Src\\part_" +
               std::to_string(f % 997) + "\\unit_" + m + ".c</FilePath>\r\n            </File>\r\n";
      if (chunk.size() >= (1u << 20)) {
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        written += chunk.size();
        chunk.clear();
      }
    }
    chunk += tail;
  } else {
    for (unsigned t = 0; written + chunk.size() < bytes; ++t) {
      AppendTarget(chunk, t, files);
      if (chunk.size() >= (1u << 20)) {
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        written += chunk.size();
        chunk.clear();
      }
    }
  }
  chunk +=
      "  </Targets>\r\n  <RTE>\r\n    <targetInfos><targetInfo name=\"Motor\"/></targetInfos>\r\n"
      "  </RTE>\r\n</Project>\r\n";
  out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Build output the clean-up deletes, keeps (images) and renames.
void MakeBuildOutput(const fs::path& dir) {
  fs::create_directories(dir / "Objects");
  fs::create_directories(dir / "Listings");
  for (const char* name : {"Objects/main.o", "Objects/module_1.d", "Objects/Motor_0.axf",
                           "Objects/Motor_0.hex", "Objects/Motor_1.hex", "Listings/Motor_0.map"}) {
    std::ofstream(dir / name) << name;
  }
}

class SilentUi : public kelvandor::UserInterface {
 public:
  void ShowMessage(std::string_view) override {}
  void ShowResult(std::string_view) override {}
  bool Confirm(std::string_view) override { return false; }
  std::optional<std::string> ChooseFolder(std::string_view) override { return std::nullopt; }
  void SetBusy(bool) override {}
  void CopyProgress(std::uint64_t, std::uint64_t) override {}
};

// The rename of the uVision 5 project `old_name` in `dir` to `new_name`, in
// place, as the window hands it to the workflow.
void RenameInPlace(const fs::path& dir, const char* old_name, const char* new_name) {
  kelvandor::Project project;
  project.project_dir = dir.string();
  project.input_dir = dir.parent_path().string();
  project.old_dir = dir.filename().string();
  project.Add(kelvandor::FamilyKind::kKeilUv5).old_name = old_name;
  kelvandor::RenamePlan plan;
  plan.new_path = project.input_dir + kelvandor::SeparatorString();
  plan.new_dir = project.old_dir;
  plan.new_name = new_name;
  plan.clean_up = false;
  SilentUi ui;
  const kelvandor::RenameOutcome outcome =
      kelvandor::RenameProject(project, plan, ui, kelvandor::NativeFileSystem());
  if (!outcome.ok()) throw std::runtime_error("the workflow failed: " + outcome.failure().message);
}

struct Measure {
  double seconds = 0;
  long extra_kib = 0;
};

Measure Run(const std::function<void()>& work) {
  ::sync();
  const bool reset = ResetPeakMemory();
  const long baseline = StatusKib(reset ? "VmHWM" : "VmRSS");
  const auto start = Clock::now();
  work();
  const double s = std::chrono::duration<double>(Clock::now() - start).count();
  return {s, StatusKib("VmHWM") - baseline};
}

struct Result {
  Measure rewrite;
  Measure cleanup;
  Measure workflow;
  double mib = 0;
};

Result RunShape(const fs::path& dir, std::size_t bytes, unsigned files) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  Generate(dir / "Motor.uvprojx", bytes, files);
  MakeBuildOutput(dir);
  Result r;
  r.mib = static_cast<double>(fs::file_size(dir / "Motor.uvprojx")) / (1 << 20);
  kelvandor::RewriteValues values;
  values.new_name = "Pump";
  values.backup = false;
  r.rewrite = Run([&] { kelvandor::ParseKEILUV5(dir.string(), "Motor", values); });
  if (!fs::exists(dir / "Pump.uvprojx") || fs::exists(dir / "Motor.uvprojx"))
    throw std::runtime_error("the rename did not happen");
  const kelvandor::FamilyCleanUp request{.project_dir = dir.string(),
                                         .family_dir = dir.string(),
                                         .old_name = "Motor",
                                         .new_name = "Pump",
                                         .backup = false};
  r.cleanup = Run([&] { kelvandor::CleanUpKeilUv5(request, kelvandor::NativeFileSystem()); });
  if (fs::exists(dir / "Objects/main.o") || !fs::exists(dir / "Objects/Pump_0.hex"))
    throw std::runtime_error("the clean-up did not happen");
  r.workflow = Run([&] { RenameInPlace(dir, "Pump", "Motor"); });
  if (!fs::exists(dir / "Motor.uvprojx") || fs::exists(dir / "Pump.uvprojx"))
    throw std::runtime_error("the workflow did not rename");
  fs::remove_all(dir);
  return r;
}

bool Report(const char* label, const char* step, const Measure& small, double small_mib,
            const Measure& large, double large_mib) {
  const double small_rate = small.seconds / small_mib;
  const double large_rate = large.seconds / large_mib;
  const double growth = large_rate / small_rate;
  const long peak = std::max(small.extra_kib, large.extra_kib);
  const bool linear = growth <= kGoalLinear;
  const bool flat = peak < kGoalMemoryKib;
  std::printf("%s, %s:\n", label, step);
  std::printf("  %7.1f MiB  %8.3f s  %7.2f ms/MiB  +%ld KiB\n", small_mib, small.seconds,
              1000 * small_rate, small.extra_kib);
  std::printf("  %7.1f MiB  %8.3f s  %7.2f ms/MiB  +%ld KiB\n", large_mib, large.seconds,
              1000 * large_rate, large.extra_kib);
  std::printf("  time per MiB  x%.2f from the smaller  (goal <= %.1f)  %s\n", growth, kGoalLinear,
              linear ? "met" : "NOT met");
  std::printf("  memory        +%ld KiB at most  (goal < %ld KiB)  %s\n", peak, kGoalMemoryKib,
              flat ? "met" : "NOT met");
  return linear && flat;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t mib = 200;
  if (argc > 1) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(argv[1], &end, 10);
    if (end == argv[1] || *end != '\0' || value < 4) {
      std::fprintf(stderr, "usage: %s [MiB of the larger file, at least 4, default 200]\n",
                   argv[0]);
      return 2;
    }
    mib = value;
  }
  const fs::path dir =
      fs::temp_directory_path() / ("kelvandor-bench-" + std::to_string(::getpid()));
  struct Shape {
    const char* label;
    unsigned files;  // per target; 0: one target holds them all
  };
  const Shape shapes[] = {{"many targets", 4}, {"many source paths", 0}};
  bool all_met = true;
  try {
    for (const Shape& shape : shapes) {
      const Result small = RunShape(dir, (mib << 20) / 4, shape.files);
      const Result large = RunShape(dir, mib << 20, shape.files);
      all_met = Report(shape.label, "rename", small.rewrite, small.mib, large.rewrite, large.mib) &&
                all_met;
      all_met =
          Report(shape.label, "clean-up", small.cleanup, small.mib, large.cleanup, large.mib) &&
          all_met;
      all_met = Report(shape.label, "whole rename", small.workflow, small.mib, large.workflow,
                       large.mib) &&
                all_met;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "error: %s\n", e.what());
    fs::remove_all(dir);
    return 1;
  }
  std::printf("%s\n", all_met ? "all goals met" : "some goals NOT met");
  return all_met ? 0 : 1;
}
