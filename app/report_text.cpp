#include "app/report_text.h"

#include <array>
#include <cstdio>
#include <string>

#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::string_view kNoNewline = "\\ No newline at end of file";

// SGR sequences; empty strings without colour.
struct Palette {
  explicit Palette(bool color) : on(color) {}
  std::string Paint(std::string_view code, std::string_view text) const {
    if (!on) return std::string(text);
    return "\x1b[" + std::string(code) + "m" + std::string(text) + "\x1b[0m";
  }
  std::string Bold(std::string_view text) const { return Paint("1", text); }
  std::string Red(std::string_view text) const { return Paint("31", text); }
  std::string Green(std::string_view text) const { return Paint("32", text); }
  std::string Cyan(std::string_view text) const { return Paint("36", text); }
  bool on = false;
};

std::string Count(const FileCount& count) {
  return std::to_string(count.files) + (count.files == 1 ? " file, " : " files, ") +
         HumanSize(count.bytes);
}

std::string HunkHeader(const DiffHunk& hunk) {
  std::string header = "@@ -";
  header += std::to_string(hunk.old_start) + "," + std::to_string(hunk.old_count);
  header += " +" + std::to_string(hunk.new_start) + "," + std::to_string(hunk.new_count) + " @@";
  return header;
}

// "+3 -2 lines" over all project files.
std::string LineCounts(const std::vector<ProjectFileChange>& files) {
  std::size_t added = 0;
  std::size_t removed = 0;
  for (const ProjectFileChange& file : files) {
    added += file.diff.lines_added;
    removed += file.diff.lines_removed;
  }
  // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) about
  // "+" + std::to_string(...) when it inlines the insert.
  std::string counts = "+";
  counts += std::to_string(added);
  counts += " -" + std::to_string(removed) + " lines";
  return counts;
}

std::string PathUnder(std::string_view dir, std::string_view name, std::string_view target) {
  const std::string relative = RelativePath(dir, target);
  if (relative.empty() || relative == ".") return std::string(name);
  return relative + "/" + std::string(name);
}

// One line per warning: the file, relative to the target, and the message
// as the window shows it.
std::string WarningLines(const RunReport& report) {
  std::string out;
  for (const RewriteWarning& warning : report.warnings) {
    out += "Warning: " + QuotedName(RelativePath(warning.file, report.target)) + ": " +
           warning.message + "\n";
  }
  return out;
}

// Where the search below the given folder found the project.
std::string SearchText(const RunFacts& facts) {
  std::string out;
  if (facts.found_below)
    out += "Project found below the given folder: " + *facts.found_below + "\n";
  for (const std::string& folder : facts.passed_over) {
    out += "Passed over (a link): " + folder + "\n";
  }
  return out;
}

}  // namespace

std::string ModeName(const RunReport& report, bool clean_only) {
  if (clean_only) return "clean";
  switch (report.mode) {
    case RenameMode::kCopy:
      return "copy";
    case RenameMode::kRenameFolder:
      return "rename-folder";
    case RenameMode::kInPlace:
      break;
  }
  return "in-place";
}

std::string QuotedName(std::string_view name) {
  const auto needs_escape = [](unsigned char c) {
    return c < 0x20 || c == 0x7f || c == '"' || (c == '\\' && kNativeStyle != PathStyle::kWindows);
  };
  bool quote = false;
  for (const char c : name) quote = quote || needs_escape(static_cast<unsigned char>(c));
  if (!quote) return std::string(name);
  std::string out = "\"";
  for (const char c : name) {
    switch (c) {
      case '\a':
        out += "\\a";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\v':
        out += "\\v";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (needs_escape(static_cast<unsigned char>(c))) {
          std::array<char, 8> octal{};
          std::snprintf(octal.data(), octal.size(), "\\%03o", static_cast<unsigned char>(c));
          out += octal.data();
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

std::string HumanSize(std::uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " B";
  static constexpr std::array<const char*, 6> kUnits = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  double value = static_cast<double>(bytes) / 1024.0;
  std::size_t unit = 0;
  // Past 1023.95 "%.1f" would print 1024.0 of the smaller unit.
  while (value >= 1023.95 && unit + 1 < kUnits.size()) {
    value /= 1024.0;
    ++unit;
  }
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%.1f %s", value, kUnits[unit]);
  return text.data();
}

std::string RelativePath(std::string_view path, std::string_view base) {
  const auto is_separator = [](char c) { return c == '/' || IsFolderDelimiter(c); };
  while (base.size() > 1 && is_separator(base.back())) base.remove_suffix(1);
  if (!path.starts_with(base)) return std::string(path);
  std::string_view rest = path.substr(base.size());
  const bool base_is_root = !base.empty() && is_separator(base.back());
  if (!base_is_root && !rest.empty() && !is_separator(rest.front())) return std::string(path);
  while (!rest.empty() && is_separator(rest.front())) rest.remove_prefix(1);
  std::string relative(rest);
  for (char& c : relative) c = is_separator(c) ? '/' : c;
  return relative.empty() ? "." : relative;
}

std::string UnifiedDiff(const ProjectFileChange& change, std::string_view target, bool color) {
  const Palette palette(color);
  const TextDiff& diff = change.diff;
  const std::string old_path = PathUnder(change.dir, change.old_name, target);
  const std::string new_path = PathUnder(change.dir, change.new_name, target);
  const std::string old_end = diff.old_crlf ? "\r\n" : "\n";
  const std::string new_end = diff.new_crlf ? "\r\n" : "\n";
  std::string out;
  if (!diff.hunks.empty()) {
    out += palette.Bold("--- " + QuotedName("a/" + old_path)) + "\n";
    out += palette.Bold("+++ " + QuotedName("b/" + new_path)) + "\n";
  } else if (old_path != new_path && diff.compared) {
    out += palette.Bold("Renamed: " + QuotedName(old_path) + " -> " + QuotedName(new_path)) + "\n";
  }
  for (const DiffHunk& hunk : diff.hunks) {
    out += palette.Cyan(HunkHeader(hunk)) + "\n";
    std::size_t old_line = hunk.old_count > 0 ? hunk.old_start : hunk.old_start + 1;
    std::size_t new_line = hunk.new_count > 0 ? hunk.new_start : hunk.new_start + 1;
    for (const DiffLine& line : hunk.lines) {
      const std::string text = line.kind + line.text;
      bool last = false;
      if (line.kind == '+') {
        out += palette.Green(text) + new_end;
        last = diff.new_missing_final_newline && new_line == diff.new_lines;
        ++new_line;
      } else {
        out += (line.kind == '-' ? palette.Red(text) : text) + old_end;
        last = diff.old_missing_final_newline && old_line == diff.old_lines;
        ++old_line;
        if (line.kind == ' ') ++new_line;
      }
      if (last) out += std::string(kNoNewline) + (line.kind == '+' ? new_end : old_end);
    }
  }
  if (diff.line_ends_to_crlf) {
    out += "Line ends of " + QuotedName(new_path) + " become CR LF.\n";
  }
  if (!diff.compared) {
    out += "Not compared (larger than 4 MiB): " + QuotedName(old_path) + " -> " +
           QuotedName(new_path) + "\n";
  }
  return out;
}

std::string PlanText(const RunReport& report, const RunFacts& facts, bool color) {
  const Palette palette(color);
  std::string out;
  out += palette.Bold("Dry run: nothing has been changed.") + "\n";
  out += SearchText(facts);
  out += "Target: " + QuotedName(report.target) + " (" + ModeName(report, facts.clean_only) + ")\n";
  if (report.question) {
    out += "Question: \"" + *report.question + "\" - planned as if answered " +
           (report.answered_yes ? "Yes" : "No") + "\n";
  }
  if (report.replaced_target.files > 0) {
    out += "Existing target deleted: " + Count(report.replaced_target) + "\n";
  }
  if (!facts.clean_only) {
    if (report.renamed_folder) {
      out += "Folder renamed: " + QuotedName(report.renamed_folder->from) + " -> " +
             QuotedName(report.renamed_folder->to) + "\n";
    } else if (report.mode == RenameMode::kCopy) {
      out += "Copied: " + Count(report.copied) + "\n";
    }
    out += palette.Bold("Project files: " + std::to_string(report.project_files.size()) + " (" +
                        LineCounts(report.project_files) + ")") +
           "\n";
    for (const ProjectFileChange& change : report.project_files) {
      out += UnifiedDiff(change, report.target, color);
    }
    if (!report.renamed_files.empty()) {
      out +=
          palette.Bold("Renamed with the project: " + std::to_string(report.renamed_files.size())) +
          "\n";
      for (const RenamedFile& file : report.renamed_files) {
        out += "  " + RelativePath(file.from, report.target) + " -> " +
               RelativePath(file.to, report.target) + "\n";
      }
    }
  }
  if (report.clean_up || facts.clean_only) {
    out += palette.Bold("Cleaned: " + Count(report.cleaned_total)) + "\n";
    for (const RemovedFile& file : report.cleaned) {
      out += "  " + QuotedName(RelativePath(file.path, report.target)) + " (" +
             HumanSize(file.bytes) + ")\n";
    }
    out += palette.Bold("Images renamed: " + std::to_string(report.renamed_images.size())) + "\n";
    for (const RenamedFile& image : report.renamed_images) {
      out += "  " + QuotedName(RelativePath(image.from, report.target)) + " -> " +
             QuotedName(RelativePath(image.to, report.target)) + "\n";
    }
  }
  out += WarningLines(report);
  if (report.failure.failed()) {
    out += "Refused: error " + std::to_string(static_cast<int>(ExitStatusOf(report.failure))) +
           ": " + report.failure.message + "\n";
  }
  out += "Exit status: " + std::to_string(facts.exit_status) + "\n";
  return out;
}

std::string SummaryText(const RunReport& report, const RunFacts& facts) {
  std::string out = SearchText(facts);
  if (!facts.clean_only) {
    if (report.renamed_folder) {
      out += "Folder renamed: " + QuotedName(report.renamed_folder->from) + " -> " +
             QuotedName(report.renamed_folder->to) + "\n";
    }
    out += "Files copied: " + Count(report.copied) + "\n";
    out += "Project files rewritten: " + std::to_string(report.project_files.size()) + " (" +
           LineCounts(report.project_files) + ")\n";
    if (!report.renamed_files.empty()) {
      out += "Renamed with the project: " + std::to_string(report.renamed_files.size()) + "\n";
    }
  }
  out += WarningLines(report);
  out += "Files cleaned: " + Count(report.cleaned_total) + "\n";
  out += "Images renamed: " + std::to_string(report.renamed_images.size()) + "\n";
  std::array<char, 32> seconds{};
  std::snprintf(seconds.data(), seconds.size(), "%.2f s", facts.elapsed.count());
  out += "Time taken: " + std::string(seconds.data()) + "\n";
  return out;
}

ReportLine KindOfLine(std::string_view line) {
  if (line.starts_with("--- ") || line.starts_with("+++ ")) return ReportLine::kFileName;
  if (line.starts_with("@@ ")) return ReportLine::kHunk;
  if (line.starts_with('+')) return ReportLine::kAdded;
  if (line.starts_with('-')) return ReportLine::kRemoved;
  return ReportLine::kPlain;
}

}  // namespace kelvandor
