#include "workflow/project_search.h"

#include <algorithm>
#include <exception>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "core/xml_stream.h"
#include "families/family_table.h"
#include "platform/path_style.h"
#include "platform/text_lines.h"

namespace kelvandor {
namespace {

// No pattern: the file shows no family.
struct FileRole {
  const ProjectFilePattern* pattern = nullptr;
  FamilyKind kind{};
};

constexpr std::string_view kMoreOutputFolders[] = {"Debug",  "Release", "Objects", "Listings",
                                                   "output", "obj",     "settings"};

FileRole RoleOf(std::string_view name) {
  for (const FamilyRow& row : FamilyTable()) {
    for (const ProjectFilePattern& pattern : row.files) {
      if (!pattern.folder.empty()) continue;
      if (pattern.whole_name
              ? name == pattern.pattern
              : name.size() > pattern.pattern.size() && EndsWithIgnoreCase(name, pattern.pattern)) {
        return FileRole{&pattern, row.kind};
      }
    }
  }
  return FileRole{};
}

// The family whose file lies in the sub-folder `folder` of `dir`, for the
// patterns that name their folder.
FileRole RoleBelow(const std::string& dir, std::string_view folder, FileSystem& fs) {
  for (const FamilyRow& row : FamilyTable()) {
    for (const ProjectFilePattern& pattern : row.files) {
      if (pattern.folder.empty() || folder != pattern.folder) continue;
      const std::string path = JoinPath(JoinPath(dir, folder), pattern.pattern);
      if (!fs.IsLink(path) && fs.FileExists(path)) return FileRole{&pattern, row.kind};
    }
  }
  return FileRole{};
}

struct Workspace {
  std::string name;
  WorkspaceList format = WorkspaceList::kNone;
};

// What one folder holds of interest.
struct Folder {
  std::optional<FamilyKind> project;  // the family of its first project file
  std::vector<Workspace> workspaces;
};

class ListedPaths : public XmlHandler {
 public:
  explicit ListedPaths(std::string_view element) : element_(element) {}
  bool WantsValue(std::string_view name) const override { return name == element_; }
  void Value(std::string_view, std::string& value) override { paths.push_back(DecodeXml(value)); }
  std::vector<std::string> paths;

 private:
  std::string_view element_;
};

// The project files a workspace lists, as recorded.
std::vector<std::string> ReadListed(const std::string& path, WorkspaceList format, FileSystem& fs) {
  try {
    if (format == WorkspaceList::kFileLines) {
      std::vector<std::string> paths;
      LineReader in(path, fs);
      std::string_view line;
      while (in.ReadLine(line)) {
        const std::size_t eq = line.find('=');
        if (line.starts_with("FILE-") && eq != std::string_view::npos) {
          paths.emplace_back(line.substr(eq + 1));
        }
      }
      return paths;
    }
    ListedPaths handler(format == WorkspaceList::kXmlPath ? "path" : "PathAndName");
    ReadXml(path, handler, fs);
    return std::move(handler.paths);
  } catch (const std::exception&) {
    return {};  // an unreadable workspace lists nothing
  }
}

// `recorded` (relative to the folder `base`, "\" or "/" between names,
// "$WS_DIR$" for the workspace's folder) as a separator-led path below the
// searched folder; nothing when it is absolute or leaves the searched folder.
std::optional<std::string> BelowRoot(std::string_view base, std::string_view recorded) {
  constexpr std::string_view kWsDir = "$WS_DIR$";
  if (StartsWithIgnoreCase(recorded, kWsDir))
    recorded.remove_prefix(kWsDir.size());
  else if (recorded.empty() || recorded.front() == '\\' || recorded.front() == '/')
    return {};
  if (recorded.find(':') != std::string_view::npos ||
      recorded.find('$') != std::string_view::npos) {
    return std::nullopt;
  }
  std::vector<std::string> parts;
  const auto split = [&parts](std::string_view text, auto is_separator) {
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = start;
      while (end < text.size() && !is_separator(text[end])) ++end;
      const std::string_view part = text.substr(start, end - start);
      if (part == "..") {
        if (parts.empty()) return false;
        parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.emplace_back(part);
      }
      start = end + 1;
    }
    return true;
  };
  if (!split(base, [](char c) { return c == Separator(); }) ||
      !split(recorded, [](char c) { return c == '\\' || c == '/'; }) || parts.empty()) {
    return std::nullopt;
  }
  std::string out;
  for (const std::string& part : parts) out += Separator() + part;
  return out;
}

// One candidate per folder, by folder.
std::vector<ProjectCandidate> Distinct(std::vector<ProjectCandidate> candidates) {
  std::stable_sort(
      candidates.begin(), candidates.end(),
      [](const ProjectCandidate& a, const ProjectCandidate& b) { return a.sub_dir < b.sub_dir; });
  candidates.erase(std::unique(candidates.begin(), candidates.end(),
                               [](const ProjectCandidate& a, const ProjectCandidate& b) {
                                 return a.sub_dir == b.sub_dir;
                               }),
                   candidates.end());
  return candidates;
}

// The layouts input analysis takes as one project when given their folder:
// the example folders of the families below it, or the folders of two
// families that live beside the sources, side by side (a generator's IDE
// folders).
std::vector<ProjectCandidate> JoinedLayouts(std::vector<ProjectCandidate> candidates) {
  const std::string example = SeparatorString() + "example" + Separator();
  for (ProjectCandidate& c : candidates) {
    for (const FamilyRow& row : FamilyTable()) {
      const std::string_view ide = row.example_folder;
      if (!ide.empty() && c.sub_dir.ends_with(example + std::string(ide)))
        c.sub_dir.resize(c.sub_dir.size() - example.size() - ide.size());
    }
  }
  candidates = Distinct(std::move(candidates));
  std::map<std::string, std::vector<std::size_t>> by_parent;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (!candidates[i].sub_dir.empty()) {
      by_parent[candidates[i].sub_dir.substr(0, candidates[i].sub_dir.rfind(Separator()))]
          .push_back(i);
    }
  }
  for (const auto& [parent, children] : by_parent) {
    if (children.size() != 2) continue;
    ProjectCandidate& a = candidates[children[0]];
    ProjectCandidate& b = candidates[children[1]];
    const auto beside_sources = [](const ProjectCandidate& c) {
      return !RowOf(c.kind).sub_folder_files.empty();
    };
    if (a.kind != b.kind && beside_sources(a) && beside_sources(b)) a.sub_dir = b.sub_dir = parent;
  }
  return Distinct(std::move(candidates));
}

}  // namespace

bool IsOutputFolderName(std::string_view name) {
  for (const FamilyRow& row : FamilyTable()) {
    for (const CleanStep& step : row.clean_steps) {
      std::string_view folder = step.folder;
      while (!folder.empty()) {
        const std::size_t slash = folder.find('/');
        if (EqualsIgnoreCase(folder.substr(0, slash), name)) return true;
        folder = slash == std::string_view::npos ? std::string_view() : folder.substr(slash + 1);
      }
    }
  }
  return std::any_of(std::begin(kMoreOutputFolders), std::end(kMoreOutputFolders),
                     [name](std::string_view folder) { return EqualsIgnoreCase(folder, name); });
}

ProjectSearch SearchProjects(std::string_view root, FileSystem& fs, int max_depth) {
  ProjectSearch result;
  std::map<std::string, Folder> folders;
  std::vector<std::pair<std::string, int>> pending = {{std::string(), 0}};
  while (!pending.empty()) {
    const auto [sub_dir, depth] = std::move(pending.back());
    pending.pop_back();
    Folder here;
    std::vector<std::string> below;
    for (const DirEntry& entry : fs.ListDirectory(std::string(root) + sub_dir)) {
      // A family may be shown by a hidden file of a fixed name.
      const FileRole role = entry.kind == EntryKind::kFile ? RoleOf(entry.name) : FileRole{};
      if ((entry.hidden || entry.name.starts_with('.')) &&
          !(role.pattern && role.pattern->whole_name))
        continue;
      if (entry.kind == EntryKind::kFolder) {
        if (!here.project && !entry.is_link) {
          const FileRole role_below = RoleBelow(std::string(root) + sub_dir, entry.name, fs);
          if (role_below.pattern) here.project = role_below.kind;
        }
        if (IsOutputFolderName(entry.name)) continue;
        if (entry.is_link) {
          result.passed_over.push_back(sub_dir + Separator() + entry.name);
        } else if (depth < max_depth) {
          below.push_back(sub_dir + Separator() + entry.name);
        }
        continue;
      }
      if (entry.kind != EntryKind::kFile || entry.is_link) continue;
      if (!role.pattern) continue;
      if (role.pattern->shows && !role.pattern->shows(std::string(root) + sub_dir, fs)) continue;
      if (role.pattern->project && !here.project) here.project = role.kind;
      if (role.pattern->workspace != WorkspaceList::kNone) {
        here.workspaces.push_back({entry.name, role.pattern->workspace});
      }
    }
    // What lies below a project's folder is part of that project.
    if (!here.project) {
      for (std::string& folder : below) pending.emplace_back(std::move(folder), depth + 1);
    }
    if (here.project || !here.workspaces.empty()) folders.emplace(sub_dir, std::move(here));
  }

  // A workspace takes in the folders of the projects it lists; one that lists
  // no project that exists does not count.
  std::set<std::string> taken_in;
  std::map<std::string, FamilyKind> workspaces;
  for (auto& [sub_dir, folder] : folders) {
    for (const Workspace& ws : folder.workspaces) {
      const std::string path = std::string(root) + sub_dir + Separator() + ws.name;
      for (const std::string& recorded : ReadListed(path, ws.format, fs)) {
        const std::optional<std::string> listed = BelowRoot(sub_dir, recorded);
        if (!listed) continue;
        const std::string dir = FolderPart(*listed);
        const std::string listed_dir = dir.size() == 1 ? std::string() : dir;
        const std::optional<DirEntry> file =
            fs.FindEntry(std::string(root) + listed_dir, NamePart(*listed));
        if (!file || file->kind != EntryKind::kFile) continue;
        if (!folder.project) workspaces.emplace(sub_dir, RoleOf(ws.name).kind);
        if (listed_dir != sub_dir) taken_in.insert(listed_dir);
      }
    }
  }
  for (const auto& [sub_dir, folder] : folders) {
    if (taken_in.contains(sub_dir)) continue;
    if (folder.project) {
      result.candidates.push_back({sub_dir, *folder.project});
    } else if (const auto ws = workspaces.find(sub_dir); ws != workspaces.end()) {
      result.candidates.push_back({sub_dir, ws->second});
    }
  }
  std::sort(result.passed_over.begin(), result.passed_over.end());
  result.candidates = JoinedLayouts(std::move(result.candidates));
  return result;
}

std::vector<std::string> CandidateLines(const std::vector<ProjectCandidate>& candidates) {
  std::vector<std::string> out;
  for (const ProjectCandidate& c : candidates) {
    out.push_back(c.sub_dir.empty() ? std::string(".") : c.sub_dir.substr(1));
  }
  return out;
}

}  // namespace kelvandor
