#include "tests/support/temp_dir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/file_system.h"
#include "platform/path_style.h"

namespace kelvandor::testing {
namespace fs = std::filesystem;

namespace {
std::atomic<int> g_counter{0};

std::string NativeSeparators(std::string_view relative) {
  std::string out(relative);
  std::replace(out.begin(), out.end(), '/', Separator());
  return out;
}
}  // namespace

TempDir::TempDir() {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path p = fs::temp_directory_path() /
                 ("kelvandor-test-" + std::to_string(stamp) + "-" + std::to_string(g_counter++));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      // Resolved, so that comparisons with resolved paths hold.
      path_ = ProgramPath(fs::canonical(p));
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::operator/(std::string_view relative) const {
  return path_ + Separator() + NativeSeparators(relative);
}

void WriteFile(const std::string& path, std::string_view content) {
  const fs::path p = NativePath(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void MakeDirs(const std::string& path) { fs::create_directories(NativePath(path)); }

std::vector<std::string> ListTree(const std::string& root) {
  std::vector<std::string> out;
  const fs::path base = NativePath(root);
  for (const auto& entry : fs::recursive_directory_iterator(base)) {
    std::string rel = entry.path().lexically_relative(base).generic_string();
    if (entry.is_directory() && !entry.is_symlink()) rel += '/';
    out.push_back(rel);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

CurrentDirGuard::CurrentDirGuard() : saved_(CurrentDir()) {}
CurrentDirGuard::~CurrentDirGuard() { SetCurrentDir(saved_); }

}  // namespace kelvandor::testing
