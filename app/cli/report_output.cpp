#include "app/cli/report_output.h"

#include <string>
#include <utility>

#include <nlohmann/json.hpp>

namespace kelvandor::cli {
namespace {

using Json = nlohmann::ordered_json;

Json CountJson(const FileCount& count) {
  return Json{{"files", count.files}, {"bytes", count.bytes}};
}

Json RenamedJson(const RenamedFile& renamed) {
  return Json{{"from", renamed.from}, {"to", renamed.to}};
}

Json ProjectFileJson(const ProjectFileChange& change) {
  Json hunks = Json::array();
  for (const DiffHunk& hunk : change.diff.hunks) {
    Json lines = Json::array();
    for (const DiffLine& line : hunk.lines) lines.push_back(std::string(1, line.kind) + line.text);
    hunks.push_back(Json{{"old_start", hunk.old_start},
                         {"old_count", hunk.old_count},
                         {"new_start", hunk.new_start},
                         {"new_count", hunk.new_count},
                         {"lines", std::move(lines)}});
  }
  return Json{{"dir", change.dir},
              {"old_name", change.old_name},
              {"new_name", change.new_name},
              {"compared", change.diff.compared},
              {"lines_removed", change.diff.lines_removed},
              {"lines_added", change.diff.lines_added},
              {"line_ends_to_crlf", change.diff.line_ends_to_crlf},
              {"old_crlf", change.diff.old_crlf},
              {"new_crlf", change.diff.new_crlf},
              {"old_missing_final_newline", change.diff.old_missing_final_newline},
              {"new_missing_final_newline", change.diff.new_missing_final_newline},
              {"hunks", std::move(hunks)}};
}

std::string Dump(const Json& doc) {
  return doc.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace

bool ColorWanted(bool is_terminal, const char* no_color) {
  return is_terminal && (no_color == nullptr || *no_color == '\0');
}

std::string JsonText(const RunReport& report, const RunFacts& facts) {
  Json project_files = Json::array();
  for (const ProjectFileChange& change : report.project_files) {
    project_files.push_back(ProjectFileJson(change));
  }
  Json cleaned_files = Json::array();
  for (const RemovedFile& file : report.cleaned) {
    cleaned_files.push_back(Json{{"path", file.path}, {"bytes", file.bytes}});
  }
  Json images = Json::array();
  for (const RenamedFile& image : report.renamed_images) images.push_back(RenamedJson(image));
  Json renamed_files = Json::array();
  for (const RenamedFile& file : report.renamed_files) renamed_files.push_back(RenamedJson(file));
  Json warnings = Json::array();
  for (const RewriteWarning& warning : report.warnings) {
    warnings.push_back(Json{{"file", warning.file}, {"message", warning.message}});
  }

  Json doc;
  doc["kind"] = facts.dry_run ? "plan" : "report";
  doc["source"] = report.source;
  doc["target"] = report.target;
  doc["mode"] = ModeName(report, facts.clean_only);
  doc["clean_up"] = report.clean_up || facts.clean_only;
  doc["question"] = report.question
                        ? Json{{"text", *report.question}, {"answered_yes", report.answered_yes}}
                        : Json(nullptr);
  doc["replaced_target"] = CountJson(report.replaced_target);
  doc["copied"] = CountJson(report.copied);
  doc["renamed_folder"] =
      report.renamed_folder ? RenamedJson(*report.renamed_folder) : Json(nullptr);
  doc["project_files"] = std::move(project_files);
  doc["renamed_files"] = std::move(renamed_files);
  doc["warnings"] = std::move(warnings);
  doc["cleaned"] = Json{{"files", report.cleaned_total.files},
                        {"bytes", report.cleaned_total.bytes},
                        {"list", std::move(cleaned_files)}};
  doc["renamed_images"] = std::move(images);
  doc["error"] =
      report.failure.failed()
          ? Json{{"code", static_cast<int>(ExitStatusOf(report.failure))},
                 {"message", report.failure.message},
                 {"path", report.failure.path.empty() ? Json(nullptr) : Json(report.failure.path)}}
          : Json(nullptr);
  doc["search"] = facts.found_below ? Json{{"found_below", *facts.found_below},
                                           {"passed_over", facts.passed_over}}
                                    : Json(nullptr);
  doc["exit_status"] = facts.exit_status;
  doc["seconds"] = facts.dry_run ? Json(nullptr) : Json(facts.elapsed.count());
  return Dump(doc);
}

std::string CandidatesJson(std::string_view source, const std::vector<std::string>& candidates,
                           int exit_status) {
  Json doc;
  doc["kind"] = "candidates";
  doc["source"] = source;
  doc["candidates"] = candidates;
  doc["exit_status"] = exit_status;
  return Dump(doc);
}

}  // namespace kelvandor::cli
