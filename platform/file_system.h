#pragma once

// The file-system calls of the program, in one place. Paths are byte strings
// (the ANSI code page on Windows, plain bytes on POSIX); they are converted to
// the platform's form here and nowhere else. Where POSIX and Windows differ in
// a way the program relies on, this layer makes them behave alike:
//  - wildcard listings ignore letter case;
//  - RenameNoReplace never replaces an existing target, file or folder;
//  - RemoveFile refuses a read-only file, as Windows does;
//  - RemoveTree and CopyTree never follow a symbolic link out of the tree.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvandor {

// The platform's path object for a program path, and back.
std::filesystem::path NativePath(std::string_view path);
std::string ProgramPath(const std::filesystem::path& path);

// True when `path` names a regular file (after following links); false for
// folders and everything else.
bool FileExists(std::string_view path);

// True when `path` names a folder (after following links); false for files.
bool DirectoryExists(std::string_view path);

// True when anything, even a dangling link, stands at `path`.
bool AnythingExists(std::string_view path);

enum class EntryKind { kFile, kFolder, kOther };

struct DirEntry {
  std::string name;                    // the name only, no folder part
  EntryKind kind = EntryKind::kOther;  // after following a link
  bool is_link = false;                // the entry itself is a symbolic link
  bool hidden = false;                 // Windows: hidden or system; POSIX: name starts with "."
};

// The entries of a folder, without "." and "..", in the order the system
// yields them. Empty when `dir` is no folder or cannot be listed.
std::vector<DirEntry> ListDirectory(std::string_view dir);

// The names of the files (never folders) directly in `dir` whose names end in
// `suffix`, letter case ignored; hidden and system files included. An empty
// suffix lists every file ("*.*").
std::vector<std::string> ListFiles(std::string_view dir, std::string_view suffix = {});

// The entry of `dir` called `name`, else the first one called so in other
// letter case (names recorded on Windows); nothing when there is neither.
std::optional<DirEntry> FindEntry(std::string_view dir, std::string_view name);

// The names of the sub-folders of `dir`, hidden and system ones left out.
std::vector<std::string> ListVisibleFolders(std::string_view dir);

// Creates one folder; its parent must exist. False on any failure, including
// an existing entry of that name.
bool MakeDirectory(std::string_view path);

// Creates `path` and every missing folder above it. True when it exists as a
// folder afterwards.
bool MakeDirectories(std::string_view path);

// Renames a file or folder. Fails, changing nothing, when anything exists at
// `to` (an empty folder included), when `from` is missing, when the parent of
// `to` is missing, or across volumes.
bool RenameNoReplace(std::string_view from, std::string_view to);

// Renames a file onto `to`, replacing a file that stands there. Used to put a
// completely written temporary file in place.
bool RenameReplacing(std::string_view from, std::string_view to);

// True when the program may create and remove entries in the folder `dir`,
// judged with the process's effective ids (as root, only a read-only or
// immutable file system says no). On Windows: whenever the folder exists.
bool IsWritableFolder(std::string_view dir);

// True when the file at `path` may not be written (Windows' read-only
// attribute; on POSIX, no write permission for its owner).
bool IsReadOnly(std::string_view path);

// Deletes one file (or a link, never what it points to). Fails for folders
// and, as on Windows, for read-only files.
bool RemoveFile(std::string_view path);

// Removes `path` and everything below it, read-only entries included. Links
// are removed, never followed, also a link given as `path` with a trailing
// separator. True when nothing stands at `path` afterwards.
bool RemoveTree(std::string_view path);

// Called during CopyTree with the count of files copied so far and the total.
using CopyProgressFn = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Copies the folder `from` with everything below it so that `to` becomes the
// copy; `to` must not exist, its parent must. A link whose target lies inside
// `from` is copied as a link to the same place in the copy; any other link is
// copied as a link to the place its original leads to, so that the copy
// refers to what the original referred to and never to a neighbour of the
// copy. False when anything could not be copied, and then what was copied is
// removed again; false, creating nothing, when `to` is `from` or lies inside
// it. The last progress report has done == total.
bool CopyTree(std::string_view from, std::string_view to, const CopyProgressFn& progress = {});

// The process's current folder.
bool SetCurrentDir(std::string_view path);
std::string CurrentDir();

// `path` made absolute against the current folder, otherwise as written (a
// final separator stays). Empty for an empty path.
std::string AbsolutePath(std::string_view path);

// The absolute form of `path` with ".", "..", repeated separators and
// symbolic links resolved as far as the path exists. Empty when `path` is
// empty or cannot be resolved.
std::string ResolvedPath(std::string_view path);

// True when `inner` is the same folder as `outer` or lies below it, comparing
// resolved paths component by component (letter case ignored on Windows).
bool IsSameOrInside(std::string_view inner, std::string_view outer);

// True when `path` resolves to the root of a file system ("/", "C:\").
bool IsFileSystemRoot(std::string_view path);

// The bytes that this process may still write on the file system that holds
// `path` (a file or folder that exists); nothing when the system cannot tell.
std::optional<std::uint64_t> FreeSpace(std::string_view path);

// The full path of the running program file.
std::string ProgramFilePath();

// Gives the file at `to` the permissions of the file at `from` (on Windows its
// read-only attribute). Links are looked through.
bool CopyPermissions(std::string_view from, std::string_view to);

// True when `path` itself is a symbolic link (or, on Windows, any reparse
// point), whatever it leads to.
bool IsLink(std::string_view path);

// The size of the regular file at `path` (links followed); nothing for
// anything else.
std::optional<std::uint64_t> FileSize(std::string_view path);

// What Stat tells of one path. Nothing exists at an empty path.
struct FileStat {
  bool exists = false;
  EntryKind kind = EntryKind::kOther;
  bool is_link = false;                  // the entry itself is a link (Stat without following)
  bool read_only = false;                // as IsReadOnly; never for a POSIX link itself
  std::optional<std::uint64_t> size;     // regular files only
  std::optional<std::int64_t> modified;  // the time last written, in the system's ticks
};

// The file system as the rename workflow, the rewriters and the clean-up see
// it, as one interface of primitives. They make every change and every read
// of the project through one, so that a test can make any single step fail and
// look at what is left, and so that a PlanningFileSystem can answer every read
// as its changes would have left the disk. A failing call leaves errno (or the
// Windows last error) describing the failure, as the free functions of the
// same names do. The queries below the primitives are built on them and are
// the same for every file system.
class FileSystem {
 public:
  FileSystem() = default;
  virtual ~FileSystem() = default;
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;

  virtual bool MakeDirectory(std::string_view path) = 0;
  // RenameNoReplace, or with `replace` RenameReplacing (the free functions).
  virtual bool Rename(std::string_view from, std::string_view to, bool replace) = 0;
  virtual bool RemoveFile(std::string_view path) = 0;
  virtual bool RemoveTree(std::string_view path) = 0;
  virtual bool CopyPermissions(std::string_view from, std::string_view to) = 0;
  // Copies one regular file to `to`, which must not exist, with its mode.
  virtual bool CopyOneFile(std::string_view from, std::string_view to) = 0;
  // Creates a symbolic link at `path` whose target text is `target`.
  virtual bool MakeLink(std::string_view target, std::string_view path, bool to_folder) = 0;

  // A file descriptor of `path` created (or emptied) for writing, or -1.
  virtual int CreateForWriting(std::string_view path) = 0;
  // As write(2): the count of bytes written, or -1.
  virtual long long Write(int fd, const char* data, std::size_t size) = 0;
  // As close(2): 0, or -1 when the close failed; the descriptor is gone.
  virtual int Close(int fd) = 0;
  // Makes the bytes written to `fd` durable, so that a power cut after a
  // rename never finds the new name on an empty file.
  virtual bool SyncFile(int fd) = 0;
  // Makes the names created, moved and removed in the folder `dir` durable.
  virtual bool SyncFolder(std::string_view dir) = 0;

  // CopyTree above; CopyTreeByCalls makes it of the other calls of one file
  // system.
  virtual bool CopyTree(std::string_view from, std::string_view to,
                        const CopyProgressFn& progress = {}) = 0;

  // `path` with links followed, or (`follow_links` false) the entry itself,
  // so that a dangling link exists and a link is of kind kOther.
  virtual FileStat Stat(std::string_view path, bool follow_links) = 0;
  virtual std::vector<DirEntry> ListDirectory(std::string_view dir) = 0;
  virtual std::string ResolvedPath(std::string_view path) = 0;
  virtual bool IsSameOrInside(std::string_view inner, std::string_view outer) = 0;
  // A file descriptor of the file `path` opened for reading, or -1; closed
  // with Close.
  virtual int OpenForReading(std::string_view path) = 0;
  // As read(2): the count of bytes read, 0 at the end, or -1.
  virtual long long Read(int fd, char* data, std::size_t size) = 0;

  // As the free functions of the same names, made of the calls above.
  bool RenameNoReplace(std::string_view from, std::string_view to) {
    return Rename(from, to, false);
  }
  bool RenameReplacing(std::string_view from, std::string_view to) {
    return Rename(from, to, true);
  }
  bool FileExists(std::string_view path);
  bool DirectoryExists(std::string_view path);
  bool AnythingExists(std::string_view path);
  bool IsLink(std::string_view path);
  bool IsReadOnly(std::string_view path);
  std::optional<std::uint64_t> FileSize(std::string_view path);
  // The time the file at `path` was last written, in the system's ticks;
  // nothing when it cannot be told.
  std::optional<std::int64_t> ModifiedTime(std::string_view path);
  std::vector<std::string> ListFiles(std::string_view dir, std::string_view suffix = {});
  std::optional<DirEntry> FindEntry(std::string_view dir, std::string_view name);
};

// CopyTree made of the calls of `file_system`: each folder, file and link
// copied is one call on it, and a copy that fails is removed through it.
bool CopyTreeByCalls(FileSystem& file_system, std::string_view from, std::string_view to,
                     const CopyProgressFn& progress);

// The real file system; NativeFileSystem() is its one instance.
class DiskFileSystem final : public FileSystem {
 public:
  bool MakeDirectory(std::string_view path) override;
  bool Rename(std::string_view from, std::string_view to, bool replace) override;
  bool RemoveFile(std::string_view path) override;
  bool RemoveTree(std::string_view path) override;
  bool CopyPermissions(std::string_view from, std::string_view to) override;
  bool CopyOneFile(std::string_view from, std::string_view to) override;
  bool MakeLink(std::string_view target, std::string_view path, bool to_folder) override;
  int CreateForWriting(std::string_view path) override;
  long long Write(int fd, const char* data, std::size_t size) override;
  int Close(int fd) override;
  bool SyncFile(int fd) override;
  bool SyncFolder(std::string_view dir) override;
  bool CopyTree(std::string_view from, std::string_view to,
                const CopyProgressFn& progress = {}) override;
  FileStat Stat(std::string_view path, bool follow_links) override;
  std::vector<DirEntry> ListDirectory(std::string_view dir) override;
  std::string ResolvedPath(std::string_view path) override;
  bool IsSameOrInside(std::string_view inner, std::string_view outer) override;
  int OpenForReading(std::string_view path) override;
  long long Read(int fd, char* data, std::size_t size) override;
};

// The real file system.
FileSystem& NativeFileSystem();

}  // namespace kelvandor
