#include "rewrite/iar_rewriter.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/io_error.h"
#include "platform/path_style.h"
#include "rewrite/build_settings.h"
#include "rewrite/file_rewrite.h"
#include "rewrite/xml_stream.h"

namespace kelvandor {
namespace {

constexpr std::string_view kWsDir = "$WS_DIR$";
constexpr std::string_view kProject = ".ewp";
constexpr std::string_view kSettings = "settings";
constexpr std::size_t kNone = std::string_view::npos;

bool IsRecordedSeparator(char c) { return c == '\\' || c == '/'; }

// Where `needle` or, when it differs, `other` first occurs in `line`; sets
// `length` to the length of the one found.
std::size_t FindFirstOf(std::string_view line, const std::string& needle, const std::string& other,
                        LetterCase letter_case, std::size_t& length) {
  const auto find = [&](const std::string& text) {
    return letter_case == LetterCase::kExact ? line.find(text) : FindIgnoreCase(line, text);
  };
  std::size_t pos = find(needle);
  length = needle.size();
  if (other != needle) {
    const std::size_t pos_other = find(other);
    if (pos_other < pos) {
      pos = pos_other;
      length = other.size();
    }
  }
  return pos;
}

// A stream that keeps every byte but the first occurrence per line of the
// old name after `lead` (as the file writes it, XML-escaped, or plain), which
// becomes `lead` + the escaped new name.
StreamTransform FirstPerLine(std::string_view lead, std::string_view old_name,
                             std::string_view new_name, LetterCase letter_case) {
  std::string escaped = std::string(lead) + EncodeXml(old_name);
  std::string plain = std::string(lead) + std::string(old_name);
  std::string replacement = std::string(lead) + EncodeXml(new_name);
  return RawLines([escaped = std::move(escaped), plain = std::move(plain),
                   replacement = std::move(replacement),
                   letter_case](std::string_view body, std::string_view end, LineWriter& out) {
    std::size_t length = 0;
    const std::size_t pos = FindFirstOf(body, escaped, plain, letter_case, length);
    if (pos == kNone) {
      out.Write(body);
    } else {
      out.Write(body.substr(0, pos));
      out.Write(replacement);
      out.Write(body.substr(pos + length));
    }
    out.Write(end);
  });
}

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
                    const std::string& new_name, RewriteBatch& batch) {
  const std::optional<DirEntry> entry = fs.FindEntry(dir, kSettings);
  if (!entry || entry->is_link || entry->kind != EntryKind::kFolder) return;
  const std::string folder = JoinPath(dir, entry->name);
  if (!fs.IsSameOrInside(folder, dir)) return;
  std::vector<std::string> configurations;
  const std::string project = JoinPath(dir, old_name + std::string(kProject));
  if (fs.FileExists(project)) {
    try {
      for (IarConfiguration& c : ReadIarProject(project, fs).configurations) {
        if (!c.name.empty()) configurations.push_back(std::move(c.name));
      }
    } catch (const IoError&) {
      // Staging the project file raises the same error.
    }
  }
  for (const std::string& file : fs.ListFiles(folder)) {
    if (const std::optional<std::string> suffix = SettingsSuffix(file, old_name, configurations)) {
      RenameFileAfterCommit(fs, dir, folder, file, new_name + *suffix, batch);
    }
  }
}

}  // namespace

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

  const StreamTransform copy;
  const struct {
    std::string_view extension;
    StreamTransform stream;
  } kinds[] = {
      {kProject, rules ? FirstPerLine("<state>", old_name, new_name, LetterCase::kExact) : copy},
      {".ewd", copy},
      {".dep", rules ? FirstPerLine("\\", old_name, new_name, LetterCase::kIgnoreAscii) : copy},
  };
  for (const auto& kind : kinds) {
    const std::string old_file = old_name + std::string(kind.extension);
    if (exists(old_file)) stage(old_file, new_name + std::string(kind.extension), kind.stream);
  }

  if (rules) {
    const std::string ewt = old_name + ".ewt";
    RenameFileAfterCommit(fs, dir, std::string(dir), ewt, new_name + ".ewt", batch);
    if (new_name != old_name) RenameSettings(fs, dir, old_name, new_name, batch);
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

}  // namespace kelvandor
