#pragma once

// A fresh folder per test, removed with everything in it afterwards, and
// small helpers to build fixture trees in it.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvandor::testing {

// Where a TempDir lies. kMemory is a RAM-backed folder (/dev/shm) where the
// system has one, for tests that make many thousands of small files: on a
// disk, creating and deleting them costs more than the code under test.
enum class TempPlace { kDisk, kMemory };

class TempDir {
 public:
  explicit TempDir(TempPlace place = TempPlace::kDisk);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // path() + separator + relative (relative may use "/" on every platform).
  std::string operator/(std::string_view relative) const;

 private:
  std::string path_;
};

// Writes `content` byte for byte, creating the folders above the file.
void WriteFile(const std::string& path, std::string_view content);
// The whole content of a file; throws std::runtime_error when it is missing.
std::string ReadFile(const std::string& path);
// Creates a folder with its parents.
void MakeDirs(const std::string& path);
// Replaces the permission bits of a file or folder.
void SetMode(const std::string& path, std::filesystem::perms perms);
// The sorted relative paths of every file and folder below `root` (folders
// end in "/"), separators written as "/".
std::vector<std::string> ListTree(const std::string& root);
// Every entry of ListTree(root) with the content of its files (empty for
// folders and links), to show that a tree did not change.
std::vector<std::pair<std::string, std::string>> Snapshot(const std::string& root);
// Whether an entry of a Snapshot holds `content`.
bool HoldsContent(const std::vector<std::pair<std::string, std::string>>& tree,
                  std::string_view content);
// Every entry of ListTree(root) with its permissions, so that a lost mode shows.
std::vector<std::pair<std::string, int>> Modes(const std::string& root);
// True where the tests can make symbolic links. Windows makes them only with
// a privilege, and Wine not at all.
#ifdef _WIN32
inline constexpr bool kHaveLinks = false;
#else
inline constexpr bool kHaveLinks = true;
#endif

// Skips the running test where no symbolic links can be made.
#define KELVANDOR_SKIP_WITHOUT_LINKS() \
  if (!::kelvandor::testing::kHaveLinks) GTEST_SKIP() << "no symbolic links in this build"

// Makes a symbolic link at `link` to `target` (a folder link when `target` is
// a folder); does nothing where kHaveLinks is false.
void MakeSymlink(const std::string& target, const std::string& link);

// Hides the entry at `path` as the listings of the platform see it: sets the
// hidden attribute on Windows; on POSIX, where a leading "." in the name is
// what hides an entry, does nothing.
void MarkHidden(const std::string& path);

// Joins lines, each followed by CR LF.
std::string CrLf(const std::vector<std::string>& lines);

// Restores the process's current folder when the test ends.
class CurrentDirGuard {
 public:
  CurrentDirGuard();
  ~CurrentDirGuard();
  CurrentDirGuard(const CurrentDirGuard&) = delete;
  CurrentDirGuard& operator=(const CurrentDirGuard&) = delete;

 private:
  std::string saved_;
};

}  // namespace kelvandor::testing
