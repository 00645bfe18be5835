#include "families/mplab/mplab_rewriter.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/xml_stream.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::string_view kBackup = ".bak";
constexpr std::string_view kMcc = ".mc3";
constexpr std::string_view kFurtherNameText = "A further <name> was kept:";

// The body a line becomes, or nothing when it stays.
using LineRule = std::function<std::optional<std::string>(std::string_view body)>;

void StageInPlace(const std::string& dir, const std::string& name, const StreamTransform& stream,
                  const RewriteValues& values, RewriteBatch& batch) {
  const std::size_t staged = batch.StageExact(dir, name, name + std::string(kBackup), name, stream);
  batch.KeepBackup(staged, values.backup);
}

// Stages `name` in `dir` through `rule` when the rule changes a line of it.
void StageLines(const std::string& dir, const std::string& name, const LineRule& rule,
                const RewriteValues& values, RewriteBatch& batch) {
  FileSystem& fs = batch.file_system();
  const std::string path = JoinPath(dir, name);
  if (fs.IsLink(path) || !fs.FileExists(path)) return;
  bool changes = false;
  {
    LineReader in(path, fs);
    std::string_view line;
    while (!changes && in.ReadLine(line)) changes = rule(line).has_value();
  }
  if (!changes) return;
  StageInPlace(dir, name,
               RawLines([&rule](std::string_view body, std::string_view end, LineWriter& out) {
                 const std::optional<std::string> changed = rule(body);
                 out.Write(changed ? std::string_view(*changed) : body);
                 out.Write(end);
               }),
               values, batch);
}

// Where the value of `variable` begins in `body` ("  NAME = value"); npos
// when the line sets another variable or none. With `prefix`, any variable
// whose name begins with `variable`.
std::size_t ValueStart(std::string_view body, std::string_view variable, bool prefix) {
  std::size_t i = body.find_first_not_of(" \t");
  if (i == std::string_view::npos || body.substr(i, variable.size()) != variable)
    return std::string_view::npos;
  i += variable.size();
  if (prefix) {
    while (i < body.size() && (std::isalnum(static_cast<unsigned char>(body[i])) || body[i] == '_'))
      ++i;
  }
  i = std::min(body.find_first_not_of(" \t", i), body.size());
  if (i < body.size() && body[i] == ':') ++i;
  if (i >= body.size() || body[i] != '=') return std::string_view::npos;
  return std::min(body.find_first_not_of(" \t", i + 1), body.size());
}

// The makefile variables that carry the image's name, and how they follow.
struct ImageVariable {
  std::string_view name;
  bool prefix;  // CND_ARTIFACT_NAME_<conf>
};
constexpr ImageVariable kImageVariables[] = {
    {"FINAL_IMAGE", false},
    {"CND_ARTIFACT_NAME_", true},
    {"CND_ARTIFACT_PATH_", true},
    {"OUTPUT_BASENAME", false},
};

LineRule MakefileRule(std::string_view old_folder, std::string_view new_folder) {
  const std::string old_image = MplabImageName(old_folder) + ".";
  const std::string new_image = MplabImageName(new_folder) + ".";
  return [old_folder = std::string(old_folder), new_folder = std::string(new_folder), old_image,
          new_image](std::string_view body) -> std::optional<std::string> {
    if (const std::size_t at = ValueStart(body, "PROJECTNAME", false);
        at != std::string_view::npos && body.substr(at) == old_folder) {
      return std::string(body.substr(0, at)) + new_folder;
    }
    for (const ImageVariable& variable : kImageVariables) {
      const std::size_t at = ValueStart(body, variable.name, variable.prefix);
      if (at == std::string_view::npos) continue;
      const std::size_t slash = body.rfind('/');
      const std::size_t base = slash == std::string_view::npos || slash < at ? at : slash + 1;
      if (!body.substr(base).starts_with(old_image)) return std::nullopt;
      return std::string(body.substr(0, base)) + new_image +
             std::string(body.substr(base + old_image.size()));
    }
    return std::nullopt;
  };
}

// The generated files whose variables carry the folder's name.
bool IsGeneratedBuildFile(std::string_view name) {
  if (name.starts_with("Package-") && name.ends_with(".bash")) return true;
  return name.starts_with("Makefile-") && name.ends_with(".mk") &&
         !name.starts_with("Makefile-local-");
}

// The first <name> of <data> follows the name; the others stay.
class NameHandler : public XmlHandler {
 public:
  NameHandler(std::string_view old_name, std::string_view new_name)
      : old_name_(old_name), new_name_(new_name) {}

  void StartTag(std::string_view name, bool empty, std::string&) override {
    if (!empty) path_.emplace_back(name);
  }
  void EndTag(std::string_view) override {
    if (!path_.empty()) path_.pop_back();
  }
  bool WantsValue(std::string_view name) const override {
    return name == "name" && !path_.empty() && path_.back() == "data";
  }
  void Value(std::string_view, std::string& value) override {
    if (named_) {
      further_.push_back(DecodeXml(value));
      return;
    }
    named_ = true;
    first_ = DecodeXml(value);
    // Without a name the IDE would show none.
    if (first_ == old_name_ && old_name_ != new_name_ && !new_name_.empty()) {
      value = EncodeXml(new_name_);
      changed_ = true;
    }
  }

  const std::string& first() const { return first_; }
  bool changed() const { return changed_; }
  const std::vector<std::string>& further() const { return further_; }

 private:
  std::string old_name_;
  std::string new_name_;
  std::vector<std::string> path_;
  bool named_ = false;
  bool changed_ = false;
  std::string first_;
  std::vector<std::string> further_;
};

// The <itemPath> naming the MCC file.
class ItemPathHandler : public XmlHandler {
 public:
  ItemPathHandler(std::string old_file, std::string new_file)
      : old_file_(std::move(old_file)), new_file_(std::move(new_file)) {}
  bool WantsValue(std::string_view name) const override { return name == "itemPath"; }
  void Value(std::string_view, std::string& value) override {
    if (DecodeXml(value) != old_file_) return;
    value = EncodeXml(new_file_);
    ++changes_;
  }
  int changes() const { return changes_; }

 private:
  std::string old_file_;
  std::string new_file_;
  int changes_ = 0;
};

template <typename Handler>
void ReadThrough(FileSystem& fs, const std::string& path, Handler& handler) {
  LineReader in(path, fs);
  StreamXml(in, nullptr, handler);
}

void RewriteProjectXml(const std::string& nbproject, std::string_view old_name,
                       const RewriteValues& values, RewriteBatch& batch) {
  FileSystem& fs = batch.file_system();
  const std::string path = JoinPath(nbproject, "project.xml");
  if (fs.IsLink(path) || !fs.FileExists(path)) return;
  NameHandler seen(old_name, values.new_name);
  ReadThrough(fs, path, seen);
  for (const std::string& name : seen.further()) {
    batch.Warn(path, std::string(kFurtherNameText) + " " + name);
  }
  if (!seen.changed()) return;
  StageInPlace(
      nbproject, "project.xml",
      [&](LineReader& in, LineWriter& out) {
        NameHandler handler(old_name, values.new_name);
        StreamXml(in, &out, handler);
      },
      values, batch);
}

// "OLD.mc3" becomes "NEW.mc3", and so does the item naming it.
void RenameMccFile(const std::string& dir, std::string_view old_name, const RewriteValues& values,
                   RewriteBatch& batch) {
  FileSystem& fs = batch.file_system();
  const std::string old_file = std::string(old_name) + std::string(kMcc);
  const std::string new_file = values.new_name + std::string(kMcc);
  if (old_name.empty() || values.new_name.empty() || old_file == new_file) return;
  const std::string from = JoinPath(dir, old_file);
  const std::string to = JoinPath(dir, new_file);
  if (fs.IsLink(from) || !fs.FileExists(from) || !FreeToRename(fs, from, to)) return;
  const std::string nbproject = JoinPath(dir, kMplabFolder);
  const std::string configurations = JoinPath(nbproject, "configurations.xml");
  if (!fs.IsLink(configurations) && fs.FileExists(configurations)) {
    ItemPathHandler seen(old_file, new_file);
    ReadThrough(fs, configurations, seen);
    if (seen.changes() > 0) {
      StageInPlace(
          nbproject, "configurations.xml",
          [&](LineReader& in, LineWriter& out) {
            ItemPathHandler handler(old_file, new_file);
            StreamXml(in, &out, handler);
          },
          values, batch);
      batch.ExpectReference(configurations, to, new_file);
    }
  }
  batch.RenameAfterCommit(from, to);
}

// `body` with the value of `key` ("key: value", plain or quoted) replaced by
// `new_value` when it is `old_value`.
std::optional<std::string> YamlValue(std::string_view body, std::string_view key,
                                     std::string_view old_value, std::string_view new_value) {
  const std::size_t i = std::min(body.find_first_not_of(' '), body.size());
  if (!body.substr(i).starts_with(key) || body.substr(i + key.size(), 1) != ":")
    return std::nullopt;
  std::size_t at = std::min(body.find_first_not_of(' ', i + key.size() + 1), body.size());
  std::size_t end = body.find_last_not_of(' ');
  end = end == std::string_view::npos || end < at ? at : end + 1;
  if (end - at >= 2 && (body[at] == '"' || body[at] == '\'') && body[end - 1] == body[at]) {
    ++at;
    --end;
  }
  if (old_value == new_value || body.substr(at, end - at) != old_value) return std::nullopt;
  return std::string(body.substr(0, at)) + std::string(new_value) + std::string(body.substr(end));
}

}  // namespace

std::string ReadMplabProjectName(std::string_view path, FileSystem& file_system) {
  NameHandler handler({}, {});
  ReadThrough(file_system, std::string(path), handler);
  return handler.first();
}

std::string MplabImageName(std::string_view folder) {
  std::string out(folder);
  std::replace(out.begin(), out.end(), ' ', '_');
  return out;
}

void ParseMplab(const std::string& dir, std::string_view old_name, std::string_view old_folder,
                std::string_view new_folder, const RewriteValues& values, RewriteBatch& batch) {
  FileSystem& fs = batch.file_system();
  const std::string nbproject = JoinPath(dir, kMplabFolder);
  if (fs.IsLink(nbproject) || !fs.DirectoryExists(nbproject)) return;
  RewriteProjectXml(nbproject, old_name, values, batch);
  if (old_folder != new_folder) {
    std::vector<std::string> files = fs.ListFiles(nbproject);
    std::sort(files.begin(), files.end());
    const LineRule rule = MakefileRule(old_folder, new_folder);
    for (const std::string& file : files) {
      if (IsGeneratedBuildFile(file)) StageLines(nbproject, file, rule, values, batch);
    }
  }
  RenameMccFile(dir, old_name, values, batch);
}

void ParseHarmonySettings(const std::string& firmware_dir, std::string_view old_name,
                          std::string_view old_folder, std::string_view new_folder,
                          const RewriteValues& values, RewriteBatch& batch) {
  FileSystem& fs = batch.file_system();
  const std::string config = JoinPath(JoinPath(firmware_dir, "src"), "config");
  if (fs.IsLink(config) || !fs.DirectoryExists(config)) return;
  std::vector<DirEntry> entries = fs.ListDirectory(config);
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  const std::string new_name = values.new_name;
  const LineRule rule = [&](std::string_view body) -> std::optional<std::string> {
    if (auto folder = YamlValue(body, "folderName", old_folder, new_folder)) return folder;
    return YamlValue(body, "projectName", old_name, new_name);
  };
  for (const DirEntry& entry : entries) {
    if (entry.kind != EntryKind::kFolder || entry.is_link) continue;
    const std::string mhc = JoinPath(JoinPath(config, entry.name), entry.name + ".mhc");
    if (fs.IsLink(mhc) || !fs.DirectoryExists(mhc)) continue;
    StageLines(mhc, "settings.yml", rule, values, batch);
  }
}

}  // namespace kelvandor
