#include "families/iar/iar_settings.h"

#include <set>
#include <utility>

#include "core/recorded_path.h"
#include "core/xml_stream.h"
#include "platform/path_style.h"

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
    std::string* field = option_ == "ExePath"          ? &c.exe_path
                         : option_ == "ObjPath"        ? &c.obj_path
                         : option_ == "ListPath"       ? &c.list_path
                         : option_ == "BrowseInfoPath" ? &c.browse_path
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

IarProject ReadIarProject(std::string_view ewp_path, FileSystem& file_system) {
  IarProject project;
  IarReader reader(project);
  ReadXml(ewp_path, reader, file_system);
  return project;
}

std::string BrowseInfoFolder(const IarConfiguration& configuration) {
  constexpr std::string_view kBrowseInfo = "BrowseInfo";
  if (!configuration.browse_path.empty()) return configuration.browse_path;
  std::string_view exe = configuration.exe_path;
  while (!exe.empty() && IsRecordedSeparator(exe.back())) exe.remove_suffix(1);
  if (!exe.empty()) {
    return std::string(exe.substr(0, exe.size() - RecordedName(exe).size())) +
           std::string(kBrowseInfo);
  }
  if (configuration.name.empty()) return {};
  return configuration.name + "\\" + std::string(kBrowseInfo);
}

}  // namespace kelvandor
