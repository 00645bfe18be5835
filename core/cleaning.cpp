#include "core/cleaning.h"

#include <string>

#include "platform/file_system.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

// Deletes each file directly in `dir` for which `doomed(name)` holds; a file
// that cannot be deleted stays, and the walk goes on.
template <typename Predicate>
void DeleteFilesWhere(std::string_view dir, FileSystem& file_system, Predicate doomed) {
  if (!file_system.DirectoryExists(dir)) return;
  const std::string prefix = std::string(dir) + Separator();
  for (const std::string& name : file_system.ListFiles(dir)) {
    if (doomed(name)) file_system.RemoveFile(prefix + name);
  }
}

}  // namespace

std::string_view FileExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

bool ExtensionMatches(std::string_view name, std::string_view ext_list) {
  const std::string_view ext = FileExtension(name);
  return !ext.empty() && ext_list.find(ext) != std::string_view::npos;
}

bool NameMatches(std::string_view name, std::string_view pattern, char anchor) {
  if (pattern.empty()) return false;
  switch (anchor) {
    case 'A':
      return name.find(pattern) != std::string_view::npos;
    case 'L':
      return name.starts_with(pattern);
    case 'R':
      return name.ends_with(pattern);
    default:
      return false;
  }
}

bool ExtensionMatchesIgnoreCase(std::string_view name, std::string_view ext_list) {
  return ExtensionMatches(LowerAscii(name), ext_list);
}

void CleanDirectoryAnyCase(std::string_view dir, std::string_view ext_list, bool keep_matching,
                           FileSystem& file_system) {
  DeleteFilesWhere(dir, file_system, [&](const std::string& name) {
    const bool matches = ExtensionMatchesIgnoreCase(name, ext_list);
    return keep_matching ? !matches : (ext_list.empty() || matches);
  });
}

void CleanDirectoryFileAnyCase(std::string_view dir, std::string_view pattern, char anchor,
                               bool keep_matching, FileSystem& file_system) {
  DeleteFilesWhere(dir, file_system, [&](const std::string& name) {
    return NameMatches(LowerAscii(name), pattern, anchor) != keep_matching;
  });
}

void CleanFolderFilesAnyCase(std::string_view dir, std::string_view ext_list,
                             std::string_view pattern, bool owned_only,
                             std::initializer_list<std::string_view> owners,
                             FileSystem& file_system) {
  DeleteFilesWhere(dir, file_system, [&](const std::string& name) {
    const bool matches = pattern.empty() ? ExtensionMatchesIgnoreCase(name, ext_list)
                                         : NameMatches(LowerAscii(name), pattern, 'A');
    if (!matches || !owned_only) return matches;
    for (std::string_view owner : owners) {
      if (!owner.empty() && StartsWithIgnoreCase(name, owner)) return true;
    }
    return false;
  });
}

void CleanDirectory(std::string_view dir, std::string_view ext_list, bool keep_matching,
                    FileSystem& file_system) {
  DeleteFilesWhere(dir, file_system, [&](const std::string& name) {
    const bool matches = ExtensionMatches(name, ext_list);
    return keep_matching ? !matches : (ext_list.empty() || matches);
  });
}

void CleanDirectoryFile(std::string_view dir, std::string_view pattern, char anchor,
                        bool keep_matching, FileSystem& file_system) {
  DeleteFilesWhere(dir, file_system, [&](const std::string& name) {
    return NameMatches(name, pattern, anchor) != keep_matching;
  });
}

bool CleanTree(const std::string& dir, const std::function<bool(std::string_view name)>& doomed,
               FileSystem& file_system) {
  bool empty = true;
  for (const DirEntry& entry : file_system.ListDirectory(dir)) {
    const std::string path = JoinPath(dir, entry.name);
    if (entry.is_link) {
      empty = false;
    } else if (entry.kind == EntryKind::kFolder) {
      if (CleanTree(path, doomed, file_system) && file_system.RemoveTree(path)) continue;
      empty = false;
    } else if (entry.kind != EntryKind::kFile || !doomed(entry.name) ||
               !file_system.RemoveFile(path)) {
      empty = false;
    }
  }
  return empty;
}

}  // namespace kelvandor
