#include "families/cubemx/ioc_rewriter.h"

#include <optional>
#include <string>

#include "core/file_rewrite.h"
#include "platform/file_system.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::string_view kExtension = ".ioc";
constexpr std::string_view kNameKey = "ProjectManager.ProjectName=";
constexpr std::string_view kFileKey = "ProjectManager.ProjectFileName=";

// The value of `key` in the first line of `path` that starts with it.
std::optional<std::string> ReadKey(const std::string& path, std::string_view key, FileSystem& fs) {
  LineReader in(path, fs);
  std::string_view line;
  while (in.ReadLine(line)) {
    if (line.starts_with(key)) return std::string(line.substr(key.size()));
  }
  return std::nullopt;
}

}  // namespace

std::string GeneratorFileIn(std::string_view dir, std::string_view old_name) {
  if (old_name.empty()) return {};
  const std::optional<DirEntry> entry =
      NativeFileSystem().FindEntry(dir, std::string(old_name) + std::string(kExtension));
  if (!entry || entry->is_link || entry->kind != EntryKind::kFile) return {};
  return entry->name;
}

void ParseIoc(std::string_view dir, std::string_view old_name, const RewriteValues& values,
              RewriteBatch& batch, std::string_view named) {
  if (old_name.empty()) return;
  if (named.empty()) named = old_name;
  FileSystem& fs = batch.file_system();
  const std::string wanted = std::string(old_name) + std::string(kExtension);
  const std::string named_file = std::string(named) + std::string(kExtension);
  const std::optional<DirEntry> entry = fs.FindEntry(dir, wanted);
  if (!entry || entry->is_link || entry->kind != EntryKind::kFile) return;
  const std::string path = JoinPath(dir, entry->name);
  // Each family sharing the folder stages it; it is renamed once.
  for (const ProjectFileChange& change : batch.changes()) {
    if (JoinPath(change.dir, change.old_name) == path) return;
  }
  const std::optional<std::string> project = ReadKey(path, kNameKey, fs);
  if (!project || !EqualsIgnoreCase(*project, named)) return;

  const std::string old_base = entry->name.substr(0, entry->name.size() - kExtension.size());
  const std::string new_file = values.new_name + std::string(kExtension);
  const FileKind kinds[] = {
      {kExtension,
       {},
       true,
       RawLines([&](std::string_view body, std::string_view end, LineWriter& out) {
         if (body.starts_with(kNameKey) && EqualsIgnoreCase(body.substr(kNameKey.size()), named)) {
           out.Write(kNameKey);
           out.Write(values.new_name);
         } else if (body.starts_with(kFileKey) &&
                    EqualsIgnoreCase(body.substr(kFileKey.size()), named_file)) {
           out.Write(kFileKey);
           out.Write(new_file);
         } else {
           out.Write(body);
         }
         out.Write(end);
       })},
  };
  constexpr std::string_view kDeletionOrder[] = {kExtension};
  RewriteKinds(dir, old_base, values.new_name, values.backup, kinds, kDeletionOrder, batch);
}

void RewriteConfigurationAbove(const std::string& above, const std::string& old_name,
                               const RewriteValues& values, RewriteBatch& batch) {
  ParseIoc(above, old_name, values, batch);
}

}  // namespace kelvandor
