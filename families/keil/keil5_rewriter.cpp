#include "families/keil/keil5_rewriter.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/file_rewrite.h"
#include "core/recorded_path.h"
#include "core/xml_stream.h"
#include "families/keil/keil_settings.h"
#include "platform/file_system.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::string_view kRte = "RTE";
constexpr std::string_view kDebugConfig = "DebugConfig";
constexpr std::string_view kDebugConfigExtension = ".dbgconf";
constexpr std::size_t kNone = std::string_view::npos;

// The length of the shortest start of the raw value `raw` that decodes to
// `plain`, letters A to Z compared without case; kNone when there is none.
std::size_t RawPrefixLength(std::string_view raw, std::string_view plain) {
  for (std::size_t n = plain.size(); n <= raw.size() && n <= plain.size() * 8; ++n) {
    if (EqualsIgnoreCase(DecodeXml(raw.substr(0, n)), plain)) return n;
  }
  return kNone;
}

// A target's name as uVision writes it into the names of the files and
// folders it keeps per target.
std::string TargetFileName(std::string_view target) {
  std::string name(target);
  for (char& c : name) {
    if (c == ' ') c = '_';
  }
  return name;
}

// The folder uVision keeps a target's run-time environment in.
std::string RteFolderName(std::string_view target) {
  // Built in place: GCC 12 misreads "_" + string at -O2 as an overlapping copy.
  std::string folder = "_";
  folder += TargetFileName(target);
  return folder;
}

bool LiesInside(FileSystem& fs, std::string_view dir, const std::string& name) {
  const std::string path = JoinPath(dir, name);
  return fs.FileExists(path) && fs.IsSameOrInside(path, dir);
}

struct Rename {
  std::string from;
  std::string to;
};

struct RteReference {
  std::string old_folder;  // as written in the files: "_Motor"
  std::string new_folder;
};

// What the rewrite changes beyond the rules that need no look outside the
// element. The project file's pass gathers it target by target; the options
// file, read after it, sees it whole.
struct Plan {
  bool targets_renamed = false;
  std::vector<RteReference> rte_references;
  std::vector<bool> scatter_follows;  // per <Target>, in the order of the file
  std::vector<Rename> renames;        // carried out once the project files are in place
  // The project file's <File> entries (numbered from 1 in the order of the
  // file) naming a renamed file, with its new name: their <FileName> may come
  // before the path that tells.
  std::vector<std::pair<std::size_t, std::string>> renamed_entries;
};

// The new name of the file `resolved` when the plan renames it; empty
// otherwise.
std::string RenamedFileName(const std::vector<Rename>& renames, std::string_view resolved) {
  for (const Rename& r : renames) {
    if (EqualsIgnoreCase(r.from, resolved)) return NamePart(r.to);
  }
  return {};
}

bool IsPlanned(const Plan& plan, const std::string& from) {
  for (const Rename& r : plan.renames) {
    if (r.from == from) return true;
  }
  return false;
}

// Adds the references of the RTE folder of `target` to the plan; returns
// the folder's rename, when it moves.
std::optional<Rename> PlanRteFolder(FileSystem& fs, std::string_view dir, const std::string& target,
                                    std::string_view new_name, Plan& plan) {
  const std::string old_folder = RteFolderName(target);
  const std::string new_folder = RteFolderName(new_name);
  if (old_folder == new_folder) return std::nullopt;
  for (const RteReference& r : plan.rte_references) {
    if (r.old_folder == EncodeXml(old_folder)) return std::nullopt;
  }
  std::optional<Rename> rename;
  const std::string rte = JoinPath(dir, kRte);
  if (const std::optional<DirEntry> entry = fs.FindEntry(rte, old_folder)) {
    std::string from = JoinPath(rte, entry->name);
    std::string to = JoinPath(rte, new_folder);
    // A folder that cannot move keeps its references too.
    if (entry->is_link || entry->kind != EntryKind::kFolder || !fs.IsSameOrInside(from, dir) ||
        !FreeToRename(fs, from, to)) {
      return std::nullopt;
    }
    rename = Rename{std::move(from), std::move(to)};
  }
  plan.rte_references.push_back({EncodeXml(old_folder), EncodeXml(new_folder)});
  return rename;
}

// Whether the <ScatterFile> of a target follows the new name, and the
// scatter file's rename.
struct ScatterDecision {
  bool follows = false;
  std::optional<Rename> rename;
};

ScatterDecision PlanScatterFile(FileSystem& fs, std::string_view dir, const KeilTarget& target,
                                std::string_view old_name, std::string_view new_name,
                                const Plan& plan) {
  const std::string_view recorded = target.scatter_file;
  const std::string_view name = RecordedName(recorded);
  if (!StartsWithIgnoreCase(name, old_name)) return {};
  const std::string new_file = std::string(new_name) + std::string(name.substr(old_name.size()));
  if (new_file == name) return {};
  const std::string_view folder_text = recorded.substr(0, recorded.size() - name.size());
  const std::optional<std::string> folder =
      PathInside(dir, dir, folder_text.empty() ? "." : folder_text, fs);
  if (!folder) return {};

  if (const std::optional<DirEntry> entry = fs.FindEntry(*folder, name)) {
    std::string from = JoinPath(*folder, entry->name);
    if (entry->kind != EntryKind::kFile || !fs.IsSameOrInside(from, dir)) return {};
    std::string to = JoinPath(*folder, new_file);
    for (const Rename& r : plan.renames) {
      if (r.from == from) return {r.to == to, std::nullopt};  // named by an earlier target too
    }
    if (!FreeToRename(fs, from, to)) return {};
    return {true, Rename{std::move(from), std::move(to)}};
  }
  // Missing: only the file the linker writes into the output folder may be
  // named ahead of the build.
  const std::string_view output = target.output_directory;
  const std::optional<std::string> output_folder =
      PathInside(dir, dir, output.empty() ? "." : output, fs);
  return {output_folder && *output_folder == *folder &&
              EqualsIgnoreCase(name, target.output_name + ".sct"),
          std::nullopt};
}

// The debugger settings uVision keeps per target and device in
// DebugConfig/<target>_<device>[_<pack version>].dbgconf, found by the
// target's name only.
void PlanDebugConfigs(FileSystem& fs, std::string_view dir, const KeilTarget& target,
                      std::string_view new_name, Plan& plan) {
  if (target.device.empty()) return;
  const std::optional<DirEntry> folder = fs.FindEntry(dir, kDebugConfig);
  if (!folder || folder->is_link || folder->kind != EntryKind::kFolder) return;
  const std::string config_dir = JoinPath(dir, folder->name);
  const std::string old_start = TargetFileName(target.name) + "_" + target.device;
  const std::string new_target = TargetFileName(new_name);
  for (const DirEntry& entry : fs.ListDirectory(config_dir)) {
    const std::string_view name = entry.name;
    if (entry.is_link || entry.kind != EntryKind::kFile || !StartsWithIgnoreCase(name, old_start) ||
        !EndsWithIgnoreCase(name, kDebugConfigExtension)) {
      continue;
    }
    const std::string_view rest = name.substr(old_start.size());
    if (!EqualsIgnoreCase(rest, kDebugConfigExtension) && (rest.empty() || rest.front() != '_'))
      continue;
    // Keep the device and version as the file spells them.
    const std::string new_file =
        new_target + std::string(name.substr(TargetFileName(target.name).size()));
    const std::string from = JoinPath(config_dir, name);
    const std::string to = JoinPath(config_dir, new_file);
    if (new_file == name || IsPlanned(plan, from) || !fs.IsSameOrInside(from, dir) ||
        !FreeToRename(fs, from, to)) {
      continue;
    }
    plan.renames.push_back({from, to});
  }
}

// The elements of a group's <File> entry holding the file's bare name.
bool IsFileNameElement(std::string_view name) {
  return name == "FileName" || name == "FilenameWithoutPath";
}

bool IsPathElement(std::string_view name) {
  return name == "IncludePath" || name == "FilePath" || name == "PathWithFileName" ||
         name == "instance";
}

bool IsReferenceEnd(std::string_view value, std::size_t pos) {
  if (pos == value.size()) return true;
  constexpr std::string_view kEnds = "\\/;,\"' \t\r\n";
  return kEnds.find(value[pos]) != kNone;
}

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The position of the next reference RTE\<old_folder> from `pos` on: that of
// the folder's name, or kNone.
std::size_t FindRteReference(std::string_view value, std::string_view old_folder, std::size_t pos) {
  while ((pos = FindIgnoreCase(value, kRte, pos)) != kNone) {
    const std::size_t folder = pos + kRte.size() + 1;
    const std::size_t end = folder + old_folder.size();
    if ((pos == 0 || !IsNameCharacter(value[pos - 1])) && folder < value.size() &&
        (value[folder - 1] == '\\' || value[folder - 1] == '/') && end <= value.size() &&
        EqualsIgnoreCase(value.substr(folder, old_folder.size()), old_folder) &&
        IsReferenceEnd(value, end)) {
      return folder;
    }
    pos += kRte.size();
  }
  return kNone;
}

// Thrown by the project file's pass when a value went out before a fact
// that changes it was known (a crafted order): the file is streamed again,
// with the whole plan.
struct PlanCameLate {};

// Rewrites the project file (`plan` == null: gathering the plan as it goes,
// into `gathered`) or, with the whole plan, the options file or the project
// file once more.
class Uv5Rewriter : public XmlHandler {
 public:
  Uv5Rewriter(FileSystem& fs, std::string_view dir, Plan& plan, bool gathering,
              std::string_view old_name, std::string_view new_name, bool project_file)
      : fs_(fs),
        dir_(dir),
        plan_(plan),
        gathering_(gathering),
        old_name_(old_name),
        new_name_(new_name),
        new_value_(EncodeXml(new_name)),
        any_rte_folder_(EncodeXml(RteFolderName(old_name))),
        project_file_(project_file),
        follower_([this](const KeilTarget& t) { CompleteTarget(t); }) {}

  void StartTag(std::string_view name, bool empty, std::string& tag) override {
    if (name == "Target" && !empty) ++targets_seen_;
    if (name == "File" && !empty) StartFileEntry();
    if (gathering_) follower_.StartTag(name, empty);
    if (name != "targetInfo") return;
    const AttributeSpan span = FindAttribute(tag, "name");
    if (span.pos == kNone ||
        !EqualsIgnoreCase(DecodeXml(tag.substr(span.pos, span.length)), old_name_))
      return;
    if (plan_.targets_renamed) {
      tag.replace(span.pos, span.length, new_value_);
    } else if (gathering_) {
      target_info_passed_ = true;
    }
  }

  bool WantsValue(std::string_view name) const override {
    const bool files_renamed = gathering_ || !plan_.renames.empty();
    return name == "TargetName" || name == "OutputName" || name == "ScatterFile" ||
           ((files_renamed || !plan_.rte_references.empty()) && IsPathElement(name)) ||
           (files_renamed && IsFileNameElement(name)) ||
           (gathering_ && KeilTargetFollower::IsTargetValue(name));
  }

  void Value(std::string_view name, std::string& value) override {
    const bool set = gathering_ && follower_.Value(name, value);
    if (name == "TargetName") {
      if (set) TargetNamed(*follower_.current());
      if ((project_file_ || plan_.targets_renamed) && EqualsIgnoreCase(DecodeXml(value), old_name_))
        value = new_value_;
    } else if (name == "OutputName") {
      if (project_file_) ReplacePrefix(value, 0);
    } else if (name == "ScatterFile") {
      if (project_file_ && ScatterFollows()) {
        ReplacePrefix(value, value.size() - RecordedName(value).size());
      }
    } else if (IsFileNameElement(name)) {
      EntryFileName(value);
    } else if (IsPathElement(name)) {
      if (gathering_ && !rte_references_at_first_match_ &&
          FindRteReference(value, any_rte_folder_, 0) != kNone) {
        rte_references_at_first_match_ = plan_.rte_references.size();
      }
      if (in_file_entry_ && name != "IncludePath") EntryPath(value);
      ReplaceRteReferences(value);
    }
  }

  void EndTag(std::string_view name) override {
    if (name == "File") in_file_entry_ = false;
  }

  // At the end of the file: the plan is whole. Raises PlanCameLate when
  // something already written would have changed with what came later.
  void Finish() {
    if (!gathering_) return;
    follower_.Finish();
    for (const EntryWritten& e : entries_written_) {
      std::string renamed = RenamedFileName(plan_.renames, e.resolved);
      if (renamed != e.written) came_late_ = true;
      if (!renamed.empty()) plan_.renamed_entries.emplace_back(e.entry, std::move(renamed));
    }
    if (came_late_ || (target_info_passed_ && plan_.targets_renamed) ||
        (rte_references_at_first_match_ &&
         *rte_references_at_first_match_ < plan_.rte_references.size())) {
      throw PlanCameLate();
    }
  }

 private:
  void TargetNamed(const KeilTarget& target) {
    if (!EqualsIgnoreCase(target.name, old_name_)) return;
    plan_.targets_renamed = true;
    rte_rename_ = PlanRteFolder(fs_, dir_, target.name, new_name_, plan_);
  }

  // The renames of a target in the order scatter file, RTE folder, debugger
  // settings.
  void CompleteTarget(const KeilTarget& target) {
    ScatterDecision decision = Decide(target);
    if ((decision.follows && wrote_scatter_[0]) || (!decision.follows && wrote_scatter_[1]))
      came_late_ = true;
    plan_.scatter_follows.push_back(decision.follows);
    if (decision.rename) plan_.renames.push_back(std::move(*decision.rename));
    if (rte_rename_) plan_.renames.push_back(std::move(*rte_rename_));
    if (EqualsIgnoreCase(target.name, old_name_))
      PlanDebugConfigs(fs_, dir_, target, new_name_, plan_);
    rte_rename_.reset();
    decided_.reset();
    wrote_scatter_[0] = wrote_scatter_[1] = false;
  }

  // The scatter decision for the target's values so far, made again only
  // when they changed.
  const ScatterDecision& Decide(const KeilTarget& target) {
    if (!decided_ || decided_for_.scatter_file != target.scatter_file ||
        decided_for_.output_directory != target.output_directory ||
        decided_for_.output_name != target.output_name) {
      decided_ = PlanScatterFile(fs_, dir_, target, old_name_, new_name_, plan_);
      decided_for_ = target;
    }
    return *decided_;
  }

  bool ScatterFollows() {
    if (!gathering_) {
      return targets_seen_ > 0 && targets_seen_ <= plan_.scatter_follows.size() &&
             plan_.scatter_follows[targets_seen_ - 1];
    }
    const KeilTarget* target = follower_.current();
    if (target == nullptr) return false;
    const bool follows = Decide(*target).follows;
    wrote_scatter_[follows ? 1 : 0] = true;
    return follows;
  }

  void StartFileEntry() {
    in_file_entry_ = true;
    ++file_entries_;
    entry_new_name_.clear();
    entry_path_seen_ = false;
    entry_name_guess_.reset();
  }

  // The renames known so far: while gathering, the current target's scatter
  // file too, whose rename is planned once the target is complete.
  std::string RenamedSoFar(std::string_view resolved) {
    std::string renamed = RenamedFileName(plan_.renames, resolved);
    const KeilTarget* target = gathering_ ? follower_.current() : nullptr;
    if (renamed.empty() && target != nullptr) {
      const ScatterDecision& decision = Decide(*target);
      if (decision.rename && EqualsIgnoreCase(decision.rename->from, resolved))
        renamed = NamePart(decision.rename->to);
    }
    return renamed;
  }

  // A <File> entry's path naming a file the run renames takes its new name.
  void EntryPath(std::string& value) {
    entry_path_seen_ = true;
    const std::string_view raw_name = RecordedName(value);
    if (!StartsWithIgnoreCase(DecodeXml(raw_name), old_name_)) return;
    const std::optional<std::string> resolved = PathInside(dir_, dir_, DecodeXml(value), fs_);
    if (!resolved) return;
    std::string renamed;
    if (gathering_) {
      renamed = RenamedSoFar(*resolved);
      entries_written_.push_back({file_entries_, *resolved, renamed});
    } else if (project_file_) {
      renamed = EntryRenamedTo();
    } else {
      renamed = RenamedFileName(plan_.renames, *resolved);
    }
    if (entry_name_guess_ && *entry_name_guess_ != renamed) came_late_ = true;
    entry_new_name_ = renamed;
    if (!renamed.empty())
      value.replace(value.size() - raw_name.size(), raw_name.size(), EncodeXml(renamed));
  }

  // The entry's bare file name follows its path: after it, as the path said;
  // before it, as the plan says (while gathering: as far as it is known, the
  // path then telling whether that held).
  void EntryFileName(std::string& value) {
    if (!in_file_entry_) return;
    const std::string plain = DecodeXml(value);
    std::string renamed;
    if (entry_path_seen_) {
      renamed = entry_new_name_;
    } else if (gathering_) {
      renamed = RenamedByName(plain);
      entry_name_guess_ = renamed;
    } else if (project_file_) {
      renamed = EntryRenamedTo();
    }
    if (renamed.empty() || !StartsWithIgnoreCase(plain, old_name_)) return;
    value = EncodeXml(renamed);
  }

  // While gathering, before the entry's path: the new name of a file the
  // plan renames that bears `name`.
  std::string RenamedByName(std::string_view name) {
    if (!StartsWithIgnoreCase(name, old_name_)) return {};
    for (const Rename& r : plan_.renames) {
      if (EqualsIgnoreCase(NamePart(r.from), name)) return NamePart(r.to);
    }
    const KeilTarget* target = follower_.current();
    if (target == nullptr) return {};
    const ScatterDecision& decision = Decide(*target);
    if (decision.rename && EqualsIgnoreCase(NamePart(decision.rename->from), name))
      return NamePart(decision.rename->to);
    return {};
  }

  // The new name the first pass found for the current entry of the project
  // file.
  std::string EntryRenamedTo() const {
    for (const auto& [entry, renamed] : plan_.renamed_entries) {
      if (entry == file_entries_) return renamed;
    }
    return {};
  }

  // The old name at `from` becomes the new one.
  void ReplacePrefix(std::string& value, std::size_t from) const {
    const std::size_t n = RawPrefixLength(std::string_view(value).substr(from), old_name_);
    if (n != kNone) value.replace(from, n, new_value_);
  }

  void ReplaceRteReferences(std::string& value) const {
    for (const RteReference& r : plan_.rte_references) {
      std::size_t pos = 0;
      while ((pos = FindRteReference(value, r.old_folder, pos)) != kNone) {
        value.replace(pos, r.old_folder.size(), r.new_folder);
        pos += r.new_folder.size();
      }
    }
  }

  FileSystem& fs_;
  std::string_view dir_;
  Plan& plan_;
  bool gathering_ = false;
  std::string old_name_;
  std::string new_name_;
  std::string new_value_;
  std::string any_rte_folder_;  // every RTE folder a renamed target may have, in some letter case
  bool project_file_ = false;
  std::size_t targets_seen_ = 0;
  KeilTargetFollower follower_;
  // Of the current target while gathering.
  std::optional<Rename> rte_rename_;
  std::optional<ScatterDecision> decided_;
  KeilTarget decided_for_;
  bool wrote_scatter_[2] = {false, false};  // a value went out as not following / following
  // What went out before the plan was whole.
  bool came_late_ = false;
  bool target_info_passed_ = false;
  std::optional<std::size_t> rte_references_at_first_match_;
  // The group's <File> entry being read.
  bool in_file_entry_ = false;
  std::size_t file_entries_ = 0;
  bool entry_path_seen_ = false;
  std::string entry_new_name_;                   // of its path; empty: not renamed
  std::optional<std::string> entry_name_guess_;  // its name's, written before the path
  // The entries whose path names a file bearing the old name, as the
  // gathering pass wrote them: the whole plan may tell otherwise.
  struct EntryWritten {
    std::size_t entry = 0;
    std::string resolved;
    std::string written;  // the new name given; empty: none
  };
  std::vector<EntryWritten> entries_written_;
};

StreamTransform Rewriter(FileSystem& fs, std::string_view dir, Plan& plan, bool gathering,
                         std::string_view old_name, std::string_view new_name, bool project_file) {
  return [&fs, dir, &plan, gathering, old_name, new_name, project_file](LineReader& in,
                                                                        LineWriter& out) {
    Uv5Rewriter handler(fs, dir, plan, gathering, old_name, new_name, project_file);
    StreamXml(in, &out, handler);
    handler.Finish();
  };
}

void RenameLayouts(std::string_view dir, std::string_view old_name, std::string_view new_name,
                   std::string_view layout, RewriteBatch& batch) {
  const std::string prefix = std::string(old_name) + std::string(layout);
  FileSystem& fs = batch.file_system();
  for (const std::string& file : fs.ListFiles(dir)) {
    if (!StartsWithIgnoreCase(file, prefix)) continue;
    const std::string new_file = std::string(new_name) + file.substr(old_name.size());
    const std::string from = JoinPath(dir, file);
    const std::string to = JoinPath(dir, new_file);
    if (new_file != file && fs.IsSameOrInside(from, dir) && FreeToRename(fs, from, to))
      batch.RenameAfterCommit(from, to);
  }
}

}  // namespace

void ParseKEILUV5(std::string_view dir, std::string_view old_base, const RewriteValues& values) {
  InOwnBatch([&](RewriteBatch& batch) { ParseKEILUV5(dir, old_base, values, batch); });
}

void ParseKEILUV5(std::string_view dir, std::string_view old_base, const RewriteValues& values,
                  RewriteBatch& batch) {
  RewriteKeilProject(dir, old_base, values, kUvision5, batch);
}

void RewriteKeilProject(std::string_view dir, std::string_view old_base,
                        const RewriteValues& values, const KeilFormat& format,
                        RewriteBatch& batch) {
  const std::string old_name(old_base);
  const std::string& new_name = values.new_name;
  // An empty old name would match every value: the files are then only
  // copied under the new name.
  const bool rules = !old_name.empty();
  FileSystem& fs = batch.file_system();
  const std::string project_file = old_name + std::string(format.project);
  const bool project_inside = LiesInside(fs, dir, project_file);
  const bool options_inside = LiesInside(fs, dir, old_name + std::string(format.options));
  // The project file is read once, gathering the plan as it is rewritten.
  Plan plan;
  const auto stage = [&](bool gathering) {
    std::vector<FileKind> kinds;
    if (project_inside) {
      kinds.push_back({format.project,
                       {},
                       true,
                       rules ? Rewriter(fs, dir, plan, gathering, old_name, new_name, true)
                             : StreamTransform()});
    }
    if (options_inside) {
      kinds.push_back(
          {format.options,
           {},
           true,
           rules ? Rewriter(fs, dir, plan, false, old_name, new_name, false) : StreamTransform()});
    }
    const std::string_view deletion_order[] = {format.project, format.options};
    RewriteKinds(dir, old_base, new_name, values.backup, kinds, deletion_order, batch);
  };
  try {
    stage(true);
  } catch (const PlanCameLate&) {
    stage(false);
  }
  // The files and folders the project names move with it, in the same commit.
  for (const Rename& r : plan.renames) batch.RenameAfterCommit(r.from, r.to);
  if (rules && !format.layout.empty()) RenameLayouts(dir, old_name, new_name, format.layout, batch);
}

}  // namespace kelvandor
