#include "tests/support/uv5_samples.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/path_style.h"
#include "tests/support/temp_dir.h"

namespace kelvandor::testing {
namespace {

using Edits = std::vector<std::pair<std::string, std::string>>;

// Each rule's texts write the new name as "@".
struct SampleRules {
  std::string_view old_name;
  std::vector<std::pair<std::string, std::string>> moves;  // old path or folder -> new
  std::vector<std::pair<std::string, Edits>> edits;        // old path -> its changed texts
  std::vector<std::string> output_folders;                 // emptied by the clean-up
  std::vector<std::string> named_outputs;                  // kept there: named by the project
  std::vector<std::string> cleaned_files = {};  // old paths, elsewhere, the clean-up deletes
};

const SampleRules kHeater{"heater",
                          {{"MDK-ARM/heater.uvprojx", "MDK-ARM/@.uvprojx"},
                           {"MDK-ARM/heater.uvoptx", "MDK-ARM/@.uvoptx"},
                           {"MDK-ARM/heater.uvguix.anna", "MDK-ARM/@.uvguix.anna"},
                           {"MDK-ARM/RTE/_heater/", "MDK-ARM/RTE/_@/"},
                           {"MDK-ARM/heater/heater.sct", "MDK-ARM/heater/@.sct"},
                           {"heater.ioc", "@.ioc"}},
                          {{"MDK-ARM/heater.uvprojx",
                            {{"<TargetName>heater<", "<TargetName>@<"},
                             {"<OutputName>heater<", "<OutputName>@<"},
                             {".\\RTE\\_heater<", ".\\RTE\\_@<"},
                             {"<ScatterFile>heater\\heater.sct<", "<ScatterFile>heater\\@.sct<"},
                             {"<targetInfo name=\"heater\"/>", "<targetInfo name=\"@\"/>"}}},
                           {"MDK-ARM/heater.uvoptx", {{"<TargetName>heater<", "<TargetName>@<"}}},
                           {"heater.ioc",
                            {{"ProjectFileName=heater.ioc\n", "ProjectFileName=@.ioc\n"},
                             {"ProjectName=heater\n", "ProjectName=@\n"}}}},
                          {"MDK-ARM/heater/"},
                          // The linker writes its scatter file there: output.
                          {}};

const SampleRules kFan{"fan",
                       {{"fan.uvprojx", "@.uvprojx"},
                        {"fan.uvoptx", "@.uvoptx"},
                        {"fan.uvguix.anna", "@.uvguix.anna"},
                        {"fan.sct", "@.sct"}},
                       {{"fan.uvprojx",
                         {{"<OutputName>fan<", "<OutputName>@<"},
                          {"<ScatterFile>.\\fan.sct<", "<ScatterFile>.\\@.sct<"}}}},
                       {"Objects/", "Listings/"},
                       {}};

// Of two projects in one folder, "template" is renamed; "project" stays.
const SampleRules kTwin{"template",
                        {{"template.uvprojx", "@.uvprojx"},
                         {"template.uvoptx", "@.uvoptx"},
                         {"template.uvguix.anna", "@.uvguix.anna"}},
                        {{"template.uvprojx", {{"<OutputName>template<", "<OutputName>@<"}}}},
                        {"Template/"},
                        {}};

// The scatter file is a group file too; the target Flash lists beside the
// project file, the target Ram lets the linker write its scatter file.
const SampleRules kSprinkler{
    "sprinkler",
    {{"sprinkler.uvprojx", "@.uvprojx"},
     {"sprinkler.uvoptx", "@.uvoptx"},
     {"sprinkler.uvguix.anna", "@.uvguix.anna"},
     {"sprinkler.uvmpw", "@.uvmpw"},
     {"sprinkler.sct", "@.sct"},
     {"Ram/sprinkler_ram.sct", "Ram/@_ram.sct"}},
    {{"sprinkler.uvprojx",
      {{"<OutputName>sprinkler<", "<OutputName>@<"},
       {"<ScatterFile>.\\sprinkler.sct<", "<ScatterFile>.\\@.sct<"},
       {"<FileName>sprinkler.sct<", "<FileName>@.sct<"},
       {"<FilePath>.\\sprinkler.sct<", "<FilePath>.\\@.sct<"},
       {"<OutputName>sprinkler_ram<", "<OutputName>@_ram<"},
       {"<ScatterFile>.\\Ram\\sprinkler_ram.sct<", "<ScatterFile>.\\Ram\\@_ram.sct<"},
       {"<FileName>sprinkler.sct<", "<FileName>@.sct<"},
       {"<FilePath>.\\sprinkler.sct<", "<FilePath>.\\@.sct<"}}},
     {"sprinkler.uvoptx",
      {{"<PathWithFileName>.\\sprinkler.sct<", "<PathWithFileName>.\\@.sct<"},
       {"<FilenameWithoutPath>sprinkler.sct<", "<FilenameWithoutPath>@.sct<"}}},
     {"sprinkler.uvmpw", {{"<PathAndName>.\\sprinkler.uvprojx<", "<PathAndName>.\\@.uvprojx<"}}}},
    {"Objects/", "Ram/"},
    {},
    {"sprinkler.map", "main.lst", "sprinkler_io.lst"}};

const SampleRules& RulesOf(std::string_view sample) {
  if (sample == "heater") return kHeater;
  if (sample == "twin") return kTwin;
  if (sample == "sprinkler") return kSprinkler;
  return kFan;
}

std::string Filled(std::string text, std::string_view name) {
  for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at)) {
    text.replace(at, 1, name);
    at += name.size();
  }
  return text;
}

bool IsImage(std::string_view path) {
  return path.ends_with(".hex") || path.ends_with(".srec") || path.ends_with(".mhx");
}

}  // namespace

FileContents FilesBelow(const std::string& root) {
  FileContents files;
  for (auto& [rel, content] : Snapshot(root)) {
    if (!rel.ends_with('/')) files.emplace_back(rel, content);
  }
  return files;
}

FileContents RenamedUv5Sample(std::string_view sample, std::string_view new_name,
                              Uv5Outcome outcome) {
  const SampleRules& rules = RulesOf(sample);
  FileContents result;
  for (auto [rel, content] :
       FilesBelow(std::string(KELVANDOR_EXAMPLES_DIR) + SeparatorString() + std::string(sample))) {
    if (outcome.backup && rel.ends_with(".uvprojx")) result.emplace_back(rel + ".bak", content);
    if (outcome.backup && rel.ends_with(".uvoptx")) result.emplace_back(rel + ".bak", content);
    if (outcome.backup && rel.ends_with(".ioc")) result.emplace_back(rel + ".bak", content);
    for (const auto& [file, edits] : rules.edits) {
      if (file != rel) continue;
      for (const auto& [from, to] : edits) {
        const std::size_t at = content.find(from);
        EXPECT_NE(at, std::string::npos) << rel << ": " << from;
        if (at != std::string::npos) content.replace(at, from.size(), Filled(to, new_name));
      }
    }
    std::string to = rel;
    for (const auto& [from, moved] : rules.moves) {
      if (rel.starts_with(from)) to = Filled(moved, new_name) + rel.substr(from.size());
    }
    if (outcome.cleaned) {
      const std::string_view file = std::string_view(to).substr(to.rfind('/') + 1);
      if (file.starts_with(std::string(new_name) + ".uvguix.")) continue;
      if (std::find(rules.cleaned_files.begin(), rules.cleaned_files.end(), rel) !=
          rules.cleaned_files.end()) {
        continue;
      }
      const auto folder = std::find_if(rules.output_folders.begin(), rules.output_folders.end(),
                                       [&](const std::string& f) { return to.starts_with(f); });
      if (folder != rules.output_folders.end()) {
        const bool named =
            std::any_of(rules.named_outputs.begin(), rules.named_outputs.end(),
                        [&](const std::string& n) { return Filled(n, new_name) == to; });
        if (!IsImage(to) && !named) continue;
        const std::string old_image = *folder + std::string(rules.old_name) + ".";
        if (to.starts_with(old_image)) {
          to = *folder + std::string(new_name) + to.substr(old_image.size() - 1);
        }
      }
    }
    result.emplace_back(to, content);
  }
  std::sort(result.begin(), result.end());
  return result;
}

}  // namespace kelvandor::testing
