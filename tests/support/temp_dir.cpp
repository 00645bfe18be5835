#include "tests/support/temp_dir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

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

fs::path TempBase([[maybe_unused]] TempPlace place) {
#ifndef _WIN32
  if (place == TempPlace::kMemory) {
    const fs::path memory = "/dev/shm";
    std::error_code ec;
    if (fs::is_directory(memory, ec) && IsWritableFolder(ProgramPath(memory))) return memory;
  }
#endif
  return fs::temp_directory_path();
}
}  // namespace

TempDir::TempDir(TempPlace place) {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path base = TempBase(place);
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path p =
        base / ("kelvandor-test-" + std::to_string(stamp) + "-" + std::to_string(g_counter++));
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

void SetMode(const std::string& path, fs::perms perms) {
  fs::permissions(NativePath(path), perms, fs::perm_options::replace);
}

std::vector<std::string> ListTree(const std::string& root) {
  std::vector<std::string> out;
  const fs::path base = NativePath(root);
  for (const auto& entry : fs::recursive_directory_iterator(base)) {
    // ProgramPath, not generic_string(): names stay in the program's byte
    // form (the ANSI code page on Windows, not UTF-8).
    std::string rel = ProgramPath(entry.path().lexically_relative(base));
    std::replace(rel.begin(), rel.end(), Separator(), '/');
    if (entry.is_directory() && !entry.is_symlink()) rel += '/';
    out.push_back(rel);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::pair<std::string, std::string>> Snapshot(const std::string& root) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const std::string& rel : ListTree(root)) {
    const std::string path = root + Separator() + NativeSeparators(rel);
    const bool content = !rel.ends_with('/') && !fs::is_symlink(NativePath(path));
    out.emplace_back(rel, content ? ReadFile(path) : std::string());
  }
  return out;
}

bool HoldsContent(const std::vector<std::pair<std::string, std::string>>& tree,
                  std::string_view content) {
  return std::any_of(tree.begin(), tree.end(), [&](const auto& e) { return e.second == content; });
}

std::vector<std::pair<std::string, int>> Modes(const std::string& root) {
  std::vector<std::pair<std::string, int>> out;
  for (const std::string& rel : ListTree(root)) {
    const std::string path = root + Separator() + NativeSeparators(rel);
    out.emplace_back(rel, static_cast<int>(fs::symlink_status(NativePath(path)).permissions()));
  }
  return out;
}

void MakeSymlink(const std::string& target, const std::string& link) {
  if constexpr (kHaveLinks) fs::create_symlink(NativePath(target), NativePath(link));
}

void MarkHidden(const std::string& path) {
#ifdef _WIN32
  const std::wstring wide = NativePath(path).wstring();
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      !SetFileAttributesW(wide.c_str(),
                          (attributes & ~FILE_ATTRIBUTE_DIRECTORY) | FILE_ATTRIBUTE_HIDDEN)) {
    throw std::runtime_error("cannot hide " + path);
  }
#else
  static_cast<void>(path);
#endif
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

CurrentDirGuard::CurrentDirGuard() : saved_(CurrentDir()) {}
CurrentDirGuard::~CurrentDirGuard() { SetCurrentDir(saved_); }

}  // namespace kelvandor::testing
