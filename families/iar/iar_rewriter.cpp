#include "families/iar/iar_rewriter.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/file_rewrite.h"
#include "core/recorded_path.h"
#include "core/xml_stream.h"
#include "families/iar/iar_settings.h"
#include "platform/io_error.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::string_view kWsDir = "$WS_DIR$";
constexpr std::string_view kProject = ".ewp";
constexpr std::string_view kSettings = "settings";
constexpr std::size_t kNone = std::string_view::npos;

constexpr std::string_view kProjDir = "$PROJ_DIR$";

// Where the value of an option names the build's output: folders, then
// files, as the IDE's generations write them.
bool IsOutputFolderOption(std::string_view option) {
  return option == "ExePath" || option == "ObjPath" || option == "ListPath" ||
         option == "BrowseInfoPath";
}

bool IsOutputFileOption(std::string_view option) {
  return option == "OutputFile" || option == "ExtraOutputFile" || option == "HexOutputFile" ||
         option == "MapFile" || option == "IlinkOutputFile" || option == "OOCOutputFile" ||
         option == "IarchiveOutput" || option == "XAROutput";
}

// Where a recorded path begins after "$PROJ_DIR$" and its separator.
std::size_t AfterProjDir(std::string_view value) {
  const std::size_t n = kProjDir.size();
  return value.size() > n && StartsWithIgnoreCase(value, kProjDir) && IsRecordedSeparator(value[n])
             ? n + 1
             : 0;
}

// Whether `name` stands at `at` in `value` as a whole name or the start of
// one: followed by the end, a separator, ".", "_" or "-".
bool NamedAt(std::string_view value, std::size_t at, std::string_view name,
             LetterCase letter_case) {
  if (at > value.size() || value.size() - at < name.size()) return false;
  const std::string_view found = value.substr(at, name.size());
  if (letter_case == LetterCase::kExact ? found != name : !EqualsIgnoreCase(found, name))
    return false;
  const std::size_t end = at + name.size();
  return end == value.size() || std::string_view("\\/._-").find(value[end]) != kNone;
}

// Follows the output options of the project file: their values, and no
// other, take the new name where IarOutputFollowing says.
class ProjectHandler : public XmlHandler {
 public:
  ProjectHandler(std::string_view old_name, std::string_view new_name)
      : old_escaped_(EncodeXml(old_name)), old_plain_(old_name), new_value_(EncodeXml(new_name)) {}

  void StartTag(std::string_view name, bool empty, std::string& /*tag*/) override {
    if (name == "option") option_.clear();
    if (!empty) open_.emplace_back(name);
  }
  void EndTag(std::string_view /*name*/) override {
    if (!open_.empty()) open_.pop_back();
  }
  bool WantsValue(std::string_view name) const override {
    return (name == "name" || name == "state") && !open_.empty() && open_.back() == "option";
  }
  void Value(std::string_view name, std::string& value) override {
    if (name == "name") {
      option_ = value;
      return;
    }
    const bool file = IsOutputFileOption(option_);
    if (!file && !IsOutputFolderOption(option_)) return;
    for (const std::string& old_name : {old_escaped_, old_plain_}) {
      if (auto followed = IarOutputFollowing(value, old_name, new_value_, file)) {
        value = std::move(*followed);
        return;
      }
    }
  }

 private:
  std::string old_escaped_;
  std::string old_plain_;
  std::string new_value_;
  std::vector<std::string> open_;
  std::string option_;
};

// Lower case, "\" between names, no trailing separator: output folders as
// the project and the dependency file may spell them.
std::string FolderKey(std::string_view folder) {
  std::string key = LowerAscii(folder);
  for (char& c : key) {
    if (c == '/') c = '\\';
  }
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

// An output folder of the project as it stood before the rename.
struct OutputFolder {
  std::string key;       // FolderKey of the value, "$PROJ_DIR$\" removed
  bool exe = false;      // the linker's output (ExePath)
  bool follows = false;  // its value takes the new name
};

std::vector<OutputFolder> OutputFolders(const IarProject& project, std::string_view old_name) {
  std::vector<OutputFolder> folders;
  for (const IarConfiguration& c : project.configurations) {
    const std::string paths[] = {c.exe_path, c.obj_path, c.list_path, BrowseInfoFolder(c)};
    for (const std::string& path : paths) {
      if (path.empty() || path == ".") continue;
      folders.push_back(
          {FolderKey(path), &path == &paths[0], NamedAt(path, 0, old_name, LetterCase::kExact)});
    }
  }
  return folders;
}

// Files that keep the project's name in the object, list and browse folders
// when a source bears it too: the linker's map and the browse database.
bool IsProjectNamedOutput(std::string_view rest) {
  for (const std::string_view ext : {".map", ".pbd", ".pbw"}) {
    if (StartsWithIgnoreCase(rest, ext)) return true;
  }
  return false;
}

// Follows the entries of the dependency file that are the build's own
// output: "$PROJ_DIR$\<output folder>\NAME.<ext>". The folder takes the new
// name where the project's option does; the file where it is named after
// the project, not after a source of the project's name (the objects and
// lists of "NAME.c").
class DependencyHandler : public XmlHandler {
 public:
  DependencyHandler(std::vector<OutputFolder> folders, bool source_named, std::string_view old_name,
                    std::string_view new_name)
      : folders_(std::move(folders)),
        source_named_(source_named),
        old_name_(EncodeXml(old_name)),
        new_value_(EncodeXml(new_name)) {}

  bool WantsValue(std::string_view name) const override { return name == "file" || name == "name"; }
  void Value(std::string_view /*name*/, std::string& value) override {
    const std::size_t start = AfterProjDir(value);
    const std::size_t slash = value.find_last_of("\\/");
    if (start == 0 || slash == kNone || slash < start) return;
    const std::string key = FolderKey(std::string_view(value).substr(start, slash - start));
    const OutputFolder* folder = nullptr;
    for (const OutputFolder& f : folders_) {
      if (f.key == key) folder = &f;
    }
    if (folder == nullptr) return;
    const std::size_t file = slash + 1;
    if (NamedAt(value, file, old_name_, LetterCase::kIgnoreAscii)) {
      const std::string_view rest = std::string_view(value).substr(file + old_name_.size());
      if (rest.starts_with('.') && (folder->exe || !source_named_ || IsProjectNamedOutput(rest)))
        value.replace(file, old_name_.size(), new_value_);
    }
    if (folder->follows && NamedAt(value, start, old_name_, LetterCase::kIgnoreAscii))
      value.replace(start, old_name_.size(), new_value_);
  }

 private:
  std::vector<OutputFolder> folders_;
  bool source_named_ = false;
  std::string old_name_;
  std::string new_value_;
};

// The path a workspace's <path> value (decoded) names, plain; empty when the
// value does not begin with "$WS_DIR$" and a separator.
std::string ResolveEntry(std::string_view dir, std::string_view value) {
  if (!StartsWithIgnoreCase(value, kWsDir)) return {};
  const std::string_view rest = value.substr(kWsDir.size());
  if (rest.size() < 2 || !IsRecordedSeparator(rest.front())) return {};
  std::string relative(rest.substr(1));
  for (char& c : relative) {
    if (IsRecordedSeparator(c)) c = Separator();
  }
  return NormalisedAgainst(relative, dir);
}

// Reads or rewrites the project entries of a workspace: <workspace>
// <project><path> and <batchBuild> ... <member><project>.
class WorkspaceHandler : public XmlHandler {
 public:
  // Only reads when `old_project` is empty.
  WorkspaceHandler(std::string_view dir, std::string old_project, std::string_view old_name,
                   std::string new_project, std::string_view new_name)
      : dir_(dir),
        old_project_(std::move(old_project)),
        new_project_(std::move(new_project)),
        old_name_(old_name),
        new_value_(EncodeXml(new_name)) {}

  void StartTag(std::string_view name, bool empty, std::string& /*tag*/) override {
    if (!empty) open_.emplace_back(name);
  }
  void EndTag(std::string_view /*name*/) override {
    if (!open_.empty()) open_.pop_back();
  }
  bool WantsValue(std::string_view name) const override {
    const std::string_view parent = open_.empty() ? std::string_view() : open_.back();
    return (name == "path" && parent == "project") || (name == "project" && parent == "member");
  }
  void Value(std::string_view name, std::string& value) override {
    const std::string plain = DecodeXml(value);
    if (name == "project") {
      if (!old_project_.empty() && EqualsIgnoreCase(plain, old_name_)) value = new_value_;
      return;
    }
    names_.push_back(ProjectName(plain));
    entries_.push_back({plain, ResolveEntry(dir_, plain)});
    if (old_project_.empty()) return;
    const std::string named = ResolveEntry(dir_, plain);
    // The file name is the last part of the value; folder and separator stay.
    const std::size_t separator = value.find_last_of("\\/");
    if (!named.empty() && EqualsIgnoreCase(named, old_project_) && separator != kNone) {
      const std::size_t start = separator + 1;
      const std::string_view file = std::string_view(value).substr(start);
      const std::string extension = EndsWithIgnoreCase(file, kProject)
                                        ? std::string(file.substr(file.size() - 4))
                                        : std::string(kProject);
      value.replace(start, kNone, new_value_ + extension);
      naming_new_.push_back(value);
    } else if (!named.empty() && EqualsIgnoreCase(named, new_project_)) {
      naming_new_.push_back(value);
    }
  }

  const std::vector<std::string>& names() const { return names_; }
  const std::vector<IarWorkspaceEntry>& entries() const { return entries_; }
  // The entries, as they are written, that name the project's new file:
  // those rewritten and any that named it already.
  const std::vector<std::string>& naming_new() const { return naming_new_; }

 private:
  static std::string ProjectName(std::string_view value) {
    const std::size_t slash = value.find_last_of("\\/");
    std::string_view name = slash == kNone ? value : value.substr(slash + 1);
    if (EndsWithIgnoreCase(name, kProject)) name.remove_suffix(kProject.size());
    return std::string(name);
  }

  std::string dir_;
  std::string old_project_;
  std::string new_project_;
  std::string old_name_;
  std::string new_value_;
  std::vector<std::string> open_;
  std::vector<std::string> names_;
  std::vector<IarWorkspaceEntry> entries_;
  std::vector<std::string> naming_new_;
};

// Renames `name` in `folder` to `new_name` after the commit, when it is a
// file of its own inside `dir` and nothing stands in the way.
void RenameFileAfterCommit(FileSystem& fs, std::string_view dir, const std::string& folder,
                           const std::string& name, const std::string& new_name,
                           RewriteBatch& batch) {
  if (new_name == name) return;
  const std::string from = JoinPath(folder, name);
  const std::string to = JoinPath(folder, new_name);
  if (fs.IsLink(from) || !fs.FileExists(from) || !fs.IsSameOrInside(from, dir) ||
      !FreeToRename(fs, from, to)) {
    return;
  }
  batch.RenameAfterCommit(from, to);
}

// The part of `name` after the project's name, when the file is keyed by it:
// "NAME.ext" (one extension), "NAME.<configuration>.*" or the older
// "NAME_<configuration>.*".
std::optional<std::string> SettingsSuffix(std::string_view name, std::string_view project,
                                          const std::vector<std::string>& configurations) {
  if (name.size() <= project.size() + 1 || !StartsWithIgnoreCase(name, project)) return {};
  const std::string_view rest = name.substr(project.size() + 1);
  const char mark = name[project.size()];
  if (mark == '.' && rest.find('.') == kNone) return std::string(name.substr(project.size()));
  if (mark != '.' && mark != '_') return {};
  for (const std::string& c : configurations) {
    if (rest.size() > c.size() && rest[c.size()] == '.' && StartsWithIgnoreCase(rest, c)) {
      return std::string(name.substr(project.size()));
    }
  }
  return {};
}

void RenameSettings(FileSystem& fs, std::string_view dir, const std::string& old_name,
                    const std::string& new_name, const IarProject& project, RewriteBatch& batch) {
  const std::optional<DirEntry> entry = fs.FindEntry(dir, kSettings);
  if (!entry || entry->is_link || entry->kind != EntryKind::kFolder) return;
  const std::string folder = JoinPath(dir, entry->name);
  if (!fs.IsSameOrInside(folder, dir)) return;
  std::vector<std::string> configurations;
  for (const IarConfiguration& c : project.configurations) {
    if (!c.name.empty()) configurations.push_back(c.name);
  }
  for (const std::string& file : fs.ListFiles(folder)) {
    if (const std::optional<std::string> suffix = SettingsSuffix(file, old_name, configurations)) {
      RenameFileAfterCommit(fs, dir, folder, file, new_name + *suffix, batch);
    }
  }
}

}  // namespace

std::optional<std::string> IarOutputFollowing(std::string_view value, std::string_view old_name,
                                              std::string_view new_name, bool file) {
  if (old_name.empty()) return std::nullopt;
  std::string out(value);
  bool followed = false;
  const auto follow_at = [&](std::size_t at) {
    if (!NamedAt(out, at, old_name, LetterCase::kExact)) return;
    out.replace(at, old_name.size(), new_name);
    followed = true;
  };
  const std::size_t start = AfterProjDir(value);
  follow_at(start);
  const std::size_t slash = out.find_last_of("\\/");
  if (file && slash != kNone && slash + 1 > start) follow_at(slash + 1);
  if (!followed) return std::nullopt;
  return out;
}

void ParseIAR(std::string_view dir, std::string_view old_base, const RewriteValues& values) {
  InOwnBatch([&](RewriteBatch& batch) { ParseIAR(dir, old_base, values, batch); });
}

void ParseIAR(std::string_view dir, std::string_view old_base, const RewriteValues& values,
              RewriteBatch& batch) {
  ParseIAR(dir, old_base, old_base, values, batch);
}

void ParseIAR(std::string_view dir, std::string_view old_base, std::string_view old_workspace,
              const RewriteValues& values, RewriteBatch& batch) {
  FileSystem& fs = batch.file_system();
  const std::string old_name(old_base);
  const std::string& new_name = values.new_name;
  // An empty old name would make "<state>" or "\" alone the pattern.
  const bool rules = !old_name.empty();
  const auto exists = [&](const std::string& name) { return fs.FileExists(JoinPath(dir, name)); };
  const auto stage = [&](const std::string& old_file, const std::string& new_file,
                         const StreamTransform& stream) {
    batch.KeepBackup(batch.StageExact(dir, old_file, old_file + ".bak", new_file, stream), true);
  };

  const std::string old_project = old_name + std::string(kProject);
  const bool project_moves = rules && exists(old_project);
  const std::string workspace = std::string(old_workspace) + ".eww";
  // A workspace named otherwise (a generator's "Project.eww") keeps its name.
  const bool workspace_follows = EqualsIgnoreCase(old_workspace, old_name);
  if (exists(workspace)) {
    const std::string new_project = NormalisedAgainst(new_name + std::string(kProject), dir);
    std::optional<WorkspaceHandler> handler;
    if (project_moves) {
      handler.emplace(dir, NormalisedAgainst(old_project, dir), old_name, new_project, new_name);
    }
    const std::string new_workspace = workspace_follows ? new_name + ".eww" : workspace;
    stage(workspace, new_workspace, [&handler](LineReader& in, LineWriter& out) {
      if (handler) {
        StreamXml(in, &out, *handler);
      } else {
        std::string_view chunk;
        while (in.ReadBytes(chunk)) out.Write(chunk);
      }
    });
    // Each must name the new project file, and only one may.
    if (handler) {
      for (const std::string& text : handler->naming_new()) {
        batch.ExpectReference(JoinPath(dir, new_workspace), new_project, text);
      }
    }
  }

  const auto xml = [](auto make_handler) -> StreamTransform {
    return [make_handler](LineReader& in, LineWriter& out) {
      auto handler = make_handler();
      StreamXml(in, &out, handler);
    };
  };
  const StreamTransform copy;
  if (exists(old_project)) {
    stage(old_project, new_name + std::string(kProject),
          rules ? xml([old_name, new_name] { return ProjectHandler(old_name, new_name); }) : copy);
  }
  // What the dependency file and the settings follow, read once the project
  // file is staged; a failure stops the rename as staging it would.
  const IarProject read =
      project_moves ? ReadIarProject(JoinPath(dir, old_project), fs) : IarProject{};
  bool source_named = false;
  for (const std::string& source : read.source_files) {
    const std::string_view name = RecordedName(source);
    source_named = source_named || (NamedAt(name, 0, old_name, LetterCase::kIgnoreAscii) &&
                                    name.substr(old_name.size()).starts_with('.'));
  }
  const struct {
    std::string_view extension;
    StreamTransform stream;
  } kinds[] = {
      {".ewd", copy},
      {".dep",
       rules ? xml([old_name, new_name, source_named, folders = OutputFolders(read, old_name)] {
         return DependencyHandler(folders, source_named, old_name, new_name);
       })
             : copy},
  };
  for (const auto& kind : kinds) {
    const std::string old_file = old_name + std::string(kind.extension);
    if (exists(old_file)) stage(old_file, new_name + std::string(kind.extension), kind.stream);
  }

  if (rules) {
    const std::string ewt = old_name + ".ewt";
    RenameFileAfterCommit(fs, dir, std::string(dir), ewt, new_name + ".ewt", batch);
    if (new_name != old_name) RenameSettings(fs, dir, old_name, new_name, read, batch);
  }

  if (values.backup) return;
  for (const std::string& backup : {workspace, old_name + ".ewd", old_project, old_name + ".dep"}) {
    batch.DeleteAfterCommit(JoinPath(dir, backup + ".bak"));
  }
}

std::vector<std::string> ReadIarWorkspaceProjects(std::string_view eww_path,
                                                  FileSystem& file_system) {
  WorkspaceHandler reader(FolderPart(eww_path), {}, {}, {}, {});
  ReadXml(eww_path, reader, file_system);
  return reader.names();
}

std::vector<IarWorkspaceEntry> ReadIarWorkspaceEntries(std::string_view eww_path,
                                                       FileSystem& file_system) {
  WorkspaceHandler reader(FolderPart(eww_path), {}, {}, {}, {});
  ReadXml(eww_path, reader, file_system);
  return reader.entries();
}

void WarnOfIarWorkspacesAbove(std::string_view project_dir, std::string_view old_name,
                              const RewriteValues& values, RewriteBatch& batch) {
  constexpr std::string_view kWarning =
      "Lies outside the project and still names its old project file, please recheck it "
      "manually";
  if (values.new_name == old_name && NamePart(project_dir) == values.old_dir) return;
  FileSystem& fs = batch.file_system();
  const std::string above = FolderPart(project_dir);
  const std::string old_file = std::string(old_name) + std::string(kProject);
  // Where the project lay before a rename of its folder, and where it lies.
  const std::string folders[] = {JoinPath(above, values.old_dir) + Separator(),
                                 std::string(project_dir) + Separator()};
  std::string folder = above;
  for (int level = 0; level < 2 && !folder.empty(); ++level) {
    for (const std::string& eww : fs.ListFiles(folder, ".eww")) {
      const std::string path = JoinPath(folder, eww);
      std::vector<IarWorkspaceEntry> entries;
      try {
        entries = ReadIarWorkspaceEntries(path, fs);
      } catch (const IoError&) {
        continue;  // an unreadable workspace names nothing
      }
      const bool names_project = std::ranges::any_of(entries, [&](const IarWorkspaceEntry& e) {
        return EqualsIgnoreCase(RecordedName(e.written), old_file) &&
               std::ranges::any_of(folders,
                                   [&](const std::string& f) { return e.path.starts_with(f); });
      });
      if (names_project) batch.Warn(path, kWarning);
    }
    const std::string next = FolderPart(folder);
    if (next.size() >= folder.size()) break;
    folder = next;
  }
}

}  // namespace kelvandor
