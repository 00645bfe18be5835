#include "families/softune/wsp_rewriter.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/file_rewrite.h"
#include "core/recorded_path.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::string_view kFileKey = "FILE-";
constexpr std::string_view kActiveKey = "ActivePrj=";
constexpr std::string_view kSectionKey = "[SubPrj-";
constexpr std::string_view kFolderKey = "WSP=";

// The value of a "FILE-<n>=" line, from just after its "=".
std::optional<std::size_t> FileEntryValue(std::string_view line) {
  if (!line.starts_with(kFileKey)) return std::nullopt;
  std::size_t pos = kFileKey.size();
  while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') ++pos;
  if (pos == kFileKey.size() || pos >= line.size() || line[pos] != '=') return std::nullopt;
  return pos + 1;
}

// The project file a "[SubPrj-...]" header names.
std::optional<std::string_view> SectionValue(std::string_view line) {
  if (!line.starts_with(kSectionKey) || !line.ends_with("]")) return std::nullopt;
  return line.substr(kSectionKey.size(), line.size() - kSectionKey.size() - 1);
}

// A recorded path below `dir`, in the platform's separators.
std::string RecordedPathIn(std::string_view dir, std::string_view value) {
  std::string relative(value);
  for (char& c : relative) {
    if (c == '\\' || c == '/') c = Separator();
  }
  return JoinPath(dir, relative);
}

// Several "FILE-<n>=" numbers or several "[SubPrj-" sections, naming more
// than one project file between them.
bool ListsSeveralProjects(const std::string& path, FileSystem& fs) {
  std::vector<std::string> numbers;
  std::vector<std::string> names;
  int sections = 0;
  const auto note = [](std::vector<std::string>& list, std::string_view value) {
    const bool known = std::any_of(list.begin(), list.end(), [&](const std::string& known_value) {
      return EqualsIgnoreCase(known_value, value);
    });
    if (!known) list.emplace_back(value);
  };
  LineReader in(path, fs);
  std::string_view line;
  while (in.ReadLine(line)) {
    if (const std::optional<std::size_t> at = FileEntryValue(line)) {
      note(numbers, line.substr(kFileKey.size(), *at - 1 - kFileKey.size()));
      note(names, RecordedName(line.substr(*at)));
    } else if (const std::optional<std::string_view> section = SectionValue(line)) {
      ++sections;
      note(names, RecordedName(*section));
    }
  }
  return names.size() > 1 && (numbers.size() > 1 || sections > 1);
}

bool RewriteSingle(std::string_view dir, std::string_view old_file, const RewriteValues& values,
                   RewriteBatch& batch) {
  struct KeyRule {
    std::string_view key;
    std::string line;  // written in place of the whole old line
  };
  const std::string prj = values.new_name + ".prj";
  const KeyRule rules[] = {
      {"FILE-0=", "FILE-0=" + prj},
      {kActiveKey, std::string(kActiveKey) + prj},
      {kSectionKey, std::string(kSectionKey) + prj + "]"},
      {kFolderKey, std::string(kFolderKey) + values.new_path + values.new_dir + Separator()},
  };
  const CountedRewrite job{
      .old_file = std::string(old_file),
      .new_file = values.new_name + ".wsp",
      .min_count = 3,
      .max_count = 4,
      .recheck_message = "Please recheck *.WSP files manually",
      .keep_backup = values.backup,
  };
  return RewriteCounted(
      dir, job,
      [&rules](std::string_view line, LineWriter& out) {
        for (const KeyRule& rule : rules) {
          if (line.starts_with(rule.key)) {
            out.WriteLine(rule.line);
            return true;
          }
        }
        out.WriteLine(line);
        return false;
      },
      batch);
}

bool RewriteShared(std::string_view dir, std::string_view old_file, std::string_view old_project,
                   const RewriteValues& values, RewriteBatch& batch) {
  const std::string old_prj = std::string(old_project) + ".prj";
  const std::string new_prj = values.new_name + ".prj";
  const std::string_view old_base = old_file.substr(0, old_file.size() - 4);
  const std::string new_file =
      EqualsIgnoreCase(old_base, old_project) ? values.new_name + ".wsp" : std::string(old_file);
  const std::string new_path = JoinPath(dir, new_file);
  // The value with the project's file name replaced, its folder kept; nothing
  // when it names another project.
  const auto follow = [&](std::string_view value) -> std::optional<std::string> {
    const std::string_view name = RecordedName(value);
    if (!EqualsIgnoreCase(name, old_prj)) return std::nullopt;
    return std::string(value.substr(0, value.size() - name.size())) + new_prj;
  };
  const CountedRewrite job{
      .old_file = std::string(old_file),
      .new_file = new_file,
      .min_count = 3,
      .max_count = 4,
      .recheck_message = "Please recheck *.WSP files manually",
      .keep_backup = values.backup,
  };
  return RewriteCounted(
      dir, job,
      [&](std::string_view line, LineWriter& out) {
        if (const std::optional<std::size_t> at = FileEntryValue(line)) {
          const std::string_view value = line.substr(*at);
          const std::optional<std::string> followed = follow(value);
          const std::string_view written = followed ? std::string_view(*followed) : value;
          batch.ExpectReference(new_path, RecordedPathIn(dir, written),
                                std::string(line.substr(0, *at)) + std::string(written),
                                followed.has_value());
          if (!followed) {
            out.WriteLine(line);
            return false;
          }
          out.Write(line.substr(0, *at));
          out.WriteLine(*followed);
          return true;
        }
        if (line.starts_with(kActiveKey)) {
          if (const std::optional<std::string> followed = follow(line.substr(kActiveKey.size()))) {
            out.Write(kActiveKey);
            out.WriteLine(*followed);
            return true;
          }
        } else if (const std::optional<std::string_view> section = SectionValue(line)) {
          if (const std::optional<std::string> followed = follow(*section)) {
            out.Write(kSectionKey);
            out.Write(*followed);
            out.WriteLine("]");
            return true;
          }
        } else if (line.starts_with(kFolderKey)) {
          out.Write(kFolderKey);
          out.Write(values.new_path);
          out.Write(values.new_dir);
          out.WriteLine(SeparatorString());
          return true;
        }
        out.WriteLine(line);
        return false;
      },
      batch);
}

}  // namespace

std::vector<std::string> WorkspaceProjects(std::string_view wsp_path, FileSystem& file_system) {
  std::vector<std::string> projects;
  std::vector<std::string> sections;
  const auto add = [](std::vector<std::string>& list, std::string_view value) {
    const bool known = std::any_of(
        list.begin(), list.end(), [&](const std::string& p) { return EqualsIgnoreCase(p, value); });
    if (!value.empty() && !known) list.emplace_back(value);
  };
  LineReader in(wsp_path, file_system);
  std::string_view line;
  while (in.ReadLine(line)) {
    if (const std::optional<std::size_t> at = FileEntryValue(line)) {
      add(projects, line.substr(*at));
    } else if (const std::optional<std::string_view> section = SectionValue(line)) {
      add(sections, *section);
    }
  }
  // A section names its project by the file alone ("[SubPrj-a.prj]" for
  // "FILE-0=a\a.prj"): only one no entry names is another project.
  for (const std::string& section : sections) {
    const bool listed = std::any_of(projects.begin(), projects.end(), [&](const std::string& p) {
      return EqualsIgnoreCase(RecordedName(p), RecordedName(section));
    });
    if (!listed) projects.push_back(section);
  }
  return projects;
}

bool ParseWsp(std::string_view dir, std::string_view old_file, std::string_view old_project,
              const RewriteValues& values, UserInterface&, RewriteBatch& batch) {
  const std::string path = JoinPath(dir, old_file);
  FileSystem& fs = batch.file_system();
  if (!old_project.empty() && fs.FileExists(path) && ListsSeveralProjects(path, fs)) {
    return RewriteShared(dir, old_file, old_project, values, batch);
  }
  return RewriteSingle(dir, old_file, values, batch);
}

bool ParseWsp(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui, RewriteBatch& batch) {
  const std::string_view base =
      EndsWithIgnoreCase(old_file, ".wsp") ? old_file.substr(0, old_file.size() - 4) : old_file;
  return ParseWsp(dir, old_file, base, values, ui, batch);
}

bool ParseWsp(std::string_view dir, std::string_view old_file, const RewriteValues& values,
              UserInterface& ui) {
  return InOwnBatchShowingWarnings(
      [&](RewriteBatch& batch) { return ParseWsp(dir, old_file, values, ui, batch); }, ui);
}

}  // namespace kelvandor
