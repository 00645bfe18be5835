// Time of the search below a folder that names no project itself, over a
// tree of many sub-folders (a vendor SDK with many boards and libraries).
//
//   bench_project_search [FOLDERS, default 10000]
//
// Builds FOLDERS sub-folders in three levels below a temporary folder, each
// with a source file, plus build-output and hidden folders (which the search
// does not enter) and one project three levels down, then times
// SearchProjects (best of three). Goal: under 1 second; it exits 0 only when
// the goal is met and the one project is found.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "workflow/project_search.h"
#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kGoalSeconds = 1.0;
constexpr int kRuns = 3;

void Touch(const fs::path& file) { std::ofstream(file) << "int x;\n"; }

// FOLDERS folders as a/b/c in three levels of about equal fan-out.
int BuildTree(const fs::path& root, long folders) {
  long fan = 1;
  while (fan * fan * fan < folders) ++fan;
  long made = 0;
  for (long a = 0; a < fan && made < folders; ++a) {
    const fs::path level1 = root / ("lib" + std::to_string(a));
    fs::create_directories(level1 / "Debug");
    Touch(level1 / "Debug" / "stale.uvprojx");  // never entered
    fs::create_directories(level1 / ".git");
    ++made;
    for (long b = 0; b < fan && made < folders; ++b) {
      const fs::path level2 = level1 / ("mod" + std::to_string(b));
      fs::create_directories(level2);
      ++made;
      for (long c = 0; c < fan && made < folders; ++c) {
        const fs::path level3 = level2 / ("src" + std::to_string(c));
        fs::create_directories(level3);
        Touch(level3 / "main.c");
        ++made;
      }
    }
  }
  const fs::path project = root / "boards" / "evb" / "mdk";
  fs::create_directories(project);
  Touch(project / "demo.uvprojx");
  return static_cast<int>(made);
}

}  // namespace

int main(int argc, char** argv) {
  const long folders = argc > 1 ? std::max(1L, std::atol(argv[1])) : 10000L;
  const fs::path root =
      fs::temp_directory_path() /
      ("kelvandor-bench-search-" + std::to_string(Clock::now().time_since_epoch().count()));
  fs::create_directories(root);
  const int made = BuildTree(root, folders);

  double best = 1e9;
  kelvandor::ProjectSearch search;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = Clock::now();
    search = kelvandor::SearchProjects(kelvandor::ProgramPath(root), kelvandor::NativeFileSystem());
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  std::error_code ignored;
  fs::remove_all(root, ignored);

  const bool found = search.candidates.size() == 1;
  const bool fast = best < kGoalSeconds;
  std::printf("SearchProjects over %d folders: %.3f s (goal: under %.1f s) %s\n", made, best,
              kGoalSeconds, fast ? "ok" : "TOO SLOW");
  std::printf("candidates found: %zu (expected 1) %s\n", search.candidates.size(),
              found ? "ok" : "WRONG");
  return fast && found ? 0 : 1;
}
