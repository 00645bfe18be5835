#include "families/eclipse/eclipse_settings.h"

#include <string>
#include <vector>

#include "core/xml_stream.h"

namespace kelvandor {
namespace {

std::string Attribute(std::string_view tag, std::string_view name) {
  const AttributeSpan span = FindAttribute(tag, name);
  if (span.pos == std::string_view::npos) return {};
  return DecodeXml(tag.substr(span.pos, span.length));
}

class NameReader : public XmlHandler {
 public:
  void StartTag(std::string_view name, bool empty, std::string& /*tag*/) override {
    if (!empty) path_.emplace_back(name);
  }
  void EndTag(std::string_view /*name*/) override {
    if (!path_.empty()) path_.pop_back();
  }
  bool WantsValue(std::string_view name) const override {
    return !found_ && name == "name" && path_.size() == 1 && path_[0] == "projectDescription";
  }
  void Value(std::string_view /*name*/, std::string& value) override {
    name_ = DecodeXml(value);
    found_ = true;
  }
  std::string name_;

 private:
  std::vector<std::string> path_;
  bool found_ = false;
};

class ConfigurationReader : public XmlHandler {
 public:
  void StartTag(std::string_view name, bool empty, std::string& tag) override {
    if (name == "cconfiguration") {
      if (!empty) configurations_.emplace_back();
      named_ = false;
      return;
    }
    if (configurations_.empty()) return;
    EclipseConfiguration& c = configurations_.back();
    if (name == "configuration" && !named_) {
      c.name = Attribute(tag, "name");
      named_ = true;
    } else if (name == "builder" && c.build_path.empty()) {
      c.build_path = Attribute(tag, "buildPath");
    } else if (name == "option") {
      const std::string super_class = Attribute(tag, "superClass");
      if (super_class.ends_with(".link.manage") && Attribute(tag, "value") == "true")
        c.managed_link_script = true;
    }
  }
  std::vector<EclipseConfiguration> configurations_;

 private:
  bool named_ = false;
};

bool IsSafeRelative(std::string_view folder) {
  if (folder.empty() || folder.front() == '/' || folder.front() == '\\') return false;
  if (folder.find('$') != std::string_view::npos || folder.find(':') != std::string_view::npos)
    return false;
  std::size_t start = 0;
  while (start <= folder.size()) {
    std::size_t end = folder.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = folder.size();
    const std::string_view part = folder.substr(start, end - start);
    if (part == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

std::string ReadEclipseProjectName(std::string_view project_file, FileSystem& file_system) {
  NameReader reader;
  ReadXml(project_file, reader, file_system);
  return reader.name_;
}

std::vector<EclipseConfiguration> ReadEclipseConfigurations(std::string_view cproject_file,
                                                            FileSystem& file_system) {
  ConfigurationReader reader;
  ReadXml(cproject_file, reader, file_system);
  return reader.configurations_;
}

std::string EclipseBuildFolder(const EclipseConfiguration& configuration) {
  std::string folder;
  const std::string& path = configuration.build_path;
  constexpr std::string_view kWorkspace = "${workspace_loc:/";
  if (path.empty() || path == "${BuildDirectory}") {
    // Code Composer's default build directory is the configuration's folder.
    folder = configuration.name;
  } else if (path.starts_with(kWorkspace)) {
    // A project renamed in the IDE keeps its old name here, and still builds
    // below its own folder.
    const std::size_t close = path.find('}');
    const std::size_t slash = path.find('/', kWorkspace.size());
    if (close != std::string::npos && slash < close && close + 1 == path.size()) {
      folder = path.substr(slash + 1, close - slash - 1);
    } else if (close != std::string::npos && slash > close && close + 1 < path.size() &&
               (path[close + 1] == '/' || path[close + 1] == '\\')) {
      folder = path.substr(close + 2);
    }
  } else {
    for (const std::string_view prefix : {"${ProjDirPath}", "${project_loc}"}) {
      if (path.size() > prefix.size() + 1 && path.starts_with(prefix) &&
          (path[prefix.size()] == '/' || path[prefix.size()] == '\\')) {
        folder = path.substr(prefix.size() + 1);
      }
    }
  }
  while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return IsSafeRelative(folder) ? folder : std::string();
}

}  // namespace kelvandor
