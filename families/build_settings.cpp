#include "families/build_settings.h"

#include <set>
#include <utility>

#include "core/xml_stream.h"
#include "platform/file_system.h"
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

bool SetOnce(std::string& field, std::string_view raw) {
  if (!field.empty()) return false;
  field = DecodeXml(raw);
  return !field.empty();
}

class KeilReader : public XmlHandler {
 public:
  explicit KeilReader(const KeilProjectVisitor& visitor)
      : follower_(visitor.target
                      ? visitor.target
                      : std::function<void(const KeilTarget&)>([](const KeilTarget&) {})),
        source_(visitor.source) {}

  void StartTag(std::string_view name, bool empty, std::string& /*tag*/) override {
    follower_.StartTag(name, empty);
  }
  bool WantsValue(std::string_view name) const override {
    return KeilTargetFollower::IsTargetValue(name) || (source_ && name == "FilePath");
  }
  void Value(std::string_view name, std::string& value) override {
    if (name == "FilePath") {
      const std::string path = DecodeXml(value);
      if (!path.empty()) source_(path);
    } else {
      follower_.Value(name, value);
    }
  }
  void Finish() { follower_.Finish(); }

 private:
  KeilTargetFollower follower_;
  const std::function<void(std::string_view)>& source_;
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

bool KeilTargetFollower::IsTargetValue(std::string_view name) {
  return name == "TargetName" || name == "OutputDirectory" || name == "ListingPath" ||
         name == "OutputName" || name == "ScatterFile" || name == "Device" || name == "umfTarg";
}

void KeilTargetFollower::StartTag(std::string_view name, bool empty) {
  if (name != "Target" || empty) return;
  Finish();
  current_ = {};
  in_target_ = true;
}

bool KeilTargetFollower::Value(std::string_view name, std::string_view raw) {
  if (!in_target_) return false;
  KeilTarget& t = current_;
  std::string* field = name == "TargetName"        ? &t.name
                       : name == "OutputDirectory" ? &t.output_directory
                       : name == "ListingPath"     ? &t.listing_path
                       : name == "OutputName"      ? &t.output_name
                       : name == "ScatterFile"     ? &t.scatter_file
                       : name == "Device"          ? &t.device
                       : name == "umfTarg"         ? &t.memory_layout_scatter
                                                   : nullptr;
  return field != nullptr && SetOnce(*field, raw);
}

void KeilTargetFollower::Finish() {
  if (!in_target_) return;
  in_target_ = false;
  complete_(current_);
}

void ReadKeilProject(std::string_view uvprojx_path, const KeilProjectVisitor& visitor,
                     FileSystem& file_system) {
  KeilReader reader(visitor);
  ReadXml(uvprojx_path, reader, file_system);
  reader.Finish();
}

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

std::optional<std::string> RecordedPath(std::string_view base_dir, std::string_view value) {
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
  return path;
}

std::optional<std::string> PathInside(std::string_view project_dir, std::string_view base_dir,
                                      std::string_view value, FileSystem& file_system) {
  const std::optional<std::string> path = RecordedPath(base_dir, value);
  if (!path || !file_system.IsSameOrInside(*path, project_dir)) return std::nullopt;
  std::string resolved = file_system.ResolvedPath(*path);
  if (resolved.empty()) return std::nullopt;
  return resolved;
}

std::string_view RecordedName(std::string_view value) {
  std::size_t i = value.size();
  while (i > 0 && !IsRecordedSeparator(value[i - 1])) --i;
  return value.substr(i);
}

}  // namespace kelvandor
