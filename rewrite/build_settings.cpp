#include "rewrite/build_settings.h"

#include <set>
#include <utility>

#include "platform/file_system.h"
#include "platform/path_style.h"
#include "rewrite/xml_stream.h"

namespace kelvandor {
namespace {

constexpr std::string_view kProjDir = "$PROJ_DIR$";

// Collects each distinct value once, in the order first met.
class DistinctList {
 public:
  explicit DistinctList(std::vector<std::string>& out) : out_(out) {}
  void Add(std::string value) {
    if (value.empty() || !seen_.insert(value).second) return;
    out_.push_back(std::move(value));
  }

 private:
  std::vector<std::string>& out_;
  std::set<std::string> seen_;
};

void SetOnce(std::string& field, std::string_view raw) {
  if (field.empty()) field = DecodeXml(raw);
}

class KeilReader : public XmlHandler {
 public:
  KeilReader(KeilProject& project, bool with_sources)
      : project_(project), sources_(project.source_files), with_sources_(with_sources) {}

  void StartTag(std::string_view name, bool empty, std::string& /*tag*/) override {
    if (name == "Target" && !empty) project_.targets.emplace_back();
  }
  bool WantsValue(std::string_view name) const override {
    return name == "TargetName" || name == "OutputDirectory" || name == "ListingPath" ||
           name == "OutputName" || name == "ScatterFile" || name == "Device" ||
           (with_sources_ && name == "FilePath");
  }
  void Value(std::string_view name, std::string& value) override {
    if (name == "FilePath") {
      sources_.Add(DecodeXml(value));
      return;
    }
    if (project_.targets.empty()) return;
    KeilTarget& t = project_.targets.back();
    if (name == "TargetName") SetOnce(t.name, value);
    if (name == "OutputDirectory") SetOnce(t.output_directory, value);
    if (name == "ListingPath") SetOnce(t.listing_path, value);
    if (name == "OutputName") SetOnce(t.output_name, value);
    if (name == "ScatterFile") SetOnce(t.scatter_file, value);
    if (name == "Device") SetOnce(t.device, value);
  }

 private:
  KeilProject& project_;
  DistinctList sources_;
  bool with_sources_ = true;
};

bool IsRecordedSeparator(char c) { return c == '\\' || c == '/'; }

// IAR records paths relative to the project file as "$PROJ_DIR$\...".
std::string WithoutProjDir(const std::string& value) {
  if (!StartsWithIgnoreCase(value, kProjDir)) return value;
  std::string_view rest = std::string_view(value).substr(kProjDir.size());
  if (!rest.empty() && IsRecordedSeparator(rest.front())) rest.remove_prefix(1);
  return rest.empty() ? std::string(".") : std::string(rest);
}

class IarReader : public XmlHandler {
 public:
  explicit IarReader(IarProject& project) : project_(project), sources_(project.source_files) {}

  void StartTag(std::string_view name, bool empty, std::string& /*tag*/) override {
    if (empty) return;
    if (depth_ < kDepth) parents_[depth_] = std::string(name);
    ++depth_;
    if (name == "option") option_.clear();
  }
  void EndTag(std::string_view /*name*/) override {
    if (depth_ > 0) --depth_;
  }
  bool WantsValue(std::string_view name) const override {
    return name == "name" || name == "state";
  }
  void Value(std::string_view name, std::string& value) override {
    const std::string_view parent = Parent();
    std::string plain = WithoutProjDir(DecodeXml(value));
    if (name == "name" && parent == "configuration") {
      project_.configurations.emplace_back();
      project_.configurations.back().name = std::move(plain);
    } else if (name == "name" && parent == "option") {
      option_ = std::move(plain);
    } else if (name == "name" && parent == "file") {
      sources_.Add(std::move(plain));
    } else if (name == "state" && parent == "option") {
      OptionState(std::move(plain));
    }
  }

 private:
  static constexpr std::size_t kDepth = 64;

  // The element around the value's element, which is open as the top one.
  std::string_view Parent() const {
    return depth_ >= 2 && depth_ - 2 < kDepth ? std::string_view(parents_[depth_ - 2])
                                              : std::string_view();
  }

  void OptionState(std::string plain) {
    if (option_ == "IlinkIcfFile") sources_.Add(plain);
    if (project_.configurations.empty()) return;
    IarConfiguration& c = project_.configurations.back();
    std::string* field = option_ == "ExePath"    ? &c.exe_path
                         : option_ == "ObjPath"  ? &c.obj_path
                         : option_ == "ListPath" ? &c.list_path
                                                 : nullptr;
    if (field != nullptr && field->empty()) *field = std::move(plain);
  }

  IarProject& project_;
  DistinctList sources_;
  std::string parents_[kDepth];
  std::size_t depth_ = 0;
  std::string option_;
};

}  // namespace

KeilProject ReadKeilProject(std::string_view uvprojx_path, bool with_sources,
                            FileSystem& file_system) {
  KeilProject project;
  KeilReader reader(project, with_sources);
  ReadXml(uvprojx_path, reader, file_system);
  return project;
}

IarProject ReadIarProject(std::string_view ewp_path, FileSystem& file_system) {
  IarProject project;
  IarReader reader(project);
  ReadXml(ewp_path, reader, file_system);
  return project;
}

std::optional<std::string> PathInside(std::string_view project_dir, std::string_view base_dir,
                                      std::string_view value, FileSystem& file_system) {
  if (value.empty() || value.find('$') != std::string_view::npos) return std::nullopt;
  if (IsRecordedSeparator(value.front())) return std::nullopt;
  if (value.size() >= 2 && value[1] == ':') return std::nullopt;
  std::string path(base_dir);
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t end = start;
    while (end < value.size() && !IsRecordedSeparator(value[end])) ++end;
    const std::string_view component = value.substr(start, end - start);
    if (!component.empty() && component != ".") {
      path += Separator();
      path += component;
    }
    start = end + 1;
  }
  if (!file_system.IsSameOrInside(path, project_dir)) return std::nullopt;
  std::string resolved = file_system.ResolvedPath(path);
  if (resolved.empty()) return std::nullopt;
  return resolved;
}

std::string_view RecordedName(std::string_view value) {
  std::size_t i = value.size();
  while (i > 0 && !IsRecordedSeparator(value[i - 1])) --i;
  return value.substr(i);
}

}  // namespace kelvandor
