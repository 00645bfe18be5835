#include "families/eclipse/eclipse_rewriter.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/file_rewrite.h"
#include "core/xml_stream.h"
#include "families/cubemx/ioc_rewriter.h"
#include "families/eclipse/eclipse_settings.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::string_view kProjectFile = ".project";
constexpr std::string_view kCProjectFile = ".cproject";
constexpr std::string_view kLaunch = ".launch";
constexpr std::string_view kLaunchFolders[] = {".launches", "Debug_Configurations"};
constexpr std::string_view kBackup = ".bak";
constexpr std::string_view kQuot = "&quot;";
constexpr std::string_view kDefaultMex = ".default_mex";

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// A name is a whole path component at `end` of `text`.
bool ComponentEndsAt(std::string_view text, std::size_t end) {
  return end == text.size() || IsSeparator(text[end]);
}

std::string Attribute(std::string_view tag, std::string_view name) {
  const AttributeSpan span = FindAttribute(tag, name);
  if (span.pos == kNone) return {};
  return DecodeXml(tag.substr(span.pos, span.length));
}

std::string ReplaceVariables(std::string_view raw, std::string_view old_raw,
                             std::string_view new_raw) {
  std::string out(raw);
  std::size_t pos = 0;
  while ((pos = out.find("${", pos)) != kNone) {
    const std::size_t close = out.find('}', pos);
    if (close == kNone) break;
    const std::size_t colon = out.find(':', pos);
    if (colon == kNone || colon > close) {
      pos = close;
      continue;
    }
    std::size_t arg = colon + 1;
    if (arg < close && out[arg] == '/') ++arg;
    const std::size_t end = arg + old_raw.size();
    if (end <= close && std::string_view(out).substr(arg, old_raw.size()) == old_raw &&
        (end == close || IsSeparator(out[end]))) {
      out.replace(arg, old_raw.size(), new_raw);
      pos = close + new_raw.size() - old_raw.size();
    } else {
      pos = close;
    }
  }
  return out;
}

std::string ReplaceProgramFile(std::string_view raw, std::string_view old_raw,
                               std::string_view new_raw) {
  std::string out = ReplaceVariables(raw, old_raw, new_raw);
  // An absolute path was recorded on another machine, or names a file of
  // no build of this project.
  if (!out.empty() && (IsSeparator(out[0]) || (out.size() > 1 && out[1] == ':'))) return out;
  const std::size_t last = out.find_last_of("/\\");
  const std::size_t start = last == kNone ? 0 : last + 1;
  const std::string_view file = std::string_view(out).substr(start);
  if (file.starts_with(old_raw) && (file.size() == old_raw.size() || file[old_raw.size()] == '.')) {
    out.replace(start, old_raw.size(), new_raw);
  }
  return out;
}

// The value after `key` in a list written inside an attribute value, as
// JSON ("&quot;key&quot;:&quot;v&quot;") or as XML ("key=&quot;v&quot;").
struct ListValue {
  std::size_t pos = kNone;
  std::size_t length = 0;
  bool nested_xml = false;  // the value is escaped twice
};

ListValue FindListValue(std::string_view raw, std::size_t from) {
  std::size_t i = from;
  ListValue v;
  if (raw.substr(i).starts_with(kQuot)) {
    i += kQuot.size();
    while (i < raw.size() && raw[i] == ' ') ++i;
    if (i >= raw.size() || raw[i] != ':') return {};
  } else {
    while (i < raw.size() && raw[i] == ' ') ++i;
    if (i >= raw.size() || raw[i] != '=') return {};
    v.nested_xml = true;
  }
  ++i;
  while (i < raw.size() && raw[i] == ' ') ++i;
  if (!raw.substr(i).starts_with(kQuot)) return {};
  i += kQuot.size();
  const std::size_t end = raw.find(kQuot, i);
  if (end == kNone) return {};
  v.pos = i;
  v.length = end - i;
  return v;
}

std::string ReplaceLoadList(std::string_view raw, std::string_view old_name,
                            std::string_view new_name) {
  std::string out(raw);
  for (const std::string_view key : {std::string_view("fProjectName"), std::string_view("fPath")}) {
    std::size_t pos = 0;
    while ((pos = out.find(key, pos)) != kNone) {
      const bool starts_name = pos == 0 || out[pos - 1] == ';' || out[pos - 1] == ' ' ||
                               out[pos - 1] == '{' || out[pos - 1] == ',';
      pos += key.size();
      if (!starts_name) continue;
      const ListValue v = FindListValue(out, pos);
      if (v.pos == kNone) continue;
      std::string old_inner = EncodeXml(old_name);
      std::string new_inner = EncodeXml(new_name);
      if (v.nested_xml) {
        old_inner = EncodeXml(old_inner);
        new_inner = EncodeXml(new_inner);
      }
      const std::string_view inner = std::string_view(out).substr(v.pos, v.length);
      const std::string changed = key == "fPath"
                                      ? ReplaceProgramFile(inner, old_inner, new_inner)
                                      : (inner == old_inner ? new_inner : std::string(inner));
      out.replace(v.pos, v.length, changed);
      pos = v.pos + changed.size();
    }
  }
  return out;
}

// Whether `value` of the tag's attribute `attribute` changed under `rule`
// for one renamed project.
bool Rewrite(std::string& tag, std::string_view attribute, EclipseRule rule,
             const EclipseProject& from, std::string_view to) {
  const AttributeSpan span = FindAttribute(tag, attribute);
  if (span.pos == kNone) return false;
  const std::string_view raw = std::string_view(tag).substr(span.pos, span.length);
  const std::string changed = ApplyEclipseRule(rule, raw, from.name, to);
  if (changed == raw) return false;
  tag.replace(span.pos, span.length, changed);
  return true;
}

struct Renamed {
  EclipseProject old_project;
  std::string new_name;
};

// Counts the changes it makes, and which projects they concern.
class CountingHandler : public XmlHandler {
 public:
  explicit CountingHandler(const std::vector<Renamed>& projects)
      : projects_(projects), touched_(projects.size(), false) {}
  int changes() const { return changes_; }
  const std::vector<bool>& touched() const { return touched_; }

 protected:
  // Applies `rule` for every renamed project; a value that names one
  // project only is changed once, so that a new name that happens to be
  // another project's old one is not renamed again.
  void RewriteAll(std::string& tag, std::string_view attribute, EclipseRule rule) {
    const bool several = rule == EclipseRule::kVariables || rule == EclipseRule::kLoadList;
    for (std::size_t i = 0; i < projects_.size(); ++i) {
      if (RewriteOne(tag, attribute, rule, i) && !several) return;
    }
  }
  bool RewriteOne(std::string& tag, std::string_view attribute, EclipseRule rule, std::size_t i) {
    if (!Rewrite(tag, attribute, rule, projects_[i].old_project, projects_[i].new_name))
      return false;
    Note(i);
    return true;
  }
  void Note(std::size_t i) {
    ++changes_;
    touched_[i] = true;
  }

  const std::vector<Renamed>& projects_;

 private:
  std::vector<bool> touched_;
  int changes_ = 0;
};

class ProjectHandler : public CountingHandler {
 public:
  ProjectHandler(const std::vector<Renamed>& projects, std::size_t own)
      : CountingHandler(projects), own_(own) {}

  void StartTag(std::string_view name, bool empty, std::string& /*tag*/) override {
    if (!empty) path_.emplace_back(name);
  }
  void EndTag(std::string_view /*name*/) override {
    if (!path_.empty()) path_.pop_back();
  }
  bool WantsValue(std::string_view name) const override {
    if (path_.size() == 1 && path_[0] == "projectDescription") return name == "name";
    return name == "project" && path_.size() == 2 && path_[0] == "projectDescription" &&
           path_[1] == "projects";
  }
  void Value(std::string_view name, std::string& value) override {
    if (name == "name") {
      if (!named_) Exact(value, own_);
      named_ = true;
    } else {
      for (std::size_t i = 0; i < projects_.size(); ++i) {
        if (Exact(value, i)) break;
      }
    }
  }

 private:
  bool Exact(std::string& value, std::size_t i) {
    const std::string changed = ApplyEclipseRule(
        EclipseRule::kExact, value, projects_[i].old_project.name, projects_[i].new_name);
    if (changed == value) return false;
    value = changed;
    Note(i);
    return true;
  }

  std::size_t own_;
  std::vector<std::string> path_;
  bool named_ = false;
};

class CProjectHandler : public CountingHandler {
 public:
  CProjectHandler(const std::vector<Renamed>& projects, std::size_t own,
                  const std::vector<EclipseConfiguration>& configurations)
      : CountingHandler(projects), own_(own), configurations_(configurations) {}

  void StartTag(std::string_view name, bool empty, std::string& tag) override {
    if (name == "cconfiguration") {
      if (!empty) ++index_;
      named_ = false;
      return;
    }
    if (name == "configuration" && !named_) {
      named_ = true;
      RewriteOne(tag, "artifactName", EclipseRule::kExact, own_);
    } else if (name == "project") {
      RewriteOne(tag, "name", EclipseRule::kExact, own_);
      RewriteProjectId(tag);
    } else if (name == "builder") {
      RewriteAll(tag, "buildPath", EclipseRule::kVariables);
    } else if (name == "resource") {
      RewriteAll(tag, "workspacePath", EclipseRule::kResourcePath);
    }
    if (name == "option") RewriteLinkScript(tag);
    RewriteAll(tag, "value", EclipseRule::kVariables);
  }

 private:
  void RewriteProjectId(std::string& tag) {
    const AttributeSpan span = FindAttribute(tag, "id");
    if (span.pos == kNone) return;
    const std::string old_raw = EncodeXml(projects_[own_].old_project.name) + ".";
    if (!std::string_view(tag).substr(span.pos, span.length).starts_with(old_raw)) return;
    tag.replace(span.pos, old_raw.size() - 1, EncodeXml(projects_[own_].new_name));
    Note(own_);
  }

  // MCUXpresso regenerates a managed link script under the project's name.
  void RewriteLinkScript(std::string& tag) {
    if (index_ == 0 || index_ > configurations_.size()) return;
    const EclipseConfiguration& c = configurations_[index_ - 1];
    if (!c.managed_link_script) return;
    const std::string rest = "_" + c.name + ".ld";
    const Renamed& own = projects_[own_];
    const AttributeSpan span = FindAttribute(tag, "value");
    if (span.pos == kNone || DecodeXml(std::string_view(tag).substr(span.pos, span.length)) !=
                                 own.old_project.name + rest) {
      return;
    }
    tag.replace(span.pos, span.length, EncodeXml(own.new_name + rest));
    Note(own_);
  }

  std::size_t own_;
  const std::vector<EclipseConfiguration>& configurations_;
  std::size_t index_ = 0;
  bool named_ = false;
};

class LaunchHandler : public CountingHandler {
 public:
  using CountingHandler::CountingHandler;

  void StartTag(std::string_view name, bool empty, std::string& tag) override {
    if (name == "listAttribute") {
      if (!empty) list_key_ = Attribute(tag, "key");
      return;
    }
    if (name == "listEntry") {
      if (list_key_.ends_with("MAPPED_RESOURCE_PATHS"))
        RewriteAll(tag, "value", EclipseRule::kResourcePath);
      RewriteAll(tag, "value", EclipseRule::kVariables);
      return;
    }
    const std::string key = Attribute(tag, "key");
    if (key.ends_with("PROJECT_ATTR") || key.find("ATTR_PROJECT") != std::string::npos) {
      RewriteAll(tag, "value", EclipseRule::kExact);
    } else if (key.ends_with("PROGRAM_NAME")) {
      RewriteAll(tag, "value", EclipseRule::kProgramFile);
    } else if (key.ends_with("loadList")) {
      RewriteAll(tag, "value", EclipseRule::kLoadList);
    } else {
      RewriteAll(tag, "value", EclipseRule::kVariables);
    }
  }
  void EndTag(std::string_view name) override {
    if (name == "listAttribute") list_key_.clear();
  }

 private:
  std::string list_key_;
};

// Reads `path` through `handler` without writing anything.
void DryRun(FileSystem& fs, const std::string& path, XmlHandler& handler) {
  LineReader in(path, fs);
  StreamXml(in, nullptr, handler);
}

template <typename Handler, typename... Args>
StreamTransform Through(Args&... args) {
  return [&args...](LineReader& in, LineWriter& out) {
    Handler handler(args...);
    StreamXml(in, &out, handler);
  };
}

// `body` with each `old_file` that stands as a whole file name (after a
// separator, blank, quote or "=", before a quote, blank or the end) replaced.
std::string ReplaceFileName(std::string_view body, std::string_view old_file,
                            std::string_view new_file, int& count) {
  constexpr std::string_view kBefore = "/\\\" \t=";
  constexpr std::string_view kAfter = "\" \t\r";
  std::string out;
  std::size_t done = 0;
  std::size_t pos = 0;
  while ((pos = body.find(old_file, pos)) != kNone) {
    const std::size_t after = pos + old_file.size();
    if ((pos == 0 || kBefore.find(body[pos - 1]) != kNone) &&
        (after == body.size() || kAfter.find(body[after]) != kNone)) {
      out.append(body.substr(done, pos - done));
      out.append(new_file);
      done = after;
      ++count;
    }
    pos = after;
  }
  out.append(body.substr(done));
  return out;
}

// A plain file directly in `dir`, no link, inside it.
std::optional<std::string> OwnFile(FileSystem& fs, std::string_view dir, std::string_view name) {
  const std::optional<DirEntry> entry = fs.FindEntry(dir, name);
  if (!entry || entry->name != name || entry->is_link || entry->kind != EntryKind::kFile)
    return std::nullopt;
  std::string path = JoinPath(dir, name);
  if (!fs.IsSameOrInside(path, dir)) return std::nullopt;
  return path;
}

class EclipseRename {
 public:
  EclipseRename(std::vector<Renamed> projects, const RewriteValues& values, RewriteBatch& batch)
      : projects_(std::move(projects)), values_(values), batch_(batch), fs_(batch.file_system()) {}

  void Run() {
    for (std::size_t i = 0; i < projects_.size(); ++i) {
      const std::string& dir = projects_[i].old_project.dir;
      StageProjectFile(i);
      StageCProject(i);
      StageLaunches(dir, dir);
      for (const std::string_view folder : kLaunchFolders) {
        const std::optional<DirEntry> entry = fs_.FindEntry(dir, folder);
        if (!entry || entry->name != folder || entry->is_link || entry->kind != EntryKind::kFolder)
          continue;
        const std::string path = JoinPath(dir, folder);
        if (fs_.IsSameOrInside(path, dir)) StageLaunches(dir, path);
      }
      RewriteValues own = values_;
      own.new_name = projects_[i].new_name;
      ParseIoc(dir, projects_[i].old_project.name, own, batch_);
      if (const std::string cores = i == 0 ? CoresName() : std::string(); !cores.empty())
        ParseIoc(dir, projects_[i].old_project.name, own, batch_, cores);
      StageSlcp(i);
      StageDefaultMex(i);
      RenamePlain(dir, projects_[i].old_project.name + ".pintool",
                  projects_[i].new_name + ".pintool");
    }
    for (const FileMove& move : renames_) batch_.RenameAfterCommit(move.from, move.to);
  }

 private:
  // The name the sub-projects share before their suffix, where it is not
  // the root's: the one a rename in the IDE left in the root's ".ioc".
  std::string CoresName() const {
    std::string shared;
    for (std::size_t i = 1; i < projects_.size(); ++i) {
      const EclipseProject& p = projects_[i].old_project;
      const std::string base = p.name.substr(0, p.name.size() - p.suffix.size());
      if (i > 1 && base != shared) return {};
      shared = base;
    }
    return shared == projects_.front().old_project.name ? std::string() : shared;
  }

  void StageInPlace(const std::string& dir, const std::string& name,
                    const StreamTransform& stream) {
    const std::size_t staged =
        batch_.StageExact(dir, name, name + std::string(kBackup), name, stream);
    batch_.KeepBackup(staged, values_.backup);
  }

  void StageProjectFile(std::size_t i) {
    const std::string& dir = projects_[i].old_project.dir;
    const std::optional<std::string> path = OwnFile(fs_, dir, kProjectFile);
    if (!path) return;
    ProjectHandler probe(projects_, i);
    DryRun(fs_, *path, probe);
    if (probe.changes() == 0) return;
    StageInPlace(dir, std::string(kProjectFile), Through<ProjectHandler>(projects_, i));
  }

  void StageCProject(std::size_t i) {
    const std::string& dir = projects_[i].old_project.dir;
    const std::optional<std::string> path = OwnFile(fs_, dir, kCProjectFile);
    if (!path) return;
    const std::vector<EclipseConfiguration> configurations = ReadEclipseConfigurations(*path, fs_);
    CProjectHandler probe(projects_, i, configurations);
    DryRun(fs_, *path, probe);
    if (probe.changes() == 0) return;
    StageInPlace(dir, std::string(kCProjectFile),
                 Through<CProjectHandler>(projects_, i, configurations));
  }

  void StageLaunches(const std::string& project_dir, const std::string& folder) {
    for (const std::string& file : fs_.ListFiles(folder, kLaunch)) {
      if (!file.ends_with(kLaunch)) continue;
      const std::optional<std::string> path = OwnFile(fs_, folder, file);
      if (!path || !fs_.IsSameOrInside(*path, project_dir)) continue;
      LaunchHandler probe(projects_);
      DryRun(fs_, *path, probe);
      if (probe.changes() == 0) continue;
      // The launch takes the new name of the longest old name it starts with.
      const Renamed* owner = nullptr;
      for (std::size_t i = 0; i < projects_.size(); ++i) {
        const std::string& old = projects_[i].old_project.name;
        if (probe.touched()[i] && file.size() > old.size() && file.starts_with(old) &&
            (file[old.size()] == ' ' || file[old.size()] == '_' || file[old.size()] == '.') &&
            (!owner || old.size() > owner->old_project.name.size())) {
          owner = &projects_[i];
        }
      }
      const std::string new_file =
          owner ? owner->new_name + file.substr(owner->old_project.name.size()) : file;
      // Staged under its new name, so that the report names the file the run leaves.
      const bool renamed = new_file != file &&
                           FreeToRename(fs_, *path, JoinPath(folder, new_file)) &&
                           staged_names_.insert(LowerAscii(JoinPath(folder, new_file))).second;
      const std::size_t staged =
          batch_.StageExact(folder, file, file + std::string(kBackup), renamed ? new_file : file,
                            Through<LaunchHandler>(projects_));
      batch_.KeepBackup(staged, values_.backup);
    }
  }

  void StageSlcp(std::size_t i) {
    const std::string& dir = projects_[i].old_project.dir;
    const std::string old_file = projects_[i].old_project.name + ".slcp";
    const std::string new_file = projects_[i].new_name + ".slcp";
    if (!OwnFile(fs_, dir, old_file) ||
        !FreeToRename(fs_, JoinPath(dir, old_file), JoinPath(dir, new_file))) {
      return;
    }
    const std::string& old_name = projects_[i].old_project.name;
    const std::string& new_name = projects_[i].new_name;
    const std::size_t staged = batch_.StageExact(
        dir, old_file, old_file + std::string(kBackup), new_file,
        RawLines([&](std::string_view body, std::string_view end, LineWriter& out) {
          constexpr std::string_view kKey = "project_name:";
          std::string_view value = body.starts_with(kKey) ? body.substr(kKey.size()) : "";
          const std::size_t lead = value.find_first_not_of(" \t");
          const std::size_t length = lead == kNone ? 0 : value.find_last_not_of(" \t") + 1 - lead;
          std::string_view text = lead == kNone ? "" : value.substr(lead, length);
          std::string_view quote;
          if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
              text.back() == text.front()) {
            quote = text.substr(0, 1);
            text = text.substr(1, text.size() - 2);
          }
          if (!value.empty() && text == old_name) {
            const std::size_t at = kKey.size() + lead + quote.size();
            out.Write(body.substr(0, at));
            out.Write(new_name);
            out.Write(body.substr(at + old_name.size()));
          } else {
            out.Write(body);
          }
          out.Write(end);
        }));
    batch_.KeepBackup(staged, values_.backup);
  }

  // The configuration tools' "NAME.mex" is found through ".default_mex",
  // which names it: the two change together or not at all.
  void StageDefaultMex(std::size_t i) {
    const std::string& dir = projects_[i].old_project.dir;
    const std::string old_file = projects_[i].old_project.name + ".mex";
    const std::string new_file = projects_[i].new_name + ".mex";
    const std::string from = JoinPath(dir, old_file);
    const std::string to = JoinPath(dir, new_file);
    const std::optional<std::string> pointer = OwnFile(fs_, dir, kDefaultMex);
    if (!pointer || !OwnFile(fs_, dir, old_file) || !FreeToRename(fs_, from, to)) return;
    int named = 0;
    {
      LineReader in(*pointer, fs_);
      std::string_view line;
      while (in.ReadLine(line)) ReplaceFileName(line, old_file, new_file, named);
    }
    if (named == 0) return;
    StageInPlace(dir, std::string(kDefaultMex),
                 RawLines([&](std::string_view body, std::string_view end, LineWriter& out) {
                   int count = 0;
                   out.Write(ReplaceFileName(body, old_file, new_file, count));
                   out.Write(end);
                 }));
    RenamePlain(dir, old_file, new_file);
    batch_.ExpectReference(*pointer, to, new_file);
  }

  void RenamePlain(const std::string& folder, const std::string& from_name,
                   const std::string& to_name) {
    if (from_name == to_name) return;
    if (!OwnFile(fs_, folder, from_name)) return;
    const std::string from = JoinPath(folder, from_name);
    const std::string to = JoinPath(folder, to_name);
    if (!FreeToRename(fs_, from, to)) return;
    for (const FileMove& move : renames_) {
      if (EqualsIgnoreCase(move.to, to)) return;
    }
    renames_.push_back({from, to});
  }

  std::vector<Renamed> projects_;
  std::set<std::string> staged_names_;  // launch files staged under a new name
  const RewriteValues& values_;
  RewriteBatch& batch_;
  FileSystem& fs_;
  std::vector<FileMove> renames_;
};

}  // namespace

std::vector<EclipseProject> FindEclipseProjects(std::string_view dir, FileSystem& fs) {
  std::vector<EclipseProject> projects;
  const auto read = [&fs](std::string_view folder) -> std::string {
    const std::optional<std::string> path = OwnFile(fs, folder, kProjectFile);
    return path ? ReadEclipseProjectName(*path, fs) : std::string();
  };
  const std::string root = read(dir);
  if (root.empty()) return projects;
  projects.push_back({std::string(dir), root});
  // Only a container without a build of its own holds the cores' projects.
  if (fs.AnythingExists(JoinPath(dir, kCProjectFile))) return projects;
  for (const DirEntry& entry : fs.ListDirectory(dir)) {
    if (entry.hidden || entry.is_link || entry.kind != EntryKind::kFolder) continue;
    const std::string sub = JoinPath(dir, entry.name);
    if (!fs.IsSameOrInside(sub, dir)) continue;
    const std::string name = read(sub);
    const std::string core = "_" + entry.name;
    if (name.size() > root.size() + 1 && name.starts_with(root) && name[root.size()] == '_') {
      projects.push_back({sub, name, name.substr(root.size())});
    } else if (name.size() > core.size() && EndsWithIgnoreCase(name, core)) {
      projects.push_back({sub, name, name.substr(name.size() - core.size())});
    }
  }
  return projects;
}

std::string ApplyEclipseRule(EclipseRule rule, std::string_view raw, std::string_view old_name,
                             std::string_view new_name) {
  if (old_name.empty()) return std::string(raw);
  const std::string old_raw = EncodeXml(old_name);
  const std::string new_raw = EncodeXml(new_name);
  switch (rule) {
    case EclipseRule::kExact:
      return raw == old_raw ? new_raw : std::string(raw);
    case EclipseRule::kResourcePath:
      if (raw.size() > old_raw.size() && raw[0] == '/' && raw.substr(1).starts_with(old_raw) &&
          ComponentEndsAt(raw, old_raw.size() + 1)) {
        return "/" + new_raw + std::string(raw.substr(old_raw.size() + 1));
      }
      return std::string(raw);
    case EclipseRule::kVariables:
      return ReplaceVariables(raw, old_raw, new_raw);
    case EclipseRule::kProgramFile:
      return ReplaceProgramFile(raw, old_raw, new_raw);
    case EclipseRule::kLoadList:
      return ReplaceLoadList(raw, old_name, new_name);
  }
  return std::string(raw);
}

void ParseEclipse(std::string_view dir, std::string_view old_name, const RewriteValues& values,
                  RewriteBatch& batch) {
  if (old_name.empty() || values.new_name.empty()) return;
  const std::vector<EclipseProject> found = FindEclipseProjects(dir, batch.file_system());
  if (found.empty() || found.front().name != old_name) return;
  std::vector<Renamed> projects;
  for (const EclipseProject& p : found) {
    projects.push_back({p, values.new_name + p.suffix});
  }
  EclipseRename(std::move(projects), values, batch).Run();
}

}  // namespace kelvandor
