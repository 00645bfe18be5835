#include "families/keil/keil_workspace.h"

#include <optional>
#include <utility>

#include "core/recorded_path.h"
#include "core/xml_stream.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::string_view kEntry = "PathAndName";
constexpr std::string_view kBackupSuffix = ".bak";

std::string_view Extension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

std::string_view WithoutExtension(std::string_view name) {
  return name.substr(0, name.size() - Extension(name).size());
}

class EntryReader : public XmlHandler {
 public:
  explicit EntryReader(std::vector<std::string>& entries) : entries_(entries) {}
  bool WantsValue(std::string_view name) const override { return name == kEntry; }
  void Value(std::string_view, std::string& value) override {
    entries_.push_back(DecodeXml(value));
  }

 private:
  std::vector<std::string>& entries_;
};

// A reference a rewritten entry makes: the file it names after the commit,
// and its text.
struct Reference {
  std::string path;
  std::string text;
};

class WorkspaceRewriter : public XmlHandler {
 public:
  WorkspaceRewriter(FileSystem& fs, std::string_view project_dir, std::string_view workspace_dir,
                    std::span<const RenamedProjectFile> renamed, std::string_view new_name)
      : fs_(fs),
        project_dir_(project_dir),
        workspace_dir_(workspace_dir),
        renamed_(renamed),
        new_name_(new_name) {}

  bool WantsValue(std::string_view name) const override { return name == kEntry; }

  void Value(std::string_view, std::string& value) override {
    const std::string plain = DecodeXml(value);
    for (const RenamedProjectFile& r : renamed_) {
      if (!EntryNames(project_dir_, workspace_dir_, plain, JoinPath(r.dir, r.old_name), fs_))
        continue;
      const std::string_view raw_name = RecordedName(value);
      const std::string_view extension = Extension(r.old_name);
      if (raw_name.size() < extension.size()) return;
      // The entry keeps its folder and the extension as it spells them.
      std::string rewritten(std::string_view(value).substr(0, value.size() - raw_name.size()));
      rewritten += EncodeXml(new_name_);
      rewritten += raw_name.substr(raw_name.size() - extension.size());
      value = std::move(rewritten);
      references_.push_back({JoinPath(r.dir, r.new_name), DecodeXml(value)});
      return;
    }
  }

  bool Matches(const std::vector<std::string>& entries) const {
    for (const std::string& entry : entries) {
      for (const RenamedProjectFile& r : renamed_) {
        if (EntryNames(project_dir_, workspace_dir_, entry, JoinPath(r.dir, r.old_name), fs_))
          return true;
      }
    }
    return false;
  }

  std::vector<Reference>& references() { return references_; }

 private:
  FileSystem& fs_;
  std::string project_dir_;
  std::string workspace_dir_;
  std::span<const RenamedProjectFile> renamed_;
  std::string new_name_;
  std::vector<Reference> references_;
};

bool Staged(const RewriteBatch& batch, std::string_view dir, std::string_view name) {
  for (const ProjectFileChange& change : batch.changes()) {
    if (change.dir == dir && change.old_name == name) return true;
  }
  return false;
}

// The workspace's name after the rename: the new project name where the
// workspace bears an old project file's name and the new one is free.
std::string NewWorkspaceName(FileSystem& fs, std::string_view dir, const std::string& name,
                             std::span<const RenamedProjectFile> renamed,
                             std::string_view new_name) {
  const std::string_view base = WithoutExtension(name);
  for (const RenamedProjectFile& r : renamed) {
    if (!EqualsIgnoreCase(base, WithoutExtension(r.old_name))) continue;
    std::string new_file(new_name);
    new_file += Extension(name);
    if (new_file == name) return name;
    const bool free = !fs.AnythingExists(JoinPath(dir, new_file)) ||
                      (kNativeStyle == PathStyle::kWindows && EqualsIgnoreCase(new_file, name));
    return free ? new_file : name;
  }
  return name;
}

void FollowWorkspace(std::string_view project_dir, const std::string& dir, const std::string& name,
                     std::span<const RenamedProjectFile> renamed, std::string_view new_name,
                     bool backup, RewriteBatch& batch) {
  FileSystem& fs = batch.file_system();
  const std::string path = JoinPath(dir, name);
  if (Staged(batch, dir, name) || fs.IsLink(path) || !fs.IsSameOrInside(path, project_dir)) return;
  WorkspaceRewriter rewriter(fs, project_dir, dir, renamed, new_name);
  if (!rewriter.Matches(KeilWorkspaceEntries(path, fs))) return;
  const std::string new_file = NewWorkspaceName(fs, dir, name, renamed, new_name);
  const std::size_t staged = batch.StageExact(
      dir, name, name + std::string(kBackupSuffix), new_file,
      [&rewriter](LineReader& in, LineWriter& out) { StreamXml(in, &out, rewriter); });
  batch.KeepBackup(staged, backup);
  const std::string new_path = JoinPath(dir, new_file);
  for (Reference& reference : rewriter.references()) {
    batch.ExpectReference(new_path, std::move(reference.path), std::move(reference.text));
  }
}

}  // namespace

std::vector<std::string> KeilWorkspaceEntries(std::string_view path, FileSystem& file_system) {
  std::vector<std::string> entries;
  EntryReader reader(entries);
  ReadXml(path, reader, file_system);
  return entries;
}

bool EntryNames(std::string_view project_dir, std::string_view workspace_dir,
                std::string_view entry, std::string_view path, FileSystem& file_system) {
  const std::optional<std::string> resolved =
      PathInside(project_dir, workspace_dir, entry, file_system);
  return resolved && EqualsIgnoreCase(*resolved, file_system.ResolvedPath(path));
}

void FollowKeilWorkspaces(std::string_view project_dir, std::string_view keil_dir,
                          std::span<const RenamedProjectFile> renamed, std::string_view new_name,
                          bool backup, RewriteBatch& batch) {
  if (renamed.empty()) return;
  FileSystem& fs = batch.file_system();
  std::string dir(keil_dir);
  for (;;) {
    for (const std::string& name : fs.ListFiles(dir, kKeilWorkspace)) {
      FollowWorkspace(project_dir, dir, name, renamed, new_name, backup, batch);
    }
    if (dir.size() <= project_dir.size() || !dir.starts_with(project_dir)) break;
    std::string above = FolderPart(dir);
    if (above.size() >= dir.size()) break;
    dir = std::move(above);
  }
}

}  // namespace kelvandor
