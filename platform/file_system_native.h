#pragma once

// What the shared file-system code takes from the POSIX or the Windows side
// (file_system_posix.cpp, file_system_windows.cpp). Internal to platform/.

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "platform/file_system.h"

namespace kelvandor::detail {

// What the system tells of `path`, as FileSystem::Stat.
FileStat StatPath(std::string_view path, bool follow_links);

// A descriptor of `path` opened for writing, created or emptied; -1 on failure.
int OpenForWriting(std::string_view path);
long long WriteToFile(int fd, const char* data, std::size_t size);
int CloseFile(int fd);
// Makes what was written to `fd` durable (fsync, FlushFileBuffers).
bool SyncToDisk(int fd);
// Makes the entries of the folder `path` durable; true where the system
// offers no such call.
bool SyncDirectory(std::string_view path);
// A descriptor of the file `path` opened for reading; -1 on failure, also for
// a folder.
int OpenForReading(std::string_view path);
long long ReadFromFile(int fd, char* data, std::size_t size);

// Copies the bytes and the mode of the file `from` to `to`, which must not
// exist yet; removes a part-written `to` on failure.
bool CopyRegularFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Creates a symbolic link at `path` whose target text is `target`; Windows
// makes a folder link when `to_folder`. Leaves errno (or the Windows last
// error) describing a failure.
bool MakeSymbolicLink(std::string_view target, std::string_view path, bool to_folder);

}  // namespace kelvandor::detail
